#include "form1.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableView>
#include <QUrl>

#include "caption_progress_bar.h"
#include "option_button.h"
#include "prompt.h"

namespace quorvane {
namespace {

// The window was laid out in twips: 15 to the pixel at 96 dots per inch.
QRect twips(int left, int top, int width, int height) {
  return QRect(left / 15, top / 15, width / 15, height / 15);
}

// A one-column list. Every row has the same fixed height and there is no row header,
// so appending rows costs the view nothing per row: it never measures them.
QTableView* make_list_view(QWidget* parent, const char* name, TextListModel* model) {
  auto* view = new QTableView(parent);
  view->setObjectName(QLatin1String(name));
  view->setModel(model);
  view->setShowGrid(false);
  view->setWordWrap(false);
  view->setCornerButtonEnabled(false);
  view->setTabKeyNavigation(false);
  view->verticalHeader()->hide();
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
  view->horizontalHeader()->setStretchLastSection(false);
  view->horizontalHeader()->setSectionsMovable(false);
  view->horizontalHeader()->setHighlightSections(false);
  view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setToolTip(kListTooltip);
  return view;
}

}  // namespace

Form1Environment Form1Environment::desktop(const QString& folder) {
  Form1Environment env;
  env.programFolder = folder;
  env.drawOneToHundred = [] { return QRandomGenerator::global()->bounded(1, 101); };
  env.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  env.spreadsheetPresent = spreadsheet_program_present;
  env.newSpreadsheet = [] {
    // Where the spreadsheet program takes templates, the workbook opens untitled.
    return std::make_unique<XlsxSpreadsheet>(new_workbook_path(), open_in_desktop,
                                             spreadsheet_template_program_present());
  };
  return env;
}

Form1::Form1(Form1Environment env, QWidget* parent)
    : QWidget(parent),
      env_(std::move(env)),
      settings_(std::make_unique<SettingsStore>()),
      engine_((env_.programFolder + QStringLiteral("/dbZips.mdb")).toStdString()),
      pointer_(this) {
  setObjectName(QStringLiteral("Form1"));
  const QLocale locale;
  decimal_separator_ = locale.decimalPoint().toStdString();
  group_separator_ = locale.groupSeparator().toStdString();
  engine_.set_decimal_separator(decimal_separator_);
  zip_list_ = new TextListModel(QStringLiteral("Zip Code(s)"), false, this);
  results_ = new TextListModel(QStringLiteral("Results"), true, this);
  buildControls();
  connectControls();
  setupPointerFeedback();
}

Form1::~Form1() = default;

void Form1::buildControls() {
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(15960 / 15, 5595 / 15);
  QFont font(QStringLiteral("Arial"), 9);
  font.setBold(true);
  setFont(font);
  QFont button_font(QStringLiteral("Arial"));
  button_font.setPointSizeF(11.25);
  button_font.setBold(true);

  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);

  list_view1_ = make_list_view(this, "ListView1", zip_list_);
  list_view1_->setGeometry(twips(120, 120, 7800, 1815));
  list_view2_ = make_list_view(this, "ListView2", results_);
  list_view2_->setGeometry(twips(8040, 1800, 7800, 2145));

  struct ButtonSpec {
    int number;
    const char* caption;
    QRect rect;
  };
  const ButtonSpec window_buttons[] = {
      {6, "Add Zip Codes", twips(120, 2020, 3840, 405)},
      {3, "Load Zip Codes From File", twips(4080, 2020, 3840, 405)},
      {1, "Clear List", twips(120, 2530, 3840, 405)},
      {7, "Load Sample/Example Zip Codes", twips(4080, 2530, 3840, 405)},
      {17, "Start Finding Distance", twips(8040, 1290, 7800, 405)},
      {4, "Save Results As Text File", twips(8040, 4040, 3840, 405)},
      {13, "Save Results As Excel File", twips(12000, 4040, 3840, 405)},
      {5, "Copy Results To Clipboard", twips(8040, 4550, 3840, 405)},
      {2, "Clear Results", twips(12000, 4550, 3840, 405)},
  };
  auto make_button = [&](QWidget* parent, int number, const char* caption, QRect rect) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QStringLiteral("PushButton%1").arg(number));
    b->setFont(button_font);
    b->setGeometry(rect);
    buttons_[number] = b;
  };
  for (const auto& s : window_buttons) make_button(this, s.number, s.caption, s.rect);

  auto make_frame = [&](int number, const char* caption, QRect rect) {
    auto* f = new QGroupBox(QString::fromLatin1(caption), this);
    f->setObjectName(QStringLiteral("Frame%1").arg(number));
    f->setGeometry(rect);
    f->setAutoFillBackground(true);
    f->setPalette(white);
    frames_[number] = f;
  };
  make_frame(1, "Comparison Option", twips(120, 2970, 7800, 1065));
  make_frame(2, "Results", twips(120, 4080, 7800, 1395));
  make_frame(3, "Database Option", twips(8040, 90, 7800, 1065));

  struct OptionSpec {
    int number, frame;
    const char* caption;
    QRect rect;
  };
  const OptionSpec option_specs[] = {
      {1, 1, "Find distance between each zip code in list", twips(240, 300, 5535, 255)},
      {2, 1, "Find distance between each zip code in list and this zip code:",
       twips(240, 650, 5535, 255)},
      {3, 2, "Give results in sentence form", twips(240, 300, 7335, 255)},
      {4, 2, "Give zips and distance", twips(240, 650, 7335, 255)},
      {5, 2, "Give distance only", twips(240, 1000, 7335, 255)},
      {7, 3, "Use Database 2016", twips(240, 300, 2175, 255)},
      {6, 3, "Use Database 2012", twips(240, 650, 2055, 255)},
  };
  for (const auto& s : option_specs) {
    auto* o = new OptionButton(QString::fromLatin1(s.caption), frames_[s.frame]);
    o->setObjectName(QStringLiteral("Option%1").arg(s.number));
    o->setAutoExclusive(false);
    o->setGeometry(s.rect);
    o->setAutoFillBackground(true);
    o->setBackgroundRole(QPalette::Window);
    o->setPalette(white);
    options_[s.number] = o;
  }
  text1_ = new QLineEdit(frames_[1]);
  text1_->setObjectName(QStringLiteral("Text1"));
  text1_->setGeometry(twips(5760, 570, 1215, 375));
  make_button(frames_[3], 8, "?", twips(6840, 300, 720, 405));

  progress_ = new CaptionProgressBar(this);
  progress_->setObjectName(QStringLiteral("ProgressBar1"));
  progress_->setGeometry(twips(8040, 5070, 7800, 405));

  // Keyboard order as designed.
  QWidget* tab_order[] = {list_view1_,  list_view2_, buttons_[6],  buttons_[3], buttons_[1],
                          buttons_[17], buttons_[4], buttons_[13], buttons_[2], progress_,
                          buttons_[5],  buttons_[7], frames_[1],   options_[1], options_[2],
                          frames_[2],   options_[4], options_[5],  options_[3], text1_,
                          frames_[3],   options_[7], options_[6],  buttons_[8]};
  for (std::size_t i = 1; i < std::size(tab_order); ++i)
    setTabOrder(tab_order[i - 1], tab_order[i]);
}

void Form1::connectControls() {
  auto on_click = [this](int number, void (Form1::*handler)()) {
    connect(buttons_[number], &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
  };
  on_click(1, &Form1::PushButton1_Click);
  on_click(2, &Form1::PushButton2_Click);
  on_click(3, &Form1::PushButton3_Click);
  on_click(4, &Form1::PushButton4_Click);
  on_click(5, &Form1::PushButton5_Click);
  on_click(6, &Form1::PushButton6_Click);
  on_click(7, &Form1::PushButton7_Click);
  on_click(8, &Form1::PushButton8_Click);
  on_click(13, &Form1::PushButton13_Click);
  on_click(17, &Form1::PushButton17_Click);

  for (int n : {1, 2})
    connect(options_[n], &QRadioButton::clicked, this, &Form1::comparisonClicked);
  for (int n : {3, 4, 5})
    connect(options_[n], &QRadioButton::clicked, this, &Form1::wordingClicked);
  for (int n : {6, 7}) connect(options_[n], &QRadioButton::clicked, this, &Form1::databaseClicked);
  // A selected option clears the others of its frame, however it was selected.
  for (int n = 1; n <= 7; ++n) {
    connect(options_[n], &QRadioButton::toggled, this, [this, n](bool on) {
      if (!on) return;
      for (int m = 1; m <= 7; ++m)
        if (m != n && options_[m]->parentWidget() == options_[n]->parentWidget())
          options_[m]->setChecked(false);
    });
  }
  connect(text1_, &QLineEdit::textChanged, this, &Form1::Text1_Change);
  text1_->installEventFilter(this);
  list_view1_->installEventFilter(this);
  list_view1_->viewport()->installEventFilter(this);
  list_view2_->viewport()->installEventFilter(this);
}

void Form1::setupPointerFeedback() {
  feedback_ = new PointerFeedback(pointer_, this);
  for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 13, 17}) feedback_->addButton(buttons_[n]);
  for (QWidget* w : std::initializer_list<QWidget*>{this, frames_[1], frames_[2], frames_[3],
                                                    list_view1_, list_view2_, text1_})
    feedback_->addSurface(w);
  for (int n = 1; n <= 7; ++n) PointerFeedback::addSilent(options_[n]);
  PointerFeedback::addSilent(progress_);
}

}  // namespace quorvane

#include "app/main_window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QUrl>
#include <limits>
#include <utility>

#include "app/caption_progress_bar.h"
#include "app/list_view.h"
#include "app/option_button.h"
#include "app/prompt.h"

namespace quorvane {
namespace {

// The window was laid out in twips: 15 to the pixel at 96 dots per inch.
QRect twips(int left, int top, int width, int height) {
  return QRect(left / 15, top / 15, width / 15, height / 15);
}

// A one-column list: every row has the same height and the view keeps nothing per row.
ListView* make_list_view(QWidget* parent, const char* name, TextListModel* model) {
  auto* view = new ListView(parent);
  view->setObjectName(QLatin1String(name));
  view->setModel(model);
  view->setTabKeyNavigation(false);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setToolTip(kListTooltip);
  return view;
}

}  // namespace

MainWindowEnvironment MainWindowEnvironment::desktop(const QString& folder) {
  MainWindowEnvironment env;
  env.programFolder = folder;
  env.drawOneToHundred = [] { return QRandomGenerator::global()->bounded(1, 101); };
  env.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  env.spreadsheetPresent = spreadsheet_program_present;
  env.newSpreadsheet = [] {
    // Where the spreadsheet program takes templates, the workbook opens untitled.
    return std::make_unique<XlsxSpreadsheet>(new_workbook_path(), open_in_desktop,
                                             spreadsheet_template_program_present(),
                                             QLocale().decimalPoint().toStdString());
  };
  return env;
}

MainWindow::MainWindow(MainWindowEnvironment env, QWidget* parent)
    : QWidget(parent),
      env_(std::move(env)),
      settings_(env_.settings ? nullptr : std::make_unique<SettingsStore>(env_.maxListEntries)),
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

MainWindow::~MainWindow() = default;

SettingsStore& MainWindow::settings() {
  if (!settings_) {
    // Asked once: when it fails, the window reads the store itself next time.
    if (const auto elsewhere = std::exchange(env_.settings, nullptr)) settings_ = elsewhere();
    if (!settings_) settings_ = std::make_unique<SettingsStore>(env_.maxListEntries);
  }
  return *settings_;
}

void MainWindow::buildControls() {
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

  zip_list_view_ = make_list_view(this, "ListView1", zip_list_);
  zip_list_view_->setGeometry(twips(120, 120, 7800, 1815));
  results_view_ = make_list_view(this, "ListView2", results_);
  results_view_->setGeometry(twips(8040, 1800, 7800, 2145));

  // The object names are the designer's: tests and the skin find the controls by them.
  auto make_button = [&](QWidget* parent, const char* name, const char* caption, QRect rect) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QLatin1String(name));
    b->setFont(button_font);
    b->setGeometry(rect);
    return b;
  };
  auto& b = buttons_;
  b.addZipCodes = make_button(this, "PushButton6", "Add Zip Codes", twips(120, 2020, 3840, 405));
  b.loadZipCodesFromFile =
      make_button(this, "PushButton3", "Load Zip Codes From File", twips(4080, 2020, 3840, 405));
  b.clearList = make_button(this, "PushButton1", "Clear List", twips(120, 2530, 3840, 405));
  b.loadSample = make_button(this, "PushButton7", "Load Sample/Example Zip Codes",
                             twips(4080, 2530, 3840, 405));
  b.startRun =
      make_button(this, "PushButton17", "Start Finding Distance", twips(8040, 1290, 7800, 405));
  b.saveResultsAsText =
      make_button(this, "PushButton4", "Save Results As Text File", twips(8040, 4040, 3840, 405));
  b.openResultsAsWorkbook = make_button(this, "PushButton13", "Save Results As Excel File",
                                        twips(12000, 4040, 3840, 405));
  b.copyResultsToClipboard =
      make_button(this, "PushButton5", "Copy Results To Clipboard", twips(8040, 4550, 3840, 405));
  b.clearResults = make_button(this, "PushButton2", "Clear Results", twips(12000, 4550, 3840, 405));

  auto make_frame = [&](const char* name, const char* caption, QRect rect) {
    auto* f = new QGroupBox(QString::fromLatin1(caption), this);
    f->setObjectName(QLatin1String(name));
    f->setGeometry(rect);
    f->setAutoFillBackground(true);
    f->setPalette(white);
    return f;
  };
  frames_.comparison = make_frame("Frame1", "Comparison Option", twips(120, 2970, 7800, 1065));
  frames_.wording = make_frame("Frame2", "Results", twips(120, 4080, 7800, 1395));
  frames_.table = make_frame("Frame3", "Database Option", twips(8040, 90, 7800, 1065));

  auto make_option = [&](QGroupBox* frame, const char* name, const char* caption, QRect rect) {
    auto* o = new OptionButton(QString::fromLatin1(caption), frame);
    o->setObjectName(QLatin1String(name));
    o->setAutoExclusive(false);
    o->setGeometry(rect);
    o->setAutoFillBackground(true);
    o->setBackgroundRole(QPalette::Window);
    o->setPalette(white);
    return o;
  };
  auto& o = options_;
  o.consecutiveMode =
      make_option(frames_.comparison, "Option1", "Find distance between each zip code in list",
                  twips(240, 300, 5535, 255));
  o.referenceMode = make_option(
      frames_.comparison, "Option2",
      "Find distance between each zip code in list and this zip code:", twips(240, 650, 5535, 255));
  o.sentenceWording = make_option(frames_.wording, "Option3", "Give results in sentence form",
                                  twips(240, 300, 7335, 255));
  o.zipsAndDistanceWording =
      make_option(frames_.wording, "Option4", "Give zips and distance", twips(240, 650, 7335, 255));
  o.distanceOnlyWording =
      make_option(frames_.wording, "Option5", "Give distance only", twips(240, 1000, 7335, 255));
  o.use2016Table =
      make_option(frames_.table, "Option7", "Use Database 2016", twips(240, 300, 2175, 255));
  o.use2012Table =
      make_option(frames_.table, "Option6", "Use Database 2012", twips(240, 650, 2055, 255));
  reference_zip_ = new QLineEdit(frames_.comparison);
  reference_zip_->setObjectName(QStringLiteral("Text1"));
  reference_zip_->setMaxLength(std::numeric_limits<int>::max());  // Qt's default stops at 32767
  reference_zip_->setGeometry(twips(5760, 570, 1215, 375));
  b.explainTables = make_button(frames_.table, "PushButton8", "?", twips(6840, 300, 720, 405));

  progress_ = new CaptionProgressBar(this);
  progress_->setObjectName(QStringLiteral("ProgressBar1"));
  progress_->setGeometry(twips(8040, 5070, 7800, 405));

  // Keyboard order as designed.
  QWidget* tab_order[] = {zip_list_view_,
                          results_view_,
                          b.addZipCodes,
                          b.loadZipCodesFromFile,
                          b.clearList,
                          b.startRun,
                          b.saveResultsAsText,
                          b.openResultsAsWorkbook,
                          b.clearResults,
                          progress_,
                          b.copyResultsToClipboard,
                          b.loadSample,
                          frames_.comparison,
                          o.consecutiveMode,
                          o.referenceMode,
                          frames_.wording,
                          o.zipsAndDistanceWording,
                          o.distanceOnlyWording,
                          o.sentenceWording,
                          reference_zip_,
                          frames_.table,
                          o.use2016Table,
                          o.use2012Table,
                          b.explainTables};
  for (std::size_t i = 1; i < std::size(tab_order); ++i)
    setTabOrder(tab_order[i - 1], tab_order[i]);
}

void MainWindow::connectControls() {
  auto on_click = [this](QPushButton* button, void (MainWindow::*handler)()) {
    connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
  };
  const Buttons& b = buttons_;
  on_click(b.clearList, &MainWindow::clearList);
  on_click(b.clearResults, &MainWindow::clearResults);
  on_click(b.loadZipCodesFromFile, &MainWindow::loadZipCodesFromFile);
  on_click(b.saveResultsAsText, &MainWindow::saveResultsAsText);
  on_click(b.copyResultsToClipboard, &MainWindow::copyResultsToClipboard);
  on_click(b.addZipCodes, &MainWindow::addZipCodes);
  on_click(b.loadSample, &MainWindow::loadSample);
  on_click(b.explainTables, &MainWindow::explainTables);
  on_click(b.openResultsAsWorkbook, &MainWindow::openResultsAsWorkbook);
  on_click(b.startRun, &MainWindow::startRun);

  const Options& o = options_;
  for (OptionButton* option : {o.consecutiveMode, o.referenceMode})
    connect(option, &QRadioButton::clicked, this, &MainWindow::storeComparisonMode);
  for (OptionButton* option : {o.sentenceWording, o.zipsAndDistanceWording, o.distanceOnlyWording})
    connect(option, &QRadioButton::clicked, this, &MainWindow::storeWording);
  for (OptionButton* option : {o.use2012Table, o.use2016Table})
    connect(option, &QRadioButton::clicked, this, &MainWindow::storeTableChoice);
  // A selected option clears the others of its frame, however it was selected.
  for (OptionButton* option : o.all()) {
    connect(option, &QRadioButton::toggled, this, [this, option](bool on) {
      if (!on) return;
      for (OptionButton* other : options_.all())
        if (other != option && other->parentWidget() == option->parentWidget())
          other->setChecked(false);
    });
  }
  connect(reference_zip_, &QLineEdit::textChanged, this, &MainWindow::storeReferenceZip);
  reference_zip_->installEventFilter(this);
  zip_list_view_->installEventFilter(this);
  zip_list_view_->viewport()->installEventFilter(this);
  results_view_->viewport()->installEventFilter(this);
}

void MainWindow::setupPointerFeedback() {
  feedback_ = new PointerFeedback(pointer_, this);
  const Buttons& b = buttons_;
  for (QPushButton* button : {b.clearList, b.clearResults, b.loadZipCodesFromFile,
                              b.saveResultsAsText, b.copyResultsToClipboard, b.addZipCodes,
                              b.loadSample, b.explainTables, b.openResultsAsWorkbook, b.startRun})
    feedback_->addButton(button);
  for (QWidget* w :
       std::initializer_list<QWidget*>{this, frames_.comparison, frames_.wording, frames_.table,
                                       zip_list_view_, results_view_, reference_zip_})
    feedback_->addSurface(w);
  for (OptionButton* option : options_.all()) PointerFeedback::addSilent(option);
  PointerFeedback::addSilent(progress_);
}

}  // namespace quorvane

// Start-up, persisted state, close, and the options panel.
#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QTableView>
#include <QUrl>
#include <cctype>
#include <string>
#include <vector>

#include "app/app_icon.h"
#include "app/caption_progress_bar.h"
#include "app/main_window.h"
#include "app/option_button.h"
#include "app/prompt.h"
#include "engine/error_trap.h"
#include "engine/regular_file.h"
#include "engine/text.h"

namespace quorvane {
namespace {

constexpr char kForm[] = "Form1";

// A path that exists, file or folder.
bool file_exists(const QString& path) {
  return !path.isEmpty() && QFileInfo::exists(path);
}

constexpr qint64 kMaxSkinBytes = 4 << 20;
// Qt's time to style the window grows with the rules, selectors and declarations of
// its style sheet (30,000 rules take a second); the shipped skin has fewer than 100.
constexpr qsizetype kMaxSkinParts = 10000;

// The rules, selectors and declarations of a style sheet, counted by the characters
// that open or part them.
qsizetype style_sheet_parts(const QByteArray& sheet) {
  return sheet.count('{') + sheet.count(',') + sheet.count(';');
}

// The files a style sheet's url() values name; pictures built into the program
// (":/...", "qrc:...") are no files.
std::vector<std::string> pictures_named(const QByteArray& sheet) {
  std::vector<std::string> files;
  const std::string text = sheet.toLower().toStdString();
  for (std::size_t at = text.find("url("); at != std::string::npos;
       at = text.find("url(", at + 4)) {
    std::size_t i = at + 4;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    const char quote = i < text.size() && (text[i] == '"' || text[i] == '\'') ? text[i++] : ')';
    const std::size_t end = text.find(quote, i);
    if (end == std::string::npos) break;
    std::string name = sheet.mid(static_cast<qsizetype>(i), static_cast<qsizetype>(end - i))
                           .trimmed()
                           .toStdString();
    if (!name.empty() && name[0] != ':' && name.rfind("qrc:", 0) != 0)
      files.push_back(std::move(name));
  }
  return files;
}

}  // namespace

void MainWindow::startUp() {
  Trap trap(kForm, "Form_Load");
  trap.line(102, [&] { applySkin(); });
  trap.line(106, [&] {
    setWindowTitle(kProductName);
    setWindowIcon(app_icon());
    set_application_title(title_from_product(kProductName));
  });
  const QString hand = env_.programFolder + QStringLiteral("/HAND-M.CUR");
  if (trap.test(108, [&] { return file_exists(hand); })) {
    trap.line(110, [&] {
      if (!pointer_.loadHand(hand))
        throw RuntimeError(481, "Invalid picture: " + hand.toStdString());
    });
  }
  trap.line(112, [&] {
    if (env_.drawOneToHundred && env_.drawOneToHundred() == 7 && env_.openUrl)
      env_.openUrl(QUrl(kHomePage));
  });
  trap.line(132, [&] { zip_list_view_->setColumnWidth(0, 7000 / 15); });
  trap.line(136, [&] { results_view_->setColumnWidth(0, 7000 / 15); });

  QString stored;
  trap.line(138, [&] { stored = settings_->read(QStringLiteral("Zip Codes")); });
  if (trap.test(140, [&] { return !stored.isEmpty(); })) {
    trap.line(142, [&] {
      for (const QString& piece : stored.split(QLatin1Char(';')))
        if (!piece.isEmpty()) zip_list_->append(piece.toStdString());
      zip_list_->flush();
    });
  }
  const Options& o = options_;
  OptionButton* const stored_in_order[] = {
      o.consecutiveMode,     o.referenceMode, o.sentenceWording, o.zipsAndDistanceWording,
      o.distanceOnlyWording, o.use2012Table,  o.use2016Table};
  // The settings keys count the options as the designer did, "Option1" to "Option7".
  for (int n = 1; n <= 7; ++n)
    restoreOption(stored_in_order[n - 1], QStringLiteral("Option%1").arg(n), 150 + 2 * n);
  trap.line(166, [&] {
    const QSignalBlocker quiet(reference_zip_);  // restoring is no change to store
    reference_zip_->setText(settings_->read(QStringLiteral("Text1")));
  });
  if (trap.test(168, [&] { return options_.referenceMode->isChecked(); })) {
    trap.line(170, [&] { reference_zip_->setEnabled(true); });
  } else if (trap.test(172, [&] { return options_.consecutiveMode->isChecked(); })) {
    trap.line(174, [&] { reference_zip_->setEnabled(false); });
  }
  if (!settings_->problem().isEmpty()) Prompt::instance().message(settings_->problem());
}

void MainWindow::restoreOption(OptionButton* option, const QString& key, int line) {
  Trap trap(kForm, "Form_Load");
  trap.line(line, [&] {
    const QString text = settings_->read(key);
    const auto on = truth_value(text);
    if (!on)
      throw RuntimeError(13, "Type mismatch: the setting " + key.toStdString() + " holds \"" +
                                 text.toStdString() + "\"");
    option->setChecked(*on);
  });
}

void MainWindow::applySkin() {
  const QString path = env_.programFolder + QStringLiteral("/x/o.cjs");
  const QFileInfo info(path);
  // A named pipe or a folder there is no skin, but it is reported, not passed over.
  if (!info.exists() || info.isHidden()) return;
  // The skin's frames and option buttons take the system's button face first.
  const QColor face = QApplication::palette().color(QPalette::Button);
  auto paint = [&](QWidget* w) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, face);
    w->setPalette(p);
  };
  paint(this);
  for (QGroupBox* frame : frames_.all()) paint(frame);
  for (OptionButton* option : options_.all()) paint(option);

  const std::string shown = "Cannot load the skin " + path.toStdString();
  QFile file;
  const int fd = open_regular_file(QFile::encodeName(path).toStdString(), shown);
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    throw RuntimeError(75, shown + ": " + file.errorString().toStdString());
  }
  if (file.size() > kMaxSkinBytes)
    throw RuntimeError(75, shown + ": at " + std::to_string(file.size()) +
                               " bytes it is too large for a style sheet (at most " +
                               std::to_string(kMaxSkinBytes) + " bytes, 4 MB)");
  const QByteArray sheet = file.read(kMaxSkinBytes);
  if (sheet.contains('\0')) throw RuntimeError(75, shown + ": it is not a style sheet");
  if (const qsizetype parts = style_sheet_parts(sheet); parts > kMaxSkinParts)
    throw RuntimeError(75, shown + ": with " + std::to_string(parts) +
                               " rules, selectors and declarations it is too large for a "
                               "style sheet (at most " +
                               std::to_string(kMaxSkinParts) + ")");
  // Qt opens the pictures the sheet names when it paints; a named pipe there would
  // freeze the window at its first paint.
  for (const std::string& picture : pictures_named(sheet)) {
    const std::string kind = irregular_kind(picture);
    if (!kind.empty())
      throw RuntimeError(
          75, shown + ": the picture " + picture + " it names is " + kind + ", not a regular file");
  }
  setStyleSheet(QString::fromUtf8(sheet));
  skin_applied_ = true;
}

void MainWindow::saveZipCodeList() {
  Trap trap(kForm, "Form_QueryUnload");
  std::string joined;
  trap.line(100, [&] {
    std::size_t total = 0;
    for (std::size_t i = 0; i < zip_list_->size(); ++i) total += zip_list_->text(i).size() + 1;
    joined.reserve(total);
  });
  trap.line(104, [&] {
    for (std::size_t i = 0; i < zip_list_->size(); ++i) {
      joined += zip_list_->text(i);
      joined += ';';
    }
  });
  trap.line(108, [&] {
    settings_->write(QStringLiteral("Zip Codes"), QString::fromStdString(joined));
    QString reason;
    if (!settings_->sync(&reason))
      throw RuntimeError(75, "Cannot save the zip code list to " +
                                 settings_->fileName().toStdString() + ": " + reason.toStdString());
  });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Whatever asked for it, the window closes: the list is saved and a run stops where
  // it is, showing nothing more.
  closing_ = true;
  saveZipCodeList();
  event->accept();
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_once_) return;
  shown_once_ = true;
  // Centred on the screen the first time it shows.
  if (const QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

void MainWindow::storeComparisonMode() {
  settings_->write(QStringLiteral("Option1"), truth_text(options_.consecutiveMode->isChecked()));
  settings_->write(QStringLiteral("Option2"), truth_text(options_.referenceMode->isChecked()));
  if (options_.referenceMode->isChecked())
    reference_zip_->setEnabled(true);
  else if (options_.consecutiveMode->isChecked())
    reference_zip_->setEnabled(false);
}

void MainWindow::storeWording() {
  settings_->write(QStringLiteral("Option3"), truth_text(options_.sentenceWording->isChecked()));
  settings_->write(QStringLiteral("Option4"),
                   truth_text(options_.zipsAndDistanceWording->isChecked()));
  settings_->write(QStringLiteral("Option5"),
                   truth_text(options_.distanceOnlyWording->isChecked()));
}

void MainWindow::storeTableChoice() {
  settings_->write(QStringLiteral("Option7"), truth_text(options_.use2016Table->isChecked()));
  settings_->write(QStringLiteral("Option6"), truth_text(options_.use2012Table->isChecked()));
}

void MainWindow::explainTables() {
  Trap trap(kForm, "PushButton8_Click");
  trap.line(100, [] {
    Prompt::instance().message(
        QStringLiteral("Database 2016 is the newer more accurate database."));
  });
}

void MainWindow::storeReferenceZip() {
  settings_->write(QStringLiteral("Text1"), reference_zip_->text());
}

void MainWindow::checkReferenceZip() {
  if (checking_reference_zip_) return;  // the message box itself takes the focus away
  const std::string t(trim_blanks(reference_zip_->text().toStdString()));
  if (t.empty() || isNumeric(zip_of_entry(t))) return;
  checking_reference_zip_ = true;
  Prompt::instance().message(QStringLiteral("Must be numeric."));
  reference_zip_->setText(QString());
  reference_zip_->setFocus();
  checking_reference_zip_ = false;
}

// The reference box is checked only when the user moves on to another control of this
// window: not when another window or a message box takes the focus, nor at close,
// which would throw away a text the user is still typing.
bool MainWindow::focusMovesToAnotherControl(const QFocusEvent& event) const {
  if (closing_) return false;
  switch (event.reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
      return false;
    default:
      break;
  }
  // The focus widget is already the one that takes the focus.
  const QWidget* next = QApplication::focusWidget();
  return next && next != reference_zip_ && next->window() == this;
}

bool MainWindow::isNumeric(std::string_view text) const {
  return is_numeric(text, decimal_separator_, group_separator_);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == reference_zip_ && event->type() == QEvent::FocusOut) {
    if (focusMovesToAnotherControl(*static_cast<QFocusEvent*>(event))) checkReferenceZip();
  } else if (watched == zip_list_view_ && event->type() == QEvent::KeyPress &&
             static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    removeSelectedZipCode();
    return true;
  } else if (event->type() == QEvent::MouseButtonDblClick) {
    for (QTableView* view : {zip_list_view_, results_view_}) {
      if (watched != view->viewport()) continue;
      // The item under the pointer is the one double-clicked, selected or not yet.
      const QModelIndex under =
          view->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      if (under.isValid()) view->setCurrentIndex(under);
      view == zip_list_view_ ? removeSelectedZipCode() : removeSelectedResult();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace quorvane

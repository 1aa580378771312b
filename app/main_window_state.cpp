// Start-up, persisted state, close, and the options panel.

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

#include "app/app_icon.h"
#include "app/caption_progress_bar.h"
#include "app/list_view.h"
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

  // A list stored as plain UTF-8 goes into the list as the rows split from the file's
  // own bytes, perhaps while the window was built.
  QString stored;
  std::optional<TextRows> rows;
  trap.line(138, [&] {
    rows = settings().takeListRows();
    if (!rows) stored = settings().read(QStringLiteral("Zip Codes"));
  });
  if (trap.test(140, [&] { return rows ? !rows->ends.empty() : !stored.isEmpty(); })) {
    trap.line(142, [&] {
      if (rows) {
        zip_list_->adoptRows(std::move(*rows));
      } else {
        for (const QString& piece : stored.split(QLatin1Char(';')))
          if (!piece.isEmpty()) zip_list_->append(piece.toStdString());
      }
      zip_list_->flushAsNewList();
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
    reference_zip_->setText(settings().read(QStringLiteral("Text1")));
  });
  if (trap.test(168, [&] { return options_.referenceMode->isChecked(); })) {
    trap.line(170, [&] { reference_zip_->setEnabled(true); });
  } else if (trap.test(172, [&] { return options_.consecutiveMode->isChecked(); })) {
    trap.line(174, [&] { reference_zip_->setEnabled(false); });
  }
  if (!settings().problem().isEmpty()) Prompt::instance().message(settings().problem());
}

void MainWindow::restoreOption(OptionButton* option, const QString& key, int line) {
  Trap trap(kForm, "Form_Load");
  trap.line(line, [&] {
    const QString text = settings().read(key);
    const auto on = truth_value(text);
    if (!on)
      throw RuntimeError(13, "Type mismatch: the setting " + key.toStdString() + " holds \"" +
                                 text.toStdString() + "\"");
    option->setChecked(*on);
  });
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
    settings().write(QStringLiteral("Zip Codes"), QString::fromStdString(joined));
    QString reason;
    if (!settings().sync(&reason))
      throw RuntimeError(75, "Cannot save the zip code list to " +
                                 settings().fileName().toStdString() + ": " + reason.toStdString());
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
  settings().write(QStringLiteral("Option1"), truth_text(options_.consecutiveMode->isChecked()));
  settings().write(QStringLiteral("Option2"), truth_text(options_.referenceMode->isChecked()));
  if (options_.referenceMode->isChecked())
    reference_zip_->setEnabled(true);
  else if (options_.consecutiveMode->isChecked())
    reference_zip_->setEnabled(false);
}

void MainWindow::storeWording() {
  settings().write(QStringLiteral("Option3"), truth_text(options_.sentenceWording->isChecked()));
  settings().write(QStringLiteral("Option4"),
                   truth_text(options_.zipsAndDistanceWording->isChecked()));
  settings().write(QStringLiteral("Option5"),
                   truth_text(options_.distanceOnlyWording->isChecked()));
}

void MainWindow::storeTableChoice() {
  settings().write(QStringLiteral("Option7"), truth_text(options_.use2016Table->isChecked()));
  settings().write(QStringLiteral("Option6"), truth_text(options_.use2012Table->isChecked()));
}

void MainWindow::explainTables() {
  Trap trap(kForm, "PushButton8_Click");
  trap.line(100, [] {
    Prompt::instance().message(
        QStringLiteral("Database 2016 is the newer more accurate database."));
  });
}

void MainWindow::storeReferenceZip() {
  settings().write(QStringLiteral("Text1"), reference_zip_->text());
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
    for (ListView* view : {zip_list_view_, results_view_}) {
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

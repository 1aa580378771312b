// The result commands: text file, workbook, clipboard, clearing and removing results.
#include "app/caption_progress_bar.h"
#include "app/main_window.h"
#include "app/prompt.h"
#include "engine/error_trap.h"
#include "output/clipboard.h"
#include "output/text_export.h"

namespace quorvane {
namespace {

constexpr char kForm[] = "Form1";

}  // namespace

void MainWindow::saveResultsAsText() {
  Trap trap(kForm, "PushButton4_Click");
  QString path;
  trap.line(104,
            [&] { path = Prompt::instance().saveFile(QStringLiteral("Save"), kTextFileFilter); });
  if (path.isEmpty()) return;
  pointer_.set(PointerShape::Hourglass);
  trap.line(110, [&] {
    Yielder yield;
    save_aligned_text(*results_, path, progress_, yield);
  });
  pointer_.set(PointerShape::Arrow);
}

bool MainWindow::spreadsheetProgramInstalled() {
  const bool present = env_.spreadsheetPresent && env_.spreadsheetPresent();
  if (!present)
    Prompt::instance().message(QStringLiteral(
        "Excel is not installed on this computer. You need to have it installed to use this "
        "software without error."));
  return present;
}

void MainWindow::openResultsAsWorkbook() {
  Trap trap(kForm, "PushButton13_Click");
  if (!spreadsheetProgramInstalled()) {
    Prompt::instance().message(QStringLiteral(
        "Excel is not installed on this computer. You need to have it installed to use this "
        "feature."));
    return;
  }
  if (results_->size() == 0) return;
  // List row r goes to sheet row r + 1, below the header row; unchecked rows keep their
  // (empty) sheet rows, so the last checked row decides whether the sheet is big enough.
  std::size_t last_checked = results_->size();
  while (last_checked > 0 && !results_->isChecked(last_checked - 1)) --last_checked;
  if (last_checked + 1 > kSheetRows) {
    Prompt::instance().message(
        QStringLiteral("The last checked result would go to row %1 of the worksheet, but a "
                       "worksheet has %2 rows: the header and %3 results. Clear the check marks "
                       "past result %3, or save the results as a text file instead.")
            .arg(last_checked + 1)
            .arg(kSheetRows)
            .arg(kSheetRows - 1));
    return;
  }
  pointer_.set(PointerShape::Hourglass);
  std::unique_ptr<Spreadsheet> sheet;
  QString error;
  bool ok = false;
  trap.line(110, [&] {
    sheet = env_.newSpreadsheet ? env_.newSpreadsheet() : nullptr;
    ok = sheet && sheet->addWorkbook(&error);
    // A workbook that cannot be made is reported once, and nothing more is tried.
    if (!ok)
      throw RuntimeError(429, error.isEmpty() ? "Cannot create the workbook" : error.toStdString());
  });
  bool written = false;
  if (ok) {
    trap.line(114, [&] {
      Yielder yield;
      try {
        write_sheet(*results_, *sheet, yield);
        written = true;
      } catch (const ListChanged& e) {
        trap.fail(e.line(), e.what());  // and the half-written workbook is not shown
      }
    });
  }
  if (written) {
    trap.line(172, [&] {
      if (!sheet->show(&error)) throw RuntimeError(1004, error.toStdString());
    });
  }
  pointer_.set(PointerShape::Arrow);
}

void MainWindow::copyResultsToClipboard() {
  Trap trap(kForm, "PushButton5_Click");
  bool copied = false;
  trap.line(100, [&] {
    Yielder yield;
    copy_checked_rows(*results_, yield);
    copied = true;
  });
  // After a report, saying the results were copied would not be true.
  if (!copied) return;
  trap.line(102, [] {
    Prompt::instance().message(
        QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where "
                       "you normally type and press Ctrl+V to paste the clipboard."));
  });
}

void MainWindow::clearResults() {
  Trap trap(kForm, "PushButton2_Click");
  trap.line(100, [&] { results_->clear(); });
}

}  // namespace quorvane

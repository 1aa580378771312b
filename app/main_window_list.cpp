// The zip code list commands.
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <cstdio>

#include "app/list_file.h"
#include "app/list_view.h"
#include "app/main_window.h"
#include "app/prompt.h"
#include "engine/error_trap.h"
#include "engine/regular_file.h"
#include "engine/text.h"

namespace quorvane {
namespace {

constexpr char kForm[] = "Form1";

// "67108865 bytes (64.0 MB)": the exact size, and a readable one beside it.
std::string byte_count_text(qint64 bytes) {
  char mb[32];
  std::snprintf(mb, sizeof mb, "%.1f", static_cast<double>(bytes) / (1 << 20));
  return std::to_string(bytes) + " bytes (" + mb + " MB)";
}

// The selected row of a list view, or -1.
int selected_row(ListView* view) {
  const QModelIndexList rows = view->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

}  // namespace

void MainWindow::addZipCodes() {
  Trap trap(kForm, "PushButton6_Click");
  QString answer;
  trap.line(100, [&] {
    answer = Prompt::instance().input(QStringLiteral("Enter zip code to add: "),
                                      QStringLiteral("Add Zip Code"));
  });
  if (answer.isEmpty()) return;
  trap.line(104, [&] {
    std::string entry = answer.toStdString();
    const bool cut = entry.size() > std::size_t(kMaxEntryBytes);
    if (cut) {
      // Cut at the start of a character, never inside one.
      std::size_t end = kMaxEntryBytes;
      while (end > 0 && (static_cast<unsigned char>(entry[end]) & 0xC0) == 0x80) --end;
      entry.resize(end);
    }
    zip_list_->append(std::move(entry));
    zip_list_->flush();
    if (cut)
      Prompt::instance().message(
          QStringLiteral("The zip code typed is longer than an entry of the list may be "
                         "(%1 bytes, 1 MB): only its first %2 bytes were added.")
              .arg(kMaxEntryBytes)
              .arg(zip_list_->text(zip_list_->size() - 1).size()));
  });
}

void MainWindow::loadZipCodesFromFile() {
  Trap trap(kForm, "PushButton3_Click");
  QStringList chosen;
  trap.line(100, [&] {
    chosen = Prompt::instance().openFiles(
        QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files"), kTextFileFilter);
  });
  if (chosen.isEmpty()) return;
  pointer_.set(PointerShape::Hourglass);
  if (chosen.size() == 1) {
    trap.line(110, [&] { loadListFile(chosen.first()); });
  } else {
    // The dialog gives each file's whole path; taken apart and joined again, a name
    // holding a backslash would name another file.
    for (const QString& path : chosen) trap.line(116, [&] { loadListFile(path); });
  }
  pointer_.set(PointerShape::Arrow);
}

void MainWindow::loadListFile(const QString& path) {
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) {
    Prompt::instance().message(QStringLiteral("File not found"));
    return;
  }
  const std::string shown = path.toStdString();
  if (info.isDir()) throw RuntimeError(75, "Cannot read " + shown + ": it is a folder");
  QFile file;
  const int fd = open_regular_file(QFile::encodeName(path).toStdString(), "Cannot read " + shown);
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    throw RuntimeError(75, "Cannot read " + shown + ": " + file.errorString().toStdString());
  }
  if (file.size() > kMaxListFileBytes)
    throw RuntimeError(7, "Cannot read " + shown + ": at " + byte_count_text(file.size()) +
                              " it is too large for a list of zip codes (at most " +
                              byte_count_text(kMaxListFileBytes) + ")");
  const QByteArray bytes = file.read(kMaxListFileBytes + 1);
  if (file.error() != QFileDevice::NoError)
    throw RuntimeError(57, "Cannot read " + shown + ": " + file.errorString().toStdString());
  file.close();

  // No yield while loading: a close or another command in the middle would see half a
  // file (and a million lines take a fraction of a second). The list is bounded by
  // entries as well as bytes: a file of line ends alone is millions of empty entries.
  struct Flush {
    TextListModel* list;
    ~Flush() { list->flush(); }
  } flush_at_end{zip_list_};
  const bool text = split_list_entries(bytes, [&](std::string&& e) {
    if (zip_list_->size() >= env_.maxListEntries)
      throw RuntimeError(7, "Cannot read all of " + shown + ": the zip code list holds at most " +
                                std::to_string(env_.maxListEntries) +
                                " entries; the entries before that were added");
    zip_list_->append(std::move(e));
  });
  if (!text)
    throw RuntimeError(62, "Cannot read " + shown +
                               ": it is not a text file (a NUL byte follows the entries read)");
}

void MainWindow::loadSample() {
  Trap trap(kForm, "PushButton7_Click");
  trap.line(100, [&] {
    zip_list_->append("03053");
    zip_list_->append("92018");
    zip_list_->flush();
  });
  trap.line(104, [&] { reference_zip_->setText(QStringLiteral("60628")); });
}

void MainWindow::clearList() {
  Trap trap(kForm, "PushButton1_Click");
  if (trap.test(100, [&] { return !pointer_.busy(); })) trap.line(102, [&] { zip_list_->clear(); });
  trap.line(106, [&] { reference_zip_->setText(QString()); });
}

void MainWindow::removeSelectedZipCode() {
  if (pointer_.busy() || zip_list_->size() == 0) return;
  const int row = selected_row(zip_list_view_);
  if (row >= 0) zip_list_->removeAt(static_cast<std::size_t>(row));
}

void MainWindow::removeSelectedResult() {
  if (pointer_.busy() || results_->size() == 0) return;
  const int row = selected_row(results_view_);
  if (row >= 0) results_->removeAt(static_cast<std::size_t>(row));
}

}  // namespace quorvane

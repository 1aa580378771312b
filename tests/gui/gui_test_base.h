#pragma once
// One fixture for the window's tests: a fresh settings store and program folder (with
// the shipped database), scripted dialogs that must all be used, and widgets found by
// their designer names.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QUrl>
#include <map>
#include <memory>

#include "app/main_window.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/test_db.h"

namespace quorvane::test {

// Records what the workbook export asks of the spreadsheet program.
struct FakeSpreadsheet : Spreadsheet {
  std::map<std::pair<int, int>, std::string>* cells;
  int* shown;
  bool fail_to_add = false;
  FakeSpreadsheet(std::map<std::pair<int, int>, std::string>* c, int* s) : cells(c), shown(s) {}
  bool addWorkbook(QString* error) override {
    if (fail_to_add) *error = QStringLiteral("Cannot create the workbook /nowhere/book.xlsx");
    return !fail_to_add;
  }
  void setCell(int r, int c, std::string_view t) override { (*cells)[{r, c}] = std::string(t); }
  void autofitColumns() override {}
  bool show(QString*) override {
    ++*shown;
    return true;
  }
};

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The settings store as it is before the window starts, or after it closed.
  void store(const QString& key, const QString& value);
  QString stored(const QString& key);
  bool isStored(const QString& key);
  QString settingsFile() const;

  MainWindow& start();
  MainWindow& form() { return *window_; }
  template <class T>
  T* widget(const char* name) {
    T* w = window_->findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void click(const char* name) { widget<QAbstractButton>(name)->click(); }
  // Runs `action` on the event loop's `pass`-th pass from now: a command given while a
  // long one yields. The window must have started; the timer goes with it.
  void onPass(int pass, std::function<void()> action);
  QString programFile(const QString& name) const { return program_folder_ + "/" + name; }
  QString tempFile(const char* name) const { return QString::fromStdString(dir_.file(name)); }
  std::vector<std::string> entries() { return form().zipList().texts(); }
  std::vector<std::string> results() { return form().results().texts(); }

  TempDir dir_;
  QString program_folder_;
  ScriptedPrompt prompt;
  int draw = 50;
  std::vector<QUrl> opened_urls;
  bool spreadsheet_present = true;
  bool spreadsheet_fails = false;
  int spreadsheets_made = 0;
  int spreadsheets_shown = 0;
  std::size_t max_list_entries = MainWindowEnvironment{}.maxListEntries;
  unsigned run_threads = 0;
  bool settings_apart = false;  // the store read on a thread of its own, as at a real start
  std::map<std::pair<int, int>, std::string> sheet_cells;

 private:
  std::unique_ptr<MainWindow> window_;
};

}  // namespace quorvane::test

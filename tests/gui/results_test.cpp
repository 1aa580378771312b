#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QTest>

#include "app/caption_progress_bar.h"
#include "app/list_view.h"
#include "tests/gui/controls.h"
#include "tests/gui/gui_test_base.h"

namespace quorvane::test {
namespace {

class ResultsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    start();
  }
  void add(const char* line, bool checked = true) {
    form().results().append(line, checked);
    form().results().flush();
  }
};

const QString kCopied =
    "Results have been copied to the clipboard.\r\rClick a text area where you normally type "
    "and press Ctrl+V to paste the clipboard.";

TEST_F(ResultsTest, TextFileOfTheCheckedRows) {
  add("10.5 miles");
  add("skipped but long", false);
  add("7 miles");
  const QString path = tempFile("results");
  prompt.expectSaveFile(path);
  click(kSaveText);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().toStdString(),
            "Results         \t\r\n10.5 miles      \t\r\n7 miles         \t\r\n");
  EXPECT_EQ(form().pointer().shape(), PointerShape::Arrow);
  EXPECT_EQ(form().progressBar().text(), "Progress Bar");
  EXPECT_EQ(form().results().size(), 3u);
}

TEST_F(ResultsTest, CancelledSaveWritesNothingAndKeepsThePointer) {
  add("x");
  form().pointer().set(PointerShape::Hand);
  prompt.expectSaveFile("");
  click(kSaveText);
  EXPECT_EQ(form().pointer().shape(), PointerShape::Hand);
}

TEST_F(ResultsTest, UnwritablePathIsReportedOnce) {
  for (int i = 0; i < 5000; ++i) add("Distance between 03053 and 92018 is 2556.52 miles");
  prompt.expectSaveFile(tempFile("no/such/folder/r.txt")).expectErrorReport("at line 156");
  click(kSaveText);
  EXPECT_EQ(form().pointer().shape(), PointerShape::Arrow);
  EXPECT_EQ(form().progressBar().progressValue(), 0);
}

TEST_F(ResultsTest, WorkbookGetsTheCheckedRows) {
  add("first");
  add("second", false);
  add("third");
  click(kSaveWorkbook);
  const std::map<std::pair<int, int>, std::string> expected = {
      {{1, 1}, "Results"}, {{2, 1}, "first"}, {{4, 1}, "third"}};
  EXPECT_EQ(sheet_cells, expected);
  EXPECT_EQ(form().pointer().shape(), PointerShape::Arrow);
}

TEST_F(ResultsTest, SheetRowLimitCountsUpToTheLastCheckedResult) {
  // As many results as the sheet has rows: one too many with the header above them.
  for (std::size_t i = 0; i < kSheetRows; ++i) form().results().append("x", i == 0);
  form().results().flush();
  click(kSaveWorkbook);  // only the first is checked: it fits
  const std::map<std::pair<int, int>, std::string> expected = {{{1, 1}, "Results"}, {{2, 1}, "x"}};
  EXPECT_EQ(sheet_cells, expected);
  form().results().setChecked(kSheetRows - 1, true);
  prompt.expectMessage(
      "The last checked result would go to row 1048577 of the worksheet, but a worksheet has "
      "1048576 rows: the header and 1048575 results. Clear the check marks past result "
      "1048575, or save the results as a text file instead.");
  click(kSaveWorkbook);
  EXPECT_EQ(spreadsheets_made, 1);
}

TEST_F(ResultsTest, NoSpreadsheetProgramGivesTwoMessages) {
  spreadsheet_present = false;
  add("x");
  prompt
      .expectMessage(
          "Excel is not installed on this computer. You need to have it installed to "
          "use this software without error.")
      .expectMessage(
          "Excel is not installed on this computer. You need to have it installed to "
          "use this feature.");
  click(kSaveWorkbook);
  EXPECT_EQ(spreadsheets_made, 0);
}

TEST_F(ResultsTest, EmptyResultsMakeNoWorkbook) {
  click(kSaveWorkbook);
  EXPECT_EQ(spreadsheets_made, 0);
}

TEST_F(ResultsTest, WorkbookThatCannotBeMadeIsReportedOnce) {
  spreadsheet_fails = true;
  for (int i = 0; i < 100; ++i) add("x");
  prompt.expectErrorReport("Cannot create the workbook");
  click(kSaveWorkbook);
  EXPECT_TRUE(sheet_cells.empty());
  EXPECT_EQ(form().pointer().shape(), PointerShape::Arrow);
}

TEST_F(ResultsTest, CopyPutsCheckedRowsOnTheClipboard) {
  add("a  ");
  add("b", false);
  add("  c");
  prompt.expectMessage(kCopied);
  click(kCopyResults);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "a\r\n  c\r\n");
  EXPECT_EQ(form().results().size(), 3u);
}

TEST_F(ResultsTest, CopyOfAnEmptyListStillSaysSo) {
  QGuiApplication::clipboard()->setText("before");
  prompt.expectMessage(kCopied);
  click(kCopyResults);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "before");
}

TEST_F(ResultsTest, ClearAndDoubleClick) {
  click(kClearResults);  // nothing to clear
  add("one");
  add("two");
  add("three");
  auto* view = widget<ListView>(kResultList);
  view->setCurrentIndex(view->model()->index(1, 0));
  form().pointer().set(PointerShape::Hourglass);
  form().removeSelectedResult();
  EXPECT_EQ(results().size(), 3u);
  form().pointer().set(PointerShape::Arrow);
  form().removeSelectedResult();
  EXPECT_EQ(results(), (std::vector<std::string>{"one", "three"}));
  click(kClearResults);
  EXPECT_TRUE(results().empty());
}

TEST_F(ResultsTest, UnchecksByTheUserAreRespected) {
  add("one");
  add("two");
  auto* model = widget<ListView>(kResultList)->model();
  model->setData(model->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
  prompt.expectMessage(kCopied);
  click(kCopyResults);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "two\r\n");
}

}  // namespace
}  // namespace quorvane::test

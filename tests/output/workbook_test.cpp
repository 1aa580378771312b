#include "workbook.h"

#include <gtest/gtest.h>
#include <unzip.h>

#include <QFile>
#include <map>
#include <regex>

#include "table_source.h"
#include "test_db.h"

namespace quorvane {
namespace {

// Records the automation calls, for the layout rules.
struct FakeSheet : Spreadsheet {
  std::map<std::pair<int, int>, std::string> cells;
  int fits = 0;
  bool addWorkbook(QString*) override { return true; }
  void setCell(int r, int c, std::string_view t) override { cells[{r, c}] = std::string(t); }
  void autofitColumns() override { ++fits; }
  bool show(QString*) override { return true; }
};

TEST(SheetLayout, RowsKeepTheirPlaces) {
  test::TableSource list;
  list.headers = {"Results"};
  list.add({"first"});
  list.add({"second"}, false);
  list.add({"=third"});
  FakeSheet sheet;
  Yielder yield;
  write_sheet(list, sheet, yield);
  const std::map<std::pair<int, int>, std::string> expected = {
      {{1, 1}, "Results"}, {{2, 1}, "first"}, {{4, 1}, "=third"}};
  EXPECT_EQ(sheet.cells, expected);
  EXPECT_EQ(sheet.fits, 1);
}

TEST(SheetLayout, EmptyFirstLineWritesNoHeader) {
  test::TableSource list;
  list.headers = {"Results"};
  list.add({""});
  list.add({"x"});
  FakeSheet sheet;
  Yielder yield;
  write_sheet(list, sheet, yield);
  const std::map<std::pair<int, int>, std::string> expected = {{{3, 1}, "x"}};
  EXPECT_EQ(sheet.cells, expected);
}

TEST(SheetLayout, EmptyTextsMoveLaterTextsLeftAndEqualsSignsGoFromColumnTwo) {
  test::TableSource list;
  list.headers = {"A", "B", "C"};
  list.add({"a=b", "", "c=d"});
  list.add({"x", "=", "y"});
  FakeSheet sheet;
  Yielder yield;
  write_sheet(list, sheet, yield);
  const std::map<std::pair<int, int>, std::string> expected = {
      {{1, 1}, "A"}, {{1, 2}, "C"}, {{2, 1}, "a=b"}, {{2, 2}, "cd"},
      {{3, 1}, "x"}, {{3, 2}, ""},  {{3, 3}, "y"}};
  EXPECT_EQ(sheet.cells, expected);
}

std::string read_zip_entry(const std::string& zip, const char* name) {
  unzFile z = unzOpen(zip.c_str());
  if (!z) return {};
  std::string out;
  if (unzLocateFile(z, name, 0) == UNZ_OK && unzOpenCurrentFile(z) == UNZ_OK) {
    char buf[4096];
    int n;
    while ((n = unzReadCurrentFile(z, buf, sizeof buf)) > 0) out.append(buf, n);
    unzCloseCurrentFile(z);
  }
  unzClose(z);
  return out;
}

TEST(XlsxWorkbook, WritesTextCellsAndFitsColumns) {
  test::TempDir dir;
  const std::string path = dir.file("book.xlsx");
  QString opened;
  XlsxSpreadsheet sheet(QString::fromStdString(path), [&](const QString& p) {
    opened = p;
    return true;
  });
  test::TableSource list;
  list.headers = {"Results"};
  list.add({"Distance between 03053 and 92018 is 2556.12 miles"});
  list.add({"skipped"}, false);
  list.add({"=1+1"});
  QString error;
  ASSERT_TRUE(sheet.addWorkbook(&error));
  Yielder yield;
  write_sheet(list, sheet, yield);
  ASSERT_TRUE(sheet.show(&error)) << error.toStdString();
  EXPECT_EQ(opened.toStdString(), path);

  const std::string xml = read_zip_entry(path, "xl/worksheets/sheet1.xml");
  ASSERT_FALSE(xml.empty());
  EXPECT_NE(xml.find(R"(<c r="A1" t="inlineStr"><is><t>Results</t></is></c>)"), std::string::npos)
      << xml;
  EXPECT_NE(xml.find("<c r=\"A2\" t=\"inlineStr\"><is><t>Distance between 03053 and 92018 is "
                     "2556.12 miles</t></is></c>"),
            std::string::npos);
  EXPECT_EQ(xml.find("r=\"A3\""), std::string::npos);
  EXPECT_NE(xml.find(R"(<c r="A4" t="inlineStr"><is><t>=1+1</t></is></c>)"), std::string::npos);
  EXPECT_EQ(xml.find("<f>"), std::string::npos);  // text, never a formula
  EXPECT_TRUE(std::regex_search(xml, std::regex(R"(<col min="1" max="1" width="5[0-9.]+")")))
      << xml;
}

TEST(XlsxWorkbook, TemplateKeepsTheSheetAndSaysTemplate) {
  test::TempDir dir;
  const std::string path = dir.file("book.xlsx");
  QString opened;
  XlsxSpreadsheet sheet(
      QString::fromStdString(path),
      [&](const QString& p) {
        opened = p;
        return true;
      },
      true);
  test::TableSource list;
  list.headers = {"Results"};
  for (int i = 0; i < 3000; ++i) list.add({"Distance between 03053 and 92018 is 2556.52 miles"});
  QString error;
  ASSERT_TRUE(sheet.addWorkbook(&error));
  Yielder yield;
  write_sheet(list, sheet, yield);
  ASSERT_TRUE(sheet.show(&error)) << error.toStdString();
  EXPECT_EQ(opened.toStdString(), dir.file("book.xltx"));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
  const std::string types = read_zip_entry(dir.file("book.xltx"), "[Content_Types].xml");
  EXPECT_NE(types.find("spreadsheetml.template.main+xml"), std::string::npos) << types;
  EXPECT_EQ(types.find("spreadsheetml.sheet.main+xml"), std::string::npos);
  const std::string xml = read_zip_entry(dir.file("book.xltx"), "xl/worksheets/sheet1.xml");
  EXPECT_NE(xml.find("<c r=\"A3001\" t=\"inlineStr\">"), std::string::npos);
  EXPECT_FALSE(read_zip_entry(dir.file("book.xltx"), "xl/workbook.xml").empty());
}

TEST(XlsxWorkbook, UnwritableWorkbookFailsOnce) {
  test::TempDir dir;
  XlsxSpreadsheet sheet(QString::fromStdString(dir.file("no/such/dir/book.xlsx")),
                        [](const QString&) { return true; });
  QString error;
  if (sheet.addWorkbook(&error)) {
    sheet.setCell(1, 1, "x");
    EXPECT_FALSE(sheet.show(&error));
  }
  EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace quorvane

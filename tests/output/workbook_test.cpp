#include "output/workbook.h"

#include <gtest/gtest.h>
#include <unzip.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <map>
#include <regex>

#include "output/xlsx_library.h"
#include "tests/output/table_source.h"
#include "tests/support/test_db.h"

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

namespace quorvane {
namespace {

// The style index of a cell and the number format code of a style, from the parts.
std::string cell_xml(const std::string& sheet, const std::string& ref) {
  std::smatch m;
  const std::regex cell("<c r=\"" + ref + "\"[^>]*>.*?</c>");
  return std::regex_search(sheet, m, cell) ? m.str() : std::string();
}

std::string format_code_of_style(const std::string& styles, int style) {
  std::smatch m;
  if (!std::regex_search(styles, m, std::regex("<cellXfs[^>]*>(.*?)</cellXfs>"))) return {};
  const std::string xfs = m[1];
  const std::regex xf("<xf numFmtId=\"([0-9]+)\"");
  std::sregex_iterator it(xfs.begin(), xfs.end(), xf), end;
  for (int i = 0; it != end && i < style; ++i) ++it;
  if (it == end) return {};
  const std::string id = (*it)[1];
  if (!std::regex_search(styles, m,
                         std::regex("<numFmt numFmtId=\"" + id + "\" formatCode=\"([^\"]*)\"")))
    return {};
  return m[1];
}

struct Written {
  std::string sheet, styles;
};

Written write_lines(const std::vector<std::string>& lines, const std::string& separator) {
  test::TempDir dir;
  const std::string path = dir.file("book.xlsx");
  XlsxSpreadsheet sheet(
      QString::fromStdString(path), [](const QString&) { return true; }, false, separator);
  test::TableSource list;
  list.headers = {"Results"};
  for (const auto& l : lines) list.add({l});
  QString error;
  EXPECT_TRUE(sheet.addWorkbook(&error));
  Yielder yield;
  write_sheet(list, sheet, yield);
  EXPECT_TRUE(sheet.show(&error)) << error.toStdString();
  return {read_zip_entry(path, "xl/worksheets/sheet1.xml"), read_zip_entry(path, "xl/styles.xml")};
}

TEST(XlsxWorkbook, DistanceOnlyLinesAreNumbersThatShowTheLine) {
  struct Row {
    const char* line;
    const char* value;   // empty: stays a text
    const char* format;  // the number format that shows the line
  };
  const Row rows[] = {
      {"2556.52 miles", "2556.52", "0.00&quot; miles&quot;"},
      {"10.5 miles", "10.5", "0.0&quot; miles&quot;"},
      {"7 miles", "7", "0&quot; miles&quot;"},
      {"0 miles", "0", "0&quot; miles&quot;"},
      {"=1+1", "", ""},
      {"2556.520 miles", "", ""},
      {"02556.52 miles", "", ""},
      {"2556.52 miles ", "", ""},
      {" 2556.52 miles", "", ""},
      {"2556.5 Miles", "", ""},
      {"1e3 miles", "", ""},
      {"-5 miles", "", ""},
      {"2556,52 miles", "", ""},
      {"Distance between 03053 and 92018 is 2556.52 miles", "", ""},
  };
  std::vector<std::string> lines;
  for (const auto& r : rows) lines.push_back(r.line);
  const Written w = write_lines(lines, ".");
  EXPECT_EQ(w.sheet.find("<f>"), std::string::npos);  // never a formula
  int ref = 2;
  for (const auto& r : rows) {
    const std::string cell = cell_xml(w.sheet, "A" + std::to_string(ref++));
    if (*r.value == '\0') {
      EXPECT_NE(cell.find(" t=\"inlineStr\""), std::string::npos) << r.line << ": " << cell;
      continue;
    }
    std::smatch m;
    ASSERT_TRUE(std::regex_search(cell, m, std::regex("s=\"([0-9]+)\"><v>([^<]*)</v>")))
        << r.line << ": " << cell;
    EXPECT_EQ(m[2], r.value) << r.line;
    EXPECT_EQ(format_code_of_style(w.styles, std::stoi(m[1])), r.format) << r.line;
  }
}

TEST(XlsxWorkbook, DistanceLinesFollowTheUsersDecimalSeparator) {
  const Written w = write_lines({"2556,52 miles", "2556.52 miles"}, ",");
  EXPECT_NE(cell_xml(w.sheet, "A2").find("<v>2556.52</v>"), std::string::npos) << w.sheet;
  EXPECT_NE(cell_xml(w.sheet, "A3").find(" t=\"inlineStr\""), std::string::npos) << w.sheet;
}

// Environment variables set for one test and put back after it.
class Env {
 public:
  void set(const char* name, const QByteArray& value) {
    saved_.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
    value.isNull() ? qunsetenv(name) : qputenv(name, value);
  }
  ~Env() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
      it->was_set ? qputenv(it->name, it->value) : qunsetenv(it->name);
  }

 private:
  struct Saved {
    const char* name;
    QByteArray value;
    bool was_set;
  };
  std::vector<Saved> saved_;
};

TEST(WorkbookFolder, OwnFolderUnderTheCacheNeverTheCurrentOne) {
  test::TempDir dir;
  const QString cache = QString::fromStdString(dir.file("cache"));
  const QString here = QString::fromStdString(dir.file("here"));
  QDir().mkpath(here);
  Env env;
  env.set("XDG_CACHE_HOME", QFile::encodeName(cache));
  env.set("TMPDIR", "/no/such/folder");
  env.set("XDG_RUNTIME_DIR", QByteArray());
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(here));

  const QString folder = workbook_folder();
  EXPECT_EQ(folder, cache + "/quorvane/workbooks");
  // A workbook from two days ago goes at the next export; today's stays.
  const QString old_one = folder + "/Quorvane results old.xltx";
  const QString new_one = folder + "/Quorvane results new.xltx";
  for (const QString& f : {old_one, new_one}) test::write_file(f.toStdString(), "PK");
  QFile old_file(old_one);
  ASSERT_TRUE(old_file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(old_file.setFileTime(QDateTime::currentDateTime().addDays(-2),
                                   QFileDevice::FileModificationTime));
  old_file.close();

  const QString path = new_workbook_path();
  EXPECT_TRUE(path.startsWith(folder + "/")) << path.toStdString();
  EXPECT_FALSE(QFile::exists(old_one));
  EXPECT_TRUE(QFile::exists(new_one));

  // Written there, scratch files and all; and removed at once when it cannot be opened.
  XlsxSpreadsheet sheet(path, [](const QString&) { return false; });
  QString error;
  ASSERT_TRUE(sheet.addWorkbook(&error)) << error.toStdString();
  sheet.setCell(1, 1, "x");
  EXPECT_FALSE(sheet.show(&error));
  EXPECT_FALSE(QFile::exists(path));
  EXPECT_TRUE(QDir(here).isEmpty());
  QDir::setCurrent(before);
}

TEST(WorkbookFolder, NoFolderMeansNoWorkbook) {
  XlsxSpreadsheet sheet(QString(), [](const QString&) { return true; });
  QString error;
  EXPECT_FALSE(sheet.addWorkbook(&error));
  EXPECT_TRUE(error.contains("cache or runtime folder")) << error.toStdString();
}

// The writer is loaded when first needed: a library that is missing or is another one
// is named in the reason, and the one the program was built with loads.
TEST(XlsxWorkbook, WriterLibraryLoadsOrSaysWhy) {
  for (const char* file : {"libquorvane-no-such-writer.so.0", "libz.so.1"}) {
    QString error;
    EXPECT_EQ(XlsxLibrary::load(file, &error), nullptr);
    EXPECT_TRUE(error.startsWith(
        QStringLiteral("the workbook writer %1 cannot be loaded (").arg(QLatin1String(file))))
        << error.toStdString();
  }
  QString error;
  EXPECT_NE(XlsxLibrary::get(&error), nullptr) << error.toStdString();
}

}  // namespace
}  // namespace quorvane

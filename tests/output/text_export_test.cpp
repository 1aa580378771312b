#include "output/text_export.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>

#include "tests/output/table_source.h"
#include "tests/support/test_db.h"

namespace quorvane {
namespace {

struct RecordingProgress : Progress {
  std::vector<std::pair<double, std::string>> log;
  void setProgressValue(double v) override { log.push_back({v, ""}); }
  void setProgressText(const QString& t) override { log.push_back({-1, t.toStdString()}); }
};

QByteArray export_bytes(const ListSource& list, Progress* progress = nullptr) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  Yielder yield;
  QString error;
  int line = 0;
  EXPECT_TRUE(write_spaced(list, buffer, progress, "Writing file: r.txt", yield, &error, &line));
  return buffer.data();
}

test::TableSource results(std::vector<std::pair<std::string, bool>> rows) {
  test::TableSource t;
  t.headers = {"Results"};
  for (auto& [text, on] : rows) t.add({text}, on);
  return t;
}

TEST(TextExport, ExactBytes) {
  struct Row {
    const char* name;
    test::TableSource list;
    const char* bytes;
  };
  test::TableSource two_columns;
  two_columns.headers = {"Zip", "Miles"};
  two_columns.add({"03053", "7"});
  two_columns.add({"1", "12436.2"}, false);
  two_columns.add({"92018", ""});
  const Row rows[] = {
      {"worked example", results({{"10.5 miles", true}, {"7 miles", true}}),
       "Results   \t\r\n10.5 miles\t\r\n7 miles   \t\r\n"},
      {"empty list", results({}), "Results\t\r\n"},
      {"all unchecked", results({{"Distance is long", false}, {"x", false}}),
       "Results         \t\r\n"},
      {"trailing spaces kept", results({{"a  ", true}, {"  b", true}}),
       "Results\t\r\na      \t\r\n  b    \t\r\n"},
      {"a non-ASCII cell is padded by its characters",
       results({{"M\xC3\xABtz 5 miles", true}, {"ab", true}}),
       "Results     \t\r\nM\xC3\xABtz 5 miles\t\r\nab          \t\r\n"},
      {"a shorter non-ASCII cell is padded by its characters",
       results({{"M\xC3\xABtz", true}, {"long enough", true}}),
       "Results    \t\r\nM\xC3\xABtz       \t\r\nlong enough\t\r\n"},
      {"two columns", two_columns, "Zip  \tMiles  \t\r\n03053\t7      \t\r\n92018\t       \t\r\n"},
  };
  for (const auto& r : rows) EXPECT_EQ(export_bytes(r.list).toStdString(), r.bytes) << r.name;
}

TEST(TextExport, ProgressSequence) {
  auto list = results({{"a", true}, {"b", false}, {"c", true}, {"d", true}});
  RecordingProgress p;
  export_bytes(list, &p);
  const std::vector<std::pair<double, std::string>> expected = {
      {1, ""},  {-1, "Writing file: r.txt"}, {10, ""}, {-1, "Writing file: r.txt"},
      {20, ""}, {-1, "Writing file: r.txt"}, {25, ""}, {75, ""},
      {100, ""}};
  EXPECT_EQ(p.log, expected);
}

TEST(TextExport, EveryThousandthCheckedRowNamesItsNumber) {
  test::TableSource list;
  list.headers = {"Results"};
  for (int i = 1; i <= 4000; ++i) list.add({"r"}, i != 2000);
  RecordingProgress p;
  export_bytes(list, &p);
  std::vector<std::string> captions;
  double top = 0;
  for (const auto& [v, t] : p.log) {
    if (v < 0 && t != "Writing file: r.txt") captions.push_back(t);
    top = std::max(top, v);
  }
  EXPECT_EQ(captions,
            (std::vector<std::string>{"Writing file: r.txt (1000)", "Writing file: r.txt (3000)",
                                      "Writing file: r.txt (4000)"}));
  EXPECT_EQ(top, 100.0);  // (4000 + 2) / 4000 would pass the top
}

class SaveToPath : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::CapturedReports reports;
  RecordingProgress progress;
  Yielder yield;
  test::TableSource list = results({{"a", true}, {"b", true}});
};

TEST_F(SaveToPath, WritesAndReplacesTheFile) {
  const QString path = QString::fromStdString(dir.file("r.txt"));
  test::write_file(dir.file("r.txt"), "old contents that are longer");
  EXPECT_TRUE(save_aligned_text(list, path, &progress, yield));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().toStdString(), "Results\t\r\na      \t\r\nb      \t\r\n");
  ASSERT_GE(progress.log.size(), 4u);
  const auto n = progress.log.size();
  EXPECT_EQ(progress.log[n - 4], (std::pair<double, std::string>{100, ""}));
  EXPECT_EQ(progress.log[n - 3], (std::pair<double, std::string>{-1, "Done."}));
  EXPECT_EQ(progress.log[n - 2], (std::pair<double, std::string>{0, ""}));
  EXPECT_EQ(progress.log[n - 1], (std::pair<double, std::string>{-1, "Progress Bar"}));
  EXPECT_EQ(reports.size(), 0u);
}

TEST_F(SaveToPath, UnwritablePathIsReportedOnce) {
  for (const std::string& bad : {dir.file("no/such/folder/r.txt"), dir.path()}) {
    reports.clear();
    progress.log.clear();
    EXPECT_FALSE(save_aligned_text(list, QString::fromStdString(bad), &progress, yield));
    ASSERT_EQ(reports.size(), 1u) << bad;
    EXPECT_EQ(reports.reports()[0].location, "Brisholt2021/08/31.Main.SaveListviewProperlySpaced");
    EXPECT_NE(reports.reports()[0].description.find(bad), std::string::npos);
    EXPECT_EQ(progress.log.back(), (std::pair<double, std::string>{-1, "Progress Bar"}));
  }
}

TEST_F(SaveToPath, FullDiskIsReportedAndLeavesTheOldFile) {
  if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  QFile full("/dev/full");
  ASSERT_TRUE(full.open(QIODevice::WriteOnly));
  test::TableSource big;
  big.headers = {"Results"};
  for (int i = 0; i < 20000; ++i) big.add({"Distance between 03053 and 92018 is 2556.12 miles"});
  QString error;
  int line = 0;
  EXPECT_FALSE(write_spaced(big, full, nullptr, "x", yield, &error, &line));
  EXPECT_EQ(line, 222);
  EXPECT_EQ(error.toStdString(), "No space left on device");
}

TEST_F(SaveToPath, FileInAFolderNoneMayWriteIsRewrittenInPlace) {
  // The folder takes no new file (so no temporary one), but the file itself is writable.
  const std::string folder = dir.file("locked"), file = dir.file("locked/r.txt");
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  test::write_file(file, "old");
  ASSERT_EQ(chmod(file.c_str(), 0666), 0);
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  auto save = [&] {
    return save_aligned_text(list, QString::fromStdString(file), nullptr, yield) &&
           reports.size() == 0;
  };
  if (geteuid() == 0) {
    // The folder's permissions do not bind the superuser: save as nobody.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(setgid(65534) == 0 && setuid(65534) == 0 && save() ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  } else {
    EXPECT_TRUE(save());
  }
  QFile f(QString::fromStdString(file));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().toStdString(), "Results\t\r\na      \t\r\nb      \t\r\n");
  chmod(folder.c_str(), 0755);
}

}  // namespace
}  // namespace quorvane

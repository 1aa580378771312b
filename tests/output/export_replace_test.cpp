// Saving over an existing results file: what the old file's owner set up is kept, and
// a save that cannot be completed leaves the old file whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <functional>

#include "output/text_export.h"
#include "tests/output/table_source.h"
#include "tests/support/test_db.h"

namespace quorvane {
namespace {

constexpr char kNew[] = "Results\t\r\na      \t\r\nb      \t\r\n";

class Replace : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::CapturedReports reports;
  Yielder yield;
  test::TableSource list;
  std::string path = dir.file("r.txt");

  void SetUp() override {
    list.headers = {"Results"};
    list.add({"a"});
    list.add({"b"});
  }
  bool save() { return save_aligned_text(list, QString::fromStdString(path), nullptr, yield); }
  std::string contents(const std::string& p) {
    QFile f(QString::fromStdString(p));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "(missing)";
  }
  // Runs `body` as the user nobody (in a child process when this one is the superuser,
  // whom permissions do not bind); true when it returned true.
  static bool as_nobody(const std::function<bool()>& body) {
    if (geteuid() != 0) return body();
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) _exit(setgid(65534) == 0 && setuid(65534) == 0 && body() ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
};

TEST_F(Replace, KeepsTheModeAndOwner) {
  test::write_file(path, "old");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  const bool can_chown = geteuid() == 0;
  if (can_chown) {
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
  }
  EXPECT_TRUE(save());
  EXPECT_EQ(contents(path), kNew);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (can_chown) {
    EXPECT_EQ(st.st_uid, 65534u);
  }
  EXPECT_EQ(reports.size(), 0u);
}

TEST_F(Replace, AFileWithoutWriteBitIsNotReplaced) {
  for (mode_t mode : {0444, 0400, 0000}) {
    reports.clear();
    test::write_file(path, "kept");
    ASSERT_EQ(chmod(path.c_str(), mode), 0);
    EXPECT_FALSE(save()) << mode;
    ASSERT_EQ(reports.size(), 1u) << mode;
    EXPECT_EQ(reports.reports()[0].line, 156);
    EXPECT_NE(reports.reports()[0].description.find("Permission denied"), std::string::npos)
        << reports.reports()[0].description;
    chmod(path.c_str(), 0644);
    EXPECT_EQ(contents(path), "kept");
  }
}

TEST_F(Replace, AFileWithOtherNamesIsWrittenInPlace) {
  test::write_file(path, "old");
  const std::string other = dir.file("other-name.txt");
  ASSERT_EQ(link(path.c_str(), other.c_str()), 0);
  EXPECT_TRUE(save());
  EXPECT_EQ(contents(path), kNew);
  EXPECT_EQ(contents(other), kNew);
}

// Where no file can be made beside it, the old file is rewritten in place only once the
// space for the new content is reserved; refused, the old file is left as it was.
TEST_F(Replace, InPlaceWithoutRoomLeavesTheOldFile) {
  const std::string folder = dir.file("locked");
  path = folder + "/r.txt";
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const std::string old(3000, 'o');
  test::write_file(path, old);
  ASSERT_EQ(chmod(path.c_str(), 0666), 0);
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  for (int i = 0; i < 2000; ++i) list.add({"Distance between 03053 and 92018 is 2556.52 miles"});
  // The file may not grow past 4,096 bytes: as a full disk, for this file only.
  const bool refused = as_nobody([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
    return !save() && reports.size() == 1 && reports.reports()[0].line == 232 &&
           reports.reports()[0].description.find("File too large") != std::string::npos;
  });
  EXPECT_TRUE(refused);
  EXPECT_EQ(contents(path), old);
  chmod(folder.c_str(), 0755);
}

}  // namespace
}  // namespace quorvane

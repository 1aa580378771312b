// quorvane-cli against hostile inputs: entries whose cut reads as another number,
// tables that are too large or odd, files the kernel makes up, unbounded input.
#include "tests/cli/cli_fixture.h"

namespace quorvane::test {
namespace {

class Hostile : public ::testing::Test {
 protected:
  TempDir dir_;
  std::string db_ = dir_.file("zips.db");

  void SetUp() override {
    const std::vector<std::string> rows = {
        "'03053', 42.8681, -71.3998", "'06062', 41.6736, -72.8596", "'60628', 41.6934, -87.6132",
        "'12345', 42.8142, -73.9396"};
    make_zip_db(db_, rows, rows);
  }
  Outcome cli(std::vector<std::string> args, std::string input = {}) {
    args.push_back("--db");
    args.push_back(db_);
    return run_cli({std::move(args), std::move(input), Stdout::Capture, {}});
  }
  std::string line(const std::string& zip1, const std::string& zip2) {
    return cli({"distance", zip1, zip2, "--database", "2012"}).out;
  }
};

// An entry cut to five characters is compared by its cut, except where a sign, a
// decimal point or an exponent in the cut makes it another number than the entry.
TEST_F(Hostile, ACutThatReadsAsAnotherNumberIsNoZipCode) {
  struct Case {
    const char* entry;
    const char* cut;
    bool shifted;
  } cases[] = {
      {"+60628", "+6062", true},  {"6.0628e4", "6.062", true}, {"-60628", "-6062", true},
      {"1.5e10", "1.5e1", true},  {"+6062", "+6062", false},   {"6062.0", "6062.", false},
      {"123456", "12345", false}, {"60628.5", "60628", false}, {" +6062 ", "+6062", false},
  };
  for (const Case& c : cases) {
    const std::string missing = "No details found for zip code: " + std::string(c.cut) + "\n";
    const Outcome after = cli({"run", "--database", "2012"}, "03053\n" + std::string(c.entry));
    EXPECT_EQ(after.out, c.shifted ? missing : line("03053", c.cut)) << c.entry;
    const Outcome before = cli({"run", "--database", "2012"}, std::string(c.entry) + "\n03053");
    EXPECT_EQ(before.out, c.shifted ? missing : line(c.cut, "03053")) << c.entry;
    const Outcome reference = cli({"run", "--database", "2012", "--reference", c.entry}, "60628\n");
    EXPECT_EQ(reference.out, c.shifted ? missing : line("60628", c.cut)) << c.entry;
  }
  // Two shifted cuts of the same text are no 0-mile pair.
  EXPECT_EQ(cli({"run", "--database", "2012"}, "+60628\n+60629\n").out,
            "No details found for zip code: +6062\n");
}

// Files the kernel makes up as they are read are refused by name, before any read: a
// read of /proc/kmsg would block for ever.
TEST_F(Hostile, FilesOfTheKernelsFileSystemsAreRefused) {
  for (const std::string file :
       {"/proc/self/status", "/proc/kmsg", "/sys/kernel/mm/transparent_hugepage/enabled"}) {
    struct Case {
      std::vector<std::string> args;
      std::string message;
    } cases[] = {
        {{"run", file}, "Cannot read " + file + ": it is "},
        {{"matrix", file}, "Cannot read " + file + ": it is "},
        {{"distance", "03053", "60628", "--db", file},
         "Cannot read the zip code database " + file + ": it is "},
        {{"info", "--db", file}, file + ": it is "},
    };
    for (const Case& c : cases) {
      const Outcome r = run_cli({c.args, {}, Stdout::Capture, {}});
      EXPECT_NE(r.status, 0) << file;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
      EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
    }
  }
}

}  // namespace
}  // namespace quorvane::test

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
    const char* reference = nullptr;  // --reference reads a spreadsheet's number as a zip code
  } cases[] = {
      {"+60628", "+6062", true},  {"6.0628e4", "6.062", true}, {"-60628", "-6062", true},
      {"1.5e10", "1.5e1", true},  {"+6062", "+6062", false},   {"6062.0", "6062.", false, "06062"},
      {"123456", "12345", false}, {"60628.5", "60628", false}, {" +6062 ", "+6062", false},
  };
  for (const Case& c : cases) {
    const std::string missing = "No details found for zip code: " + std::string(c.cut) + "\n";
    const Outcome after = cli({"run", "--database", "2012"}, "03053\n" + std::string(c.entry));
    EXPECT_EQ(after.out, c.shifted ? missing : line("03053", c.cut)) << c.entry;
    const Outcome before = cli({"run", "--database", "2012"}, std::string(c.entry) + "\n03053");
    EXPECT_EQ(before.out, c.shifted ? missing : line(c.cut, "03053")) << c.entry;
    const Outcome reference = cli({"run", "--database", "2012", "--reference", c.entry}, "60628\n");
    EXPECT_EQ(reference.out, c.shifted ? missing : line("60628", c.reference ? c.reference : c.cut))
        << c.entry;
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

// One table, one answer: every command refuses what one of them refuses, and finds
// what one of them finds.
TEST_F(Hostile, EveryCommandAnswersATableAlike) {
  const std::string schema =
      "CREATE TABLE zip_code (zip_code INTEGER, lattitude REAL, longitude REAL);"
      "CREATE TABLE zip_code2016 (zip_code TEXT, lattitude REAL, longitude REAL);";
  const std::string two =
      "INSERT INTO zip_code2016 VALUES ('03053', 42.8681, -71.3998),"
      "('92018', 33.1581, -117.3506);";
  struct Case {
    const char* name;
    std::string sql;
    std::string refusal;  // empty: the table is read, and the pair has its distance
    // Whether `distance`, which reads only the rows of its two zip codes, meets it.
    bool distance_sees = true;
  } cases[] = {
      {"more rows than any zip code table",
       two + "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 2000000)"
             " INSERT INTO zip_code2016 SELECT 'x', 1, 1 FROM c;",
       "it has more than 2000000 rows"},
      {"a zip code far too long",
       two + "INSERT INTO zip_code2016 VALUES (printf('%.*c', 300, '9'), 1, 1);",
       "the zip_code of row 3 is 300 bytes long", false},
      {"a coordinate far too long",
       "INSERT INTO zip_code2016 VALUES ('03053', printf('4%.*c', 999, 'x'), 1);" + two,
       "the lattitude of row 1 is 1000 bytes long"},
      {"zip codes stored as BLOBs",
       "INSERT INTO zip_code2016 VALUES (CAST('03053' AS BLOB), 42.8681, -71.3998),"
       "(CAST('92018' AS BLOB), 33.1581, -117.3506);",
       ""},
  };
  for (const Case& c : cases) {
    const std::string db = dir_.file(std::string(c.name) + ".db");
    make_sqlite(db, schema + c.sql);
    auto call = [&](std::vector<std::string> args, std::string input = {}) {
      args.insert(args.end(), {"--db", db});
      return run_cli({std::move(args), std::move(input), Stdout::Capture, {}});
    };
    const Outcome distance = call({"distance", "03053", "92018"});
    const Outcome run = call({"run"}, "03053\n92018\n");
    const Outcome nearest = call({"nearest", "42.8", "-71.3"});
    const Outcome info = call({"info"});
    if (c.refusal.empty()) {
      EXPECT_EQ(distance.status, 0) << c.name << distance.err;
      EXPECT_EQ(distance.out, "Distance between 03053 and 92018 is 2555.89 miles\n") << c.name;
      EXPECT_EQ(run.out, distance.out) << c.name;
      EXPECT_EQ(run.status, 0) << c.name;
      continue;
    }
    std::vector<const Outcome*> refused = {&run, &nearest};
    if (c.distance_sees) refused.push_back(&distance);
    for (const Outcome* r : refused) {
      EXPECT_EQ(r->status, 2) << c.name << r->out;
      EXPECT_NE(r->err.find(c.refusal), std::string::npos) << c.name << ": " << r->err;
      EXPECT_EQ(r->err.find("could not be found"), std::string::npos) << c.name << r->err;
    }
    EXPECT_NE((info.out + info.err).find(c.refusal), std::string::npos) << c.name << info.out;
  }
}

TEST_F(Hostile, NearestWithoutAnyPositionSaysSo) {
  const std::string db = dir_.file("nowhere.db");
  make_zip_db(db, {"3053, 0, 0"}, {"'03053', 0, 0", "'92018', NULL, -117.35", "'60628', 'x', 1"});
  for (const char* table : {"2012", "2016"}) {
    const Outcome r =
        run_cli({{"nearest", "1", "1", "--database", table, "--db", db}, {}, Stdout::Capture, {}});
    EXPECT_EQ(r.status, 1) << table;
    EXPECT_EQ(r.out, "") << table;
    EXPECT_NE(r.err.find("no zip code has a position"), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace quorvane::test

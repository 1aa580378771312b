// quorvane-cli lookup, find and --places, against a small database that build_zipdb
// writes from made-up tables.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "tests/cli/cli_process.h"
#include "tests/cli/csv_lines.h"
#include "tests/support/test_db.h"

namespace quorvane::test {
namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Made-up tables: three post-office-box zip codes on one point, a military zip code
// with zero coordinates in the 2012 table only, accented names, a quoted place name.
class Places : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<TempDir>();
    write_file(dir_->file("2012.csv"),
               "zip_code,lattitude,longitude\n01001,42.06,-72.61\n34001,0,0\n"
               "60601,41.88,-87.62\n");
    write_file(dir_->file("2016.csv"),
               "zip_code,lattitude,longitude\n01001,42.06,-72.61\n60601,41.8858,-87.6181\n"
               "60690,41.8119,-87.6873\n60691,41.8119,-87.6873\n60699,41.8119,-87.6873\n"
               "62701,39.8,-89.65\n65801,37.21,-93.29\n81212,38.44,-105.24\n"
               "87532,35.99,-106.08\n");
    write_file(dir_->file("sources.tsv"), "table\tsource\tvintage\tlicence\n");
    write_file(dir_->file("places.csv"),
               "zip_code,place,state,county,county_fips,tables,kind,accuracy\n"
               "01001,Agawam,MA,Hampden,25013,2012+2016,zcta,\n"
               "34001,Apo,AA,,,2012,none,\n"
               "60601,Chicago,IL,Cook,17031,2012+2016,zcta,\n"
               "60690,Chicago,IL,Cook,17031,2016,postal,4\n"
               "60691,Chicago,IL,Cook,17031,2016,postal,4\n"
               "60699,\"Chicago \"\"Loop\"\"\",IL,Cook,17031,2016,postal,1\n"
               "62701,Springfield,IL,Sangamon,17167,2016,zcta,\n"
               "65801,Springfield,MO,Greene,29077,2016,zcta,\n"
               "81212,Cañon City,CO,Fremont,08043,2016,zcta,\n"
               "87532,Española,NM,Rio Arriba,35039,2016,zcta,\n");
    ASSERT_EQ(build(db(), "places.csv"), 0);
    ASSERT_EQ(build(bare(), ""), 0);
  }
  static void TearDownTestSuite() { dir_.reset(); }

  // build_zipdb on the made-up tables; its exit status.
  static int build(const std::string& out, const std::string& places) {
    const std::string d = dir_->path() + "/";
    const std::string cmd = std::string(QUORVANE_BUILD_ZIPDB) + " " + d + "2012.csv " + d +
                            "2016.csv " + d + "sources.tsv " + out +
                            (places.empty() ? "" : " " + d + places) + " >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  static int build_with(const std::string& places_csv, const std::string& out) {
    write_file(dir_->file("try.csv"), places_csv);
    return build(out, "try.csv");
  }
  static std::string dir_path() { return dir_->path(); }
  static std::string db() { return dir_->file("places.db"); }
  static std::string bare() { return dir_->file("bare.db"); }  // the same without places
  static std::string file(const std::string& name, const std::string& bytes) {
    write_file(dir_->file(name), bytes);
    return dir_->file(name);
  }

  static Outcome cli(std::vector<std::string> args, const std::string& database = db(),
                     std::string input = {}) {
    args.insert(args.end(), {"--db", database});
    return run_cli({std::move(args), std::move(input), Stdout::Capture, {}});
  }

 private:
  static inline std::unique_ptr<TempDir> dir_;
};

TEST_F(Places, SharedPointCountsAndKinds) {
  const Outcome o = cli({"lookup", "--format", "csv", "60690", "60601", "34001", "60699"});
  EXPECT_EQ(o.status, 0) << o.err;
  const auto lines = lines_of(o.out);
  ASSERT_EQ(lines.size(), 5u) << o.out;
  EXPECT_EQ(lines[0],
            "zip,place,state,county,county_fips,kind,shared,lat2016,lon2016,lat2012,lon2012,"
            "status\r");
  EXPECT_EQ(lines[1], "60690,Chicago,IL,Cook,17031,postal:4,2,41.8119,-87.6873,,,\r");
  EXPECT_EQ(lines[2], "60601,Chicago,IL,Cook,17031,zcta,0,41.8858,-87.6181,41.88,-87.62,\r");
  EXPECT_EQ(lines[3], "34001,Apo,AA,,,none,,,,0,0,\r");
  EXPECT_EQ(lines[4],
            "60699,\"Chicago \"\"Loop\"\"\",IL,Cook,17031,postal:1,2,41.8119,-87.6873,,,\r");
}

TEST_F(Places, LookupKeepsEveryRowAndCleansAsSpreadsheetsWrite) {
  const std::string list = file("list.txt", "'60601\n99999\nabc\n\n60601-1234\n");
  const Outcome o = cli({"lookup", "--format", "csv", "--file", list});
  EXPECT_EQ(o.status, 1);
  const auto lines = lines_of(o.out);
  ASSERT_EQ(lines.size(), 6u) << o.out;
  EXPECT_EQ(lines[1].substr(0, 14), "60601,Chicago,");
  EXPECT_EQ(lines[2], "99999,,,,,,,,,,,not-in-table\r");
  EXPECT_EQ(lines[3], "abc,,,,,,,,,,,not-a-zip\r");
  EXPECT_EQ(lines[4], ",,,,,,,,,,,not-a-zip\r");
  EXPECT_EQ(lines[5], lines[1]);
  EXPECT_TRUE(contains(o.err, "1 not-in-table (first: '99999'), 2 not-a-zip")) << o.err;
  EXPECT_EQ(lines_of(o.err).size(), 1u);

  const Outcome piped = cli({"lookup", "-", "--format", "jsonl"}, db(), "60601\n");
  EXPECT_EQ(piped.out,
            "{\"zip\":\"60601\",\"place\":\"Chicago\",\"state\":\"IL\",\"county\":\"Cook\","
            "\"county_fips\":\"17031\",\"kind\":\"zcta\",\"shared\":0,\"lat2016\":41.8858,"
            "\"lon2016\":-87.6181,\"lat2012\":41.88,\"lon2012\":-87.62,\"status\":null}\n");
  EXPECT_EQ(cli({"lookup", "60690"}).out,
            "60690: Chicago, IL; county Cook 17031; postal:4, shared with 2 other zip codes; "
            "2016 41.8119 -87.6873\n");
}

TEST_F(Places, FindIgnoresCaseAccentsAndPunctuation) {
  struct Row {
    std::vector<std::string> args;
    std::vector<std::string> zips;  // empty: none found, exit 1
  };
  const Row rows[] = {
      {{"Springfield"}, {"62701", "65801"}},
      {{"springfield, il"}, {"62701"}},
      {{"SPRINGFIELD", "--state", "mo"}, {"65801"}},
      {{"Springfield ,MO", "--state", "MO"}, {"65801"}},
      {{"canon city"}, {"81212"}},
      {{"CAÑON CITY"}, {"81212"}},
      {{"Cana\xCC\x83on City"}, {}},  // a combining tilde on another letter is no match
      {{"Can\xCC\x83on  City"}, {"81212"}},
      {{"espanola, nm"}, {"87532"}},
      {{"chicago", "--county", "COOK"}, {"60601", "60690", "60691"}},
      {{"chicago loop"}, {"60699"}},
      {{"apo", "--state", "AA"}, {"34001"}},
      {{"Springfield, TX"}, {}},
      {{"Springfield", "--county", "Cook"}, {}},
  };
  for (const Row& r : rows) {
    std::vector<std::string> args = {"find", "--format", "csv"};
    args.insert(args.end(), r.args.begin(), r.args.end());
    const Outcome o = cli(args);
    std::vector<std::string> zips;
    for (const std::string& line : lines_of(o.out)) zips.push_back(line.substr(0, 5));
    if (!zips.empty()) zips.erase(zips.begin());  // the header
    EXPECT_EQ(zips, r.zips) << r.args[0];
    EXPECT_EQ(o.status, r.zips.empty() ? 1 : 0) << r.args[0];
    EXPECT_EQ(o.err.empty(), !r.zips.empty()) << r.args[0] << o.err;
  }
}

TEST_F(Places, UsageErrors) {
  // The longest argument the system passes to a program (MAX_ARG_STRLEN, 128 KiB); a
  // 1 MB one never reaches it.
  const std::string mb((128 << 10) - 1, '6');
  const std::vector<std::vector<std::string>> rows = {
      {"find", ""},
      {"find", "  , IL"},
      {"find", "..."},
      {"find", "Springfield", "--state", "ILL"},
      {"find", "Springfield", "--state", "I1"},
      {"find", "Springfield", "--state", ""},
      {"find", "Springfield, Illinois"},
      {"find", "Springfield, IL", "--state", "MO"},
      {"find", mb},
      {"find", "Springfield", "--county", mb},
      {"lookup", mb},
  };
  for (const auto& args : rows) {
    const Outcome o = cli(args);
    EXPECT_EQ(o.status, 2) << args[1].substr(0, 40);
    EXPECT_EQ(lines_of(o.err).size(), 1u) << o.err.substr(0, 200);
    EXPECT_EQ(o.out, "");
  }
}

// Each command with --places, and without it the same bytes as on the database without
// a places table.
TEST_F(Places, PlacesColumnsAndOutputsUnchangedWithoutThem) {
  const std::string list = file("pairs.txt", "60690\n60601\n99999\n");
  // A column named as a place column: a JSON key of its own with --places.
  const std::string table = file("table.csv", "from_place,zip\nx,60690\ny,abc\n");
  const std::string customers = file("customers.tsv", "name\tzip\nann\t60690\nbob\t99999\n");
  const std::string stores = file("stores.csv", "zip,store\n60601,Loop\n");
  struct Row {
    std::vector<std::string> args;
    std::string first_line, part;  // of the output with --places
  };
  const Row rows[] = {
      {{"run", "--format", "csv", list},
       "zip1,zip2,miles,status,from_place,from_state,from_kind,to_place,to_state,to_kind\r",
       ",,not-in-table,Chicago,IL,zcta,,,\r\n"},
      {{"run", list},
       "Distance between 60690 (Chicago, IL) and 60601 (Chicago, IL) is 6.23 miles",
       "No details found for zip code: 99999\n"},
      {{"run", "--wording", "zips", "--format", "text", list}, "", "60690 (Chicago, IL) to 60601"},
      {{"run", "--wording", "distance", list}, "6.23 miles", ""},
      {{"within", "60601", "10", "--format", "csv"},
       "zip1,zip2,miles,status,from_place,from_state,from_kind,to_place,to_state,to_kind\r",
       ",Chicago,IL,zcta,\"Chicago \"\"Loop\"\"\",IL,shared:2\r\n"},
      {{"nearest", "41.8", "-87.7", "--count", "1", "--format", "csv"},
       "zip,lat,lon,miles,place,state,kind\r",
       ",Chicago,IL,shared:2\r\n"},
      {{"nearest", "41.8", "-87.7", "--count", "1"}, "60690 (Chicago, IL): 1.05 miles", ""},
      {{"matrix", list}, ",place,state,kind,60690,60601,99999\r", "\n99999,,,,,,0\r\n"},
      {{"tables", "--differ", "0", "--format", "csv"},
       "kind,zip,lat2012,lon2012,lat2016,lon2016,miles,place,state,point_kind\r",
       "only-2012,34001,,,,,,Apo,AA,none\r\n"},
      {{"tables", "--differ", "0"}, "", "\n34001 (Apo, AA)\n"},
      {{"augment", table, "--from", "zip", "--to-zip", "60601"},
       "from_place,zip,miles,status,from_zip,to_zip,from_place,from_state,from_kind,to_place,"
       "to_state,to_kind\r",
       "\r\ny,abc,,not-a-zip,,60601,,,,Chicago,IL,zcta\r\n"},
      {{"augment", table, "--from", "zip", "--to-zip", "60601", "--format", "jsonl"},
       "",
       "{\"from_place_2\":\"x\",\"zip\":\"60690\",\"miles\":6.23,\"status\":\"\",\"from_zip\":"
       "\"60690\",\"to_zip\":\"60601\",\"from_place\":\"Chicago\",\"from_state\":\"IL\","
       "\"from_kind\":\"shared:2\",\"to_place\":\"Chicago\",\"to_state\":\"IL\",\"to_kind\":"
       "\"zcta\"}\n"},
      {{"assign", customers, "--to", stores, "--from", "zip"},
       "name\tzip\trank\tstore_zip\tstore\tmiles\tstatus\tfrom_place\tfrom_state\tfrom_kind\t"
       "to_place\tto_state\tto_kind\r",
       "ann\t60690\t1\t60601\tLoop\t6.23\t\tChicago\tIL\tshared:2\tChicago\tIL\tzcta\r\n"
       "bob\t99999\t\t\t\t\tnot-in-table\t\t\t\t\t\t\r\n"},
  };
  for (const Row& r : rows) {
    const Outcome plain = cli(r.args), bare_db = cli(r.args, bare());
    EXPECT_EQ(plain.out, bare_db.out) << r.args[0];
    EXPECT_EQ(plain.status, bare_db.status) << r.args[0];
    std::vector<std::string> args = r.args;
    args.push_back("--places");
    const Outcome placed = cli(args);
    EXPECT_EQ(placed.status, plain.status) << r.args[0] << placed.err;
    EXPECT_EQ(lines_of(placed.out).size(), lines_of(plain.out).size()) << r.args[0];
    if (!r.first_line.empty()) {
      EXPECT_EQ(lines_of(placed.out).at(0), r.first_line);
    }
    EXPECT_TRUE(contains(placed.out, r.part)) << r.args[0] << "\n" << placed.out;

    // A database without places: one message, exit 2, nothing written.
    const Outcome missing = cli(args, bare());
    EXPECT_EQ(missing.status, 2) << r.args[0];
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(lines_of(missing.err).size(), 1u);
    EXPECT_TRUE(contains(missing.err, "no table places")) << missing.err;
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"lookup", "60601"}, {"find", "Chicago"}}) {
    const Outcome missing = cli(args, bare());
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_TRUE(contains(missing.err, "needs the places table")) << missing.err;
  }
  EXPECT_FALSE(contains(cli({"info"}, bare()).out, "places"));
  EXPECT_TRUE(contains(cli({"info"}).out, "  with a county: 9\n  2016 point zcta: 6\n"));
}

TEST_F(Places, BuildRefusesPlacesThatDoNotFitTheTables) {
  const std::string header = "zip_code,place,state,county,county_fips,tables,kind,accuracy\n";
  const std::string ok_rows =
      "01001,A,MA,,,2012+2016,zcta,\n34001,B,AA,,,2012,none,\n60601,C,IL,,,2012+2016,zcta,\n"
      "60690,D,IL,,,2016,postal,\n60691,D,IL,,,2016,postal,\n60699,D,IL,,,2016,postal,\n"
      "62701,E,IL,,,2016,zcta,\n65801,E,MO,,,2016,zcta,\n81212,F,CO,,,2016,zcta,\n";
  const std::string out = dir_path() + "/refused.db";
  EXPECT_EQ(build_with(header + ok_rows + "87532,G,NM,,,2016,zcta,\n", out), 0);
  EXPECT_EQ(build_with(header + ok_rows, out), 1);                                // one missing
  EXPECT_EQ(build_with(header + ok_rows + "87532,G,NM,,,2016,none,\n", out), 1);  // kind
  EXPECT_EQ(build_with(header + ok_rows + "87532,G,NM,,,2012,zcta,\n", out), 1);  // tables
  EXPECT_EQ(build_with(header + ok_rows + "87532,G,NM,,,2016\n", out), 1);        // fields
  EXPECT_EQ(build_with(ok_rows + "87532,G,NM,,,2016,zcta,\n", out), 1);           // no header
}

}  // namespace
}  // namespace quorvane::test

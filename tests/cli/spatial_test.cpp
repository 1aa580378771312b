// quorvane-cli within, nearest, matrix and tables: their bytes, their errors, and the
// matrix against run's answers for the same pairs.
#include <csignal>

#include "tests/cli/cli_fixture.h"

namespace quorvane::test {
namespace {

struct Case {
  std::vector<std::string> args;
  std::string input, out;
  int status = 0;
  std::string err = {};
};

using Call = Outcome (*)(std::vector<std::string>, std::string, Stdout);

void expect_cases(const std::vector<Case>& cases, Call call) {
  for (const Case& c : cases) {
    const Outcome r = call(c.args, c.input, Stdout::Capture);
    std::string shown;
    for (const std::string& a : c.args) shown += a + " ";
    EXPECT_EQ(r.out, c.out) << shown << "\n" << r.err;
    EXPECT_EQ(r.status, c.status) << shown << "\n" << r.err;
    EXPECT_EQ(r.err, c.err.empty() ? "" : "quorvane-cli: " + c.err + "\n") << shown;
  }
}

TEST_F(Cli, WithinAndNearestAnswer) {
  expect_cases(
      {
          {{"within", "92018", "100"},
           "",
           "Distance between 92018 and 92018 is 0 miles\n"
           "Distance between 92018 and 90210 is 88.52 miles\n"},
          // 88.52 miles are 142.46 km: the radius is in the units asked for.
          {{"within", "92018", "142", "--units", "km"},
           "",
           "Distance between 92018 and 92018 is 0 km\n"},
          {{"within", "92018", "143", "--units", "km", "--format", "csv"},
           "",
           "zip1,zip2,miles,status\r\n92018,92018,0,\r\n92018,90210,142.46,\r\n"},
          {{"within", "3053", "1", "--database", "2012", "--wording", "zips"},
           "",
           "03053 to 03053: 0 miles\n"},
          {{"within", "34001", "1", "--database", "2012"},
           "",
           "",
           1,
           "zip code 34001 has zero coordinates in the 2012 table, so it has no position"},
          {{"within", "99999", "1"}, "", "", 1, "zip code 99999 is not in the 2016 table"},
          {{"nearest", "34", "-118", "--count", "2"},
           "",
           "90210: 24.09 miles\n92018: 69.14 miles\n"},
          {{"nearest", "34", "-118", "--count", "2", "--format", "csv", "--method", "geodesic"},
           "",
           "zip,lat,lon,miles\r\n90210,34.0901,-118.4065,24.14\r\n92018,33.1581,-117.3506,69."
           "07\r\n"},
      },
      cli);
}

TEST_F(Cli, MatrixRowsAreTheNumericEntries) {
  expect_cases(
      {
          {{"matrix", "--database", "2012"},
           "03053\r\nabc\r\n92018\r\n1,234\r\n34001\r\n",
           ",03053,92018,\"1,234\",34001\r\n03053,0,2555.89,,\r\n92018,2555.89,0,,\r\n"
           "\"1,234\",,,0,\r\n34001,,,,0\r\n",
           1,
           "Latitude and longitude for zip codes: 1,234, 34001 could not be found in the "
           "database."},
          {{"matrix"}, "99999\n99999\n", ",99999,99999\r\n99999,0,0\r\n99999,0,0\r\n"},
          {{"matrix"}, "", ""},
          // Entries that are not numeric are no rows, and count nothing towards the limit.
          {{"matrix"}, "03053\n" + std::string(30000, '\n'), ",03053\r\n03053,0\r\n"},
      },
      cli);
  std::string too_many;
  for (int i = 0; i < 20001; ++i) too_many += "03053\n";
  const Outcome r = cli({"matrix"}, too_many);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("more than 20000 numeric entries"), std::string::npos) << r.err;
}

// Cell (i, j) is what run answers for the pair (entry i, entry j).
TEST_F(Cli, MatrixEqualsRunForTheSamePairs) {
  const std::vector<std::string> zips = {"03053", "00001", "00004", "92018", "00006", "33101"};
  std::string list, pairs;
  for (const auto& z : zips) list += z + "\n";
  for (const auto& a : zips)
    for (const auto& b : zips) pairs += a + "\n" + b + "\n";
  for (const char* method : {"sphere", "geodesic"}) {
    const std::vector<std::string> how = {"--method", method, "--units", "km"};
    std::vector<std::string> args = {"matrix"};
    args.insert(args.end(), how.begin(), how.end());
    const std::string matrix = cli(args, list).out;
    args[0] = "run";
    args.insert(args.end(), {"--format", "csv"});
    const std::string run = cli(args, pairs).out;
    // Every other pair of the consecutive run is one of the matrix's.
    std::string expected = "," + list.substr(0, list.size() - 1) + "\r\n";
    std::replace(expected.begin(), expected.end(), '\n', ',');
    expected.replace(expected.size() - 2, 2, "\r\n");
    std::size_t at = run.find("\r\n") + 2;
    for (std::size_t i = 0; i < zips.size(); ++i) {
      expected += zips[i];
      for (std::size_t j = 0; j < zips.size(); ++j) {
        const std::size_t end = run.find("\r\n", at);
        const std::string record = run.substr(at, end - at);  // a,b,distance,
        expected += "," + record.substr(12, record.size() - 13);
        at = run.find("\r\n", end + 2) + 2;  // past the pair that joins two of the matrix's
      }
      expected += "\r\n";
    }
    EXPECT_EQ(matrix, expected) << method;
  }
}

TEST_F(Cli, TablesListWhatDiffers) {
  TempDir dir;
  const std::string db = dir.file("t.db");
  make_zip_db(
      db,
      {"1, 40, -75", "2, 41, -75", "3, 40, -74", "4, 0, 0", "5, 40, -75", "7, 40, -75", "8, 0, 1"},
      {"'00001', 40, -75", "'00002', 42, -75", "'00003', 40.01, -74", "'00004', 40, -75",
       "'00006', 1, 1", "'00007', 40, 0"});
  const std::string unplaced =
      "Zip codes without a position (zero or unreadable coordinates) in the ";
  EXPECT_EQ(run_cli({{"tables", "--differ", "0.5", "--db", db}, {}, {}, {}}).out,
            "Zip codes more than 0.5 miles apart in the 2012 and 2016 tables, largest first: 2\n"
            "00002: 69.09 miles, from 41 -75 (2012) to 42 -75 (2016)\n"
            "00003: 0.69 miles, from 40 -74 (2012) to 40.01 -74 (2016)\n\n"
            "Zip codes only in the 2012 table: 2\n00005\n00008\n\n"
            "Zip codes only in the 2016 table: 1\n00006\n\n" +
                unplaced + "2012 table: 2\n00004\n00008\n\n" + unplaced + "2016 table: 1\n00007\n");
  EXPECT_EQ(
      run_cli(
          {{"tables", "--differ", "1", "--units", "km", "--format", "csv", "--db", db}, {}, {}, {}})
          .out,
      "kind,zip,lat2012,lon2012,lat2016,lon2016,km\r\n"
      "moved,00002,41,-75,42,-75,111.19\r\nmoved,00003,40,-74,40.01,-74,1.11\r\n"
      "only-2012,00005,,,,,\r\nonly-2012,00008,,,,,\r\nonly-2016,00006,,,,,\r\n"
      "unplaced-2012,00004,,,,,\r\nunplaced-2012,00008,,,,,\r\nunplaced-2016,00007,,,,,\r\n");
}

TEST_F(Cli, SpatialUsageErrorsAndFailedWrites) {
  const char* of_at_least_0 = ": Must be a finite number of at least 0.";
  const std::vector<std::pair<std::vector<std::string>, std::string>> usage = {
      {{"within", "03053", "-1"}, std::string("MILES") + of_at_least_0},
      {{"within", "03053", "nan"}, std::string("MILES") + of_at_least_0},
      {{"within", "03053", "inf"}, std::string("MILES") + of_at_least_0},
      {{"within", "03053"}, "MILES is required"},
      {{"nearest", "90.5", "0"}, "LAT: Must be a finite number from -90 to 90."},
      {{"nearest", "0", "-180.5"}, "LON: Must be a finite number from -180 to 180."},
      {{"nearest", "0", "0", "--count", "0"}, "--count: Must be a whole number of at least 1."},
      {{"tables"}, "--differ is required"},
      {{"tables", "--differ", "x"}, std::string("--differ") + of_at_least_0},
      {{"tables", "--differ", "1", "--database", "2012"}, "--database"},
      {{"matrix", "--format", "csv"}, "--format"},
      {{"matrix", "/no/such/list"}, "Cannot read /no/such/list: No such file or directory"},
  };
  for (const auto& [args, err] : usage) {
    const Outcome o = cli(args);
    EXPECT_EQ(o.status, 2) << args[0] << " " << err;
    EXPECT_NE(o.err.find(err), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
  }
  EXPECT_EQ(cli({"tables", "--differ", "1"}, {}, Stdout::FullDevice).status, 2);
  EXPECT_EQ(cli({"within", "03053", "10000"}, {}, Stdout::FullDevice).status, 2);
  const Outcome gone = cli({"nearest", "40", "-70", "--count", "1000000"}, {}, Stdout::ReaderGone);
  EXPECT_EQ(gone.signal, SIGPIPE);
  EXPECT_EQ(gone.err, "");
}

}  // namespace
}  // namespace quorvane::test

// quorvane-cli distance and info, methods, usage errors, exit statuses and failed writes.
#include <algorithm>
#include <csignal>

#include "tests/cli/cli_fixture.h"

namespace quorvane::test {
namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(Cli, GeodesicMatchesGeographicLibsTestsAndHandCheckedPairs) {
  struct Row {
    const char *zip1, *zip2, *units, *distance;
  };
  const Row rows[] = {
      // GeographicLib's published test cases, s12 in metres
      {"00001", "00002", "km", "8935.24"},  // 8935244.5604818305
      {"00003", "00004", "km", "4105.09"},  // 4105086.1713924406
      {"00005", "00006", "km", "8394.33"},  // 8394328.894657671
      // New York to Beverly Hills and Seattle to Miami, checked by Vincenty's formulae
      {"10001", "90210", "km", "3956.9"},
      {"10001", "90210", "mi", "2458.7"},
      {"98101", "33101", "mi", "2733.26"},
  };
  for (const Row& r : rows) {
    const Outcome o = cli({"distance", r.zip1, r.zip2, "--method", "geodesic", "--wording",
                           "distance", "--units", r.units});
    EXPECT_EQ(o.out,
              std::string(r.distance) + (r.units == std::string("km") ? " km\n" : " miles\n"))
        << r.zip1 << " " << r.zip2;
  }
}

// The single comparison reads two rows, not the table: its answers must be the table's.
TEST_F(Cli, DistanceAnswersAsTheWholeTableDoes) {
  TempDir dir;
  const std::string dup = dir.file("dup.db");
  make_zip_db(
      dup,
      {"11111, 40, -70", "11111.0, 41, -71", "'22222', 30, -90", "33333, 0, -80", "1111, 42, -72"},
      {"'11111', 40, -70", "'11111', 41, -71", "22222, 30, -90", "'33333', 35, 0"});
  const char* pairs[][3] = {{"11111", "22222", "2016"}, {"11111", "22222", "2012"},
                            {"01111", "1111.", "2012"}, {"01111", "22222", "2012"},
                            {"33333", "22222", "2012"}, {"33333", "22222", "2016"},
                            {"11111", "4x", "2012"},    {"11111", "44444", "2016"}};
  for (const auto& p : pairs) {
    const Invocation one{{"distance", p[0], p[1], "--database", p[2], "--db", dup}, {}, {}, {}};
    const Invocation whole{{"run", "--database", p[2], "--db", dup},
                           std::string(p[0]) + "\r\n" + p[1] + "\r\n",
                           {},
                           {}};
    const Outcome a = run_cli(one), b = run_cli(whole);
    EXPECT_EQ(a.out, b.out) << p[0] << " " << p[1] << " " << p[2];
    EXPECT_EQ(a.err, b.err) << p[0] << " " << p[1] << " " << p[2];
    EXPECT_EQ(a.status, b.status) << p[0] << " " << p[1] << " " << p[2];
  }
}

TEST_F(Cli, InfoNamesTheFileAndItsTables) {
  const Outcome test_db = cli({"info"});
  EXPECT_EQ(test_db.status, 0);
  EXPECT_EQ(test_db.out, "database: " + db() +
                             "\nformat: SQLite 3\n\n"
                             "table zip_code2016 (--database 2016)\n  rows: 13\n  source: unknown\n"
                             "  vintage: unknown\n  licence: unknown\n\n"
                             "table zip_code (--database 2012)\n  rows: 14\n  source: unknown\n"
                             "  vintage: unknown\n  licence: unknown\n");
  EXPECT_EQ(run_cli({{"info"}, {}, {}, {"QUORVANE_DB=" + db()}}).out, test_db.out);
  const Outcome shipped = run_cli({{"info"}, {}, {}, {}});  // the database beside the program
  EXPECT_TRUE(contains(shipped.out, "  rows: 42555\n  source: the Free Zipcode Database"));
  EXPECT_TRUE(contains(shipped.out, "vintage: about 2012 (zipcodes 8.0.0)")) << shipped.out;
}

TEST_F(Cli, ExitStatusesAndMessages) {
  const std::string nul = file("nul.txt", std::string("03053\r\n92018\r\n\0\r\n", 17));
  struct Row {
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string err;  // a part of standard error
    std::string out = {};
  };
  const Row rows[] = {
      {{},
       "",
       2,
       "A command is needed: run, distance, within, nearest, matrix, tables, info, lookup, "
       "find, augment, assign or map (quorvane-cli --help tells more)"},
      {{"frob"}, "", 2, "frob"},
      {{"run", "--frobnicate"}, "", 2, "--frobnicate"},
      {{"run", "--format", "xml"}, "", 2, "--format"},
      {{"run", "--wording", "7"}, "", 2, "--wording"},
      {{"run", "--units", "ft"}, "", 2, "--units"},
      {{"distance", "03053"}, "", 2, "ZIP2 is required"},
      {{"run", "--reference", "abc"}, "", 2, "--reference abc: Must be numeric."},
      {{"run", "--reference", ""}, "", 2, "--reference: Must be numeric."},
      {{"run", "/no/such/list"}, "", 2, "Cannot read /no/such/list: No such file or directory"},
      {{"run", "/tmp"}, "", 2, "Cannot read /tmp: it is not a regular file"},
      {{"run", "--db", "/no/such.db"},
       "03053\n",
       2,
       "Cannot read the zip code database /no/such.db: File not found"},
      {{"run", "--db", "/tmp"}, "", 2, "/tmp: it is not a regular file"},
      {{"run", "--wording", "zips", nul},
       "",
       2,
       "it is not a text file",
       "03053 to 92018: 2555.89 miles\n"},
      {{"distance", "03053", "92018"},
       "",
       0,
       "",
       "Distance between 03053 and 92018 is 2555.89 miles\n"},
      {{"distance", "03053", "99999"}, "", 1, "", "No details found for zip code: 99999\n"},
      {{"distance", "34001", "03053", "--database", "2012"},
       "",
       1,
       "Latitude and longitude for zip codes: 34001 could not be found",
       "No details found for zip code: 34001\n"},
  };
  for (const Row& r : rows) {
    std::vector<std::string> args = r.args;
    if (!args.empty() && std::find(args.begin(), args.end(), "--db") == args.end())
      args.insert(args.end(), {"--db", db()});
    const Outcome o = run_cli({args, r.input, Stdout::Capture, {}});
    const std::string shown = args.empty() ? "(none)" : args[0] + " " + r.err;
    EXPECT_EQ(o.status, r.status) << shown << "\n" << o.err;
    EXPECT_TRUE(contains(o.err, r.err)) << shown << "\n" << o.err;
    EXPECT_EQ(o.out, r.out) << shown;
  }
  const Outcome help = run_cli({{"run", "--help"}, {}, {}, {}});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(contains(help.out, "-0.30% to +0.38% on US pairs")) << help.out;
  EXPECT_EQ(run_cli({{"--version"}, {}, {}, {}}).out, "quorvane-cli 1.0.0\n");
}

TEST_F(Cli, AFailedWriteIsAnErrorAndAClosedPipeEndsQuietly) {
  std::string input;
  for (int i = 0; i < 20000; ++i) input += "03053\r\n92018\r\n";
  struct Row {
    std::vector<std::string> args;
    Stdout out;
    int status, signal;
    std::string err;
  };
  const Row rows[] = {
      {{"run"}, Stdout::FullDevice, 2, 0, "No space left on device"},
      {{"run", "--format", "text"}, Stdout::FullDevice, 2, 0, "No space left on device"},
      {{"info"}, Stdout::FullDevice, 2, 0, "No space left on device"},
      {{"--help"}, Stdout::FullDevice, 2, 0, "No space left on device"},
      {{"run"}, Stdout::Closed, 2, 0, "Bad file descriptor"},
      {{"run"}, Stdout::ReaderGone, -1, SIGPIPE, ""},
  };
  for (const Row& r : rows) {
    const Outcome o = cli(r.args, input, r.out);
    EXPECT_EQ(o.status, r.status) << r.args[0] << " " << o.err;
    EXPECT_EQ(o.signal, r.signal) << r.args[0];
    if (r.err.empty())
      EXPECT_EQ(o.err, "");
    else
      EXPECT_TRUE(contains(o.err, r.err)) << r.args[0] << " " << o.err;
  }
}

}  // namespace
}  // namespace quorvane::test

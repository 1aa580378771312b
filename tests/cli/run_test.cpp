// quorvane-cli run: the bytes of each format, both modes, and the inputs it reads.
#include "tests/cli/cli_fixture.h"

namespace quorvane::test {
namespace {

struct Case {
  const char* name;
  std::vector<std::string> args;
  std::string input;
  std::string out;
  int status = 0;
};

void expect_cases(const std::vector<Case>& cases,
                  Outcome (*call)(std::vector<std::string>, std::string, Stdout)) {
  for (const Case& c : cases) {
    const Outcome r = call(c.args, c.input, Stdout::Capture);
    EXPECT_EQ(r.out, c.out) << c.name << "\n" << r.err;
    EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.err;
  }
}

const std::string kSample = "03053\r\n92018\r\n";
// A zip code with itself, one missing from the table, a military zip code stored with
// zero coordinates, a non-numeric entry, an empty line, a number that the 2012 table's
// numeric comparison rejects, and a last entry with no next one.
const std::string kEdges = "03053\r\n03053\r\n99999\r\n34001\r\nabc\r\n\r\n1,234\r\n60628\r\n";

TEST_F(Cli, EachFormatWritesTheWindowsBytes) {
  const std::string line = "Distance between 03053 and 92018 is 2555.89 miles";
  expect_cases(
      {
          {"lines", {"run"}, kSample, line + "\n"},
          {"text",
           {"run", "--format", "text"},
           kSample,
           "Results" + std::string(line.size() - 7, ' ') + "\t\r\n" + line + "\t\r\n"},
          {"csv",
           {"run", "--format", "csv"},
           kSample,
           "zip1,zip2,miles,status\r\n03053,92018,2555.89,\r\n"},
          {"edges, lines",
           {"run", "--database", "2012"},
           kEdges,
           "Distance between 03053 and 03053 is 0 miles\n"
           "No details found for zip code: 99999\n"
           "No details found for zip code: 99999\n"
           "No details found for zip code: 34001\n"
           "No details found for zip code: 1,234\n",
           1},
          {"edges, text",
           {"run", "--database", "2012", "--format", "text"},
           kEdges,
           "Results                                    \t\r\n"
           "Distance between 03053 and 03053 is 0 miles\t\r\n"
           "No details found for zip code: 99999       \t\r\n"
           "No details found for zip code: 99999       \t\r\n"
           "No details found for zip code: 34001       \t\r\n"
           "No details found for zip code: 1,234       \t\r\n",
           1},
          {"edges, csv",
           {"run", "--database", "2012", "--format", "csv"},
           kEdges,
           "zip1,zip2,miles,status\r\n03053,03053,0,\r\n03053,99999,,not-in-table\r\n"
           "99999,34001,,not-in-table\r\n34001,abc,,zero-coordinates\r\n"
           "\"1,234\",60628,,not-numeric\r\n",
           1},
          {"one entry, lines", {"run"}, "03053", ""},
          {"one entry, text", {"run", "--format", "text"}, "03053", "Results\t\r\n"},
          {"one entry, csv", {"run", "--format", "csv"}, "03053", "zip1,zip2,miles,status\r\n"},
      },
      cli);
}

TEST_F(Cli, ModesWordingsUnitsAndInputs) {
  const std::string a = file("a.txt", "03053\r\n92018\r\n");
  const std::string b = file("b.txt",
                             "\xEF\xBB\xBF"
                             "60628\r10001");
  expect_cases(
      {
          {"reference mode",
           {"run", "--reference", "60628", "--wording", "zips"},
           "03053\r\nabc\r\n92018\r\n",
           "03053 to 60628: 831.44 miles\n92018 to 60628: 1724.5 miles\n"},
          {"wording by number, kilometres",
           {"run", "--wording", "5", "--units", "km"},
           "10001\r\n90210\r\n",
           "3947.99 km\n"},
          {"files and standard input, one list",
           {"run", "--wording", "zips", a, "-", b},
           "90210\r\n",
           "03053 to 92018: 2555.89 miles\n92018 to 90210: 88.52 miles\n"
           "90210 to 60628: 1748.5 miles\n60628 to 10001: 709.82 miles\n"},
          // A final LF ends the last line, as in any text file from the usual tools.
          {"final LF",
           {"run", "--wording", "zips"},
           "03053\n92018\n",
           "03053 to 92018: 2555.89 miles\n",
           0},
      },
      cli);
}

TEST_F(Cli, PairsCrossTheEnginesBlocks) {
  std::string input, out;
  for (int i = 0; i < 5000; ++i) input += "03053\r\n92018\r\n";
  for (int i = 0; i < 4999; ++i)
    out += "03053 to 92018: 2555.89 miles\n92018 to 03053: 2555.89 miles\n";
  out += "03053 to 92018: 2555.89 miles\n";
  EXPECT_EQ(cli({"run", "--wording", "zips"}, input).out, out);
}

TEST_F(Cli, NotFoundZipCodesAreSummedUpInOneLine) {
  std::string many;
  for (int i = 0; i < 1000; ++i) many += "34001\r\n00000\r\n";
  const Outcome r = cli({"run", "--database", "2012", "--format", "csv"}, many);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "quorvane-cli: Latitude and longitude for zip codes: 34001 could not be found in "
            "the database.\n");
}

TEST_F(Cli, MemoryStaysTheSameHoweverLongTheInput) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer holds freed memory back for a while";
#endif
  auto peak = [](long lines) {
    const Outcome r = run_cli({{"run", "--format", "csv", "--db", db()},
                               "03053\r\n92018\r\n",
                               Stdout::Discard,
                               {},
                               lines / 2});
    EXPECT_EQ(r.status, 0);
    return r.peak_kb;
  };
  const long short_run = peak(100'000), long_run = peak(2'000'000);
  EXPECT_LT(long_run, short_run + 4096) << short_run << " KB, then " << long_run << " KB";
}

// The aligned text waits for its widths in a temporary file, not in memory: the same
// bytes as the lines padded, and the same memory however long the input.
TEST_F(Cli, AlignedTextOfAnyLengthInBoundedMemory) {
  std::string input;
  for (int i = 0; i < 300'000; ++i) input += i % 3 ? "03053\n" : i % 2 ? "99999\n" : "92018\n";
  const Outcome lines = cli({"run"}, input);
  const Outcome text = cli({"run", "--format", "text"}, input);
  std::size_t width = 7;
  for (std::size_t at = 0, lf; (lf = lines.out.find('\n', at)) != std::string::npos; at = lf + 1)
    width = std::max(width, lf - at);
  std::string expected = "Results" + std::string(width - 7, ' ') + "\t\r\n";
  for (std::size_t at = 0, lf; (lf = lines.out.find('\n', at)) != std::string::npos; at = lf + 1)
    expected += lines.out.substr(at, lf - at) + std::string(width - (lf - at), ' ') + "\t\r\n";
  EXPECT_EQ(text.out.size(), expected.size());
  EXPECT_TRUE(text.out == expected);
  EXPECT_EQ(text.status, lines.status);
#if !defined(__SANITIZE_ADDRESS__)
  auto peak = [](long lines) {
    return run_cli({{"run", "--format", "text", "--db", db()},
                    "03053\r\n92018\r\n",
                    Stdout::Discard,
                    {},
                    lines / 2})
        .peak_kb;
  };
  const long short_run = peak(100'000), long_run = peak(2'000'000);
  EXPECT_LT(long_run, short_run + 16384) << short_run << " KB, then " << long_run << " KB";
#endif
}

}  // namespace
}  // namespace quorvane::test

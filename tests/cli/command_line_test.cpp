// The command line as people guess it: shared options before the command, short forms,
// misspellings answered, help wrapped, the far-point notes of nearest, and the bash
// completion script loading in bash.
#include <cstdio>
#include <sstream>

#include "tests/cli/cli_fixture.h"

namespace quorvane::test {
namespace {

TEST_F(Cli, SharedOptionsStandBeforeTheCommand) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const std::vector<Case> cases = {
      {{"-d", "2012", "within", "3053", "1", "--wording", "zips"}, "03053 to 03053: 0 miles\n"},
      {{"--database=2012", "within", "3053", "1", "--wording", "zips"},
       "03053 to 03053: 0 miles\n"},
      {{"-ukm", "-f", "csv", "within", "92018", "143"},
       "zip1,zip2,miles,status\r\n92018,92018,0,\r\n92018,90210,142.46,\r\n"},
      {{"--method", "geodesic", "--format=csv", "nearest", "34", "-118", "--count", "1"},
       "zip,lat,lon,miles\r\n90210,34.0901,-118.4065,24.14\r\n"},
      {{"nearest", "-u", "km", "34", "-118", "--count", "1"}, "90210: 38.77 km\n"},
  };
  for (const Case& c : cases) {
    const Outcome o = cli(c.args);
    EXPECT_EQ(o.out, c.out) << c.args[0] << " " << c.args[1] << "\n" << o.err;
    EXPECT_EQ(o.status, 0) << o.err;
  }
}

TEST_F(Cli, MisspellingsAreAnsweredWithTheNearestName) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"withn", "92018", "1"}, "Unknown command 'withn'; did you mean 'within'?"},
      {{"-d", "2012", "nearst", "34", "-118"}, "Unknown command 'nearst'; did you mean 'nearest'?"},
      {{"frobnicate"}, "Unknown command 'frobnicate'; the commands are run, distance"},
      {{"within", "92018", "1", "--wordng", "zips"},
       "Unknown option '--wordng' for within; did you mean '--wording'?"},
      {{"nearest", "34", "-118", "--coutn=2"},
       "Unknown option '--coutn' for nearest; did you mean '--count'?"},
      {{"--dtabase", "2012", "within", "92018", "1"},
       "Unknown option '--dtabase'; did you mean '--database'?"},
  };
  for (const auto& [args, message] : cases) {
    const Outcome o = cli(args);
    EXPECT_EQ(o.status, 2) << args[0];
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find(message), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << o.err;
  }
}

TEST_F(Cli, HelpIsWrappedAndTellsTheExitStatusWhereItApplies) {
  const struct {
    std::string command;
    bool some_without;
  } cases[] = {{"within", true}, {"run", true}, {"nearest", false}, {"tables", false}, {"", false}};
  for (const auto& c : cases) {
    std::vector<std::string> args;
    if (!c.command.empty()) args.push_back(c.command);
    args.push_back("--help");
    const Outcome o = run_cli({args, {}, Stdout::Capture, {"COLUMNS=50"}});
    EXPECT_EQ(o.status, 0);
    std::istringstream lines(o.out);
    // Only a word longer than the width passes it, alone on its line.
    for (std::string line; std::getline(lines, line);) {
      if (line.size() > 50) {
        EXPECT_EQ(line.find(' ', line.find_first_not_of(' ')), std::string::npos) << line;
      }
    }
    EXPECT_EQ(o.out.find("1 some had") != std::string::npos, c.some_without) << o.out;
  }
}

TEST_F(Cli, NearestSaysWhenThePointIsFarFromEveryZipCode) {
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"nearest", "34", "-118", "--count", "1"}, ""},
      {{"nearest", "-71.4", "42.87", "--count", "1"},
       "quorvane-cli: The point -71.4 42.87 is 4992.14 miles from the nearest zip code, more "
       "than 300; latitude and longitude may be swapped: 42.87 -71.4 is 0.13 miles from 03053\n"},
      {{"nearest", "0", "0", "--count", "1"}, "more than 300\n"},
  };
  for (const auto& c : cases) {
    const Outcome o = cli(c.args);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.out, "");
    if (c.err.empty())
      EXPECT_EQ(o.err, "");
    else
      EXPECT_TRUE(o.err.ends_with(c.err)) << o.err;
  }
}

// What bash completes for the words typed so far (the last is being completed).
std::string complete(const std::string& words) {
  const std::string script =
      "source <(\"" QUORVANE_CLI
      "\" completions bash) || exit 3; complete -p quorvane-cli "
      ">/dev/null || exit 4; COMP_WORDS=(quorvane-cli " +
      words + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _quorvane_cli; echo \"${COMPREPLY[*]}\"";
  std::string command = "bash -c '";
  for (char c : script) command += c == '\'' ? std::string("'\\''") : std::string(1, c);
  command += "' 2>&1";
  FILE* p = popen(command.c_str(), "r");
  std::string out;
  char buf[4096];
  for (std::size_t n; p && (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int status = p ? pclose(p) : -1;
  return status == 0 ? out : "status " + std::to_string(status) + ": " + out;
}

TEST(CliCompletion, TheBashScriptLoadsAndCompletes) {
  const std::pair<std::string, std::string> cases[] = {
      {"wi", "within\n"},
      {"as", "assign\n"},
      {"-d 2012 ne", "nearest\n"},
      {"within --wor", "--wording\n"},
      {"within --method ''", "sphere geodesic\n"},
      {"-u ''", "mi km\n"},
      {"run -f ''", "lines text csv\n"},
      {"nearest --format c", "csv\n"},
  };
  for (const auto& [words, want] : cases) EXPECT_EQ(complete(words), want) << words;
}

}  // namespace
}  // namespace quorvane::test

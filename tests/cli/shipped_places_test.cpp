// The places of the shipped database against the CSV the build read them from.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "tests/cli/cli_process.h"
#include "tests/cli/csv_lines.h"

namespace quorvane::test {
namespace {

// The shipped database against the CSV it was built from: a sample of every 500th zip
// code, and the first zip code of each territory and military state.
TEST(ShippedPlaces, MatchTheCsvTheBuildReads) {
  std::ifstream in(QUORVANE_DATA_DIR "/places.csv");
  std::string line;
  ASSERT_TRUE(std::getline(in, line));
  std::map<std::string, std::vector<std::string>> sample;
  std::map<std::string, bool> first_of_state;
  const std::set<std::string> outlying = {"PR", "VI", "GU", "AS", "MP", "MH",
                                          "FM", "PW", "AA", "AE", "AP"};
  for (long n = 0; std::getline(in, line); ++n) {
    const auto f = split_csv(line);
    ASSERT_EQ(f.size(), 8u) << line;
    const bool outlier = outlying.contains(f[2]) && !first_of_state[f[2]];
    if (outlier) first_of_state[f[2]] = true;
    if (n % 500 == 0 || outlier) sample[f[0]] = f;
  }
  EXPECT_EQ(first_of_state.size(), outlying.size());
  std::vector<std::string> args = {"lookup", "--format", "csv"};
  for (const auto& entry : sample) args.push_back(entry.first);
  const Outcome o = run_cli({args, {}, Stdout::Capture, {}});
  EXPECT_EQ(o.status, 0) << o.err;
  const auto lines = lines_of(o.out);
  ASSERT_EQ(lines.size(), sample.size() + 1);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const auto got = split_csv(lines[i]);
    ASSERT_EQ(got.size(), 12u) << lines[i];
    const auto& want = sample.at(got[0]);
    EXPECT_EQ(got[1], want[1]) << got[0];  // place
    EXPECT_EQ(got[2], want[2]) << got[0];  // state
    EXPECT_EQ(got[3], want[3]) << got[0];  // county
    EXPECT_EQ(got[4], want[4]) << got[0];  // county FIPS
    EXPECT_EQ(got[5], want[7].empty() ? want[6] : want[6] + ":" + want[7]) << got[0];
    EXPECT_EQ(got[6].empty(), want[6] == "none") << got[0];  // a shared count with a point
    EXPECT_EQ(got[7].empty(), want[5].find("2016") == std::string::npos) << got[0];
    EXPECT_EQ(got[9].empty(), want[5].find("2012") == std::string::npos) << got[0];
    EXPECT_FALSE(got[1].empty() || got[2].empty()) << got[0];
  }
}

}  // namespace
}  // namespace quorvane::test

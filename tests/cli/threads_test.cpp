// run and augment on several threads, each block with an engine of its own whose reports
// are merged in order: the same bytes on both outputs, and the same exit status, as on
// one thread, where one engine makes every lookup in turn, for seeded random inputs
// spanning many blocks and every kind of failure a lookup has (not in the table, zero,
// null and text coordinates, a number the 2012 table rejects, no number at all).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "tests/cli/cli_process.h"
#include "tests/support/test_db.h"

namespace quorvane::test {
namespace {

const std::vector<std::string> kCells = {"03053", "92018", "60628",      "10001",   "90210",
                                         "98101", "33101", "99999",      "34001",   "00007",
                                         "00008", "00009", "00010",      "abc",     "",
                                         "1,234", "2134",  "03053-1234", " 60628 ", "'02134"};

std::string random_cells(std::size_t n, unsigned seed, const char* end) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::size_t> pick(0, kCells.size() - 1);
  std::string text;
  for (std::size_t i = 0; i < n; ++i) (text += kCells[pick(random)]) += end;
  return text;
}

// Each row: an id, two random cells, and a name with a comma, a quote, a line break or
// non-ASCII text in turn; now and then a row with a field too many.
std::string random_table(std::size_t n, unsigned seed) {
  static const char* kNames[] = {"plain", "\"a, b\"", "\"say \"\"hi\"\"\"", "\"two\r\nlines\"",
                                 "Zürich"};
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::size_t> pick(0, kCells.size() - 1);
  std::string text = "id,from,to,name\r\n";
  for (std::size_t i = 0; i < n; ++i)
    text += std::to_string(i) + ",\"" + kCells[pick(random)] + "\",\"" + kCells[pick(random)] +
            "\"," + kNames[i % 5] + (i % 997 == 996 ? ",extra\r\n" : "\r\n");
  return text;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class Threads : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<TempDir>();
    const std::vector<std::string> rows = {
        "'03053', 42.8681, -71.3998", "'92018', 33.1581, -117.3506", "'60628', 41.6934, -87.6132",
        "'10001', 40.7506, -73.9972", "'90210', 34.0901, -118.4065", "'98101', 47.6114, -122.3305",
        "'33101', 25.7791, -80.1978", "'02134', 42.3539, -71.1337",  "'34001', 0, 0",
        "'00007', NULL, -70.5",       "'00008', 'x', -70.5",         "'00009', 'x', -70.5",
        "'00010', NULL, -70.5"};
    make_zip_db(dir_->file("zips.db"), rows, rows);
  }
  static void TearDownTestSuite() { dir_.reset(); }

  // The command on 1 thread, then on 2 and 3: every outcome the same.
  static void expect_same(std::vector<std::string> args, const std::string& input,
                          const char* what) {
    for (const std::string& a : {dir_->file("zips.db"), std::string("--threads"), std::string("1")})
      args.push_back(a);
    args.insert(args.end() - 3, "--db");
    const Outcome one = run_cli({args, input, Stdout::Capture, {}});
    ASSERT_FALSE(one.out.empty()) << what << "\n" << one.err;
    EXPECT_NE(one.err.find("Type mismatch"), std::string::npos) << what << "\n" << one.err;
    for (const char* threads : {"2", "3"}) {
      args.back() = threads;
      const Outcome many = run_cli({args, input, Stdout::Capture, {}});
      EXPECT_TRUE(many.out == one.out) << what << " on " << threads << " threads";
      EXPECT_EQ(many.err, one.err) << what << " on " << threads << " threads";
      EXPECT_EQ(many.status, one.status) << what << " on " << threads << " threads";
    }
  }

  static inline std::unique_ptr<TempDir> dir_;
};

TEST_F(Threads, RunWritesWhatOneThreadWrites) {
  const std::string list = random_cells(70000, 7, "\r\n");
  const struct {
    const char* what;
    std::vector<std::string> args;
  } cases[] = {
      {"lines", {"run"}},
      {"lines, 2012", {"run", "--database", "2012"}},
      {"text", {"run", "--format", "text", "--database", "2012"}},
      {"csv", {"run", "--format", "csv"}},
      {"reference", {"run", "--reference", "60628", "--database", "2012"}},
      {"reference rejected", {"run", "--reference", "1,234", "--database", "2012"}},
  };
  for (const auto& c : cases) expect_same(c.args, list, c.what);
}

// The run's blocks end where the input pauses: a list sent in two parts, the second
// after the first was answered, is cut into other blocks than the list sent at once,
// and must give the same run (pairs across the cut, skipped entries and their numbers).
TEST_F(Threads, APauseInTheInputChangesNothing) {
  // Entries that all start a comparison, so that the first skipped ones lie in a later
  // block: entry 10002 in consecutive mode (after one that ends a comparison), 10001
  // with a reference.
  std::string list;
  for (int i = 0; i < 10000; ++i) list += i % 2 ? "03053\n" : "60628\n";
  list += "abc\nabc\n" + random_cells(20000, 5, "\n");
  const std::size_t cut = list.find('\n', list.size() / 2) + 1;
  write_file(dir_->file("part1"), list.substr(0, cut));
  write_file(dir_->file("part2"), list.substr(cut));
  const struct {
    const char* args;
    const char* first_skipped;
  } cases[] = {{"--threads 1", "'abc', entry 10002)"},
               {"--threads 2", "'abc', entry 10002)"},
               {"--threads 2 --reference 60628", "'abc', entry 10001)"}};
  for (const auto& [args, first_skipped] : cases) {
    const std::string db = dir_->file("zips.db"), out = dir_->file("out"), err = dir_->file("err");
    const std::string command = "{ cat '" + dir_->file("part1") + "'; sleep 0.3; cat '" +
                                dir_->file("part2") + "'; } | '" + QUORVANE_CLI + "' run --db '" +
                                db + "' " + args + " > '" + out + "' 2> '" + err + "'";
    const int status = std::system(command.c_str());
    std::vector<std::string> call = {"run", "--db", db};
    std::istringstream words(args);
    for (std::string w; words >> w;) call.push_back(w);
    const Outcome whole = run_cli({call, list, Stdout::Capture, {}});
    EXPECT_TRUE(read_file(out) == whole.out) << args;
    EXPECT_EQ(read_file(err), whole.err) << args;
    EXPECT_NE(whole.err.find(first_skipped), std::string::npos) << args << "\n" << whole.err;
    EXPECT_EQ(WEXITSTATUS(status), whole.status) << args;
  }
}

TEST_F(Threads, AugmentWritesWhatOneThreadWrites) {
  const std::string table = random_table(20000, 11);
  expect_same({"augment", "-", "--from", "from", "--to", "to"}, table, "csv");
  expect_same(
      {"augment", "-", "--from", "from", "--to", "to", "--format", "jsonl", "--database", "2012"},
      table, "jsonl, 2012");
  expect_same({"augment", "-", "--from", "from", "--to-zip", "00007"}, table, "--to-zip");
  // Rows of half a megabyte hand their blocks on before the blocks are full.
  std::string long_rows = "id,from,to,name\r\n";
  for (std::size_t i = 0; i < 40; ++i)
    long_rows += std::to_string(i) + ",03053,\"" + kCells[i % kCells.size()] + "\"," +
                 std::string(500000, 'x') + "\r\n";
  expect_same({"augment", "-", "--from", "from", "--to", "to"}, long_rows, "long rows");
}

// The summary names the first row of each kind, though later blocks have some too.
TEST_F(Threads, AugmentNamesTheFirstRowOfEachKind) {
  std::string table = "from,to\n";
  for (int i = 0; i < 10000; ++i)
    table += i == 4500   ? "2134,92018\n"
             : i == 4600 ? "abc,92018\n"
             : i == 9000 ? "'1234,abc\n"
                         : "03053,92018\n";
  for (const char* threads : {"1", "2"}) {
    const Outcome o = run_cli({{"augment", "-", "--from", "from", "--to", "to", "--db",
                                dir_->file("zips.db"), "--threads", threads},
                               table,
                               Stdout::Capture,
                               {}});
    EXPECT_NE(o.err.find("(first: line 4502, '2134' read as 02134)"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("(first: line 4602, 'abc')"), std::string::npos) << o.err;
  }
}

TEST_F(Threads, CountsOutsideTheRangeAreUsageErrors) {
  for (const char* n : {"0", "65", "-1", "two", ""}) {
    const Outcome r = run_cli({{"run", "--threads", n}, "03053\n92018\n", Stdout::Capture, {}});
    EXPECT_EQ(r.status, 2) << n;
    EXPECT_TRUE(r.out.empty()) << n;
  }
}

}  // namespace
}  // namespace quorvane::test

#include "engine/list_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvane {
namespace {

using Entries = std::vector<std::string>;

struct Outcome {
  Entries entries;
  ListReader::State state = ListReader::State::Reading;
  bool operator==(const Outcome&) const = default;
};

// Feeds the input in pieces that start at the given cut points.
Outcome read_cut(std::string_view input, const std::vector<std::size_t>& cuts,
                 std::size_t limit = std::numeric_limits<std::size_t>::max()) {
  ListReader reader(limit);
  Outcome out;
  const ListReader::EntryFn each = [&](std::string_view e) { out.entries.emplace_back(e); };
  std::size_t from = 0;
  bool ok = true;
  for (std::size_t cut : cuts) {
    ok = ok && reader.feed(input.substr(from, cut - from), each);
    from = cut;
  }
  ok = ok && reader.feed(input.substr(from), each) && reader.finish(each);
  out.state = reader.state();
  EXPECT_EQ(ok, out.state == ListReader::State::Reading);
  EXPECT_EQ(reader.entries(), out.entries.size());
  return out;
}

TEST(ListReader, SplitsAsTheWindowAlwaysHasHoweverTheInputIsCut) {
  using S = ListReader::State;
  struct Row {
    const char* name;
    std::string input;
    Entries entries;
    S state = S::Reading;
  };
  const Row rows[] = {
      {"empty", "", {}},
      {"CR LF", "03053\r\n92018\r\n", {"03053", "92018"}},
      {"LF, final LF gives an empty piece", "03053\n92018\n", {"03053", "92018", ""}},
      {"CR only", "03053\r92018\r", {"03053", "92018"}},
      {"no final line end", "03053\r\n92018", {"03053", "92018"}},
      {"blank line", "03053\r\n\r\n60628", {"03053", "", "60628"}},
      {"LF inside a CR line", "a\nb\r", {"a", "b"}},
      {"CR CR LF", "a\r\r\n", {"a", ""}},
      {"lone LF", "\n", {"", ""}},
      {"byte-order mark skipped",
       "\xEF\xBB\xBF"
       "03053\r\n",
       {"03053"}},
      {"byte-order mark alone", "\xEF\xBB\xBF", {}},
      {"mark then LF", "\xEF\xBB\xBF\n", {"", ""}},
      {"part of a mark is text", "\xEF\xBB", {"\xC3\xAF\xC2\xBB"}},
      {"part of a mark, then Latin-1 text",
       "\xEF\xBB"
       "caf\xE9\r\n",
       {"\xC3\xAF\xC2\xBB"
        "caf\xC3\xA9"}},
      {"mark only at the start", "a\n\xEF\xBB\xBF", {"a", "\xEF\xBB\xBF"}},
      {"Latin-1 byte", "caf\xE9\r\n", {"caf\xC3\xA9"}},
      {"UTF-8 kept", "caf\xC3\xA9;x\r\n", {"caf\xC3\xA9;x"}},
      {"NUL ends the reading", std::string("1\r\n2\0\r\n3", 8), {"1"}, S::NotText},
  };
  for (const Row& r : rows) {
    const Outcome want{r.entries, r.state};
    EXPECT_EQ(read_cut(r.input, {}), want) << r.name;
    for (std::size_t a = 0; a <= r.input.size(); ++a) {
      EXPECT_EQ(read_cut(r.input, {a}), want) << r.name << " cut at " << a;
      for (std::size_t b = a; b <= r.input.size(); ++b)
        ASSERT_EQ(read_cut(r.input, {a, b}), want) << r.name << " cut at " << a << ", " << b;
    }
  }
}

TEST(ListReader, ALineOverTheLimitEndsTheReading) {
  using S = ListReader::State;
  EXPECT_EQ(read_cut("1234\n123456\n1", {}, 5), (Outcome{{"1234"}, S::TooLong}));
  EXPECT_EQ(read_cut("1234\n123456\n1", {7}, 5), (Outcome{{"1234"}, S::TooLong}));
  EXPECT_EQ(read_cut("12345\n12345", {3, 8}, 5), (Outcome{{"12345", "12345"}, S::Reading}));
}

}  // namespace
}  // namespace quorvane

#include "engine/pairing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane {
namespace {

using Mode = Pairing::Mode;

// Every pair as "first|second", block by block.
std::vector<std::string> drain(Pairing& p, std::vector<std::string>& out) {
  for (const ZipPair& z : p.pairs())
    out.push_back(std::string(z.first) + "|" + std::string(z.second));
  p.clear();
  return out;
}

// The pairs of a list at hand (take, with the next entry) and of the same list read as
// it comes (take_next): the rule is one, so they must agree.
std::vector<std::string> pairs_at_hand(Pairing& p, const std::vector<std::string>& list) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < list.size(); ++i) {
    p.take(list[i],
           i + 1 < list.size() ? std::optional<std::string_view>(list[i + 1]) : std::nullopt);
    if (p.full()) drain(p, out);
  }
  return drain(p, out);
}

std::vector<std::string> pairs_as_read(Pairing& p, const std::vector<std::string>& list) {
  std::vector<std::string> out;
  for (const std::string& e : list) {
    std::string copy = e;  // the entry is gone once taken
    p.take_next(copy);
    copy.assign(copy.size(), '#');
    if (p.full()) drain(p, out);
  }
  return drain(p, out);
}

struct Row {
  const char* what;
  Mode mode;
  const char* reference;
  const char* decimal;
  std::vector<std::string> list;
  std::vector<std::string> pairs;
};

TEST(PairingTest, EachNumericEntryStartsOneComparison) {
  const Row rows[] = {
      {"consecutive",
       Mode::Consecutive,
       "",
       ".",
       {"60628", "60629", "60630"},
       {"60628|60629", "60629|60630"}},
      {"a failing entry ends a pair but starts none",
       Mode::Consecutive,
       "",
       ".",
       {"60628", "abc", "60630", ""},
       {"60628|abc", "60630|"}},
      {"the last entry starts nothing", Mode::Consecutive, "", ".", {"60628"}, {}},
      {"blanks and the cut to five characters",
       Mode::Consecutive,
       "",
       ".",
       {" 60628 ", "1,234", "12345", "ÅÄÖÜé6x"},
       {"60628|1,234", "1,234|12345", "12345|ÅÄÖÜé"}},
      {"numbers that are no zip code still compare",
       Mode::Consecutive,
       "",
       ".",
       {"501.5", "-1e3", "00501"},
       {"501.5|-1e3", "-1e3|00501"}},
      {"the user's decimal separator",
       Mode::Consecutive,
       "",
       ",",
       {"501,5", "5,0,1", "1"},
       {"501,5|5,0,1"}},
      {"reference",
       Mode::Reference,
       " 60601x ",
       ".",
       {"60628", "abc", "501.5", "60629"},
       {"60628|60601", "501.5|60601", "60629|60601"}},
      {"no mode, no comparison", Mode::None, "60601", ".", {"60628", "60629"}, {}},
  };
  for (const Row& r : rows) {
    for (bool at_hand : {true, false}) {
      Pairing p(r.decimal, r.decimal == std::string(",") ? "." : ",");
      p.set_mode(r.mode);
      p.set_reference(r.reference);
      EXPECT_EQ(at_hand ? pairs_at_hand(p, r.list) : pairs_as_read(p, r.list), r.pairs)
          << r.what << (at_hand ? " (at hand)" : " (as read)");
    }
  }
}

TEST(PairingTest, PairsSurviveFullBlocksAndTheEntriesTheyCameFrom) {
  std::vector<std::string> list;
  for (std::size_t i = 0; i < 2 * Pairing::kBlock + 3; ++i)
    list.push_back(std::to_string(10000 + i % 90000));
  std::vector<std::string> expected;
  for (std::size_t i = 0; i + 1 < list.size(); ++i) expected.push_back(list[i] + "|" + list[i + 1]);
  for (bool at_hand : {true, false}) {
    Pairing p(".", ",");
    p.set_mode(Mode::Consecutive);
    EXPECT_EQ(at_hand ? pairs_at_hand(p, list) : pairs_as_read(p, list), expected);
  }
}

}  // namespace
}  // namespace quorvane

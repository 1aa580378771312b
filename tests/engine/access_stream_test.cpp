// The reader process's output as the program parses it: whole rows only, and an error
// unless the stream ends as a complete table.
#include "engine/access_stream.h"

#include <gtest/gtest.h>

#include "engine/error_trap.h"

namespace quorvane {
namespace {

std::string field(char type, const std::string& bytes) {
  const auto n = static_cast<std::uint32_t>(bytes.size());
  std::string f(1, type);
  for (int i = 0; i < 4; ++i) f += static_cast<char>((n >> (8 * i)) & 0xFF);
  return f + bytes;
}

std::string row(const std::string& key, const std::string& lat) {
  return field('T', key) + field('T', lat) + field('0', "");
}

struct Outcome {
  std::vector<std::string> rows;  // "key lat lon", null as "-"
  std::string error;
};

Outcome parse(const std::string& data, bool exited_well) {
  Outcome out;
  auto fn = [](void* ctx, const Cell& k, const Cell& a, const Cell& b) {
    auto* o = static_cast<Outcome*>(ctx);
    auto t = [](const Cell& c) { return c.type == Cell::Null ? "-" : std::string(c.text); };
    o->rows.push_back(t(k) + " " + t(a) + " " + t(b));
  };
  try {
    parse_access_stream(data, exited_well, "f.mdb", "zip_code", fn, &out);
  } catch (const RuntimeError& e) {
    out.error = e.what();
  }
  return out;
}

TEST(AccessStream, WholeRowsAndAnEndOrAnError) {
  const std::string damaged =
      "The Access database f.mdb is damaged: its reader stopped before the end of table zip_code";
  const std::string two = row("03053", "42.8") + row("92018", "33.1");
  struct Case {
    const char* name;
    std::string data;
    bool exited_well;
    std::vector<std::string> rows;
    std::string error;
  };
  const Case cases[] = {
      {"complete", two + "E", true, {"03053 42.8 -", "92018 33.1 -"}, ""},
      {"empty table", "E", true, {}, ""},
      {"no end", two, true, {"03053 42.8 -", "92018 33.1 -"}, damaged},
      {"bad exit", two + "E", false, {"03053 42.8 -", "92018 33.1 -"}, damaged},
      {"half a row, then an end",
       two + field('T', "60628") + "E",
       true,
       {"03053 42.8 -", "92018 33.1 -"},
       damaged},
      {"a field cut short", field('T', "03053").substr(0, 7), true, {}, damaged},
      {"a message",
       row("1", "2") + field('X', "Cannot find the input table 'zip_code'"),
       false,
       {"1 2 -"},
       "Cannot find the input table 'zip_code'"},
      {"an end inside a row",
       field('T', "1") + field('E', "") + field('0', "") + "E",
       true,
       {},
       damaged},
      {"bytes after the end", two + "EE", true, {"03053 42.8 -", "92018 33.1 -"}, damaged},
      {"a length past the end", std::string("T\xff\xff\xff\xff") + "E", true, {}, damaged},
      {"nothing", "", false, {}, damaged},
  };
  for (const auto& c : cases) {
    const Outcome o = parse(c.data, c.exited_well);
    EXPECT_EQ(o.rows, c.rows) << c.name;
    EXPECT_EQ(o.error, c.error) << c.name;
  }
}

}  // namespace
}  // namespace quorvane

#include <gtest/gtest.h>

#include <string>

#include "format/csv.h"
#include "format/json.h"

namespace quorvane {
namespace {

TEST(CsvFieldTest, QuotesOnlyWhatNeedsIt) {
  const struct {
    std::string field;
    char delimiter;
    std::string written;
  } rows[] = {
      {"plain", ',', "plain"},
      {"", ',', ""},
      {"a,b", ',', "\"a,b\""},
      {"a,b", '\t', "a,b"},
      {"a\tb", '\t', "\"a\tb\""},
      {"say \"hi\"", ',', "\"say \"\"hi\"\"\""},
      {"line\nbreak", ',', "\"line\nbreak\""},
      {"cr\rhere", ',', "\"cr\rhere\""},
      {"Mëtz", ',', "Mëtz"},
  };
  for (const auto& r : rows) {
    std::string out;
    append_csv_field(out, r.field, r.delimiter);
    EXPECT_EQ(out, r.written) << r.field;
  }
}

TEST(JsonStringTest, EscapesAndKeepsLinesValid) {
  const struct {
    std::string text;
    std::string written;
  } rows[] = {
      {"", "\"\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"tab\there\r\n", "\"tab\\u0009here\\u000d\\u000a\""},
      {"Mëtz ✓", "\"Mëtz ✓\""},
      {"bad\xff", "\"bad\xEF\xBF\xBD\""},
      {"cut\xC3", "\"cut\xEF\xBF\xBD\""},
      {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // a surrogate
  };
  for (const auto& r : rows) {
    std::string out;
    append_json_string(out, r.text);
    EXPECT_EQ(out, r.written);
  }
}

}  // namespace
}  // namespace quorvane

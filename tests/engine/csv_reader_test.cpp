#include "engine/csv_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane {
namespace {

using Records = std::vector<std::vector<std::string>>;
using S = CsvReader::State;

struct Outcome {
  Records records;
  char delimiter;
  S state;
  std::uint64_t line;  // of the last record, or of the fault
};

// With `unsplit`, each record is taken as another thread takes it: its bytes copied,
// then split.
Outcome read_all(const std::string& input, std::size_t block, char delimiter = '\0',
                 std::size_t max_record = 64, bool unsplit = false) {
  CsvReader reader(CsvReader::from_text(input), {delimiter, max_record, block});
  Outcome out;
  while (unsplit ? reader.next_unsplit() : reader.next()) {
    if (unsplit) {
      std::string copy(reader.record_bytes());
      std::vector<std::string_view> fields;
      CsvReader::take_fields(copy.data(), reader.field_bounds(), fields);
      out.records.emplace_back(fields.begin(), fields.end());
      EXPECT_TRUE(reader.fields().empty());
    } else {
      out.records.emplace_back(reader.fields().begin(), reader.fields().end());
    }
    EXPECT_EQ(reader.record(), out.records.size());
  }
  out.delimiter = reader.delimiter();
  out.state = reader.state();
  out.line = reader.line();
  EXPECT_EQ(reader.failed(), !reader.error().empty()) << reader.error();
  return out;
}

TEST(CsvReader, ReadsTablesAsExportsWriteThemHoweverTheBlocksFall) {
  struct Row {
    const char* name;
    std::string input;
    Records records;
    char delimiter = ',';
    S state = S::End;
    std::uint64_t line = 0;
  };
  const std::string bom = "\xEF\xBB\xBF";
  const std::string nul("a,b\n1,\0\n", 8);
  const Row rows[] = {
      {"empty", "", {}},
      {"byte-order mark only", bom, {}},
      {"LF", "id,zip\n1,02134\n", {{"id", "zip"}, {"1", "02134"}}, ',', S::End, 2},
      {"CR LF", "id,zip\r\n1,02134\r\n", {{"id", "zip"}, {"1", "02134"}}, ',', S::End, 2},
      {"lone CR", "id,zip\r1,02134\r", {{"id", "zip"}, {"1", "02134"}}, ',', S::End, 2},
      {"no line break at the end", "a,b\n1,2", {{"a", "b"}, {"1", "2"}}, ',', S::End, 2},
      {"byte-order mark", bom + "zip\n02134\n", {{"zip"}, {"02134"}}, ',', S::End, 2},
      {"empty fields", ",,\n,x,\n", {{"", "", ""}, {"", "x", ""}}, ',', S::End, 2},
      {"empty line is a record", "a\n\nb\n", {{"a"}, {""}, {"b"}}, ',', S::End, 3},
      {"quoted delimiter and quotes",
       "n,z\n\"Smith, \"\"Jo\"\"\",02134\n",
       {{"n", "z"}, {"Smith, \"Jo\"", "02134"}},
       ',',
       S::End,
       2},
      {"quoted line breaks count as lines",
       "n,z\r\n\"a\r\nb\nc\",1\r\nd,2\r\n",
       {{"n", "z"}, {"a\r\nb\nc", "1"}, {"d", "2"}},
       ',',
       S::End,
       5},
      {"quote inside an unquoted field is text", "a\"b,c\n", {{"a\"b", "c"}}},
      {"text after a closing quote is kept", "\"ab\"c,d\n", {{"abc", "d"}}},
      {"empty quoted field", "\"\",\"\"\"\"\n", {{"", "\""}}},
      {"ragged rows",
       "a,b,c\n1\n1,2,3,4\n",
       {{"a", "b", "c"}, {"1"}, {"1", "2", "3", "4"}},
       ',',
       S::End,
       3},
      {"tab detected",
       "a\tb,c\td\n1\t2,3\t4\n",
       {{"a", "b,c", "d"}, {"1", "2,3", "4"}},
       '\t',
       S::End,
       2},
      {"semicolon detected",
       "a;b;c\n1;2,5;3\n",
       {{"a", "b", "c"}, {"1", "2,5", "3"}},
       ';',
       S::End,
       2},
      {"pipe detected", "a|b\n1|2\n", {{"a", "b"}, {"1", "2"}}, '|', S::End, 2},
      {"delimiters in quotes are not counted", "\"a;b;c\",d\n", {{"a;b;c", "d"}}},
      {"one column", "zip\n02134\n", {{"zip"}, {"02134"}}},
      {"not valid UTF-8 passes through", "\xff\xfe,\xe9\n", {{"\xff\xfe", "\xe9"}}},
      {"half-written quoted last line", "a,b\n1,\"Smi", {{"a", "b"}}, ',', S::OpenQuote, 2},
      {"binary", nul, {{"a", "b"}}, ',', S::NotText, 2},
      {"record longer than the limit",
       "a\n" + std::string(80, 'x') + "\nb\n",
       {{"a"}},
       ',',
       S::TooLong,
       2},
      {"quoted record longer than the limit",
       "a\n\"" + std::string(80, '\n') + "\"\n",
       {{"a"}},
       ',',
       S::TooLong,
       2},
  };
  for (const Row& r : rows)
    for (std::size_t block : {1, 2, 3, 7, 4096}) {
      const Outcome o = read_all(r.input, block);
      EXPECT_EQ(o.records, r.records) << r.name << ", block " << block;
      EXPECT_EQ(read_all(r.input, block, '\0', 64, true).records, r.records)
          << r.name << ", unsplit, block " << block;
      EXPECT_EQ(o.delimiter, r.delimiter) << r.name << ", block " << block;
      EXPECT_EQ(o.state, r.state) << r.name << ", block " << block;
      if (r.line) {
        EXPECT_EQ(o.line, r.line) << r.name << ", block " << block;
      }
    }
}

TEST(CsvReader, GivenDelimiterWinsAndLongRecordsUpToTheLimitPass) {
  EXPECT_EQ(read_all("a;b,c\n", 3, ',').records, (Records{{"a;b", "c"}}));
  const std::string field(60, 'x');
  const Outcome o = read_all(field + "\n" + field + "\n", 5);
  EXPECT_EQ(o.records, (Records{{field}, {field}}));
  EXPECT_EQ(o.state, S::End);
}

// Random text of the bytes that matter: the records, the fault and its line are the same
// however the blocks fall.
TEST(CsvReader, BlocksChangeNothing) {
  const char bytes[] = {'a', ',', '"', '\r', '\n', ';', '\t'};
  std::uint32_t seed = 12345;
  for (int round = 0; round < 2000; ++round) {
    std::string input;
    const int size = round % 40;
    for (int i = 0; i < size; ++i) {
      seed = seed * 1664525u + 1013904223u;
      input += bytes[(seed >> 24) % sizeof bytes];
    }
    const Outcome whole = read_all(input, 4096);
    for (std::size_t block : {1, 2, 5}) {
      const Outcome cut = read_all(input, block);
      EXPECT_EQ(cut.records, whole.records) << '"' << input << '"' << ", block " << block;
      EXPECT_EQ(cut.state, whole.state) << '"' << input << '"';
      EXPECT_EQ(cut.line, whole.line) << '"' << input << '"';
      EXPECT_EQ(cut.delimiter, whole.delimiter) << '"' << input << '"';
    }
  }
}

TEST(CsvReader, SaysWhereTheFaultIs) {
  CsvReader reader(CsvReader::from_text("a\n\"b\nc"), {});
  while (reader.next()) {
  }
  EXPECT_EQ(reader.error(),
            "the quoted field of the record on line 2 is not closed when the input ends (a "
            "half-written file?)");
}

}  // namespace
}  // namespace quorvane

// quorvane-cli augment: every row out for every row in, the tables exports write, the
// status of each row, and bad input refused before anything that looks like a result.
// Also the zip code arguments of the other commands and run's line on entries left out.
#include "engine/csv_reader.h"
#include "tests/cli/cli_fixture.h"

namespace quorvane::test {
namespace {

struct Case {
  const char* name;
  std::vector<std::string> args;
  std::string input, out;
  int status = 0;
};

const std::string kHead = "miles,status,from_zip,to_zip\r\n";

TEST_F(Cli, AugmentWritesEveryRowBackWithItsDistance) {
  const std::string bom = "\xEF\xBB\xBF";
  const Case cases[] = {
      {"quoted delimiters, quotes and line breaks; CR LF",
       {"augment", "-", "--from", "zip", "--to", "Store"},
       "name,zip,store\r\n\"Smith, \"\"Jo\"\"\",03053,92018\r\n\"two\nlines\",92018,03053\r\n",
       "name,zip,store," + kHead + "\"Smith, \"\"Jo\"\"\",03053,92018,2555.89,,03053,92018\r\n" +
           "\"two\nlines\",92018,03053,2555.89,,92018,03053\r\n"},
      {"spreadsheet cells cleaned, what was used shown; quotes not needed dropped",
       {"augment", "-", "--from", "1", "--to", "2"},
       bom + "a,b\n'03053,\"92018-1234\"\n3053,=\"92018\"\n",
       "a,b," + kHead + "'03053,92018-1234,2555.89,,03053,92018\r\n" +
           "3053,\"=\"\"92018\"\"\",2555.89,,03053,92018\r\n"},
      {"statuses: not-a-zip keeps its row, not-in-table, empty fields",
       {"augment", "-", "--from", "a", "--to", "b"},
       "a,b,c\n03053,99999,\nabc,03053,x\n,,\n03053,92018,\n",
       "a,b,c," + kHead + "03053,99999,,,not-in-table,03053,99999\r\n" +
           "abc,03053,x,,not-a-zip,,03053\r\n,,,,not-a-zip,,\r\n" +
           "03053,92018,,2555.89,,03053,92018\r\n",
       1},
      {"ragged rows keep their row as not-a-zip; a short one is filled up",
       {"augment", "-", "--from", "a", "--to", "b"},
       "a,b,c\n03053\n03053,92018,x,y\n\n03053,92018,z\n",
       "a,b,c," + kHead + "03053,,,,not-a-zip,,\r\n03053,92018,x,y,,not-a-zip,,\r\n" +
           ",,,,not-a-zip,,\r\n03053,92018,z,2555.89,,03053,92018\r\n",
       1},
      {"zero coordinates in the 2012 table; a half-written last line without its break",
       {"augment", "-", "--from", "a", "--to-zip", "03053", "--database", "2012"},
       "a\n34001\n92018",
       "a," + kHead + "34001,,zero-coordinates,34001,03053\r\n92018,2555.89,,92018,03053\r\n",
       1},
      {"tab detected and kept; km",
       {"augment", "-", "--from", "A", "--to", "B", "--units", "km"},
       "A\tB\n03053\t92018\n",
       "A\tB\tkm\tstatus\tfrom_zip\tto_zip\r\n03053\t92018\t4113.3\t\t03053\t92018\r\n"},
      {"semicolon given",
       {"augment", "-", "--from", "1", "--to-zip", "92018-0001", "--no-header", "--delimiter", ";"},
       "03053,1;x\n",
       "03053,1;x;;not-a-zip;;92018\r\n",
       1},
      {"no header: numbers name the columns",
       {"augment", "-", "--from", "2", "--to-zip", "92018", "--no-header"},
       "x,03053\ny,60628\n",
       "x,03053,2555.89,,03053,92018\r\ny,60628,1724.5,,60628,92018\r\n"},
      {"strict: only five digits",
       {"augment", "-", "--from", "a", "--to-zip", "92018", "--strict"},
       "a\n03053\n3053\n",
       "a," + kHead + "03053,2555.89,,03053,92018\r\n3053,,not-a-zip,,92018\r\n",
       1},
      {"JSON lines: header names as keys, a short row's missing fields null",
       {"augment", "-", "--from", "zip", "--to-zip", "92018", "--format", "jsonl"},
       "name,zip,miles\n\"Jo \"\"J\"\"\",03053,1\nX\n\xff,99999,2\n",
       "{\"name\":\"Jo \\\"J\\\"\",\"zip\":\"03053\",\"miles_2\":\"1\",\"miles\":2555.89,"
       "\"status\":\"\",\"from_zip\":\"03053\",\"to_zip\":\"92018\"}\n"
       "{\"name\":\"X\",\"zip\":null,\"miles_2\":null,\"miles\":null,\"status\":\"not-a-zip\","
       "\"from_zip\":\"\",\"to_zip\":\"\"}\n"
       "{\"name\":\"\xEF\xBF\xBD\",\"zip\":\"99999\",\"miles_2\":\"2\",\"miles\":null,\"status\":"
       "\"not-in-table\",\"from_zip\":\"99999\",\"to_zip\":\"92018\"}\n",
       1},
      {"a header and no rows",
       {"augment", "-", "--from", "a", "--to", "a"},
       "a\n",
       "a," + kHead,
       1},
      {"an empty file", {"augment", "-", "--from", "a", "--to", "a"}, "", "", 1},
  };
  for (const Case& c : cases) {
    const Outcome r = cli(c.args, c.input);
    EXPECT_EQ(r.out, c.out) << c.name << "\n" << r.err;
    EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.err;
  }
}

TEST_F(Cli, AugmentSumsUpEachStatusOnStandardError) {
  const Outcome r = cli({"augment", "-", "--from", "a", "--to", "b"},
                        "a,b\n03053,92018\nabc,92018\n3053,99999\nx,y\n92018,3053\n");
  EXPECT_EQ(r.err,
            "quorvane-cli: 2 rows with a distance\n"
            "quorvane-cli: 1 row not-in-table (first: line 4, 99999)\n"
            "quorvane-cli: 2 rows not-a-zip (first: line 3, 'abc')\n"
            "quorvane-cli: 2 rows have a zip code written another way, read as five digits "
            "(first: line 4, '3053' read as 03053)\n");
}

// Rows of every kind, quoted or not, across the reader's and the writer's blocks: as many
// rows come out as went in, each with its own fields first.
TEST_F(Cli, AugmentWritesOneRowOutPerRowIn) {
  const char* cells[] = {"03053", "'92018", "\"a, \"\"b\"\"\"", "", "\"x\r\ny\"", "2134-1"};
  std::string input = "id,zip,note\r\n";
  for (int i = 0; i < 20000; ++i)
    input += std::to_string(i) + "," + cells[i % 6] + "," + cells[(i / 6) % 6] + "\r\n";
  const std::string path = file("rows.csv", input);
  const Outcome r = cli({"augment", path, "--from", "zip", "--to", "note"});
  EXPECT_EQ(r.status, 1) << r.err;
  CsvReader in(CsvReader::from_text(input)), out(CsvReader::from_text(r.out));
  std::uint64_t rows = 0;
  while (in.next()) {
    ASSERT_TRUE(out.next()) << "row " << rows;
    ASSERT_EQ(out.fields().size(), in.fields().size() + 4) << "row " << rows;
    for (std::size_t i = 0; i < in.fields().size(); ++i)
      EXPECT_EQ(out.fields()[i], in.fields()[i]) << "row " << rows;
    ++rows;
  }
  EXPECT_FALSE(out.next());
  EXPECT_EQ(rows, 20001u);
}

TEST_F(Cli, AugmentRefusesBadInputBeforeWritingAResult) {
  const std::string long_line = file("long.csv", "a\n" + std::string((1 << 20) + 10, '1') + "\n");
  const std::string binary = file("binary.csv", std::string("a,b\x00\n03053,92018\n", 17));
  struct Bad {
    std::vector<std::string> args;
    std::string input;
    std::string err;  // a part of standard error
  };
  const Bad bad[] = {
      {{"augment", "-", "--from", "zipcode", "--to", "b"},
       "id,zip,b\n1,03053,92018\n",
       "--from zipcode: no such column in standard input; its columns are id, zip, b"},
      {{"augment", "-", "--from", "4", "--to", "b"}, "id,zip,b\n", "--from 4: no such column"},
      {{"augment", "-", "--from", "zip", "--to", "2", "--no-header"},
       "03053,92018\n",
       "with --no-header a column is named by its number, and the first row has 2 columns"},
      {{"augment", long_line, "--from", "a", "--to", "a"},
       "",
       "the record on line 2 is longer than 1 MB"},
      {{"augment", binary, "--from", "a", "--to", "b"}, "", "it is not a text file"},
      {{"augment", "-", "--from", "a"}, "a\n", "--to COL or --to-zip ZIP"},
      {{"augment", "-", "--from", "a", "--to", "a", "--to-zip", "03053"}, "a\n", "--to-zip"},
      {{"augment", "-", "--from", "a", "--to-zip", "abc"}, "a\n", "--to-zip abc: not a zip code"},
      {{"augment", "-", "--from", "a", "--to", "a", "--delimiter", ",,"}, "a\n", "--delimiter"},
      {{"augment", "-", "--from", "a", "--to", "a", "--format", "xml"}, "a\n", "--format"},
      {{"augment", "/no/such.csv", "--from", "a", "--to", "a"}, "", "File not found"},
      {{"augment", "/tmp", "--from", "a", "--to", "a"}, "", "not a regular file"},
  };
  for (const Bad& b : bad) {
    const Outcome r = cli(b.args, b.input);
    EXPECT_EQ(r.status, 2) << b.err << "\n" << r.err;
    EXPECT_EQ(r.out, "") << b.err;
    EXPECT_NE(r.err.find(b.err), std::string::npos) << r.err;
  }
  // A fault after some rows: those rows stay written, and the fault is an error.
  const Outcome cut =
      cli({"augment", "-", "--from", "a", "--to-zip", "92018"}, "a\n03053\n\"03053\n");
  EXPECT_EQ(cut.status, 2);
  EXPECT_EQ(cut.out, "a," + kHead + "03053,2555.89,,03053,92018\r\n");
  EXPECT_NE(cut.err.find("is not closed when the input ends"), std::string::npos) << cut.err;
}

TEST_F(Cli, AugmentMemoryStaysTheSameHoweverLongTheTable) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer holds freed memory back for a while";
#endif
  auto peak = [](long rows) {
    const Outcome r =
        run_cli({{"augment", "-", "--no-header", "--from", "1", "--to", "2", "--db", db()},
                 "03053,'92018,\"Smith, Jo\"\r\n",
                 Stdout::Discard,
                 {},
                 rows});
    EXPECT_EQ(r.status, 0) << r.err;
    return r.peak_kb;
  };
  const long short_run = peak(100'000), long_run = peak(1'000'000);
  EXPECT_LT(long_run, short_run + 4096) << short_run << " KB, then " << long_run << " KB";
}

// The zip code arguments of the other commands are read as augment reads a cell.
TEST_F(Cli, EveryCommandReadsAZipCodeArgumentAlike) {
  for (const char* zip : {"'03053", "3053", "03053-1234", "030531234", " 03053 ", "=\"03053\""}) {
    EXPECT_EQ(cli({"distance", zip, "92018"}).out, cli({"distance", "03053", "92018"}).out) << zip;
    EXPECT_EQ(cli({"within", zip, "10"}).out, cli({"within", "03053", "10"}).out) << zip;
    EXPECT_EQ(cli({"run", "--reference", zip}, "92018\n").out,
              cli({"run", "--reference", "03053"}, "92018\n").out)
        << zip;
  }
}

TEST_F(Cli, RunSaysWhichEntriesItDidNotCompare) {
  const struct {
    std::vector<std::string> args;
    std::string input, err;
  } cases[] = {
      {{"run"}, "03053\n92018\n", ""},
      {{"run", "--reference", "92018"},
       "03053\n03053-1234\n\n abc\n  \n03053\n",
       "4 entries were not compared: 2 not a number (first: '03053-1234', entry 2), 2 blank "
       "(first: entry 3)"},
      {{"run"},
       "03053\nabc\nx\n92018\n",
       "2 entries were not compared: 1 not a number ('x', entry 3), 1 without a next entry "
       "('92018', entry 4)"},
  };
  for (const auto& c : cases) {
    const Outcome r = cli(c.args, c.input);
    EXPECT_EQ(r.err, c.err.empty() ? "" : "quorvane-cli: " + c.err + "\n") << c.input;
  }
}

}  // namespace
}  // namespace quorvane::test

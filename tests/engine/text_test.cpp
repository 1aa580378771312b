#include "engine/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace quorvane {
namespace {

TEST(DistanceText, ShortestFormHalfToEven) {
  struct Row {
    double miles;
    const char* sep;
    const char* text;
  };
  const Row rows[] = {
      {69.0899999999822, ".", "69.09"},
      {12436.2000142, ".", "12436.2"},
      {7, ".", "7"},
      {0.004, ".", "0"},
      {0.125, ".", "0.12"},
      {0.375, ".", "0.38"},
      {0.625, ".", "0.62"},  // exact halves go to the even neighbour, never away from zero
      {1.875, ".", "1.88"},
      {-0.125, ".", "-0.12"},
      {0.5, ".", "0.5"},
      {1234567.891, ".", "1234567.89"},
      {0, ".", "0"},
      {69.0899999999822, ",", "69,09"},
      {52.9257330519, ",", "52,93"},
      {3.1, ",", "3,1"},
  };
  for (const auto& r : rows) EXPECT_EQ(distance_text(r.miles, r.sep), r.text) << r.miles;
}

TEST(DistanceText, HugeValuesInFullWithTheirSign) {
  // All their digits, as printf writes them.
  for (double miles : {9.0e16, -9.0e16, 1e63, -1e63, -1e300, 1.7976931348623157e308,
                       -1.7976931348623157e308, 9000000000000001.0}) {
    char expected[400];
    std::snprintf(expected, sizeof expected, "%.0f", miles);
    EXPECT_EQ(distance_text(miles, "."), expected) << miles;
  }
  EXPECT_EQ(distance_text(100000000000000.125, ","), "100000000000000,12");
  EXPECT_EQ(distance_text(-100000000000000.5, "."), "-100000000000000.5");
  EXPECT_EQ(distance_text(-0.001, "."), "0");
}

TEST(NumericTest, AcceptsNumbersAsTheUserWritesThem) {
  struct Row {
    const char* text;
    const char* dec;
    const char* group;
    bool numeric;
  };
  const Row rows[] = {
      {"60628", ".", ",", true},  {"  03053  ", ".", ",", true}, {"-12", ".", ",", true},
      {"+1.5", ".", ",", true},   {"1e3", ".", ",", true},       {"1,234", ".", ",", true},
      {".5", ".", ",", true},     {"1,5", ",", ".", true},       {"1.5", ",", ".", true},
      {"", ".", ",", false},      {"   ", ".", ",", false},      {"12a45", ".", ",", false},
      {"ABC", ".", ",", false},   {"1 2", ".", ",", false},      {"1e", ".", ",", false},
      {"-", ".", ",", false},     {",12", ".", ",", false},      {"12345abc", ".", ",", false},
      {"6062x", ".", ",", false}, {"12345", "1", "2", true},     {"\t2134 ", ".", ",", true},
  };
  for (const auto& r : rows)
    EXPECT_EQ(is_numeric(r.text, r.dec, r.group), r.numeric) << '"' << r.text << '"';
}

TEST(SqlNumber, ReadsWhatAnUnquotedLiteralWouldBe) {
  EXPECT_EQ(parse_sql_number("02134"), 2134.0);
  EXPECT_EQ(parse_sql_number("-5"), -5.0);
  EXPECT_EQ(parse_sql_number("2.5e1"), 25.0);
  // Beyond a double's range: too small is zero, too large is infinite, as the database reads them.
  struct Row {
    const char* text;
    double value;
  };
  const Row rows[] = {
      {"1e-400", 0.0},
      {"-1e-400", -0.0},
      {"12345e-330", 0.0},
      {"0.00001e-320", 0.0},
      {"1e-99999999999999999999", 0.0},
      {"1e400", HUGE_VAL},
      {"-1e400", -HUGE_VAL},
      {"0.0001e312", 1e308},
      {"1e99999999999999999999", HUGE_VAL},
      {"4.9e-324", 4.9e-324},
  };
  for (const auto& r : rows) {
    const auto v = parse_sql_number(r.text);
    ASSERT_TRUE(v.has_value()) << r.text;
    EXPECT_EQ(*v, r.value) << r.text;
    EXPECT_EQ(std::signbit(*v), std::signbit(r.value)) << r.text;
  }
  for (const char* bad : {"", " 1", "1 OR 1=1", "1;", "'1'", "1,5", "0x10", "abc"})
    EXPECT_FALSE(parse_sql_number(bad).has_value()) << bad;
}

TEST(ZipOfEntry, TrimsThenCutsToFive) {
  EXPECT_EQ(zip_of_entry("  123456"), "12345");
  EXPECT_EQ(zip_of_entry(" 1234 "), "1234");
  EXPECT_EQ(zip_of_entry(""), "");
  EXPECT_EQ(zip_of_entry("60628  "), "60628");
  EXPECT_EQ(zip_of_entry("6062x"), "6062x");
  EXPECT_EQ(zip_of_entry("\xc3\xa9"
                         "12345"),
            "\xc3\xa9"
            "1234");
}

TEST(Paths, FileNamePartAndCollapse) {
  EXPECT_EQ(file_name_part("C:\\lists\\a.txt"), "a.txt");
  EXPECT_EQ(file_name_part("/home/u/a.txt"), "a.txt");
  EXPECT_EQ(file_name_part("03053"), "03053");
  EXPECT_EQ(file_name_part("C:\\lists\\"), "");
  struct Row {
    const char* in;
    const char* out;
  };
  const Row rows[] = {
      {"C:\\\\a.txt", "C:\\a.txt"},
      {"C:\\lists\\\\\\a.txt", "C:\\lists\\\\a.txt"},  // one pass: three become two
      {"\\\\server\\share\\\\a.txt", "\\\\server\\share\\a.txt"},
      {"\\x\\\\a.txt", "\\\\x\\a.txt"},
      {"//a.txt", "/a.txt"},
      {"/home/u//a.txt", "/home/u/a.txt"},
      {"plain.txt", "plain.txt"},
  };
  for (const auto& r : rows) EXPECT_EQ(collapse_backslashes(r.in), r.out) << r.in;
}

}  // namespace
}  // namespace quorvane

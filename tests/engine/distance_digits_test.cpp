// put_short_distance against a reference written with printf, at the boundaries of its
// rounding and digit writing: exact halves, 32-bit hundredths, 2^52 and 2^53.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "engine/text.h"

namespace quorvane {
namespace {

// The hundredths of the product miles * 100, halves to even, written with printf; empty
// where the text is the general writer's (2^53 hundredths and beyond, not a number).
std::string reference(double miles, const std::string& sep) {
  const double h = std::nearbyint(miles * 100.0);
  if (!(std::fabs(h) < 0x1p53)) return "";
  const auto v = static_cast<long long>(std::fabs(h));
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s%lld", h < 0 && v != 0 ? "-" : "", v / 100);
  std::string s = buf;
  if (v % 100 != 0) {
    std::snprintf(buf, sizeof buf, "%02lld", v % 100);
    s += sep + (buf[1] == '0' ? std::string(1, buf[0]) : std::string(buf));
  }
  return s;
}

std::string written(double miles, const std::string& sep) {
  char buf[kShortDistanceRoom + 8];
  const char* end = put_short_distance(buf, miles, sep);
  return end ? std::string(buf, static_cast<std::size_t>(end - buf)) : std::string();
}

// A number of miles whose product by 100 is exactly x, found among the neighbours of
// x / 100, or not a number when none is (products step by about 1.5 units there).
double miles_for(double x) {
  double m = x / 100.0;
  for (int i = 0; i < 8; ++i) m = std::nextafter(m, -HUGE_VAL);
  for (int i = 0; i < 16; ++i, m = std::nextafter(m, HUGE_VAL))
    if (m * 100.0 == x) return m;
  return std::nan("");
}

TEST(DistanceDigits, BoundariesAsPrintfRoundsThem) {
  std::vector<double> products = {0,     0.4,   0.5,   1.5,  2.5,  12.5, 13.5,   99.5,
                                  100.5, 101.5, 999.5, 1000, 1005, 1050, 99999.5};
  for (double whole = 1; whole <= 1e9; whole *= 10)  // every digit count
    for (double d : {-1.0, 0.0}) products.push_back((whole + d) * 100.0 + 50.0);
  for (double base : {0x1p32, 0x1p52, 0x1p53})  // 32-bit hundredths, 2^52, 2^53
    for (double d = -3; d <= 3; d += 0.5) products.push_back(base + d);
  std::size_t reached = 0;
  for (double x : products) {
    for (double sign : {1.0, -1.0}) {
      const double miles = miles_for(sign * x);
      if (std::isnan(miles)) continue;  // no such product
      ++reached;
      for (const std::string sep : {".", ",", "\xd9\xab"}) {
        EXPECT_EQ(written(miles, sep), reference(miles, sep)) << sign * x << " hundredths";
        if (!reference(miles, sep).empty()) {
          EXPECT_EQ(distance_text(miles, sep), written(miles, sep));
        }
      }
    }
  }
  EXPECT_GT(reached, products.size());  // most of them, both signs
}

TEST(DistanceDigits, ExactHalvesGoToTheEvenHundredth) {
  const struct {
    double product;
    const char* text;
  } rows[] = {
      {0.5, "0"},
      {1.5, "0.02"},
      {2.5, "0.02"},
      {-2.5, "-0.02"},
      {-0.5, "0"},
      {1234.5, "12.34"},
      {1235.5, "12.36"},
      {0x1p32 + 0.5, "42949672.96"},
      {0x1p32 - 0.5, "42949672.96"},
      {0x1p52 - 0.5, "45035996273704.96"},
      {0x1p53 - 1, "90071992547409.91"},
      {-0x1p53 + 1, "-90071992547409.91"},
  };
  for (const auto& r : rows) {
    const double miles = miles_for(r.product);
    ASSERT_EQ(miles * 100.0, r.product);
    EXPECT_EQ(written(miles, "."), r.text) << r.product;
  }
}

TEST(DistanceDigits, NotWrittenBeyondTwoToTheFiftyThreeOrNotANumber) {
  char buf[kShortDistanceRoom + 8];
  for (double miles :
       {0x1p53 / 100.0 * 1.0000001, -0x1p53 / 100.0 * 1.0000001, HUGE_VAL, -HUGE_VAL, std::nan("")})
    EXPECT_EQ(put_short_distance(buf, miles, "."), nullptr) << miles;
  EXPECT_EQ(distance_text(std::nan(""), "."), "nan");
}

TEST(DistanceDigits, RandomMilesAsPrintfRoundsThem) {
  std::mt19937_64 rng(23);
  std::uniform_real_distribution<double> earth(-13000, 13000), exponent(-3, 15.9);
  std::size_t bad = 0;
  for (int i = 0; i < 200000; ++i) {
    const double miles = i % 2 ? earth(rng) : std::pow(10.0, exponent(rng));
    bad += written(miles, ".") != reference(miles, ".");
  }
  EXPECT_EQ(bad, 0u);
}

TEST(FiveDigitNumber, EveryByteTested) {
  const struct {
    std::string_view text;
    std::int32_t number;
  } rows[] = {
      {"00000", 0},
      {"99999", 99999},
      {"02134", 2134},
      {"10203", 10203},
      {"90210", 90210},
      {"/0000", -1},
      {"0000/", -1},
      {":0000", -1},
      {"00:00", -1},
      {"0000:", -1},
      {"0\xb0"
       "00",
       -1},
      {"000\xb9", -1},
      {"\xff"
       "9999",
       -1},
      {"9999\xff", -1},
      {"1234", -1},
      {"123456", -1},
      {"", -1},
      {"12 34", -1},
      {"+1234", -1},
      {std::string_view("1234\0", 5), -1},
  };
  for (const auto& r : rows) EXPECT_EQ(five_digit_number(r.text), r.number) << r.text;
  char text[6] = {};
  for (int i = 0; i < 100000; i += 7) {  // every digit in every place
    std::snprintf(text, sizeof text, "%05d", i);
    ASSERT_EQ(five_digit_number(text), i) << text;
  }
}

}  // namespace
}  // namespace quorvane

#include "engine/distance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "engine/error_trap.h"
#include "engine/text.h"

namespace quorvane {
namespace {

struct DistanceRow {
  double lat1, lat2, lon1, lon2;
  const char* text;
};

void PrintTo(const DistanceRow& r, std::ostream* os) {
  *os << r.text;
}

class DistanceRows : public ::testing::TestWithParam<DistanceRow> {};

TEST_P(DistanceRows, RoundsToTheKnownFigure) {
  const auto& r = GetParam();
  EXPECT_EQ(distance_text(distance_miles(r.lat1, r.lat2, r.lon1, r.lon2), "."), r.text);
  // Swapping the two points gives the same distance.
  EXPECT_EQ(distance_text(distance_miles(r.lat2, r.lat1, r.lon2, r.lon1), "."), r.text);
}

INSTANTIATE_TEST_SUITE_P(KnownPoints, DistanceRows,
                         ::testing::Values(DistanceRow{40, 41, -75, -75, "69.09"},
                                           DistanceRow{40, 40, -75, -74, "52.93"},
                                           DistanceRow{0, 0, 0, 180, "12436.2"},
                                           DistanceRow{90, -90, 0, 0, "12436.2"},
                                           DistanceRow{42.5, 42.5, -71.25, -71.25, "0"}));

TEST(Distance, RawValuesCarryTheOldPiDigits) {
  EXPECT_NEAR(distance_miles(40, 41, -75, -75), 69.0899999999822, 1e-9);
  EXPECT_LT(distance_miles(40, 41, -75, -75), 69.09);
  EXPECT_NEAR(distance_miles(0, 0, 0, 180), 12436.2000142, 1e-6);
}

TEST(Distance, ArgumentOrderMatters) {
  // Latitudes first, then longitudes: swapping a latitude with a longitude differs.
  EXPECT_NE(distance_miles(40, 41, -75, -74), distance_miles(-75, 41, 40, -74));
}

TEST(ArcCos, EndpointsTakeNoSquareRoot) {
  EXPECT_EQ(arc_cos(1.0), 0.0);
  EXPECT_EQ(arc_cos(-1.0), 3.14159265358979);
  EXPECT_EQ(arc_cos(0.0), 1.5707963267949);
}

TEST(ArcCos, ClampsRoundingPastOne) {
  EXPECT_EQ(arc_cos(std::nextafter(1.0, 2.0)), 0.0);
  EXPECT_EQ(arc_cos(std::nextafter(-1.0, -2.0)), 3.14159265358979);
}

TEST(ArcCos, NonFiniteArgumentIsARunTimeError) {
  EXPECT_THROW(arc_cos(std::numeric_limits<double>::quiet_NaN()), RuntimeError);
  EXPECT_THROW(distance_miles(std::numeric_limits<double>::infinity(), 1, 2, 3), RuntimeError);
}

TEST(Distance, PrecomputedLatitudesGiveIdenticalBits) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180);
  for (int i = 0; i < 10000; ++i) {
    const double a = lat(rng), b = lat(rng), c = lon(rng), d = lon(rng);
    const double pre = distance_miles_pre(std::sin(deg_to_rad(a)), std::cos(deg_to_rad(a)),
                                          std::sin(deg_to_rad(b)), std::cos(deg_to_rad(b)), c, d);
    ASSERT_EQ(pre, distance_miles(a, b, c, d)) << a << " " << b << " " << c << " " << d;
  }
}

}  // namespace
}  // namespace quorvane

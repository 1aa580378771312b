// The Albers USA composite against d3-geo's geoAlbersUsa at scale 1300, translate
// [487.5, 305] (the us-atlas outlines' projection), and rings and legs on the map.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/albers_usa.h"
#include "engine/geodesic_path.h"

namespace quorvane {
namespace {

struct Place {
  const char* name;
  double lat, lon;
  Inset inset;
  double x, y;  // geoAlbersUsa().scale(1300).translate([487.5, 305])([lon, lat])
};

const Place kPlaces[] = {
    {"Seattle", 47.6062, -122.3321, Inset::Lower48, 97.624966947, 46.318659230},
    {"Miami", 25.7617, -80.1918, Inset::Lower48, 822.738315830, 572.540779113},
    {"New York", 40.7128, -74.006, Inset::Lower48, 869.718765020, 215.740521873},
    {"Key West", 24.5551, -81.78, Inset::Lower48, 794.405886603, 604.452493226},
    {"Anchorage", 61.2181, -149.9003, Inset::Alaska, 112.277427570, 544.277916220},
    {"Utqiagvik", 71.29, -156.79, Inset::Alaska, 89.386596577, 465.038494736},
    {"Adak, west of Hawaii's longitude", 51.88, -176.65, Inset::Alaska, -12.777934354,
     600.142351267},
    {"Honolulu", 21.3069, -157.8583, Inset::Hawaii, 266.959946769, 549.190372940},
    {"Hilo", 19.7297, -155.09, Inset::Hawaii, 326.152273754, 584.674954180},
    {"San Juan, Puerto Rico", 18.4655, -66.1057, Inset::None, 0, 0},
    {"Guam", 13.4443, 144.7937, Inset::None, 0, 0},
    {"0, 0 (a stored stand-in)", 0, 0, Inset::None, 0, 0},
    {"not a latitude", 95, -100, Inset::None, 0, 0},
    {"not a number", NAN, -100, Inset::None, 0, 0},
};

TEST(AlbersUsa, MatchesTheCompositeOfTheOutlines) {
  const AlbersUsa projection;
  for (const Place& p : kPlaces) {
    SCOPED_TRACE(p.name);
    const Projected got = projection.project(p.lat, p.lon);
    ASSERT_EQ(got.inset, p.inset);
    if (p.inset == Inset::None) continue;
    EXPECT_NEAR(got.at.x, p.x, 1e-6);
    EXPECT_NEAR(got.at.y, p.y, 1e-6);
  }
}

TEST(AlbersUsa, ScaleAndTranslateMoveEveryInset) {
  const AlbersUsa atlas, half(650, {0, 0});
  for (const Place& p : kPlaces) {
    if (p.inset == Inset::None) continue;
    SCOPED_TRACE(p.name);
    const Projected got = half.project(p.lat, p.lon);
    ASSERT_EQ(got.inset, p.inset);
    EXPECT_NEAR(got.at.x, (p.x - AlbersUsa::kAtlasX) / 2, 1e-6);
    EXPECT_NEAR(got.at.y, (p.y - AlbersUsa::kAtlasY) / 2, 1e-6);
  }
}

double run_length(const std::vector<MapXY>& run) {
  double sum = 0;
  for (std::size_t i = 1; i < run.size(); ++i)
    sum += std::hypot(run[i].x - run[i - 1].x, run[i].y - run[i - 1].y);
  return sum;
}

TEST(GeodesicPaths, RingClosesAroundItsCentre) {
  const AlbersUsa projection;
  for (Method method : {Method::Sphere, Method::Geodesic}) {
    const GeodesicPaths paths(projection, method);
    // 100 miles around Kansas City: one closed run, every point about as far away on
    // the map (an equal-area conic shows a small ring nearly round).
    const MapPath ring = paths.ring(39.0997, -94.5786, 100);
    ASSERT_EQ(ring.runs.size(), 1u);
    const auto& run = ring.runs[0];
    EXPECT_EQ(run.size(), 361u);
    EXPECT_NEAR(run.front().x, run.back().x, 1e-9);
    const MapXY c = projection.project(39.0997, -94.5786).at;
    for (const MapXY& p : run) EXPECT_NEAR(std::hypot(p.x - c.x, p.y - c.y), 33, 2);
  }
}

TEST(GeodesicPaths, LegBreaksWhereItLeavesAnInset) {
  const AlbersUsa projection;
  const GeodesicPaths paths(projection, Method::Geodesic);
  // Seattle to Anchorage: a run in the lower 48's rectangle and one in Alaska's inset.
  const MapPath leg = paths.leg(47.6062, -122.3321, 61.2181, -149.9003);
  ASSERT_EQ(leg.runs.size(), 2u);
  EXPECT_NEAR(leg.runs[0].front().x, 97.624966947, 1e-6);
  EXPECT_NEAR(leg.runs[1].back().x, 112.277427570, 1e-6);
  // Within one inset, a single run from end to end, no shorter than the straight line.
  const MapPath east = paths.leg(47.6062, -122.3321, 25.7617, -80.1918);
  ASSERT_EQ(east.runs.size(), 1u);
  EXPECT_GE(run_length(east.runs[0]), std::hypot(822.74 - 97.62, 572.54 - 46.32) - 1);
  // Honolulu to San Juan: only the part in Hawaii's inset, not the lower 48's rectangle
  // it crosses over Mexico.
  const MapPath south = paths.leg(21.3069, -157.8583, 18.4655, -66.1057);
  ASSERT_EQ(south.runs.size(), 1u);
  for (const MapXY& p : south.runs[0]) EXPECT_LT(p.x, 487.5 - 0.115 * 1300);
  // San Juan to Ponce, in Puerto Rico: nothing on the map.
  EXPECT_TRUE(paths.leg(18.4655, -66.1057, 18.0111, -66.6141).runs.empty());
}

}  // namespace
}  // namespace quorvane

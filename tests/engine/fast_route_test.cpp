// The batch call's fast distance route against the plain formula, line by line.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/distance.h"
#include "engine/fast_distance.h"
#include "engine/text.h"
#include "engine/zip_distance.h"

namespace quorvane {
namespace {

// Random pairs per table, besides every row with its neighbour and with itself: enough
// to meet every kind of pair (near, far, across the date line, the same point) many
// times. The rare distances near a half hundredth, where a weak guard rounds the other
// way, are FastRouteGuard's: random pairs almost never meet one.
constexpr std::size_t kRandomPairs = 200000;

struct Usable {
  std::string zip;
  double lat, lon;
};

std::vector<Usable> usable_rows(const ZipTable& t) {
  std::vector<Usable> rows;
  t.for_each_row([&](std::string_view zip, const ZipRow& r) {
    if (r.bad == 0 && r.lat != 0 && r.lon != 0 && zip.size() == 5)
      rows.push_back({std::string(zip), r.lat, r.lon});
  });
  return rows;
}

std::string plain_line(const Usable& a, const Usable& b) {
  const double miles = a.zip == b.zip ? 0 : distance_miles(a.lat, b.lat, a.lon, b.lon);
  return "Distance between " + a.zip + " and " + b.zip + " is " + distance_text(miles, ".") +
         " miles";
}

// Compares the engine's lines for the pairs (by index into rows) with the plain formula's.
std::size_t mismatches(ZipDistance& engine, bool use2016, const std::vector<Usable>& rows,
                       const std::vector<std::pair<std::size_t, std::size_t>>& pairs) {
  std::vector<ZipPair> batch;
  std::vector<std::size_t> ends;
  std::string text;
  std::size_t bad = 0;
  CompareOptions options;
  options.use2016 = use2016;
  for (std::size_t i = 0; i < pairs.size(); i += 100000) {
    batch.clear();
    ends.clear();
    text.clear();
    for (std::size_t k = i; k < std::min(pairs.size(), i + 100000); ++k)
      batch.push_back({rows[pairs[k].first].zip, rows[pairs[k].second].zip});
    engine.compare(batch, options, {}, LineOutput{&text, '\0', &ends});
    std::size_t start = 0;
    for (std::size_t k = 0; k < batch.size(); ++k) {
      const auto& [a, b] = pairs[i + k];
      const std::string_view line = std::string_view(text).substr(start, ends[k] - start);
      if (line != plain_line(rows[a], rows[b]) && ++bad <= 5)
        ADD_FAILURE() << line << " != " << plain_line(rows[a], rows[b]);
      start = ends[k];
    }
  }
  return bad;
}

class FastRoute : public ::testing::TestWithParam<bool> {};

TEST_P(FastRoute, ShippedTableLinesEqualThePlainFormula) {
  const bool use2016 = GetParam();
  ZipDistance engine(QUORVANE_SHIPPED_DB);
  ZipDistance::Batch run(engine);
  const ZipTable* table = engine.store().table(use2016);
  ASSERT_NE(table, nullptr);
  const auto rows = usable_rows(*table);
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  std::mt19937_64 rng(use2016 ? 16 : 12);
  std::uniform_int_distribution<std::size_t> pick(0, rows.size() - 1);
  for (std::size_t i = 0; i < kRandomPairs; ++i) pairs.emplace_back(pick(rng), pick(rng));
  for (std::size_t i = 0; i + 1 < rows.size(); ++i) pairs.emplace_back(i, i + 1);
  for (std::size_t i = 0; i < rows.size(); ++i) pairs.emplace_back(i, i);
  EXPECT_EQ(mismatches(engine, use2016, rows, pairs), 0u);
}

INSTANTIATE_TEST_SUITE_P(Tables, FastRoute, ::testing::Values(false, true));

// Points whose distance lies within a few units in the last place of a half
// hundredth: found by bisecting the second point's longitude. Without the guard the
// fast route rounds some of them the other way.
TEST(FastRouteGuard, PairsAtHalfHundredthsRoundAsThePlainFormula) {
  ZipTable table(KeyKind::Text);
  std::vector<std::int32_t> a, b;
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> lat(18, 71), lon(-170, -65), miles(0.01, 3000);
  std::vector<std::string> keys;
  auto add = [&](double la, double lo) {
    keys.push_back(std::to_string(keys.size()));
    table.add({Cell::Text, 0, keys.back()}, {Cell::Number, la, {}}, {Cell::Number, lo, {}});
    return static_cast<std::int32_t>(table.size() - 1);
  };
  for (int i = 0; i < 4000; ++i) {
    const double la1 = lat(rng), lo1 = lon(rng), la2 = lat(rng);
    // A target just at a half hundredth, reachable by moving the second longitude.
    const double base = distance_miles(la1, la2, lo1, lo1);
    const double target = (std::floor((base + miles(rng)) * 100.0) + 0.5) / 100.0;
    double lo = lo1, hi = lo1 + 180;
    if (distance_miles(la1, la2, lo1, hi) < target) continue;
    for (int k = 0; k < 200 && lo < hi && std::nextafter(lo, hi) < hi; ++k) {
      const double mid = lo + (hi - lo) / 2;
      (distance_miles(la1, la2, lo1, mid) < target ? lo : hi) = mid;
    }
    for (double lo2 : {lo, hi}) {
      a.push_back(add(la1, lo1));
      b.push_back(add(la2, lo2));
    }
  }
  ASSERT_GT(a.size(), 4000u);
  std::vector<double> fast(a.size());
  fast_distances(table, a.data(), b.data(), a.size(), 1.0, fast.data());
  std::size_t bad = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const ZipRow &p = table.row(a[i]), &q = table.row(b[i]);
    bad += distance_text(fast[i], ".") !=
           distance_text(distance_miles(p.lat, q.lat, p.lon, q.lon), ".");
  }
  EXPECT_EQ(bad, 0u);
}

}  // namespace
}  // namespace quorvane

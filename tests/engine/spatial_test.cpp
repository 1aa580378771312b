// Radius and nearest queries against a full scan with the distance formula, the
// distance matrix against single comparisons, and the cross-check of the two tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "engine/distance.h"
#include "engine/table_diff.h"
#include "engine/text.h"
#include "engine/zip_index.h"
#include "format/csv.h"
#include "format/distance_matrix.h"
#include "tests/support/test_db.h"

namespace quorvane {
namespace {

struct Hit {
  std::string zip;
  double distance;
  bool operator==(const Hit&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Hit& h) {
  return os << h.zip << "@" << h.distance;
}

bool nearer(const Hit& a, const Hit& b) {
  return a.distance != b.distance ? a.distance < b.distance : a.zip < b.zip;
}

// Every zip code with a position, measured from the centre one by one (unsorted).
std::vector<Hit> scan(const ZipTable& table, const ZipPlace& c, Method method, Units units) {
  std::vector<Hit> hits;
  table.for_each_row([&](std::string_view zip, const ZipRow& r) {
    if (r.bad || r.lat == 0 || r.lon == 0 || !std::isfinite(r.lat + r.lon)) return;
    double d = zip == c.zip               ? 0
               : method == Method::Sphere ? distance_miles(c.lat, r.lat, c.lon, r.lon)
                                          : geodesic_miles(c.lat, c.lon, r.lat, r.lon);
    if (units == Units::Kilometres) d *= 1.609344;
    if (!std::isnan(d)) hits.push_back({std::string(zip), d});
  });
  return hits;
}

std::vector<Hit> hits(const std::vector<Neighbour>& found) {
  std::vector<Hit> out;
  for (const Neighbour& n : found) out.push_back({n.place->zip, n.distance});
  return out;
}

// Checks within() and nearest() for one centre against the scan, with radii that fall
// exactly on a zip code's distance, 0, and one that covers every zip code.
void check_centre(const ZipTable& table, const ZipIndex& index, const ZipPlace& c, Method method,
                  Units units, std::mt19937_64& rng) {
  auto all = scan(table, c, method, units);
  ASSERT_FALSE(all.empty());
  const std::size_t k = std::uniform_int_distribution<std::size_t>(0, 300)(rng) % all.size();
  std::nth_element(all.begin(), all.begin() + k, all.end(), nearer);
  const double everything = rng() % 8 == 0 ? 3e4 : 0;  // often enough, as it sorts everything
  const double radii[] = {0, all[k].distance, std::uniform_real_distribution<>(0, 120)(rng),
                          everything};
  for (double radius : radii) {
    std::vector<Hit> expected;
    std::copy_if(all.begin(), all.end(), std::back_inserter(expected),
                 [&](const Hit& h) { return h.distance <= radius; });
    std::sort(expected.begin(), expected.end(), nearer);
    ASSERT_EQ(hits(index.within(c, radius, method, units)), expected)
        << c.zip << " " << c.lat << "," << c.lon << " r=" << radius;
  }
  std::partial_sort(all.begin(), all.begin() + k + 1, all.end(), nearer);
  all.resize(k + 1);
  ASSERT_EQ(hits(index.nearest(c, k + 1, method, units)), all)
      << c.zip << " " << c.lat << "," << c.lon << " n=" << k + 1;
}

class ShippedIndexTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    table = load_table(QUORVANE_SHIPPED_DB, zip_table_spec(GetParam()));
    index = std::make_unique<ZipIndex>(*table);
  }
  std::unique_ptr<ZipTable> table;
  std::unique_ptr<ZipIndex> index;
  std::mt19937_64 rng{10};
};

TEST_P(ShippedIndexTest, RandomCentresMatchAFullScan) {
  std::uniform_int_distribution<std::size_t> pick(0, index->size() - 1);
  for (int i = 0; i < 500; ++i) {
    const ZipPlace& c = index->places()[pick(rng)];
    check_centre(*table, *index, c, Method::Sphere, i % 2 ? Units::Kilometres : Units::Miles, rng);
  }
  for (int i = 0; i < 8; ++i)
    check_centre(*table, *index, index->places()[pick(rng)], Method::Geodesic, Units::Miles, rng);
}

TEST_P(ShippedIndexTest, FarFlungCentresMatchAFullScan) {
  // Alaska, Hawaii, Puerto Rico, the Aleutians on both sides of the 180th meridian.
  for (const char* zip : {"99501", "96813", "00901", "96507", "99546"}) {
    const LocatedZip c = locate_zip(*table, zip, GetParam());
    if (c.status != PlaceStatus::Found) continue;  // not every table has them all
    for (Method m : {Method::Sphere, Method::Geodesic})
      check_centre(*table, *index, c.place, m, Units::Miles, rng);
  }
  for (auto [lat, lon] : {std::pair{52.0, 179.99}, {52.0, -179.99}, {-89.9, 0.0}, {18.2, -66.5}})
    check_centre(*table, *index, make_place({}, lat, lon), Method::Sphere, Units::Miles, rng);
}

TEST_P(ShippedIndexTest, RadiusCrossesThe180thMeridian) {
  const LocatedZip c = locate_zip(*table, "96507", GetParam());
  if (c.status != PlaceStatus::Found) GTEST_SKIP() << "no 96507";
  const auto found = hits(index->within(c.place, 250, Method::Sphere, Units::Miles));
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(found.front(), (Hit{"96507", 0}));
  EXPECT_TRUE(
      std::any_of(found.begin(), found.end(), [](const Hit& h) { return h.zip == "99546"; }));
}

INSTANTIATE_TEST_SUITE_P(BothTables, ShippedIndexTest, ::testing::Values(true, false));

TEST(SpatialIndex, SyntheticGlobeWithPolesSeamsAndOddPoints) {
  test::TempDir dir;
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<> lat(-90, 90), lon(-180, 180), seam(179.5, 180);
  std::string sql = "BEGIN; CREATE TABLE zip_code2016 (zip_code TEXT, lattitude, longitude);";
  for (int i = 0; i < 3000; ++i) {
    const double x = i % 3 == 0 ? (i % 2 ? seam(rng) : -seam(rng)) : lon(rng);
    sql += "INSERT INTO zip_code2016 VALUES ('" + std::to_string(10000 + i) + "', " +
           std::to_string(lat(rng)) + ", " + std::to_string(x) + ");";
  }
  for (const char* odd : {"'p1', 90, 10", "'p2', 40, 1000.5", "'p3', 40, -700", "'d1', 40, -700",
                          "'z1', 0, 10", "'z2', 10, 0", "'b1', 'x', 10", "'i1', 1e999, 5"})
    sql += "INSERT INTO zip_code2016 VALUES (" + std::string(odd) + ");";
  test::make_sqlite(dir.file("db"), sql + "COMMIT;");
  const auto table = load_table(dir.file("db"), zip_table_spec(true));
  const ZipIndex index(*table);
  EXPECT_EQ(index.size(), 3004u);
  for (std::size_t i = 0; i < 300; ++i)
    check_centre(*table, index, index.places()[i * 10 % index.size()], Method::Sphere, Units::Miles,
                 rng);
  check_centre(*table, index, make_place("p2", 40, 1000.5), Method::Sphere, Units::Miles, rng);
}

TEST(SpatialIndex, CentresAreLookedUpAsAComparisonDoes) {
  test::TempDir dir;
  test::make_zip_db(dir.file("db"), {"2134, 42.35, -71.13", "601, 0, -66.7"},
                    {"'02134', 42.35, -71.13", "'00601', 18.1, 0", "'00602', 'x', -66.9"});
  const auto t2012 = load_table(dir.file("db"), zip_table_spec(false));
  const auto t2016 = load_table(dir.file("db"), zip_table_spec(true));
  const LocatedZip by_number = locate_zip(*t2012, "2134", false);
  EXPECT_EQ(by_number.status, PlaceStatus::Found);
  EXPECT_EQ(by_number.place.zip, "02134");
  EXPECT_EQ(locate_zip(*t2012, "abc", false).status, PlaceStatus::NotInTable);
  EXPECT_EQ(locate_zip(*t2016, "2134", true).status, PlaceStatus::NotInTable);
  EXPECT_EQ(locate_zip(*t2012, "00601", false).status, PlaceStatus::ZeroCoordinates);
  EXPECT_EQ(locate_zip(*t2016, "00601", true).status, PlaceStatus::ZeroCoordinates);
  EXPECT_EQ(locate_zip(*t2016, "00602", true).status, PlaceStatus::BadCoordinates);
  EXPECT_EQ(place_problem(PlaceStatus::ZeroCoordinates, "00601", true),
            "zip code 00601 has zero coordinates in the 2016 table, so it has no position");
  EXPECT_EQ(ZipIndex(*t2012).size(), 1u);

  ZipStore store(dir.file("db"));
  const ZipIndex* index = store.index(true);
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(store.index(true), index);
  EXPECT_EQ(ZipStore(dir.file("absent")).index(true), nullptr);
}

// The matrix's cells, row by row, as the comparisons of the same pairs give them.
std::string compared_matrix(ZipDistance& engine, const std::vector<std::string>& zips,
                            const CompareOptions& options) {
  std::string text;
  for (const auto& z : zips) text += "," + z;
  text += "\r\n";
  for (const auto& a : zips) {
    text += a;
    for (const auto& b : zips) {
      ZipPair pair{a, b};
      PairResult r;
      engine.compare({&pair, 1}, options, {&r, 1}, {});
      text += ',';
      if (r.status == PairStatus::Distance) text += distance_text(r.distance, ".");
    }
    text += "\r\n";
  }
  return text;
}

std::string matrix(const ZipTable& table, const std::vector<std::string>& zips,
                   const MatrixOptions& options) {
  std::string text;
  write_distance_matrix(table, zips, options, [&](std::string_view s) { text += s; });
  return text;
}

TEST(DistanceMatrix, EqualsComparisonsOnAnyNumberOfThreads) {
  test::CapturedReports reports;
  ZipDistance engine(QUORVANE_SHIPPED_DB);
  const auto table = load_table(QUORVANE_SHIPPED_DB, zip_table_spec(true));
  const ZipIndex index(*table);
  std::mt19937_64 rng(5);
  std::vector<std::string> zips = {"00000", "96507", "96507", "99546"};
  for (int i = 0; i < 120; ++i) zips.push_back(index.places()[rng() % index.size()].zip);
  for (Method m : {Method::Sphere, Method::Geodesic}) {
    for (Units u : {Units::Miles, Units::Kilometres}) {
      const std::string expected = compared_matrix(engine, zips, {Wording::DistanceOnly, true, m, u});
      EXPECT_EQ(matrix(*table, zips, {true, m, u, 1}), expected);
      EXPECT_EQ(matrix(*table, zips, {true, m, u, 3}), expected);
    }
  }
}

TEST(DistanceMatrix, SymmetricWithZerosOnTheDiagonal) {
  const auto table = load_table(QUORVANE_SHIPPED_DB, zip_table_spec(false));
  const std::vector<std::string> zips = {"03053", "3053", "92018", "34001", "nope", "60628"};
  const std::string text = matrix(*table, zips, {false, Method::Geodesic, Units::Miles, 2});
  std::vector<std::vector<std::string>> cells;
  for (std::size_t p = 0, e; (e = text.find("\r\n", p)) != std::string::npos; p = e + 2) {
    cells.emplace_back();
    for (std::size_t q = p, c;; q = c + 1) {
      c = std::min(text.find(',', q), e);
      cells.back().push_back(text.substr(q, c - q));
      if (c == e) break;
    }
  }
  ASSERT_EQ(cells.size(), zips.size() + 1);
  for (std::size_t i = 1; i <= zips.size(); ++i) {
    EXPECT_EQ(cells[i][i], "0");
    for (std::size_t j = 1; j <= zips.size(); ++j) EXPECT_EQ(cells[i][j], cells[j][i]);
  }
  EXPECT_NE(cells[1][3], "");
  EXPECT_EQ(cells[1][4], "");  // 34001 has zero coordinates
  EXPECT_EQ(cells[5][6], "");  // not a number in the 2012 table
  const auto unplaced = write_distance_matrix(
      *table, zips, {false, Method::Sphere, Units::Miles, 1}, [](std::string_view) {});
  EXPECT_EQ(unplaced, (std::vector<std::size_t>{3, 4}));
}

TEST(DistanceMatrix, QuotesFieldsThatNeedIt) {
  std::string out;
  for (const char* field : {"03053", "a,b", "say \"hi\"", ""}) {
    append_csv_field(out, field);
    out += '|';
  }
  EXPECT_EQ(out, "03053|\"a,b\"|\"say \"\"hi\"\"\"||");
}

TEST(TableDiff, FindsMovedMissingAndUnplacedZipCodes) {
  test::TempDir dir;
  test::make_zip_db(
      dir.file("db"),
      {"1, 40, -75", "2, 41, -75", "3, 40, -74", "4, 0, 0", "5, 40, -75", "7, 40, -75", "8, 0, 1"},
      {"'00001', 40, -75", "'00002', 42, -75", "'00003', 40.01, -74", "'00004', 40, -75",
       "'00006', 1, 1", "'00007', 40, 0"});
  const auto t2012 = load_table(dir.file("db"), zip_table_spec(false));
  const auto t2016 = load_table(dir.file("db"), zip_table_spec(true));
  const TableDiff diff = diff_tables(*t2012, *t2016, 0.5, Method::Sphere, Units::Miles);
  ASSERT_EQ(diff.moved.size(), 2u);
  EXPECT_EQ(diff.moved[0].zip, "00002");
  EXPECT_EQ(distance_text(diff.moved[0].distance, "."), "69.09");
  EXPECT_EQ(diff.moved[0].lat2012, 41);
  EXPECT_EQ(diff.moved[0].lat2016, 42);
  EXPECT_EQ(diff.moved[1].zip, "00003");
  EXPECT_EQ(diff.only2012, (std::vector<std::string>{"00005", "00008"}));
  EXPECT_EQ(diff.only2016, std::vector<std::string>{"00006"});
  EXPECT_EQ(diff.unplaced2012, (std::vector<std::string>{"00004", "00008"}));
  EXPECT_EQ(diff.unplaced2016, std::vector<std::string>{"00007"});
  EXPECT_EQ(diff_tables(*t2012, *t2016, 2, Method::Geodesic, Units::Kilometres).moved.size(), 1u);
}

}  // namespace
}  // namespace quorvane

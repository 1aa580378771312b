// The database the build writes from data/: the sample gives real distances in both
// tables, and the 2012 table keeps its military zip codes with zero coordinates.
#include <gtest/gtest.h>

#include <regex>

#include "engine/zip_distance.h"
#include "tests/support/test_db.h"

namespace quorvane {
namespace {

TEST(ShippedDatabase, TablesHaveTheirPublishedSizes) {
  EXPECT_EQ(load_table(QUORVANE_SHIPPED_DB, zip_table_spec(false))->size(), 42555u);
  EXPECT_EQ(load_table(QUORVANE_SHIPPED_DB, zip_table_spec(true))->size(), 41637u);
}

TEST(ShippedDatabase, SampleGivesRealDistancesInBothTables) {
  test::CapturedReports reports;
  ZipDistance engine(QUORVANE_SHIPPED_DB);
  const std::regex miles(R"(\d+(\.\d\d?)? miles)");
  for (bool use2016 : {true, false}) {
    for (auto [a, b] : {std::pair{"03053", "92018"}, {"92018", "60628"}, {"03053", "60628"}}) {
      const std::string line = engine.distance_line(a, b, Wording::DistanceOnly, use2016);
      EXPECT_TRUE(std::regex_match(line, miles)) << line;
      EXPECT_GT(std::stod(line), 700.0) << line;
    }
  }
  EXPECT_EQ(engine.not_found_zips, "");
  EXPECT_EQ(reports.size(), 0u);
}

TEST(ShippedDatabase, MilitaryZipCodesAreStoredWithZeroCoordinates) {
  ZipDistance engine(QUORVANE_SHIPPED_DB);
  EXPECT_EQ(engine.distance_line("03053", "34001", Wording::Sentence, false),
            "No details found for zip code: 34001");
  EXPECT_EQ(engine.not_found_zips, "34001");
}

}  // namespace
}  // namespace quorvane

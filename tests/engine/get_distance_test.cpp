#include <gtest/gtest.h>

#include "engine/zip_distance.h"
#include "tests/support/test_db.h"

namespace quorvane {
namespace {

class DistanceLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::make_zip_db(db, {"1, 40, -75", "2, 41, -75", "3, 40, -74", "34001, 0, 0"},
                      {"'00001', 40, -75", "'00002', 41, -75", "'00003', 40, -74",
                       "'00004', 40, -75", "'00005', 40.00125, -75", "'00006', 1e999, 1",
                       "'02134', 42.35, -71.13", "'2134', 42.35, -71.14", "'34001', 0, 0"});
  }
  test::TempDir dir;
  std::string db = dir.file("dbZips.mdb");
  ZipDistance engine{db};
  test::CapturedReports reports;
};

TEST_F(DistanceLineTest, Wordings) {
  struct Row {
    Wording wording;
    const char* zip1;
    const char* zip2;
    const char* line;
  };
  const Row rows[] = {
      {Wording::Sentence, "00001", "00002", "Distance between 00001 and 00002 is 69.09 miles"},
      {Wording::ZipsAndDistance, "00001", "00002", "00001 to 00002: 69.09 miles"},
      {Wording::DistanceOnly, "00001", "00003", "52.93 miles"},
      {Wording::None, "00001", "00002", ""},
      {static_cast<Wording>(9), "00001", "00002", ""},
      {Wording::None, "99999", "00002", "No details found for zip code: 99999"},
      {Wording::DistanceOnly, "00001", "99999", "No details found for zip code: 99999"},
      {Wording::Sentence, "00001", "00004",
       "Distance between 00001 and 00004 is 0 miles"},  // equal points
      {Wording::DistanceOnly, "00001", "00005", "0.09 miles"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(engine.distance_line(r.zip1, r.zip2, r.wording, true), r.line) << r.zip1 << r.zip2;
  EXPECT_EQ(reports.size(), 0u);
}

TEST_F(DistanceLineTest, SameTextNeedsNoLookup) {
  ZipDistance nowhere(dir.file("absent.mdb"));
  EXPECT_EQ(nowhere.distance_line("77777", "77777", Wording::Sentence, true),
            "Distance between 77777 and 77777 is 0 miles");
  EXPECT_EQ(nowhere.distance_line("77777", "77777", Wording::ZipsAndDistance, false),
            "77777 to 77777: 0 miles");
  EXPECT_EQ(nowhere.distance_line("77777", "77777", Wording::DistanceOnly, true), "0 miles");
  EXPECT_EQ(nowhere.distance_line("77777", "77777", static_cast<Wording>(1), true), "");
  EXPECT_EQ(reports.size(), 0u);
  EXPECT_EQ(nowhere.not_found_zips, "");
}

TEST_F(DistanceLineTest, FormsOfOneZipAreDifferentTexts) {
  EXPECT_EQ(engine.distance_line("2134", "02134", Wording::DistanceOnly, true), "0.51 miles");
}

TEST_F(DistanceLineTest, FirstFailedLookupEndsTheComparison) {
  EXPECT_EQ(engine.distance_line("99999", "34001", Wording::Sentence, true),
            "No details found for zip code: 99999");
  EXPECT_EQ(engine.not_found_zips, "");
  // 00001 is the number 1 in the 2012 table, so the zero-coordinate 34001 is named.
  EXPECT_EQ(engine.distance_line("00001", "34001", Wording::Sentence, false),
            "No details found for zip code: 34001");
  EXPECT_EQ(engine.not_found_zips, "34001");
}

// Comparisons split between helpers name the zip codes not found as one engine does,
// blank ones included, wherever the split falls.
TEST_F(DistanceLineTest, HelpersNameZipCodesNotFoundAsOneEngine) {
  const std::vector<ZipPair> pairs = {{"00001", ""},      {"00001", "34001"}, {"00001", " "},
                                      {"00001", "34001"}, {"00001", ""},      {"00001", "34001"}};
  CompareOptions options;
  options.use2016 = false;
  ZipDistance one(db);
  one.compare(pairs, options, {}, {});
  ASSERT_EQ(one.not_found_zips, "34001,  , 34001, , 34001");
  for (std::size_t split = 0; split <= pairs.size(); ++split) {
    ZipDistance owner(db);
    ZipDistance::Batch batch(owner);
    auto first = owner.helper(false), second = owner.helper(false);
    first->compare(std::span(pairs).first(split), options, {}, {});
    second->compare(std::span(pairs).subspan(split), options, {}, {});
    owner.absorb(*first);
    owner.absorb(*second);
    EXPECT_EQ(owner.not_found_zips, one.not_found_zips) << split;
  }
}

TEST_F(DistanceLineTest, NonFiniteCoordinatesGiveNoDistanceAndOneReportPerRun) {
  {
    ZipDistance::Batch run(engine);
    for (int i = 0; i < 50; ++i)
      EXPECT_EQ(engine.distance_line("00001", "00006", Wording::Sentence, true),
                "No details found for zip code: 00006");
  }
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports.reports()[0].location, "Brisholt2021/08/31.modZipDistance.GetDistance");
  EXPECT_EQ(reports.reports()[0].description,
            "Invalid procedure call or argument (50 lookups, the first of zip code 00006: a "
            "stored coordinate is not a finite number)");
}

TEST(DistanceLineReports, EachKindAndTableIsReportedOncePerRun) {
  test::TempDir dir;
  const std::string db = dir.file("dbZips.mdb");  // a 2012 table only
  test::make_sqlite(db,
                    "CREATE TABLE zip_code (zip_code INTEGER, lattitude REAL, longitude REAL);"
                    "INSERT INTO zip_code VALUES (1, 40, -75), (2, 41, -75);");
  ZipDistance engine(db);
  test::CapturedReports reports;
  ZipDistance::Batch run(engine);
  engine.distance_line("1 OR 1", "00001", Wording::Sentence, false);
  engine.distance_line("1 OR 1", "00001", Wording::Sentence, false);
  EXPECT_EQ(reports.size(), 1u);
  engine.distance_line("00001", "00002", Wording::Sentence, true);  // the 2016 table is missing
  engine.distance_line("00001", "00002", Wording::Sentence, true);
  EXPECT_EQ(reports.size(), 2u);
  // Blank space around a number is legal in the 2012 table's statement.
  EXPECT_EQ(engine.distance_line("\t0001", " 2 ", Wording::DistanceOnly, false), "69.09 miles");
  EXPECT_EQ(reports.size(), 2u);
}

TEST_F(DistanceLineTest, DecimalSeparatorFollowsTheUser) {
  engine.set_decimal_separator(",");
  EXPECT_EQ(engine.distance_line("00001", "00002", Wording::ZipsAndDistance, true),
            "00001 to 00002: 69,09 miles");
}

}  // namespace
}  // namespace quorvane

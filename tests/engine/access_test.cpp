// The Access path on real Jet 3, Jet 4 and ACE files. They hold no zip code tables,
// so the tests read tables they do have, by the same rules the zip tables follow.
#include <gtest/gtest.h>

#include <filesystem>

#include "test_db.h"
#include "zip_distance.h"

namespace quorvane {
namespace {

std::string access_file(const char* name) {
  return std::string(QUORVANE_ACCESS_TESTDATA) + "/" + name;
}

class AccessFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(QUORVANE_ACCESS_TESTDATA))
      GTEST_SKIP() << "Access test files not found at " << QUORVANE_ACCESS_TESTDATA;
  }
};

TEST_F(AccessFiles, Jet3NumericAndTextKeys) {
  const auto path = access_file("nwind.mdb");
  auto by_id =
      load_table(path, {"Products", "ProductID", "UnitPrice", "UnitsInStock", KeyKind::Number});
  const ZipRow* chai = by_id->find_number(1);
  ASSERT_NE(chai, nullptr);
  EXPECT_DOUBLE_EQ(chai->lat, 18.0);
  EXPECT_DOUBLE_EQ(chai->lon, 39.0);
  EXPECT_EQ(by_id->find_number(1.5), nullptr);

  auto by_name =
      load_table(path, {"Products", "ProductName", "UnitPrice", "UnitsInStock", KeyKind::Text});
  const ZipRow* chang = by_name->find_text("Chang");
  ASSERT_NE(chang, nullptr);
  EXPECT_DOUBLE_EQ(chang->lat, 19.0);
  EXPECT_EQ(by_name->find_text("chang "), nullptr);
}

TEST_F(AccessFiles, Jet3FirstOfSeveralRows) {
  auto details = load_table(access_file("nwind.mdb"), {"Order Details", "OrderID", "UnitPrice",
                                                       "ProductID", KeyKind::Number});
  const ZipRow* first = details->find_number(10248);
  ASSERT_NE(first, nullptr);
  EXPECT_DOUBLE_EQ(first->lat, 14.0);
  EXPECT_DOUBLE_EQ(first->lon, 11.0);
}

TEST_F(AccessFiles, Jet4NumericKey) {
  auto t = load_table(access_file("DateTestDatabase.mdb"),
                      {"DateTest", "IDCol", "IDCol", "IDCol", KeyKind::Number});
  const ZipRow* two = t->find_number(2);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(two->lat, 2.0);
}

TEST_F(AccessFiles, AceTextKey) {
  auto t = load_table(access_file("ASampleDatabase.accdb"),
                      {"Asset Items", "Asset No", "Cost", "Asset No", KeyKind::Text});
  const ZipRow* row = t->find_text("30050");
  ASSERT_NE(row, nullptr);
  EXPECT_GT(row->lat, 0.0);
  EXPECT_EQ(row->lon, 30050.0);
}

TEST_F(AccessFiles, MissingTableOrColumnIsAnError) {
  EXPECT_THROW(load_table(access_file("nwind.mdb"), zip_table_spec(false)), RuntimeError);
  EXPECT_THROW(load_table(access_file("nwind.mdb"),
                          {"Products", "ProductID", "lattitude", "UnitPrice", KeyKind::Number}),
               RuntimeError);
}

TEST_F(AccessFiles, AnAccessFileWithoutZipTablesIsReportedOnce) {
  test::TempDir dir;
  std::filesystem::copy_file(access_file("DateTestDatabase.mdb"), dir.file("dbZips.mdb"));
  ZipDistance engine(dir.file("dbZips.mdb"));
  test::CapturedReports reports;
  EXPECT_EQ(engine.GetDistance("03053", "92018", 3, false), "No details found for zip code: 03053");
  EXPECT_EQ(reports.size(), 1u);
  EXPECT_EQ(engine.not_found_zips, "03053");
}

}  // namespace
}  // namespace quorvane

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "engine/read_limits.h"
#include "engine/zip_distance.h"
#include "tests/support/test_db.h"

namespace quorvane {
namespace {

class ZipStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::make_zip_db(db,
                      {"3053, 42.8656, -71.3772", "2134, 42.35, -71.13", "601, 0, -66.72",
                       "602, 18.36, 0", "7000, 1.5, 2.5", "7000, 9.5, 9.5"},
                      {"'03053', 42.868588, -71.387247", "'2134', 42.35, -71.13", "'00601', 0, 0"});
  }
  test::TempDir dir;
  std::string db = dir.file("dbZips.mdb");
  ZipDistance engine{db};
  test::CapturedReports reports;
};

TEST_F(ZipStoreTest, FoundWithCoordinates) {
  double lat = 0, lon = 0;
  EXPECT_TRUE(engine.get_zip_point("03053", lat, lon, true));
  EXPECT_DOUBLE_EQ(lat, 42.868588);
  EXPECT_DOUBLE_EQ(lon, -71.387247);
  EXPECT_EQ(engine.not_found_zips, "");
  EXPECT_EQ(reports.size(), 0u);
}

TEST_F(ZipStoreTest, MissingZipKeepsCallersCoordinates) {
  double lat = 7, lon = 8;
  EXPECT_FALSE(engine.get_zip_point("99999", lat, lon, true));
  EXPECT_FALSE(engine.get_zip_point("99999", lat, lon, false));
  EXPECT_EQ(lat, 7);
  EXPECT_EQ(lon, 8);
  EXPECT_EQ(engine.not_found_zips, "");
}

TEST_F(ZipStoreTest, ZeroCoordinatesAreListedEveryTime) {
  double lat = 5, lon = 5;
  EXPECT_FALSE(engine.get_zip_point("00601", lat, lon, false));
  EXPECT_EQ(lat, 0);
  EXPECT_DOUBLE_EQ(lon, -66.72);
  EXPECT_FALSE(engine.get_zip_point("00602", lat, lon, false));
  EXPECT_FALSE(engine.get_zip_point("00601", lat, lon, true));
  EXPECT_EQ(engine.not_found_zips, "00601, 00602, 00601");
}

TEST_F(ZipStoreTest, TableChoiceDecidesNumberOrTextComparison) {
  double lat = 0, lon = 0;
  EXPECT_TRUE(engine.get_zip_point("02134", lat, lon, false));  // read as the number 2134
  EXPECT_FALSE(engine.get_zip_point("02134", lat, lon, true));  // the leading zero counts
  EXPECT_TRUE(engine.get_zip_point("2134", lat, lon, true));
  EXPECT_TRUE(engine.get_zip_point("2134.0", lat, lon, false));
  EXPECT_FALSE(engine.get_zip_point("2134.5", lat, lon, false));  // a whole number only
}

TEST_F(ZipStoreTest, FirstOfSeveralRowsWins) {
  double lat = 0, lon = 0;
  EXPECT_TRUE(engine.get_zip_point("7000", lat, lon, false));
  EXPECT_EQ(lat, 1.5);
  EXPECT_EQ(lon, 2.5);
}

TEST_F(ZipStoreTest, ZipCodeIsNeverPartOfTheStatement) {
  double lat = 0, lon = 0;
  // Pasted into SQL this would match the first row; bound, it matches nothing.
  EXPECT_FALSE(engine.get_zip_point("x' OR '1'='1", lat, lon, true));
  EXPECT_EQ(reports.size(), 0u);
  EXPECT_EQ(engine.not_found_zips, "");
  // The 2012 table takes numbers only: a text that is no numeric literal is a rejected
  // statement, reported and listed.
  EXPECT_FALSE(engine.get_zip_point("1 OR 1=1", lat, lon, false));
  EXPECT_EQ(lat, 0);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports.reports()[0].location, "Brisholt2021/08/31.modZipDistance.get_zip_point");
  EXPECT_EQ(engine.not_found_zips, "1 OR 1=1");
}

TEST_F(ZipStoreTest, RejectedStatementsReportOncePerBatch) {
  double lat = 0, lon = 0;
  {
    ZipDistance::Batch batch(engine);
    for (int i = 0; i < 50; ++i) engine.get_zip_point("ABC", lat, lon, false);
  }
  EXPECT_EQ(reports.size(), 1u);
  engine.get_zip_point("ABC", lat, lon, false);
  EXPECT_EQ(reports.size(), 2u);
}

TEST_F(ZipStoreTest, UnconvertibleFieldIsReportedAndKeepsCallersValue) {
  test::make_sqlite(db,
                    "INSERT INTO zip_code2016 VALUES ('11111', NULL, 3.5);"
                    "INSERT INTO zip_code2016 VALUES ('22222', 4.5, 'east');");
  double lat = 9, lon = 9;
  EXPECT_TRUE(engine.get_zip_point("11111", lat, lon, true));
  EXPECT_EQ(lat, 9);
  EXPECT_EQ(lon, 3.5);
  EXPECT_TRUE(engine.get_zip_point("22222", lat, lon, true));
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports.reports()[0].description,
            "Invalid use of Null (1 lookup, the first of zip code 11111)");
  EXPECT_EQ(reports.reports()[0].line, 112);
  EXPECT_EQ(reports.reports()[1].description,
            "Type mismatch (1 lookup, the first of zip code 22222)");
  EXPECT_EQ(reports.reports()[1].line, 114);
  // Within one run a bad field is reported once, with the count of lookups.
  reports.clear();
  {
    ZipDistance::Batch batch(engine);
    for (int i = 0; i < 49; ++i) engine.get_zip_point("11111", lat, lon, true);
  }
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports.reports()[0].description,
            "Invalid use of Null (49 lookups, the first of zip code 11111)");
}

struct BrokenDb {
  const char* name;
  const char* bytes;  // nullptr: no file at all
};

void PrintTo(const BrokenDb& b, std::ostream* os) {
  *os << b.name;
}

class UnreadableDatabase : public ::testing::TestWithParam<BrokenDb> {};

TEST_P(UnreadableDatabase, ReportsOncePerBatchAndListsEveryLookup) {
  test::TempDir dir;
  const std::string db = dir.file("dbZips.mdb");
  if (GetParam().bytes) test::write_file(db, GetParam().bytes);
  ZipDistance engine(db);
  test::CapturedReports reports;
  {
    ZipDistance::Batch batch(engine);
    for (int i = 0; i < 1000; ++i) {
      double lat = 0, lon = 0;
      ASSERT_FALSE(engine.get_zip_point("03053", lat, lon, i % 2 == 0));
      ASSERT_EQ(lat, 0);
    }
  }
  // Once for each table: one table's failure does not silence the other's.
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_NE(reports.reports()[0].description.find(db), std::string::npos);
  EXPECT_EQ(engine.not_found_zips.size(), 1000 * 7 - 2);
  // A single call outside a batch is a batch of its own.
  double lat = 0, lon = 0;
  engine.get_zip_point("03053", lat, lon, true);
  EXPECT_EQ(reports.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UnreadableDatabase,
    ::testing::Values(BrokenDb{"Missing", nullptr}, BrokenDb{"Empty", ""},
                      BrokenDb{"Text", "zip_code,lattitude,longitude\n03053,1,2\n"},
                      BrokenDb{"TruncatedSqlite", "SQLite format 3\0garbage garbage garbage"},
                      BrokenDb{"TruncatedJet", "\0\1\0\0Standard Jet DB\0\0\0\0\0\0\0\0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ZipStoreFile, MissingTableIsAnUnreadableDatabase) {
  test::TempDir dir;
  test::make_sqlite(dir.file("dbZips.mdb"),
                    "CREATE TABLE zip_code (zip_code INTEGER, lattitude REAL, longitude REAL);"
                    "INSERT INTO zip_code VALUES (3053, 1, 2);");
  ZipDistance engine(dir.file("dbZips.mdb"));
  test::CapturedReports reports;
  double lat = 0, lon = 0;
  EXPECT_TRUE(engine.get_zip_point("03053", lat, lon, false));
  EXPECT_FALSE(engine.get_zip_point("03053", lat, lon, true));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports.reports()[0].description.find("zip_code2016"), std::string::npos);
}

TEST(ZipStoreFile, ChangedFileIsNoticedAtTheNextBatch) {
  test::TempDir dir;
  const std::string db = dir.file("dbZips.mdb");
  test::make_zip_db(db, {}, {"'03053', 1, 2"});
  ZipDistance engine(db);
  double lat = 0, lon = 0;
  EXPECT_TRUE(engine.get_zip_point("03053", lat, lon, true));
  EXPECT_EQ(lat, 1);

  const std::string other = dir.file("new.mdb");
  test::make_zip_db(other, {}, {"'03053', 3, 4"});
  std::filesystem::rename(other, db);
  EXPECT_TRUE(engine.get_zip_point("03053", lat, lon, true));
  EXPECT_EQ(lat, 3);

  std::filesystem::remove(db);
  test::CapturedReports reports;
  lat = 0;
  EXPECT_FALSE(engine.get_zip_point("03053", lat, lon, true));
  EXPECT_EQ(reports.size(), 1u);
}

// Each database is read or refused at once, with one report that names the cause.
TEST(ZipStoreFile, HostileSqliteFilesAreRefusedByName) {
  const std::string t2012 =
      "CREATE TABLE zip_code (zip_code INTEGER, lattitude REAL, longitude REAL);";
  struct Case {
    const char* name;
    std::string sql;
    const char* reason;
  };
  const Case cases[] = {
      {"recursive view",
       t2012 + "CREATE VIEW zip_code2016 AS WITH RECURSIVE c(zip_code, lattitude, longitude) AS "
               "(SELECT 1, 1, 1 UNION ALL SELECT zip_code + 1, 1, 1 FROM c) SELECT * FROM c;",
       "zip_code2016 is a view, not a stored table"},
      {"cross-joined view",
       t2012 + "CREATE TABLE n (x); INSERT INTO n VALUES (0), (1), (2), (3), (4), (5), (6), (7), "
               "(8), (9);"
               "CREATE VIEW zip_code2016 AS SELECT a.x AS zip_code, 1 AS lattitude, 1 AS longitude "
               "FROM n a, n b, n c, n d, n e, n f, n g, n h, n i, n j;",
       "zip_code2016 is a view, not a stored table"},
      {"virtual table",
       t2012 + "CREATE VIRTUAL TABLE zip_code2016 USING fts4(zip_code, lattitude, longitude);",
       "zip_code2016 is a virtual table, not a stored table"},
      {"no such table", t2012, "The database has no table zip_code2016"},
      {"no longitude", t2012 + "CREATE TABLE zip_code2016 (zip_code TEXT, lattitude REAL);",
       "no such column: longitude"},
      {"no zip code",
       t2012 + "CREATE TABLE zip_code2016 (zip TEXT, lattitude REAL, longitude REAL);",
       "no such column: zip_code"},
      {"a field of a gigabyte",
       t2012 + "CREATE TABLE zip_code2016 (zip_code TEXT, lattitude REAL,"
               " longitude AS (zeroblob(1000000000)));"
               "INSERT INTO zip_code2016 VALUES ('03053', 1);",
       "string or blob too big"},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    const std::string db = dir.file("dbZips.mdb");
    test::make_sqlite(db, c.sql + "INSERT INTO zip_code VALUES (3053, 1, 2);");
    ZipDistance engine(db);
    test::CapturedReports reports;
    double lat = 0, lon = 0;
    {
      ZipDistance::Batch batch(engine);
      for (int i = 0; i < 3; ++i) EXPECT_FALSE(engine.get_zip_point("03053", lat, lon, true));
    }
    ASSERT_EQ(reports.size(), 1u) << c.name;
    EXPECT_NE(reports.reports()[0].description.find(c.reason), std::string::npos)
        << c.name << ": " << reports.reports()[0].description;
    EXPECT_TRUE(engine.get_zip_point("03053", lat, lon, false)) << c.name;
  }
}

TEST(ZipStoreFile, ANamedPipeIsRefusedNotWaitedFor) {
  test::TempDir dir;
  const std::string db = dir.file("dbZips.mdb");
  ASSERT_EQ(mkfifo(db.c_str(), 0600), 0);
  ZipDistance engine(db);
  test::CapturedReports reports;
  double lat = 0, lon = 0;
  EXPECT_FALSE(engine.get_zip_point("03053", lat, lon, true));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports.reports()[0].description,
            "Cannot read the zip code database " + db + ": it is a named pipe, not a regular file");
}

TEST(ZipStoreFile, ATableTooLargeOrTooSlowIsRefused) {
  test::TempDir dir;
  const std::string db = dir.file("dbZips.mdb");
  test::make_sqlite(db,
                    "CREATE TABLE zip_code (zip_code INTEGER, lattitude REAL, longitude REAL);"
                    "CREATE TABLE zip_code2016 (zip_code TEXT, lattitude REAL, longitude REAL);"
                    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " +
                        std::to_string(kMaxTableRows + 1) +
                        ") INSERT INTO zip_code2016 SELECT NULL, 1, 2 FROM c;"
                        "INSERT INTO zip_code VALUES (3053, 1, 2);");
  auto message = [&](bool use2016) {
    try {
      load_table(db, zip_table_spec(use2016));
    } catch (const RuntimeError& e) {
      return std::string(e.what());
    }
    return std::string("read");
  };
  EXPECT_EQ(message(true), "Cannot read table zip_code2016: it has more than " +
                               std::to_string(kMaxTableRows) +
                               " rows, more than any zip code table");
  EXPECT_EQ(message(false), "read");
  set_sqlite_read_time_limit(std::chrono::milliseconds(0));
  EXPECT_NE(message(true).find("could not be read within 0 ms"), std::string::npos);
  set_sqlite_read_time_limit(std::chrono::seconds(10));
}

}  // namespace
}  // namespace quorvane

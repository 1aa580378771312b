#include "engine/table_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/zip_store.h"
#include "tests/support/test_db.h"

namespace quorvane {
namespace {

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Every key of `a` finds the same row in `b`, and the two hold the same rows.
void expect_same_table(const ZipTable& a, const ZipTable& b) {
  ASSERT_EQ(a.size(), b.size());
  ASSERT_EQ(a.kind(), b.kind());
  std::size_t r = 0;
  std::vector<std::string> keys;
  a.for_each_row([&](std::string_view key, const ZipRow& row) {
    keys.emplace_back(key);
    const ZipRow& other = b.row(static_cast<std::int32_t>(r));
    EXPECT_EQ(std::memcmp(&row.lat, &other.lat, 4 * sizeof(double)), 0) << key;
    EXPECT_EQ(row.bad, other.bad) << key;
    const ZipPoint& p = a.point(static_cast<std::int32_t>(r));
    const ZipPoint& q = b.point(static_cast<std::int32_t>(r));
    EXPECT_TRUE(p.x == q.x && p.y == q.y && p.z == q.z && p.usable == q.usable) << key;
    ++r;
  });
  for (const std::string& key : keys) {
    if (a.kind() == KeyKind::Text)
      EXPECT_EQ(a.row_of_text(key), b.row_of_text(key)) << key;
    else
      EXPECT_EQ(a.row_of_number(std::stod(key)), b.row_of_number(std::stod(key))) << key;
  }
  for (std::uint32_t zip = 0; zip < 100000; zip += 7)
    EXPECT_EQ(a.row_of_zip_number(zip), b.row_of_zip_number(zip)) << zip;
}

class TableFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::make_zip_db(
        db,
        {"3053, 42.8656, -71.3772", "2134, 42.35, -71.13", "601, 0, -66.72", "'7000.5', 1.5, 2.5",
         "'x', 'bad', 9.5", "99950, 55.5, -131.6"},
        {"'03053', 42.868588, -71.387247", "'2134', 42.35, -71.13", "'00601', 0, 0",
         "'a long key text', 40, -75", "'92018', NULL, -117.3", "'99950', 55.5, -131.6"});
    t2012 = load_table(db, zip_table_spec(false));
    t2016 = load_table(db, zip_table_spec(true));
    write_table_file(db, *t2012, *t2016);
    good = read_all(tables);
  }

  // The file in place of the one written is ignored whole.
  void expect_ignored(const std::string& bytes, const std::string& what) {
    test::write_file(tables, bytes);
    EXPECT_EQ(read_table_file(db, true), nullptr) << what;
    EXPECT_EQ(read_table_file(db, false), nullptr) << what;
  }

  // A damaged table is ignored; the other table may still be read, and then whole.
  void expect_damage_found(const std::string& bytes, const std::string& what) {
    SCOPED_TRACE(what);
    test::write_file(tables, bytes);
    const auto read2012 = read_table_file(db, false);
    const auto read2016 = read_table_file(db, true);
    EXPECT_TRUE(read2012 == nullptr || read2016 == nullptr);
    if (read2012) expect_same_table(*t2012, *read2012);
    if (read2016) expect_same_table(*t2016, *read2016);
  }

  test::TempDir dir;
  std::string db = dir.file("zips.mdb");
  std::string tables = dir.file("zips.tables");
  std::unique_ptr<ZipTable> t2012, t2016;
  std::string good;
};

TEST_F(TableFileTest, HoldsBothTablesAsTheDatabaseGivesThem) {
  EXPECT_EQ(table_file_path("/a/b/dbZips.mdb"), "/a/b/dbZips.tables");
  EXPECT_EQ(table_file_path("/a.b/zips"), "/a.b/zips.tables");
  const auto read2012 = read_table_file(db, false);
  const auto read2016 = read_table_file(db, true);
  ASSERT_NE(read2012, nullptr);
  ASSERT_NE(read2016, nullptr);
  expect_same_table(*t2012, *read2012);
  expect_same_table(*t2016, *read2016);
  EXPECT_NE(read2016->row_of_text("a long key text"), ZipTable::kNoRow);
}

TEST_F(TableFileTest, DamagedTruncatedOrForeignFilesAreIgnored) {
  for (std::size_t at : {std::size_t{0}, std::size_t{9}, std::size_t{40}, std::size_t{103},
                         std::size_t{104}, std::size_t{5000}, good.size() / 2, good.size() - 1}) {
    std::string flipped = good;
    flipped[at] = static_cast<char>(flipped[at] ^ 0x10);
    expect_damage_found(flipped, "bit flip at " + std::to_string(at));
  }
  for (std::size_t size : {std::size_t{0}, std::size_t{50}, std::size_t{104}, good.size() - 8})
    expect_ignored(good.substr(0, size), "cut to " + std::to_string(size));
  expect_ignored(good + "extra", "grown");
  std::string future = good;
  future[8] = static_cast<char>(future[8] + 1);  // the next format version
  expect_ignored(future, "another version");
  expect_ignored(std::string(good.size(), 'x'), "not a table file");
}

TEST_F(TableFileTest, StaleOrAnotherDatabasesFileIsIgnored) {
  // Another database's file under this database's name.
  const std::string other = dir.file("other.mdb");
  test::make_zip_db(other, {"3053, 1, 1"}, {"'03053', 1, 1"});
  write_table_file(other, *load_table(other, zip_table_spec(false)),
                   *load_table(other, zip_table_spec(true)));
  std::filesystem::copy_file(dir.file("other.tables"), tables,
                             std::filesystem::copy_options::overwrite_existing);
  EXPECT_EQ(read_table_file(db, true), nullptr);

  // The database changed after the file was written.
  test::write_file(tables, good);
  ASSERT_NE(read_table_file(db, true), nullptr);
  const struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, db.c_str(), times, 0), 0);
  EXPECT_EQ(read_table_file(db, true), nullptr);
}

TEST_F(TableFileTest, ANonRegularFileIsIgnored) {
  std::filesystem::remove(tables);
  std::filesystem::create_directory(tables);
  EXPECT_EQ(read_table_file(db, true), nullptr);
  std::filesystem::remove(tables);
  ASSERT_EQ(::mkfifo(tables.c_str(), 0600), 0);
  EXPECT_EQ(read_table_file(db, true), nullptr);  // never blocks on the pipe
}

TEST_F(TableFileTest, TheStoreReadsTheDatabaseWhenTheFileIsIgnored) {
  expect_ignored(good.substr(0, 200), "cut");
  ZipStore store(db);
  ASSERT_NE(store.table(true), nullptr);
  expect_same_table(*t2016, *store.table(true));
}

}  // namespace
}  // namespace quorvane

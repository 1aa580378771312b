// The Access path on real Jet 3, Jet 4 and ACE files. They hold no zip code tables,
// so the tests read tables they do have, by the same rules the zip tables follow.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include "engine/access_stream.h"
#include "engine/zip_distance.h"
#include "tests/support/test_db.h"

namespace quorvane {
namespace {

std::string access_file(const char* name) {
  return std::string(QUORVANE_ACCESS_TESTDATA) + "/" + name;
}

class AccessFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::filesystem::exists(QUORVANE_ACCESS_TESTDATA)) return;
    // CI always has them: there a skip would hide that the reader went untested.
    const char* ci = std::getenv("CI");
    if (ci && std::string(ci) == "true")
      FAIL() << "Access test files not found at " << QUORVANE_ACCESS_TESTDATA;
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

TEST_F(AccessFiles, NullNumericFieldsAreNull) {
  // Employee 2 reports to nobody: a NULL in a numeric column.
  auto t = load_table(access_file("nwind.mdb"),
                      {"Employees", "EmployeeID", "ReportsTo", "ReportsTo", KeyKind::Number});
  const ZipRow* boss = t->find_number(2);
  ASSERT_NE(boss, nullptr);
  EXPECT_EQ(boss->bad, kNullLat | kNullLon);
  const ZipRow* staff = t->find_number(1);
  ASSERT_NE(staff, nullptr);
  EXPECT_EQ(staff->bad, 0);
  EXPECT_EQ(staff->lat, 2.0);
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
  EXPECT_EQ(engine.distance_line("03053", "92018", Wording::Sentence, false),
            "No details found for zip code: 03053");
  EXPECT_EQ(reports.size(), 1u);
  EXPECT_EQ(engine.not_found_zips, "03053");
}

const TableSpec kProducts{"Products", "ProductID", "UnitPrice", "UnitsInStock", KeyKind::Number};

// The reader's standard output holds its records alone, whatever the library says
// about a damaged file: a reader that ended well wrote a whole table.
TEST_F(AccessFiles, TheReadersOutputIsDataAlone) {
  test::TempDir dir;
  const std::string copy = dir.file("damaged.mdb");
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::filesystem::remove(copy);
    std::filesystem::copy_file(access_file("nwind.mdb"), copy);
    {
      std::fstream f(copy, std::ios::in | std::ios::out | std::ios::binary);
      const auto size = static_cast<long long>(std::filesystem::file_size(copy));
      std::mt19937 rng(seed);
      for (int i = 0; i < 200; ++i) {
        f.seekp(4096 + static_cast<long long>(rng() % static_cast<unsigned>(size - 4096)));
        f.put(static_cast<char>(rng()));
      }
    }
    const std::string command = "cd '" + dir.path() + "' && ulimit -c unlimited 2>/dev/null; '" +
                                access_reader_path() + "' '" + copy +
                                "' Products ProductID ProductName UnitPrice 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string data;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) data.append(buf, n);
    const int status = pclose(pipe);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
      std::size_t rows = 0;
      EXPECT_NO_THROW(parse_access_stream(
          data, true, copy, "Products",
          [](void* n, const Cell&, const Cell&, const Cell&) { ++*static_cast<std::size_t*>(n); },
          &rows))
          << "seed " << seed;
    } else {
      EXPECT_TRUE(WIFEXITED(status)) << "seed " << seed << ": the reader died of a signal";
      EXPECT_EQ(data.find('X') == std::string::npos, false) << "seed " << seed;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("core"))) << "seed " << seed;
  }
}

TEST_F(AccessFiles, DamagedFilesAreErrorsNeverHangsOrCrashes) {
  struct Damage {
    const char* name;
    std::function<void(std::fstream&, long long size)> apply;
    long long truncate_to;  // -1 keeps the size
  };
  const Damage damages[] = {
      {"cut mid-page", {}, 1500000},
      {"cut at a page", {}, 2048 * 700},
      {"random pages",
       [](std::fstream& f, long long) {
         std::mt19937 rng(1);
         f.seekp(4096);
         for (int i = 0; i < 40 * 4096; ++i) f.put(static_cast<char>(rng()));
       },
       -1},
      {"zeroed catalog",
       [](std::fstream& f, long long) {
         f.seekp(2048 * 2);
         for (int i = 0; i < 100 * 4096; ++i) f.put('\0');
       },
       -1},
  };
  for (const auto& d : damages) {
    test::TempDir dir;
    const std::string copy = dir.file("damaged.mdb");
    std::filesystem::copy_file(access_file("nwind.mdb"), copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    if (d.truncate_to >= 0) std::filesystem::resize_file(copy, d.truncate_to);
    if (d.apply) {
      std::fstream f(copy, std::ios::in | std::ios::out | std::ios::binary);
      d.apply(f, 0);
    }
    EXPECT_THROW(load_table(copy, kProducts), RuntimeError) << d.name;
  }
}

class AccessReaderProcess : public AccessFiles {
 protected:
  void TearDown() override {
    set_access_reader_path(saved_);
    set_access_read_timeout(std::chrono::seconds(10));
  }
  void use_reader(const std::string& script) {
    const std::string path = dir_.file("reader.sh");
    test::write_file(path, "#!/bin/sh\n" + script + "\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    set_access_reader_path(path);
  }
  std::string message() {
    try {
      load_table(access_file("nwind.mdb"), kProducts);
    } catch (const RuntimeError& e) {
      return e.what();
    }
    return "no error";
  }
  test::TempDir dir_;
  std::string saved_ = access_reader_path();
};

TEST_F(AccessReaderProcess, AHangingReaderIsStopped) {
  use_reader("sleep 30");
  set_access_read_timeout(std::chrono::milliseconds(300));
  EXPECT_NE(message().find("could not be read in time"), std::string::npos);
}

TEST_F(AccessReaderProcess, ACrashingReaderIsADamagedFile) {
  use_reader("printf 'T\\001\\000\\000\\0001'; kill -SEGV $$");
  EXPECT_NE(message().find("is damaged"), std::string::npos);
}

TEST_F(AccessReaderProcess, AMissingReaderIsNamed) {
  set_access_reader_path(dir_.file("nowhere/quorvane-access-reader"));
  EXPECT_NE(message().find("is missing"), std::string::npos);
}

// Needs no Access file: the header is all the program reads before the reader runs.
TEST(AccessReaderRuns, AFileThatFailedIsNotReadAgainUntilItChanges) {
  test::TempDir dir;
  const std::string saved = access_reader_path();
  const std::string reader = dir.file("reader.sh"), runs = dir.file("runs");
  test::write_file(reader, "#!/bin/sh\necho run >> " + runs + "\nexit 1\n");
  std::filesystem::permissions(reader, std::filesystem::perms::owner_all);
  set_access_reader_path(reader);
  const std::string db = dir.file("dbZips.mdb");
  const std::string jet("\0\1\0\0Standard Jet DB\0", 20);
  test::write_file(db, jet);
  auto count_runs = [&] {
    std::ifstream in(runs);
    return std::count(std::istreambuf_iterator<char>(in), {}, '\n');
  };
  ZipDistance engine(db);
  test::CapturedReports reports;
  for (int batch = 0; batch < 3; ++batch) {
    double lat = 0, lon = 0;
    engine.get_zip_point("03053", lat, lon, true);
  }
  EXPECT_EQ(reports.size(), 3u);  // reported at every batch
  EXPECT_EQ(count_runs(), 1);     // but read once
  test::write_file(db, jet + "changed");
  double lat = 0, lon = 0;
  engine.get_zip_point("03053", lat, lon, true);
  EXPECT_EQ(count_runs(), 2);
  set_access_reader_path(saved);
}

}  // namespace
}  // namespace quorvane

#include "tests/support/test_db.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace quorvane::test {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "quorvane-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) ADD_FAILURE() << "mkdtemp failed";
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void make_sqlite(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* err = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
  EXPECT_EQ(rc, SQLITE_OK) << (err ? err : "") << "\n" << sql;
  sqlite3_free(err);
  sqlite3_close(db);
}

void make_zip_db(const std::string& path, const std::vector<std::string>& rows2012,
                 const std::vector<std::string>& rows2016) {
  std::string sql =
      "CREATE TABLE zip_code (zip_code INTEGER, lattitude REAL, longitude REAL);"
      "CREATE TABLE zip_code2016 (zip_code TEXT, lattitude REAL, longitude REAL);";
  for (const auto& r : rows2012) sql += "INSERT INTO zip_code VALUES (" + r + ");";
  for (const auto& r : rows2016) sql += "INSERT INTO zip_code2016 VALUES (" + r + ");";
  make_sqlite(path, sql);
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

CapturedReports::CapturedReports()
    : previous_(set_trap_reporter([this](const TrapReport& r) { reports_.push_back(r); })) {}

CapturedReports::~CapturedReports() {
  set_trap_reporter(previous_);
}

}  // namespace quorvane::test

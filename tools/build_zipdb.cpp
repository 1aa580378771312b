// Builds the zip code database that ships beside the program from the files under data/:
// build_zipdb zip_code2012.csv zip_code2016.csv table_sources.tsv dbZips.mdb [places.csv]
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <utility>

#include "tools/build_places.h"

namespace {

using quorvane::tools::load_places;
using quorvane::tools::ZipPoints;

// Must match kTableSources of the engine, which reads it.
constexpr const char* kSources = "table_sources";

bool exec(sqlite3* db, const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) == SQLITE_OK) return true;
  std::cerr << "build_zipdb: " << (err ? err : "?") << "\n";
  sqlite3_free(err);
  return false;
}

// Runs the first statement of `sql`; `rest` gets the text after it.
bool exec_first(sqlite3* db, const char* sql, const char** rest) {
  sqlite3_stmt* st = nullptr;
  const bool ok =
      sqlite3_prepare_v2(db, sql, -1, &st, rest) == SQLITE_OK && sqlite3_step(st) == SQLITE_DONE;
  if (!ok) std::cerr << "build_zipdb: " << sqlite3_errmsg(db) << "\n";
  sqlite3_finalize(st);
  return ok;
}

bool load(sqlite3* db, const char* csv, const char* table, bool numeric_key, ZipPoints& points) {
  std::ifstream in(csv);
  if (!in) {
    std::cerr << "build_zipdb: cannot read " << csv << "\n";
    return false;
  }
  const std::string sql =
      std::string("INSERT INTO ") + table + " (zip_code, lattitude, longitude) VALUES (?, ?, ?)";
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return false;
  std::string line;
  std::getline(in, line);  // header
  long rows = 0;
  while (std::getline(in, line)) {
    const auto a = line.find(','), b = line.find(',', a + 1);
    if (a == std::string::npos || b == std::string::npos) continue;
    const std::string zip = line.substr(0, a);
    if (numeric_key)
      sqlite3_bind_int64(st, 1, std::stoll(zip));
    else
      sqlite3_bind_text(st, 1, zip.c_str(), -1, SQLITE_TRANSIENT);
    const double lat = std::stod(line.substr(a + 1, b - a - 1));
    const double lon = std::stod(line.substr(b + 1));
    points.emplace(zip, std::make_pair(lat, lon));
    sqlite3_bind_double(st, 2, lat);
    sqlite3_bind_double(st, 3, lon);
    if (sqlite3_step(st) != SQLITE_DONE) return false;
    sqlite3_reset(st);
    ++rows;
  }
  sqlite3_finalize(st);
  std::cout << table << ": " << rows << " rows\n";
  return true;
}

// The table of sources: one row per zip table, from a TAB-separated file with a header.
bool load_sources(sqlite3* db, const char* tsv) {
  std::ifstream in(tsv);
  if (!in) {
    std::cerr << "build_zipdb: cannot read " << tsv << "\n";
    return false;
  }
  const std::string sql = std::string("CREATE TABLE ") + kSources +
                          " (table_name TEXT, source TEXT, vintage TEXT, licence TEXT);"
                          "INSERT INTO " +
                          kSources + " VALUES (?, ?, ?, ?)";
  sqlite3_stmt* st = nullptr;
  const char* insert = nullptr;
  if (!exec_first(db, sql.c_str(), &insert) ||
      sqlite3_prepare_v2(db, insert, -1, &st, nullptr) != SQLITE_OK)
    return false;
  std::string line;
  std::getline(in, line);  // header
  bool ok = true;
  while (ok && std::getline(in, line)) {
    if (line.empty()) continue;
    std::size_t from = 0;
    for (int col = 1; col <= 4; ++col) {
      const std::size_t tab = col < 4 ? line.find('\t', from) : line.size();
      if (tab == std::string::npos) {
        std::cerr << "build_zipdb: " << tsv << ": a line without four fields\n";
        ok = false;
        break;
      }
      sqlite3_bind_text(st, col, line.data() + from, static_cast<int>(tab - from),
                        SQLITE_TRANSIENT);
      from = tab + 1;
    }
    ok = ok && sqlite3_step(st) == SQLITE_DONE && sqlite3_reset(st) == SQLITE_OK;
  }
  sqlite3_finalize(st);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 && argc != 6) {
    std::cerr << "usage: build_zipdb zip_code2012.csv zip_code2016.csv table_sources.tsv OUTPUT "
                 "[places.csv]\n";
    return 2;
  }
  ZipPoints points2012, points2016;
  const std::string out = argv[4], tmp = out + ".tmp";
  std::remove(tmp.c_str());
  sqlite3* db = nullptr;
  bool ok = sqlite3_open(tmp.c_str(), &db) == SQLITE_OK &&
            exec(db,
                 "PRAGMA journal_mode=OFF; BEGIN;"
                 "CREATE TABLE zip_code (zip_code INTEGER, lattitude REAL, longitude REAL);"
                 "CREATE TABLE zip_code2016 (zip_code TEXT, lattitude REAL, longitude REAL);") &&
            load(db, argv[1], "zip_code", true, points2012) &&
            load(db, argv[2], "zip_code2016", false, points2016) && load_sources(db, argv[3]) &&
            (argc == 5 || load_places(db, argv[5], points2012, points2016)) &&
            exec(db,
                 "CREATE INDEX zip_code_zip ON zip_code (zip_code);"
                 "CREATE INDEX zip_code2016_zip ON zip_code2016 (zip_code); COMMIT;");
  sqlite3_close(db);
  if (!ok || std::rename(tmp.c_str(), out.c_str()) != 0) {
    std::remove(tmp.c_str());
    std::cerr << "build_zipdb: failed\n";
    return 1;
  }
  return 0;
}

#include "db_info.h"

#include <sqlite3.h>

#include <cstring>
#include <exception>
#include <fstream>

#include "zip_table.h"

namespace quorvane {
namespace {

std::string format_of(const std::string& path, std::string& error) {
  char header[32] = {};
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "File not found";
    return {};
  }
  in.read(header, sizeof header);
  if (std::memcmp(header, "SQLite format 3", 16) == 0) return "SQLite 3";
  if (std::memcmp(header + 4, "Standard Jet DB", 15) == 0)
    return header[0x14] == 0 ? "Access (Jet 3)" : "Access (Jet 4)";
  if (std::memcmp(header + 4, "Standard ACE DB", 15) == 0) return "Access (ACE)";
  error = "Unrecognized database format";
  return {};
}

void count_row(void* ctx, const Cell&, const Cell&, const Cell&) {
  ++*static_cast<std::uint64_t*>(ctx);
}

void count_rows(const std::string& path, bool sqlite, const TableSpec& layout, TableInfo& t) {
  t.name = layout.table;
  try {
    if (sqlite)
      read_sqlite_table(path, layout, count_row, &t.rows);
    else
      read_access_table(path, layout, count_row, &t.rows);
    t.readable = true;
  } catch (const std::exception& e) {
    t.rows = 0;
    t.error = e.what();
  }
}

std::string column_text(sqlite3_stmt* st, int col) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
  return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(st, col))) : "";
}

// Fills in what the file's table of sources says, when it has one.
void read_sources(const std::string& path, TableInfo* tables[2]) {
  sqlite3* db = nullptr;
  sqlite3_stmt* st = nullptr;
  const std::string sql = std::string("SELECT source, vintage, licence FROM ") + kTableSources +
                          " WHERE table_name = ?1 ORDER BY rowid LIMIT 1";
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
    for (int i = 0; i < 2; ++i) {
      TableInfo& t = *tables[i];
      sqlite3_bind_text(st, 1, t.name.c_str(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(st) == SQLITE_ROW) {
        t.source = column_text(st, 0);
        t.vintage = column_text(st, 1);
        t.licence = column_text(st, 2);
      }
      sqlite3_reset(st);
    }
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
}

}  // namespace

DatabaseInfo describe_database(const std::string& path) {
  DatabaseInfo info;
  info.format = format_of(path, info.error);
  if (info.format.empty()) return info;
  const bool sqlite = info.format == "SQLite 3";
  count_rows(path, sqlite, zip_table_spec(true), info.table2016);
  count_rows(path, sqlite, zip_table_spec(false), info.table2012);
  TableInfo* tables[2] = {&info.table2016, &info.table2012};
  if (sqlite) read_sources(path, tables);
  return info;
}

}  // namespace quorvane

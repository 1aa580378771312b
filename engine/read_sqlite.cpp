#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>

#include "error_trap.h"
#include "table_part.h"
#include "text.h"
#include "zip_table.h"

namespace quorvane {
namespace {

std::string quote_identifier(const std::string& name) {
  std::string q = "\"";
  for (char c : name) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + '"';
}

Cell cell_of(sqlite3_stmt* st, int col) {
  Cell c;
  switch (sqlite3_column_type(st, col)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      c.type = Cell::Number;
      c.number = sqlite3_column_double(st, col);
      break;
    case SQLITE_NULL:
      break;
    default: {
      const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
      c.type = Cell::Text;
      c.text =
          std::string_view(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(st, col)));
    }
  }
  return c;
}

}  // namespace

void read_sqlite_table(const std::string& path, const TableSpec& layout, RowFn fn, void* ctx) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  auto fail = [&](const std::string& what) {
    std::string msg = what + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    throw RuntimeError(3343, msg);
  };
  if (rc != SQLITE_OK) fail("Cannot open the database");
  // Table order is rowid order, which is the order an indexed query returns ties in.
  const std::string sql =
      "SELECT " + quote_identifier(layout.key_column) + ", " + quote_identifier(layout.lat_column) +
      ", " + quote_identifier(layout.lon_column) + " FROM " + quote_identifier(layout.table);
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
    fail("Cannot read table " + layout.table);
  while ((rc = sqlite3_step(st)) == SQLITE_ROW)
    fn(ctx, cell_of(st, 0), cell_of(st, 1), cell_of(st, 2));
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) fail("Cannot read table " + layout.table);
  sqlite3_close(db);
}

namespace {

bool is_sqlite_file(const std::string& path) {
  char header[16] = {};
  std::ifstream in(path, std::ios::binary);
  return in.read(header, sizeof header) && std::memcmp(header, "SQLite format 3", 16) == 0;
}

// The affinity SQLite gives a column of the declared type, by its own rules.
enum class Affinity { Integer, Text, Blob, Real, Numeric };

Affinity affinity_of(std::string type) {
  std::transform(type.begin(), type.end(), type.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  });
  auto has = [&](const char* part) { return type.find(part) != std::string::npos; };
  if (has("INT")) return Affinity::Integer;
  if (has("CHAR") || has("CLOB") || has("TEXT")) return Affinity::Text;
  if (has("BLOB") || type.empty()) return Affinity::Blob;
  if (has("REAL") || has("FLOA") || has("DOUB")) return Affinity::Real;
  return Affinity::Numeric;
}

// With a numeric key column, SQLite stores every text that reads as a number as that
// number and compares a bound number numerically; with a text one, it stores text and
// compares a bound text byte for byte: then equality in the query is the table's own.
bool key_compares_as_table(sqlite3* db, const TableSpec& layout) {
  const char* declared = nullptr;
  if (sqlite3_table_column_metadata(db, "main", layout.table.c_str(), layout.key_column.c_str(),
                                    &declared, nullptr, nullptr, nullptr, nullptr) != SQLITE_OK)
    return false;
  const Affinity a = affinity_of(declared ? declared : "");
  return layout.kind == KeyKind::Text ? a == Affinity::Text
                                      : a != Affinity::Text && a != Affinity::Blob;
}

// Blank space around a number is allowed in a statement; the table's lookup may trim it.
std::string_view trim_space(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::unique_ptr<ZipTable> read_sqlite_rows(const std::string& path, bool use2016,
                                           std::span<const std::string_view> zips) {
  if (!is_sqlite_file(path)) return nullptr;
  const TableSpec layout = zip_table_spec(use2016);
  sqlite3* db = nullptr;
  sqlite3_stmt* st = nullptr;
  auto table = std::make_unique<ZipTable>(layout.kind);
  bool ok = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
            key_compares_as_table(db, layout);
  const std::string sql =
      "SELECT " + quote_identifier(layout.key_column) + ", " + quote_identifier(layout.lat_column) +
      ", " + quote_identifier(layout.lon_column) + " FROM " + quote_identifier(layout.table) +
      " WHERE " + quote_identifier(layout.key_column) + " = ?1 ORDER BY rowid";
  ok = ok && sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK;
  for (std::size_t i = 0; ok && i < zips.size(); ++i) {
    if (use2016) {
      sqlite3_bind_text(st, 1, zips[i].data(), static_cast<int>(zips[i].size()), SQLITE_STATIC);
    } else {
      const auto number = parse_sql_number(trim_space(zips[i]));
      if (!number) continue;  // finds no row in the table either
      sqlite3_bind_double(st, 1, *number);
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
      table->add(cell_of(st, 0), cell_of(st, 1), cell_of(st, 2));
    ok = rc == SQLITE_DONE && sqlite3_reset(st) == SQLITE_OK;
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return ok ? std::move(table) : nullptr;
}

}  // namespace quorvane

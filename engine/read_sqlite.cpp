#include <sqlite3.h>

#include <string>

#include "error_trap.h"
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

}  // namespace quorvane

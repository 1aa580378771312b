#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "engine/error_trap.h"
#include "engine/read_limits.h"
#include "engine/regular_file.h"
#include "engine/sqlite_columns.h"
#include "engine/table_part.h"
#include "engine/text.h"
#include "engine/zip_table.h"

namespace quorvane {
namespace {

std::chrono::milliseconds& time_limit() {
  static std::chrono::milliseconds limit{10000};
  return limit;
}

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

// A file is read or refused within the time limit, whatever its schema holds.
struct Budget {
  std::chrono::steady_clock::time_point deadline;
  bool out_of_time = false;
};

int check_budget(void* p) {
  auto* budget = static_cast<Budget*>(p);
  budget->out_of_time = std::chrono::steady_clock::now() > budget->deadline;
  return budget->out_of_time ? 1 : 0;
}

class Database {
 public:
  explicit Database(const std::string& path) {
    // Immutable: the file is only read, so no journal or lock file beside it is touched.
    const std::string uri = "file:" + escape_uri(path) + "?immutable=1";
    // One thread uses a connection: no mutex around every call that reads a field.
    rc_ = sqlite3_open_v2(uri.c_str(), &db_,
                          SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc_ != SQLITE_OK) fail("Cannot open the database");
    // An unknown name in double quotes must be an error, not a text literal.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    // No field of a zip code table comes near this; a computed one could fill memory.
    sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, kMaxFieldBytes);
    budget_.deadline = std::chrono::steady_clock::now() + time_limit();
    sqlite3_progress_handler(db_, 1000, check_budget, &budget_);
  }
  ~Database() {
    sqlite3_finalize(st_);
    sqlite3_close(db_);
  }

  sqlite3_stmt* prepare(const std::string& sql, const std::string& what) {
    sqlite3_finalize(st_);
    st_ = nullptr;
    rc_ = sqlite3_prepare_v2(db_, sql.c_str(), -1, &st_, nullptr);
    if (rc_ != SQLITE_OK) fail(what);
    return st_;
  }
  int step(const std::string& what) {
    rc_ = sqlite3_step(st_);
    if (rc_ != SQLITE_ROW && rc_ != SQLITE_DONE) fail(what);
    return rc_;
  }

  sqlite3* handle() const { return db_; }
  void reset() { sqlite3_reset(st_); }

  // Only a stored table is read: a view or a virtual table can compute without end.
  void require_stored_table(const std::string& table) {
    sqlite3_stmt* st = prepare(
        "SELECT type, sql FROM sqlite_schema WHERE name = ?1 COLLATE NOCASE "
        "AND type IN ('table', 'view')",
        "Cannot read the database's list of tables");
    sqlite3_bind_text(st, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    if (step("Cannot read the database's list of tables") != SQLITE_ROW)
      throw RuntimeError(3078, "The database has no table " + table);
    const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
    if (type != "table" || (sql && sqlite3_strnicmp(sql, "CREATE VIRTUAL", 14) == 0))
      throw RuntimeError(3078, "The database's " + table + " is a " +
                                   (type == "table" ? "virtual table" : type) +
                                   ", not a stored table; only stored tables are read");
  }

  [[noreturn]] void fail(const std::string& what) {
    std::string reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc_);
    if (budget_.out_of_time)
      reason = "it could not be read within " + std::to_string(time_limit().count()) +
               " ms; it may be damaged";
    throw RuntimeError(3343, what + ": " + reason);
  }

  static constexpr int kMaxFieldBytes = 1 << 20;

 private:
  static std::string escape_uri(const std::string& path) {
    std::string out;
    for (char c : path) {
      if (c == '%' || c == '?' || c == '#') {
        static const char hex[] = "0123456789ABCDEF";
        out += '%';
        out += hex[static_cast<unsigned char>(c) >> 4];
        out += hex[c & 0xF];
      } else {
        out += c;
      }
    }
    return out;
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt* st_ = nullptr;
  int rc_ = SQLITE_OK;
  Budget budget_;
};

}  // namespace

void set_sqlite_read_time_limit(std::chrono::milliseconds limit) {
  time_limit() = limit;
}

void read_sqlite_table(const std::string& path, const TableSpec& layout, RowFn fn, void* ctx) {
  Database db(path);
  db.require_stored_table(layout.table);

  // Table order is rowid order, which is the order an indexed query returns ties in.
  const std::string what = "Cannot read table " + layout.table;
  sqlite3_stmt* st = db.prepare(
      "SELECT " + quote_identifier(layout.key_column) + ", " + quote_identifier(layout.lat_column) +
          ", " + quote_identifier(layout.lon_column) + " FROM " + quote_identifier(layout.table),
      what);
  std::size_t rows = 0;
  while (db.step(what) == SQLITE_ROW) {
    if (++rows > kMaxTableRows)
      throw RuntimeError(3343, what + ": it has more than " + std::to_string(kMaxTableRows) +
                                   " rows, more than any zip code table");
    fn(ctx, cell_of(st, 0), cell_of(st, 1), cell_of(st, 2));
  }
}

namespace {

bool is_sqlite_file(const std::string& path) {
  char header[16] = {};
  const RegularFile file(path);
  return ::pread(file.fd(), header, sizeof header, 0) == sizeof header &&
         std::memcmp(header, "SQLite format 3", 16) == 0;
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

}  // namespace

std::unique_ptr<ZipTable> read_sqlite_rows(const std::string& path, bool use2016,
                                           std::span<const std::string_view> zips) {
  // Any failure leaves it to the whole table's read, which says what is wrong.
  try {
    if (!is_sqlite_file(path)) return nullptr;
    const TableSpec layout = zip_table_spec(use2016);
    Database db(path);
    db.require_stored_table(layout.table);
    if (!key_compares_as_table(db.handle(), layout)) return nullptr;
    // Where the rows by key could differ from the whole table's, the whole table is read:
    // too many rows to be a zip code table, or keys the query compares otherwise than
    // the table in memory does (BLOBs; texts in a numeric column). Both questions go
    // through the key's index where there is one.
    const std::string what = "Cannot read table " + layout.table;
    const std::string from = " FROM " + quote_identifier(layout.table);
    const std::string key = quote_identifier(layout.key_column);
    // The span of the rowids bounds the count of rows through the rowid's own tree,
    // without a walk over every row.
    sqlite3_stmt* span = db.prepare(
        "SELECT (SELECT max(rowid)" + from + ") - (SELECT min(rowid)" + from + ")", what);
    if (db.step(what) != SQLITE_ROW ||
        (sqlite3_column_type(span, 0) != SQLITE_NULL &&
         sqlite3_column_int64(span, 0) >= static_cast<sqlite3_int64>(kMaxTableRows)))
      return nullptr;
    db.prepare("SELECT 1" + from + " WHERE " + key +
                   (layout.kind == KeyKind::Text ? " >= x''" : " >= ''") + " LIMIT 1",
               what);
    if (db.step(what) == SQLITE_ROW) return nullptr;
    auto table = std::make_unique<ZipTable>(layout.kind);
    RowLimits limits(layout);
    sqlite3_stmt* st = db.prepare("SELECT " + quote_identifier(layout.key_column) + ", " +
                                      quote_identifier(layout.lat_column) + ", " +
                                      quote_identifier(layout.lon_column) + " FROM " +
                                      quote_identifier(layout.table) + " WHERE " +
                                      quote_identifier(layout.key_column) + " = ?1 ORDER BY rowid",
                                  what);
    std::size_t rows = 0;
    for (const std::string_view zip : zips) {
      db.reset();
      if (use2016) {
        sqlite3_bind_text(st, 1, zip.data(), static_cast<int>(zip.size()), SQLITE_STATIC);
      } else {
        const auto number = parse_sql_number(trim_number_space(zip));
        if (!number) continue;  // finds no row in the table either
        sqlite3_bind_double(st, 1, *number);
      }
      while (db.step(what) == SQLITE_ROW) {
        if (++rows > kMaxTableRows) return nullptr;
        limits.check(cell_of(st, 0), cell_of(st, 1), cell_of(st, 2));
        table->add(cell_of(st, 0), cell_of(st, 1), cell_of(st, 2));
      }
    }
    return table;
  } catch (const RuntimeError&) {
    return nullptr;
  }
}

}  // namespace quorvane

namespace quorvane {

void read_sqlite_columns(const std::string& path, const std::string& table,
                         std::span<const char* const> columns, CellsFn fn, void* ctx,
                         const KeyFilter* filter) {
  Database db(path);
  db.require_stored_table(table);
  std::string sql = "SELECT ";
  for (std::size_t i = 0; i < columns.size(); ++i)
    sql += quote_identifier(columns[i]) + (i + 1 < columns.size() ? ", " : " ");
  sql += "FROM " + quote_identifier(table);
  if (filter) sql += " WHERE " + quote_identifier(filter->column) + " = ?1 ORDER BY rowid";
  const std::string what = "Cannot read table " + table;
  sqlite3_stmt* st = db.prepare(sql, what);
  std::vector<Cell> cells(columns.size());
  std::size_t rows = 0;
  const std::size_t passes = filter ? filter->keys.size() : 1;
  for (std::size_t k = 0; k < passes; ++k) {
    if (filter) {
      db.reset();
      const std::string_view key = filter->keys[k];
      sqlite3_bind_text(st, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    }
    while (db.step(what) == SQLITE_ROW) {
      if (++rows > kMaxTableRows)
        throw RuntimeError(3343, what + ": it has more than " + std::to_string(kMaxTableRows) +
                                     " rows, more than any zip code table");
      for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = cell_of(st, static_cast<int>(i));
      fn(ctx, cells);
    }
  }
}

}  // namespace quorvane

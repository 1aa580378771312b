// Any bytes as the zip code database: read or refused with an error, quickly, and what
// is read agrees with SQLite's own count of the table's rows.
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/error_trap.h"
#include "engine/read_limits.h"
#include "engine/zip_table.h"

namespace {

std::string db_path() {
  static const std::string path = "/tmp/quorvane-fuzz-" + std::to_string(getpid()) + ".db";
  return path;
}

struct Count {
  std::size_t rows = 0;
};

void count_row(void* ctx, const quorvane::Cell&, const quorvane::Cell&, const quorvane::Cell&) {
  ++static_cast<Count*>(ctx)->rows;
}

// The rows a plain count finds in a stored table, or -1 when it cannot count them.
long long model_rows(const std::string& table) {
  sqlite3* db = nullptr;
  long long n = -1;
  if (sqlite3_open_v2(("file:" + db_path() + "?immutable=1").c_str(), &db,
                      SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    // The table itself, not a smaller index that a damaged file may disagree with.
    const std::string sql = "SELECT count(*) FROM \"" + table + "\" NOT INDEXED";
    int calls = 0;
    sqlite3_progress_handler(
        db, 1000, [](void* p) { return ++*static_cast<int*>(p) > 20000 ? 1 : 0; }, &calls);
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
      n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  quorvane::set_sqlite_read_time_limit(std::chrono::milliseconds(2000));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool use2016 = data[0] & 1;
  {
    FILE* f = std::fopen(db_path().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);
  }
  const quorvane::TableSpec layout = quorvane::zip_table_spec(use2016);
  Count count;
  bool read = false;
  try {
    quorvane::read_sqlite_table(db_path(), layout, count_row, &count);
    read = true;
  } catch (const quorvane::RuntimeError&) {
  }
  if (read) {
    const long long want = model_rows(layout.table);
    if (want >= 0 && static_cast<std::size_t>(want) != count.rows) std::abort();
    if (count.rows > quorvane::kMaxTableRows) std::abort();
  }
  try {
    quorvane::load_table(db_path(), layout);
  } catch (const quorvane::RuntimeError&) {
  }
  return 0;
}

#pragma once
// Any columns of a stored table of an SQLite file, read with the care a zip code table
// is read with (read-only, in bounded time and memory).
#include <span>
#include <string>
#include <string_view>

#include "engine/zip_table.h"

namespace quorvane {

// Called with the row's cells, in the order the columns were named.
using CellsFn = void (*)(void* ctx, std::span<const Cell> cells);

// Only the rows whose column equals one of the keys (as text), key by key, each key's
// rows in table order.
struct KeyFilter {
  const char* column;
  std::span<const std::string_view> keys;
};

// Calls `fn` for every row in table order, or for the rows of the filter's keys. Throws
// RuntimeError with the reason (no such table, no such column, an unreadable file).
void read_sqlite_columns(const std::string& path, const std::string& table,
                         std::span<const char* const> columns, CellsFn fn, void* ctx,
                         const KeyFilter* filter = nullptr);

}  // namespace quorvane

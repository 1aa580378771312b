#pragma once
// A single comparison needs two rows, not a whole table: reading a table takes tens of
// milliseconds, looking up a key by the file's index well under one.
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "engine/zip_table.h"

namespace quorvane {

// The rows of an SQLite zip table that the given zip codes can find, in the file's
// order, as a table that answers those zip codes exactly as the whole table would.
// Returns nullptr when that cannot be promised: the file is not SQLite, cannot be read,
// or its key column is not declared as the shipped database declares it (INTEGER in the
// 2012 table, TEXT in the 2016 one), so that the database's comparison could differ
// from the table's; the caller then reads the whole table.
std::unique_ptr<ZipTable> read_sqlite_rows(const std::string& path, bool use2016,
                                           std::span<const std::string_view> zips);

}  // namespace quorvane

#pragma once
#include <string>

#include "engine/zip_table.h"

namespace quorvane {

// Reads a table of an Access file in this process, with libmdb.
void read_mdb_table(const std::string& path, const TableSpec& layout, RowFn fn, void* ctx);

}  // namespace quorvane

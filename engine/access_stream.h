#pragma once
// The stream quorvane-access-reader writes on its standard output. Each field: a type
// byte ('0' null, 'T' text), a 4-byte little-endian length, the bytes; three fields a
// row. 'E' ends a complete table; 'X', a length and a message report a failure.
#include <string>
#include <string_view>

#include "engine/zip_table.h"

namespace quorvane {

// Calls `fn` for every whole row of `data`, then throws RuntimeError unless the stream
// ends as a complete table: with the reader's message after an 'X', else naming `path`
// and `table` as damaged. `exited_well` is whether the reader exited with status 0.
void parse_access_stream(std::string_view data, bool exited_well, const std::string& path,
                         const std::string& table, RowFn fn, void* ctx);

}  // namespace quorvane

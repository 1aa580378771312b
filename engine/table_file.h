#pragma once
// A compact copy of a database's two zip code tables as the engine keeps them in
// memory, so that a command starts without reading and converting the database. The
// file lies beside the database under the same name with the extension ".tables"; the
// build writes one for the shipped database.
//
// The file names the database it was made from (its size, modification time and a
// checksum of its first and last pages), its format version and byte order, and carries
// a checksum of every part. A file that does not match the database beside it, or fails
// any check, is ignored without a word: the database is read as usual.
#include <memory>
#include <string>

#include "engine/zip_table.h"

namespace quorvane {

// The table file's path for a database: its name with the extension ".tables".
std::string table_file_path(const std::string& database_path);

// Writes the table file for the database beside it (through a temporary file and a
// rename, so that a reader sees the old file or the new one, never half of one).
// Throws RuntimeError on failure.
void write_table_file(const std::string& database_path, const ZipTable& table2012,
                      const ZipTable& table2016);

// The table from the table file, or nullptr when there is no matching, sound file.
std::unique_ptr<ZipTable> read_table_file(const std::string& database_path, bool use2016);

}  // namespace quorvane

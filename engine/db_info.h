#pragma once
// What a zip code database file is and holds: its format, and for each table its row
// count and where its data comes from, as far as the file tells.
#include <cstdint>
#include <string>

namespace quorvane {

// The table of the database that names each zip table's source, vintage and licence
// (columns table_name, source, vintage, licence); files without it tell nothing.
inline constexpr const char* kTableSources = "table_sources";

struct TableInfo {
  std::string name;        // the table's name in the file
  bool readable = false;   // rows counted; otherwise `error` says why not
  std::uint64_t rows = 0;  // every row, duplicates and unusable rows included
  std::string error;
  std::string source, vintage, licence;  // empty when the file does not tell
};

struct DatabaseInfo {
  std::string format;  // "SQLite 3", "Access (Jet 3)", "Access (Jet 4)", "Access (ACE)", or empty
  std::string error;   // why the file could not be read at all
  TableInfo table2016, table2012;
};

DatabaseInfo describe_database(const std::string& path);

}  // namespace quorvane

#include "engine/db_info.h"

#include <unistd.h>

#include <cstring>
#include <exception>

#include "engine/error_trap.h"
#include "engine/read_limits.h"
#include "engine/regular_file.h"
#include "engine/zip_table.h"

namespace quorvane {
namespace {

std::string format_of(const std::string& path, std::string& error) {
  char header[32] = {};
  try {
    const RegularFile file(path);
    if (::pread(file.fd(), header, sizeof header, 0) < 0) throw RuntimeError(75, "Cannot read it");
  } catch (const std::exception& e) {
    error = e.what();
    return {};
  }
  if (std::memcmp(header, "SQLite format 3", 16) == 0) return "SQLite 3";
  if (std::memcmp(header + 4, "Standard Jet DB", 15) == 0)
    return header[0x14] == 0 ? "Access (Jet 3)" : "Access (Jet 4)";
  if (std::memcmp(header + 4, "Standard ACE DB", 15) == 0) return "Access (ACE)";
  error = "Unrecognized database format";
  return {};
}

struct Counting {
  std::uint64_t& rows;
  RowLimits limits;
};

void count_row(void* ctx, const Cell& key, const Cell& lat, const Cell& lon) {
  auto* counting = static_cast<Counting*>(ctx);
  counting->limits.check(key, lat, lon);
  ++counting->rows;
}

void count_rows(const std::string& path, bool sqlite, const TableSpec& layout, TableInfo& t) {
  t.name = layout.table;
  try {
    Counting counting{t.rows, RowLimits(layout)};
    if (sqlite)
      read_sqlite_table(path, layout, count_row, &counting);
    else
      read_access_table(path, layout, count_row, &counting);
    t.readable = true;
  } catch (const std::exception& e) {
    t.rows = 0;
    t.error = e.what();
  }
}

struct Sources {
  TableInfo** tables;
  bool second_pass = false;  // the licence, read on its own
  bool seen[2] = {false, false};
};

void take_source(void* ctx, const Cell& name, const Cell& a, const Cell& b) {
  auto* s = static_cast<Sources*>(ctx);
  auto text = [](const Cell& c) { return c.type == Cell::Text ? std::string(c.text) : ""; };
  for (int i = 0; i < 2; ++i) {
    TableInfo& t = *s->tables[i];
    if (s->seen[i] || name.type != Cell::Text || name.text != t.name) continue;
    s->seen[i] = true;  // the first row of a table name counts
    if (s->second_pass) {
      t.licence = text(a);
    } else {
      t.source = text(a);
      t.vintage = text(b);
    }
  }
}

// Fills in what the file's table of sources says, when it has one; it is read with the
// same care as the zip tables, since it may be anything, a view without end included.
void read_sources(const std::string& path, TableInfo* tables[2]) {
  Sources sources{tables};
  try {
    read_sqlite_table(path, {kTableSources, "table_name", "source", "vintage", KeyKind::Text},
                      take_source, &sources);
    sources = Sources{tables, true};
    read_sqlite_table(path, {kTableSources, "table_name", "licence", "licence", KeyKind::Text},
                      take_source, &sources);
  } catch (const std::exception&) {
  }
}

}  // namespace

DatabaseInfo describe_database(const std::string& path) {
  DatabaseInfo info;
  info.format = format_of(path, info.error);
  if (info.format.empty()) return info;
  const bool sqlite = info.format == "SQLite 3";
  count_rows(path, sqlite, zip_table_spec(true), info.table2016);
  count_rows(path, sqlite, zip_table_spec(false), info.table2012);
  TableInfo* tables[2] = {&info.table2016, &info.table2012};
  if (sqlite) read_sources(path, tables);
  return info;
}

}  // namespace quorvane

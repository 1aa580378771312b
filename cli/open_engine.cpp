#include "cli/open_engine.h"

#include <sys/stat.h>

#include <utility>

#include "engine/table_part.h"

namespace quorvane::cli {

bool check_database(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return true;
  report("Cannot read the zip code database " + path + ": it is not a regular file");
  return false;
}

bool table_readable(ZipDistance& engine, bool use2016) {
  if (engine.store().table(use2016)) return true;
  report("Cannot read the zip code database " + engine.store().path() + ": " +
         engine.store().error(use2016));
  return false;
}

std::optional<std::string> checked_database_path(const Settings& s) {
  std::string path = s.database_path();
  if (!check_database(path)) return std::nullopt;
  return path;
}

OpenEngine::OpenEngine(const Settings& s)
    : path_(s.database_path()), options_(s.compare()), engine_(path_) {
  engine_.set_decimal_separator(s.separators.decimal);
}

bool OpenEngine::open(Tables tables, std::span<const std::string_view> rows) {
  if (!check_database(path_)) return false;
  if (!rows.empty())
    if (auto part = read_sqlite_rows(path_, options_.use2016, rows))
      engine_.store().adopt(options_.use2016, std::move(part));
  batch_.emplace(engine_);
  if (tables == Tables::Both)
    return table_readable(engine_, false) && table_readable(engine_, true);
  return table_readable(engine_, options_.use2016);
}

}  // namespace quorvane::cli

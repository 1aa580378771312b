#pragma once
// One way for a command to open the engine: the database path (--db, QUORVANE_DB or
// dbZips.mdb beside the program), the check that it names a regular file, the engine
// with the user's decimal separator, one batch for the whole command, and the tables
// it reads, readable or reported.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/common.h"
#include "engine/zip_distance.h"

namespace quorvane::cli {

// The database path of the settings, or nullopt, with a message, when it names
// something that is not a regular file (a missing file is left for the engine).
std::optional<std::string> checked_database_path(const Settings& s);

// False, with a message, when the path names something that is not a regular file.
bool check_database(const std::string& path);
// Reads the table now: false, with the engine's message, when it cannot be read.
bool table_readable(ZipDistance& engine, bool use2016);

class OpenEngine {
 public:
  enum class Tables { Chosen, Both };

  // The engine writes its result lines with the user's decimal separator; commands
  // that write their distances themselves (nearest, tables, matrix) pass the separator
  // they want and never see the engine's, so it is set for every command alike.
  explicit OpenEngine(const Settings& s);

  // Checks the path, starts the batch and reads the tables; false, with a message,
  // when there is nothing to compare. `rows`, when given, are the only zip codes the
  // command looks up: they are read by key when the file allows it.
  bool open(Tables tables = Tables::Chosen, std::span<const std::string_view> rows = {});

  ZipDistance& engine() { return engine_; }
  const std::string& path() const { return path_; }
  const CompareOptions& options() const { return options_; }
  // The chosen table; only after open() succeeded.
  const ZipTable& table() { return *engine_.store().table(options_.use2016); }
  // Ends the batch: failures counted over it are reported now.
  void end_batch() { batch_.reset(); }

 private:
  const std::string path_;
  const CompareOptions options_;
  ZipDistance engine_;
  std::optional<ZipDistance::Batch> batch_;  // after the engine: ends before it
};

}  // namespace quorvane::cli

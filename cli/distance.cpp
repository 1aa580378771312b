#include "cli/distance.h"

#include <array>
#include <optional>

#include "cli/not_found.h"
#include "cli/output.h"
#include "cli/zip_argument.h"
#include "engine/table_part.h"

namespace quorvane::cli {

CLI::App* add_distance_command(CLI::App& app, DistanceSettings& s) {
  CLI::App* cmd = app.add_subcommand(
      "distance", "Prints the result line of one comparison, as the window words it.");
  cmd->add_option("ZIP1", s.zip1, "The first zip code")->required()->type_name("");
  cmd->add_option("ZIP2", s.zip2, "The second zip code")->required()->type_name("");
  add_compare_options(*cmd, s.common, true);
  return cmd;
}

int distance(const DistanceSettings& s) {
  const std::string db = s.common.database_path();
  if (!check_database(db)) return kError;
  const CompareOptions options = s.common.compare();
  ZipDistance engine(db);
  engine.set_decimal_separator(s.common.separators.decimal);
  const std::string zip1 = zip_argument(s.zip1), zip2 = zip_argument(s.zip2);
  const std::array<std::string_view, 2> zips{zip1, zip2};
  if (auto rows = read_sqlite_rows(db, options.use2016, zips))
    engine.store().adopt(options.use2016, std::move(rows));

  std::optional<ZipDistance::Batch> batch(std::in_place, engine);
  if (!table_readable(engine, options.use2016)) return kError;
  const ZipPair pair{zip1, zip2};
  PairResult result;
  Output out;
  engine.compare(std::span(&pair, 1), options, std::span(&result, 1),
                 LineOutput{&out.text(), '\n', nullptr});
  batch.reset();
  out.flush();
  NotFoundSummary not_found;
  not_found.take(engine.not_found_zips);
  if (!not_found.empty()) report(not_found.text());
  return result.status == PairStatus::Distance ? kAllDistances : kSomeWithout;
}

}  // namespace quorvane::cli

#include "cli/distance.h"

#include <array>

#include "cli/not_found.h"
#include "cli/open_engine.h"
#include "cli/output.h"
#include "cli/zip_argument.h"

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
  OpenEngine db(s.common);
  const std::string zip1 = zip_argument(s.zip1), zip2 = zip_argument(s.zip2);
  const std::array<std::string_view, 2> zips{zip1, zip2};
  if (!db.open(OpenEngine::Tables::Chosen, zips)) return kError;
  ZipDistance& engine = db.engine();
  const ZipPair pair{zip1, zip2};
  PairResult result;
  Output out;
  engine.compare(std::span(&pair, 1), db.options(), std::span(&result, 1),
                 LineOutput{&out.text(), '\n', nullptr});
  db.end_batch();
  out.flush();
  NotFoundSummary not_found;
  not_found.take(engine.not_found_zips);
  if (!not_found.empty()) report(not_found.text());
  return result.status == PairStatus::Distance ? kAllDistances : kSomeWithout;
}

}  // namespace quorvane::cli

#include "cli/within.h"

#include <limits>

#include "cli/formats.h"
#include "cli/open_engine.h"
#include "engine/zip_index.h"

namespace quorvane::cli {

CLI::App* add_within_command(CLI::App& app, WithinSettings& s) {
  CLI::App* cmd = app.add_subcommand(
      "within", "Lists the zip codes within a distance of a zip code, nearest first.");
  cmd->add_option("ZIP", s.zip, "The centre, listed first at 0")->required()->type_name("");
  cmd->add_option("MILES", s.radius, "The radius (in km with --units km), boundary included")
      ->required()
      ->type_name("")
      ->check(number_from_to(0, std::numeric_limits<double>::max(), "of at least 0"));
  add_format_option(*cmd, s.format, "run's result lines",
                    "zip1,zip2,miles,status as run writes it");
  add_compare_options(*cmd, s.common, true);
  return cmd;
}

int within(const WithinSettings& s) {
  OpenEngine db(s.common);
  if (!db.open()) return kError;
  ZipDistance& engine = db.engine();
  const CompareOptions& options = db.options();
  const LocatedZip centre = locate_zip(db.table(), s.zip, options.use2016);
  if (centre.status != PlaceStatus::Found) {
    report(place_problem(centre.status, s.zip, options.use2016));
    return kSomeWithout;
  }
  const auto found = engine.store()
                         .index(options.use2016)
                         ->within(centre.place, s.radius, options.method, options.units);

  // Worded and written as run words and writes the same pairs, in blocks.
  constexpr std::size_t kBlock = 4096;
  std::vector<ZipPair> pairs;
  std::vector<PairResult> results(kBlock);
  Output out;
  const std::unique_ptr<Format> format = make_format(s.format);
  format->begin(out);
  bool all_distances = true;
  for (std::size_t first = 0; first < found.size(); first += kBlock) {
    pairs.clear();
    for (std::size_t i = first; i < found.size() && pairs.size() < kBlock; ++i)
      pairs.push_back({centre.place.zip, found[i].place->zip});
    const std::span<PairResult> block(results.data(), pairs.size());
    format->block(engine, pairs, options, block, out);
    for (const PairResult& r : block)
      all_distances = all_distances && r.status == PairStatus::Distance;
    out.maybe_flush();
  }
  db.end_batch();
  format->end(out);
  out.flush();
  return all_distances ? kAllDistances : kSomeWithout;
}

}  // namespace quorvane::cli

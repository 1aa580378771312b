#include "cli/within.h"

#include <limits>
#include <optional>

#include "cli/formats.h"
#include "cli/zip_argument.h"
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
  const std::string db = s.common.database_path();
  if (!check_database(db)) return kError;
  const CompareOptions options = s.common.compare();
  ZipDistance engine(db);
  engine.set_decimal_separator(s.common.separators.decimal);
  std::optional<ZipDistance::Batch> batch(std::in_place, engine);
  if (!table_readable(engine, options.use2016)) return kError;
  const std::string zip = zip_argument(s.zip);
  const LocatedZip centre =
      locate_zip(*engine.store().table(options.use2016), zip, options.use2016);
  if (centre.status != PlaceStatus::Found) {
    report(place_problem(centre.status, zip, options.use2016));
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
  batch.reset();
  format->end(out);
  out.flush();
  return all_distances ? kAllDistances : kSomeWithout;
}

}  // namespace quorvane::cli

#include "cli/within.h"

#include <limits>

#include "cli/formats.h"
#include "cli/open_engine.h"
#include "cli/places.h"
#include "cli/zip_argument.h"
#include "engine/zip_index.h"

namespace quorvane::cli {

CLI::App* add_within_command(CLI::App& app, WithinSettings& s) {
  CLI::App* cmd = app.add_subcommand(
      "within", "Lists the zip codes within a distance of a zip code, nearest first.");
  CLI::Option* zip =
      cmd->add_option("ZIP", s.zip, "The centre, listed first at 0 (none with --centres)")
          ->type_name("");
  const CLI::Validator radius =
      number_from_to(0, std::numeric_limits<double>::max(), "of at least 0");
  CLI::Option* miles =
      cmd->add_option("MILES", s.radius, "The radius (in km with --units km), boundary included")
          ->type_name("")
          ->check(radius);
  cmd->add_option("--centres", s.centres,
                  "Answers every centre of a list file (or of a column with --column); - "
                  "reads standard input. Lines and csv rows begin with the centre as written "
                  "there; csv is centre,zip,miles")
      ->type_name("FILE");
  cmd->add_option("--column", s.column,
                  "The centres' column: a header name or a number (default the first; a first "
                  "line whose cell is no zip code is a header)")
      ->type_name("COL");
  cmd->add_flag("--strict", s.strict, "Only exactly five digits are a zip code in --centres");
  add_format_option(*cmd, s.format, "run's result lines",
                    "zip1,zip2,miles,status as run writes it");
  add_compare_options(*cmd, s.common, true);
  add_places_flag(*cmd, s.common.places);
  // With --centres the one number given is the radius.
  cmd->callback([&s, zip, miles, radius] {
    if (s.centres.empty()) {
      if (!s.column.empty()) throw CLI::ValidationError("--column", "Only with --centres.");
      if (zip->count() == 0) throw CLI::RequiredError("ZIP");
      if (miles->count() == 0) throw CLI::RequiredError("MILES");
      return;
    }
    if (miles->count() != 0) throw CLI::ValidationError("ZIP", "Not with --centres.");
    if (zip->count() == 0) throw CLI::RequiredError("MILES");
    std::string text = s.zip;
    const std::string problem = radius(text);
    if (!problem.empty()) throw CLI::ValidationError("MILES", problem);
    CLI::detail::lexical_cast(text, s.radius);
    s.zip.clear();
  });
  return cmd;
}

int within(const WithinSettings& s) {
  if (!s.centres.empty()) return within_centres(s);
  OpenEngine db(s.common);
  if (!db.open()) return kError;
  ZipDistance& engine = db.engine();
  const CompareOptions& options = db.options();
  std::unique_ptr<PlaceTable> places;
  if (s.common.places && !(places = read_places(db.path(), "--places"))) return kError;
  const std::string zip = zip_argument(s.zip);
  const LocatedZip centre = locate_zip(db.table(), zip, options.use2016);
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
  const std::unique_ptr<Format> format = make_format(s.format, places.get());
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

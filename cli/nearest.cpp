#include "cli/nearest.h"

#include <optional>

#include "cli/coordinates.h"
#include "cli/output.h"
#include "engine/text.h"
#include "engine/zip_index.h"
#include "format/csv.h"
#include "format/distance_matrix.h"

namespace quorvane::cli {

CLI::App* add_nearest_command(CLI::App& app, NearestSettings& s) {
  CLI::App* cmd = app.add_subcommand(
      "nearest", "Lists the zip codes nearest to a point (LAT LON in degrees), nearest first.");
  cmd->add_option("LAT", s.lat, "Latitude, -90 to 90 (north positive)")
      ->required()
      ->type_name("")
      ->check(number_from_to(-90, 90, "from -90 to 90"));
  cmd->add_option("LON", s.lon, "Longitude, -180 to 180 (east positive)")
      ->required()
      ->type_name("")
      ->check(number_from_to(-180, 180, "from -180 to 180"));
  cmd->add_option("--count", s.count, "How many zip codes (default 10)")
      ->type_name("N")
      ->check(count_at_least_one());
  add_format_option(*cmd, s.format, "\"ZIP: DISTANCE miles\"",
                    "zip,lat,lon,miles (zip,lat,lon,km with --units km)");
  add_compare_options(*cmd, s.common, false);
  return cmd;
}

int nearest(const NearestSettings& s) {
  const std::string db = s.common.database_path();
  if (!check_database(db)) return kError;
  const CompareOptions options = s.common.compare();
  ZipDistance engine(db);
  std::optional<ZipDistance::Batch> batch(std::in_place, engine);
  if (!table_readable(engine, options.use2016)) return kError;
  const ZipIndex& index = *engine.store().index(options.use2016);
  if (index.size() == 0) {
    report("no zip code has a position");
    return kSomeWithout;
  }
  // No zip code text: the point is no zip code, so nothing is at 0 by its name.
  const auto found =
      index.nearest(make_place({}, s.lat, s.lon), s.count, options.method, options.units);
  batch.reset();

  const bool csv = s.format == "csv";
  const std::string_view unit = unit_word(options.units);
  const std::string& decimal = s.common.separators.decimal;
  Output out;
  std::string& text = out.text();
  if (csv) {
    text += "zip,lat,lon,";
    text += unit_column(options.units);
    text += "\r\n";
  }
  for (const Neighbour& n : found) {
    if (csv) {
      append_csv_field(text, n.place->zip);
      text += ',';
      append_coordinates(text, n.place->lat, n.place->lon, ",");
      text += ',';
      append_distance_text(text, n.distance, ".");
      text += "\r\n";
    } else {
      text += n.place->zip;
      text += ": ";
      append_distance_text(text, n.distance, decimal);
      text += unit;
      text += '\n';
    }
    out.maybe_flush();
  }
  out.flush();
  return kAllDistances;
}

}  // namespace quorvane::cli

#include "cli/nearest.h"

#include <cmath>

#include "cli/coordinates.h"
#include "cli/open_engine.h"
#include "cli/output.h"
#include "cli/places.h"
#include "engine/text.h"
#include "engine/zip_index.h"
#include "format/csv.h"
#include "format/distance_matrix.h"
#include "format/place_columns.h"

namespace quorvane::cli {
namespace {

constexpr double kFarMiles = 300;

// A point far from every zip code is most often a typing slip: a word on standard error,
// and a hint when the point with latitude and longitude swapped lies near one.
void warn_if_far(const ZipIndex& index, double lat, double lon) {
  const auto nearest = index.nearest(make_place({}, lat, lon), 1, Method::Sphere, Units::Miles);
  if (nearest.empty() || nearest[0].distance <= kFarMiles) return;
  std::string message = "The point " + number_text(lat) + " " + number_text(lon) + " is ";
  append_distance_text(message, nearest[0].distance, ".");
  message += " miles from the nearest zip code, more than 300";
  if (std::fabs(lon) <= 90) {
    const auto swapped = index.nearest(make_place({}, lon, lat), 1, Method::Sphere, Units::Miles);
    if (!swapped.empty() && swapped[0].distance <= kFarMiles) {
      message += "; latitude and longitude may be swapped: " + number_text(lon) + " " +
                 number_text(lat) + " is ";
      append_distance_text(message, swapped[0].distance, ".");
      message += " miles from " + swapped[0].place->zip;
    }
  }
  report(message);
}

}  // namespace

CLI::App* add_nearest_command(CLI::App& app, NearestSettings& s) {
  CLI::App* cmd = app.add_subcommand(
      "nearest", "Lists the zip codes nearest to a point (LAT LON in degrees), nearest first.");
  CLI::Option* lat = cmd->add_option("LAT", s.lat, "Latitude, -90 to 90 (north positive)")
                         ->type_name("")
                         ->check(number_from_to(-90, 90, "from -90 to 90"));
  CLI::Option* lon = cmd->add_option("LON", s.lon, "Longitude, -180 to 180 (east positive)")
                         ->type_name("")
                         ->check(number_from_to(-180, 180, "from -180 to 180"));
  CLI::Option* points =
      cmd->add_option("--points", s.points,
                      "Answers every point of a table (- reads standard input), its latitude "
                      "and longitude in the columns --lat and --lon; lines and csv rows begin "
                      "with the point as written there")
          ->type_name("FILE")
          ->excludes(lat)
          ->excludes(lon);
  cmd->add_option("--lat", s.lat_column,
                  "The points' latitude column: a header name or a number (default 1)")
      ->type_name("COL")
      ->needs(points);
  cmd->add_option("--lon", s.lon_column, "The points' longitude column (default 2)")
      ->type_name("COL")
      ->needs(points);
  cmd->callback([&s, lat, lon] {
    if (!s.points.empty()) return;
    if (lat->count() == 0) throw CLI::RequiredError("LAT");
    if (lon->count() == 0) throw CLI::RequiredError("LON");
  });
  cmd->add_option("--count", s.count, "How many zip codes (default 10)")
      ->type_name("N")
      ->check(count_at_least_one());
  add_format_option(*cmd, s.format, "\"ZIP: DISTANCE miles\"",
                    "zip,lat,lon,miles (zip,lat,lon,km with --units km)");
  add_compare_options(*cmd, s.common, false);
  add_places_flag(*cmd, s.common.places);
  return cmd;
}

int nearest(const NearestSettings& s) {
  if (!s.points.empty()) return nearest_points(s);
  OpenEngine db(s.common);
  if (!db.open()) return kError;
  const CompareOptions& options = db.options();
  std::unique_ptr<PlaceTable> places;
  if (s.common.places && !(places = read_places(db.path(), "--places"))) return kError;
  if (db.engine().store().index(options.use2016)->size() == 0) {
    report("no zip code has a position");
    return kSomeWithout;
  }
  // No zip code text: the point is no zip code, so nothing is at 0 by its name.
  const ZipIndex& index = *db.engine().store().index(options.use2016);
  const auto found =
      index.nearest(make_place({}, s.lat, s.lon), s.count, options.method, options.units);
  warn_if_far(index, s.lat, s.lon);
  db.end_batch();

  const bool csv = s.format == "csv";
  const std::string_view unit = unit_word(options.units);
  const std::string& decimal = s.common.separators.decimal;
  Output out;
  std::string& text = out.text();
  if (csv) {
    text += "zip,lat,lon,";
    text += unit_column(options.units);
    if (places) append_places_header(text, "");
    text += "\r\n";
  }
  for (const Neighbour& n : found) {
    if (csv) {
      append_csv_field(text, n.place->zip);
      text += ',';
      append_coordinates(text, n.place->lat, n.place->lon, ",");
      text += ',';
      append_distance_text(text, n.distance, ".");
      if (places) append_places_csv(text, *places, n.place->zip);
      text += "\r\n";
    } else {
      text += n.place->zip;
      if (places) append_places_note(text, *places, n.place->zip);
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

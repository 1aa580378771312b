// quorvane-cli nearest --points FILE: the nearest zip codes of every point of a table.
#include <optional>
#include <tuple>

#include "cli/columns.h"
#include "cli/coordinates.h"
#include "cli/nearest.h"
#include "cli/open_engine.h"
#include "cli/output.h"
#include "cli/table_columns.h"
#include "engine/text.h"
#include "engine/zip_index.h"
#include "format/csv.h"

namespace quorvane::cli {

int nearest_points(const NearestSettings& s) {
  OpenEngine db(s.common);
  if (!db.open()) return kError;
  const CompareOptions& options = db.options();
  const ZipIndex& index = *db.engine().store().index(options.use2016);

  const InputFile file(s.points);
  if (file.fd() < 0) return kError;
  CsvReader reader(CsvReader::from_fd(file.fd()));
  const auto fault = [&] {
    report("Cannot read the points " + s.points + ": " + reader.error());
    return kError;
  };
  bool more = reader.next();
  if (reader.failed()) return fault();
  std::size_t lat_at = 0, lon_at = 1;
  if (more) {
    const auto fields = reader.fields();
    const bool named = !is_column_number(s.lat_column) || !is_column_number(s.lon_column);
    for (const auto& [option, col, at] :
         {std::tuple{"--lat", &s.lat_column, &lat_at}, {"--lon", &s.lon_column, &lon_at}}) {
      const auto found = find_column(*col, fields, true);
      if (!found) {
        report(missing_column(option, *col, s.points, fields, true));
        return kError;
      }
      *at = *found;
    }
    // A header: named by the columns, or a first latitude that is no number.
    double v = 0;
    if (named || read_degrees(fields[lat_at], 1e300, v) == PairStatus::NotNumeric)
      more = reader.next();
  }

  const bool csv = s.format == "csv";
  const std::string_view unit = unit_word(options.units);
  const std::string& decimal = s.common.separators.decimal;
  Output out;
  std::string& text = out.text();
  // The header goes out with the first row (or at the end), so that a fault in the
  // first record leaves nothing that looks like a result.
  bool header_due = csv;
  const auto write_header = [&] {
    header_due = false;
    text += "point_lat,point_lon,zip,lat,lon,";
    text += unit_column(options.units);
    text += "\r\n";
  };
  StatusTally tally;
  std::string lead;
  std::uint64_t far = 0, far_line = 0;  // points more than 300 miles from every zip code
  std::string far_first;
  for (; more; more = reader.next()) {
    if (header_due) write_header();
    const auto fields = reader.fields();
    const auto cell = [&](std::size_t i) {
      return i < fields.size() ? fields[i] : std::string_view();
    };
    double lat = 0, lon = 0;
    PairStatus status = read_degrees(cell(lat_at), 90, lat);
    std::string_view shown = cell(lat_at);
    if (status == PairStatus::Distance || status == PairStatus::ZeroCoordinates) {
      const PairStatus second = read_degrees(cell(lon_at), 180, lon);
      if (second != PairStatus::Distance && second != PairStatus::ZeroCoordinates)
        status = second, shown = cell(lon_at);
      else
        status = PairStatus::Distance;  // 0 is a latitude like any other for a point
    }
    tally.add(status, shown, reader.line());
    lead.clear();
    if (csv) {
      append_csv_field(lead, cell(lat_at));
      lead += ',';
      append_csv_field(lead, cell(lon_at));
    } else {
      for (char c : cell(lat_at)) lead += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
      lead += ' ';
      for (char c : cell(lon_at)) lead += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
    }
    if (status != PairStatus::Distance) {
      if (csv) text += lead + ",,,,\r\n";
      continue;
    }
    const auto found =
        index.nearest(make_place({}, lat, lon), s.count, options.method, options.units);
    const double factor = options.units == Units::Kilometres ? kKilometresPerMile : 1;
    if (!found.empty() && found[0].distance / factor > 300 && far++ == 0) {
      far_first = std::string(cell(lat_at)) + " " + std::string(cell(lon_at));
      far_line = reader.line();
    }
    for (const Neighbour& n : found) {
      text += lead;
      if (csv) {
        text += ',';
        append_csv_field(text, n.place->zip);
        text += ',';
        append_coordinates(text, n.place->lat, n.place->lon, ",");
        text += ',';
        append_distance_text(text, n.distance, ".");
        text += "\r\n";
      } else {
        text += '\t';
        text += n.place->zip;
        text += ": ";
        append_distance_text(text, n.distance, decimal);
        text += unit;
        text += '\n';
      }
    }
    out.maybe_flush();
  }
  db.end_batch();
  if (header_due && !reader.failed()) write_header();
  out.flush();
  const std::string left_out = tally.left_out("Points");
  if (!left_out.empty()) report(left_out);
  if (far)
    report("Points more than 300 miles from every zip code (latitude and longitude swapped?): " +
           std::to_string(far) + " (first: '" + far_first + "', line " + std::to_string(far_line) +
           ")");
  if (reader.failed()) return fault();
  return tally.total() > 0 && tally.count(PairStatus::Distance) == tally.total() ? kAllDistances
                                                                                 : kSomeWithout;
}

}  // namespace quorvane::cli

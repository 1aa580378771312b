#include "cli/tables.h"

#include <limits>

#include "cli/coordinates.h"
#include "cli/open_engine.h"
#include "cli/output.h"
#include "cli/places.h"
#include "engine/table_diff.h"
#include "engine/text.h"
#include "format/csv.h"
#include "format/distance_matrix.h"
#include "format/place_columns.h"

namespace quorvane::cli {
namespace {

struct Section {
  const char* kind;   // the csv's kind column
  std::string title;  // the heading of the lines format
  const std::vector<std::string>* zips;
};

std::string limit_text(double limit, Units units) {
  if (units == Units::Kilometres) return number_text(limit) + " km";
  return number_text(limit) + (limit == 1 ? " mile" : " miles");
}

void write_lines(const TableDiff& diff, const std::vector<Section>& lists, const Settings& s,
                 double limit, const PlaceTable* places, Output& out) {
  const CompareOptions o = s.compare();
  std::string& text = out.text();
  text +=
      "Zip codes more than " + limit_text(limit, o.units) +
      " apart in the 2012 and 2016 tables, largest first: " + std::to_string(diff.moved.size()) +
      "\n";
  for (const MovedZip& m : diff.moved) {
    text += m.zip;
    if (places) append_places_note(text, *places, m.zip);
    text += ": ";
    append_distance_text(text, m.distance, s.separators.decimal);
    text += unit_word(o.units);
    text += ", from ";
    append_coordinates(text, m.lat2012, m.lon2012, " ");
    text += " (2012) to ";
    append_coordinates(text, m.lat2016, m.lon2016, " ");
    text += " (2016)\n";
    out.maybe_flush();
  }
  for (const Section& list : lists) {
    text += "\n" + list.title + ": " + std::to_string(list.zips->size()) + "\n";
    for (const std::string& zip : *list.zips) {
      text += zip;
      if (places) append_places_note(text, *places, zip);
      text += '\n';
      out.maybe_flush();
    }
  }
}

// The kind of point is point_kind here, since the first column is already named kind.
void write_csv(const TableDiff& diff, const std::vector<Section>& lists, Units units,
               const PlaceTable* places, Output& out) {
  std::string& text = out.text();
  text += "kind,zip,lat2012,lon2012,lat2016,lon2016,";
  text += unit_column(units);
  if (places) text += ",place,state,point_kind";
  text += "\r\n";
  for (const MovedZip& m : diff.moved) {
    text += "moved,";
    append_csv_field(text, m.zip);
    text += ',';
    append_coordinates(text, m.lat2012, m.lon2012, ",");
    text += ',';
    append_coordinates(text, m.lat2016, m.lon2016, ",");
    text += ',';
    append_distance_text(text, m.distance, ".");
    if (places) append_places_csv(text, *places, m.zip);
    text += "\r\n";
    out.maybe_flush();
  }
  for (const Section& list : lists) {
    for (const std::string& zip : *list.zips) {
      text += list.kind;
      text += ',';
      append_csv_field(text, zip);
      text += ",,,,,";
      if (places) append_places_csv(text, *places, zip);
      text += "\r\n";
      out.maybe_flush();
    }
  }
}

}  // namespace

CLI::App* add_tables_command(CLI::App& app, TablesSettings& s) {
  CLI::App* cmd = app.add_subcommand(
      "tables",
      "Cross-checks the 2012 and 2016 tables: zip codes that moved, that only one has, and "
      "that have no position in one.");
  cmd->add_option("--differ", s.differ,
                  "Lists the zip codes whose positions lie more than this far apart (in km "
                  "with --units km)")
      ->required()
      ->type_name("MILES")
      ->check(number_from_to(0, std::numeric_limits<double>::max(), "of at least 0"));
  add_format_option(*cmd, s.format,
                    "a section for each kind, headed by its title and count, with a zip code "
                    "a line",
                    "kind,zip,lat2012,lon2012,lat2016,lon2016,miles (km with --units km), a kind "
                    "of moved, only-2012, only-2016, unplaced-2012 or unplaced-2016");
  add_database_options(*cmd, s.common);
  add_measure_options(*cmd, s.common);
  add_places_flag(*cmd, s.common.places);
  return cmd;
}

int tables(const TablesSettings& s) {
  OpenEngine db(s.common);
  if (!db.open(OpenEngine::Tables::Both)) return kError;
  const CompareOptions& options = db.options();
  std::unique_ptr<PlaceTable> places;
  if (s.common.places && !(places = read_places(db.path(), "--places"))) return kError;
  ZipStore& store = db.engine().store();
  const TableDiff diff =
      diff_tables(*store.table(false), *store.table(true), s.differ, options.method, options.units);
  db.end_batch();

  const std::vector<Section> lists = {
      {"only-2012", "Zip codes only in the 2012 table", &diff.only2012},
      {"only-2016", "Zip codes only in the 2016 table", &diff.only2016},
      {"unplaced-2012",
       "Zip codes without a position (zero or unreadable coordinates) in the 2012 table",
       &diff.unplaced2012},
      {"unplaced-2016",
       "Zip codes without a position (zero or unreadable coordinates) in the 2016 table",
       &diff.unplaced2016},
  };
  Output out;
  if (s.format == "csv")
    write_csv(diff, lists, options.units, places.get(), out);
  else
    write_lines(diff, lists, s.common, s.differ, places.get(), out);
  out.flush();
  return kAllDistances;
}

}  // namespace quorvane::cli

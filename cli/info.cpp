#include "cli/info.h"

#include "cli/open_engine.h"
#include "cli/output.h"
#include "engine/db_info.h"
#include "engine/error_trap.h"
#include "engine/places.h"

namespace quorvane::cli {
namespace {

std::string or_unknown(const std::string& text) {
  return text.empty() ? "unknown" : text;
}

void append_table(std::string& out, const char* option, const TableInfo& t) {
  out += "\ntable " + t.name + " (--database " + option + ")\n";
  out += "  rows: " + (t.readable ? std::to_string(t.rows) : "unreadable: " + t.error) + "\n";
  out += "  source: " + or_unknown(t.source) + "\n";
  out += "  vintage: " + or_unknown(t.vintage) + "\n";
  out += "  licence: " + or_unknown(t.licence) + "\n";
}

// The places table's counts; nothing for a database without one (3078: no such table).
void append_places(std::string& out, const std::string& path) {
  std::unique_ptr<PlaceTable> places;
  try {
    places = PlaceTable::load(path);
  } catch (const RuntimeError& e) {
    if (e.number() != 3078) out += "\nplaces: unreadable: " + std::string(e.what()) + "\n";
    return;
  } catch (const std::exception& e) {
    out += "\nplaces: unreadable: " + std::string(e.what()) + "\n";
    return;
  }
  std::uint64_t place = 0, county = 0, shared = 0, kinds[3] = {};
  for (std::size_t i = 0; i < places->size(); ++i) {
    const PlaceRow& r = places->row(i);
    place += !places->place(r).empty();
    county += !places->county(r).empty();
    shared += r.shared > 0;
    ++kinds[static_cast<int>(r.kind)];
  }
  out += "\nplaces (lookup, find, --places)\n";
  out += "  zip codes: " + std::to_string(places->size()) + "\n";
  out += "  with a place: " + std::to_string(place) + "\n";
  out += "  with a county: " + std::to_string(county) + "\n";
  out += "  2016 point zcta: " + std::to_string(kinds[1]) + "\n";
  out += "  2016 point postal: " + std::to_string(kinds[2]) + "\n";
  out += "  2016 point none: " + std::to_string(kinds[0]) + "\n";
  out += "  2016 point shared with other zip codes: " + std::to_string(shared) + "\n";
}

}  // namespace

CLI::App* add_info_command(CLI::App& app, Settings& s) {
  CLI::App* cmd = app.add_subcommand(
      "info",
      "Describes the database file and each of its tables: source, vintage, licence "
      "and row count.");
  add_database_options(*cmd, s);
  return cmd;
}

int info(const Settings& s) {
  const std::optional<std::string> checked = checked_database_path(s);
  if (!checked) return kError;
  const std::string& path = *checked;
  const DatabaseInfo db = describe_database(path);
  if (db.format.empty()) {
    report("Cannot read the zip code database " + path + ": " + db.error);
    return kError;
  }
  Output out;
  std::string& text = out.text();
  text += "database: " + path + "\n";
  text += "format: " + db.format + "\n";
  append_table(text, "2016", db.table2016);
  append_table(text, "2012", db.table2012);
  append_places(text, path);
  out.flush();
  return db.table2016.readable && db.table2012.readable ? kAllDistances : kError;
}

}  // namespace quorvane::cli

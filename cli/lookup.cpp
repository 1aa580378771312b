#include "cli/lookup.h"

#include <memory>

#include "cli/input.h"
#include "cli/open_engine.h"
#include "cli/output.h"
#include "cli/place_rows.h"
#include "cli/places.h"
#include "engine/place_name.h"
#include "engine/table_part.h"
#include "engine/text.h"
#include "engine/zip_clean.h"

namespace quorvane::cli {
namespace {

// No zip code or place name comes near this; a longer argument is a mistake.
constexpr std::size_t kMaxArgument = 256;

CLI::Validator short_text(const char* what) {
  return CLI::Validator(
      [what](std::string& text) -> std::string {
        if (text.size() > kMaxArgument)
          return std::string("Must be at most ") + std::to_string(kMaxArgument) + " bytes: no " +
                 what + " is longer.";
        return {};
      },
      "", "");
}

void add_row_format(CLI::App& cmd, std::string& format) {
  cmd.add_option("--format", format,
                 "lines: a line per zip code (the default); csv: zip,place,state,county,"
                 "county_fips,kind,shared,lat2016,lon2016,lat2012,lon2012,status, RFC 4180 "
                 "(CR LF); jsonl: a JSON object per line with the same names")
      ->check(CLI::IsMember({"lines", "csv", "jsonl"}));
}

bool is_state(std::string_view t) {
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  return t.size() == 2 && letter(t[0]) && letter(t[1]);
}

RowFormat row_format(const std::string& name) {
  return name == "csv" ? RowFormat::Csv : name == "jsonl" ? RowFormat::Jsonl : RowFormat::Lines;
}

// The rows of a few zip codes read by key: much less than reading the whole tables.
struct FewRows {
  std::unique_ptr<ZipTable> tables[2];
};

// Both tables' positions: the rows of `zips` when they are few and the file allows it,
// the whole tables otherwise. False, after a message, when a table cannot be read.
bool positions(const std::string& db, std::vector<std::string_view> zips, bool few, FewRows& rows,
               ZipDistance& engine, const ZipTable* out[2]) {
  for (int i = 0; i < 2; ++i) {
    const bool use2016 = i == 0;
    if (few) rows.tables[i] = read_sqlite_rows(db, use2016, zips);
    if (rows.tables[i]) {
      out[i] = rows.tables[i].get();
      continue;
    }
    if (!table_readable(engine, use2016)) return false;
    out[i] = engine.store().table(use2016);
  }
  return true;
}

void report_missing(const PlaceRows& rows) {
  std::string text;
  auto part = [&](std::uint64_t n, const char* status, const std::string& first) {
    if (n == 0) return;
    if (!text.empty()) text += ", ";
    text += std::to_string(n) + " " + status + " (first: '" + first + "')";
  };
  part(rows.not_in_table, "not-in-table", rows.first_not_in_table);
  part(rows.not_a_zip, "not-a-zip", rows.first_not_a_zip);
  if (!text.empty()) report("Entries without a place: " + text);
}

}  // namespace

CLI::App* add_lookup_command(CLI::App& app, LookupSettings& s) {
  CLI::App* cmd = app.add_subcommand(
      "lookup",
      "Tells each zip code's place, state, county, county FIPS code, kind of point "
      "(zcta, postal or none), how many other zip codes share its 2016 point, and its "
      "position in each table.");
  cmd->add_option("ZIP", s.zips,
                  "Zip codes, cleaned as spreadsheets write them (02134-1234, 2134); - reads "
                  "standard input, a zip code a line")
      ->type_name("")
      ->check(short_text("zip code"));
  cmd->add_option("--file", s.files, "A list file, a zip code a line")->type_name("FILE");
  add_row_format(*cmd, s.format);
  add_database_options(*cmd, s.common);
  return cmd;
}

int lookup(const LookupSettings& s) {
  std::vector<std::string> files = s.files;
  std::vector<std::string_view> args;
  for (const std::string& z : s.zips) {
    if (z == "-")
      files.push_back(z);
    else
      args.push_back(z);
  }
  if (files.empty() && args.empty()) files.push_back("-");
  const std::string db = s.common.database_path();
  if (!check_inputs(files) || !check_database(db)) return kError;
  std::vector<std::string> cleaned;
  for (std::string_view a : args)
    if (const CleanZip c = clean_zip(a); c.ok()) cleaned.emplace_back(c.zip());
  const std::vector<std::string_view> keys(cleaned.begin(), cleaned.end());
  // A few zip codes are read by key; a list, whatever its length, reads the whole table.
  const auto places = read_places(db, "lookup", [&] {
    return files.empty() ? PlaceTable::load_zips(db, keys) : PlaceTable::load(db);
  });
  if (!places) return kError;

  ZipDistance engine(db);
  ZipDistance::Batch batch(engine);
  FewRows few;
  const ZipTable* tables[2] = {};
  if (!positions(db, keys, files.empty(), few, engine, tables)) return kError;

  Output out;
  PlaceRows rows(row_format(s.format), *places, tables[0], tables[1]);
  rows.header(out.text());
  for (std::string_view a : args) rows.row(out.text(), a);
  bool inputs_read = true;
  if (!files.empty()) {
    inputs_read = read_inputs(
        files,
        [&](std::string_view e) {
          rows.row(out.text(), e);
          out.maybe_flush();
        },
        [&] { out.flush(); });
  }
  out.flush();
  report_missing(rows);
  if (!inputs_read) return kError;
  return rows.not_in_table + rows.not_a_zip == 0 ? kAllDistances : kSomeWithout;
}

CLI::App* add_find_command(CLI::App& app, FindSettings& s) {
  CLI::App* cmd = app.add_subcommand(
      "find",
      "Lists the zip codes of a place (\"Springfield\" or \"Springfield, IL\"; case, accents "
      "and punctuation ignored), with the columns of lookup.");
  cmd->add_option("PLACE", s.place, "The place name, perhaps followed by a comma and a state")
      ->required()
      ->type_name("")
      ->check(short_text("place name"));
  cmd->add_option("--state", s.state, "Only this state (two letters, such as IL)")
      ->type_name("ST")
      ->check(CLI::Validator(
          [](std::string& t) -> std::string {
            return is_state(t) ? "" : "Must be a state's two letters, such as IL.";
          },
          "", ""));
  cmd->add_option("--county", s.county, "Only this county (its name, such as Cook)")
      ->type_name("NAME")
      ->check(short_text("county name"));
  add_row_format(*cmd, s.format);
  add_database_options(*cmd, s.common);
  return cmd;
}

int find(const FindSettings& s) {
  std::string_view name = s.place, state = s.state;
  const std::size_t comma = name.rfind(',');
  if (comma != std::string_view::npos) {
    const std::string_view after = trim_blanks(name.substr(comma + 1));
    if (!is_state(after)) {
      report("find " + s.place +
             ": after the comma comes a state's two letters, such as \"Springfield, IL\" "
             "(quorvane-cli --help tells more)");
      return kError;
    }
    if (!state.empty() && fold_place_name(state) != fold_place_name(after)) {
      report("find " + s.place + " names another state than --state " + s.state);
      return kError;
    }
    state = after;
    name = name.substr(0, comma);
  }
  if (fold_place_name(name).empty()) {
    report("find: the place name is empty (quorvane-cli --help tells more)");
    return kError;
  }
  const std::string db = s.common.database_path();
  if (!check_database(db)) return kError;
  const auto places = read_places(db, "find", [&] { return PlaceTable::load_place(db, name); });
  if (!places) return kError;
  const auto found = places->find_place(name, state, s.county);
  if (found.empty()) {
    std::string where = state.empty() ? "" : " in " + std::string(state);
    if (!s.county.empty()) where += " in the county " + s.county;
    report("No zip code has the place name " + std::string(trim_blanks(name)) + where);
    return kSomeWithout;
  }
  std::vector<std::string> zips;
  for (const PlaceRow* r : found) zips.push_back(std::to_string(r->zip + 100000).substr(1));
  const std::vector<std::string_view> keys(zips.begin(), zips.end());
  ZipDistance engine(db);
  ZipDistance::Batch batch(engine);
  FewRows few;
  const ZipTable* tables[2] = {};
  if (!positions(db, keys, true, few, engine, tables)) return kError;
  Output out;
  PlaceRows rows(row_format(s.format), *places, tables[0], tables[1]);
  rows.header(out.text());
  for (const PlaceRow* r : found) {
    rows.row(out.text(), *r);
    out.maybe_flush();
  }
  out.flush();
  return kAllDistances;
}

}  // namespace quorvane::cli

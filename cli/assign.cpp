#include "cli/assign.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "cli/columns.h"
#include "cli/coordinates.h"
#include "cli/open_engine.h"
#include "cli/output.h"
#include "cli/places.h"
#include "cli/table_columns.h"
#include "cli/zip_answers.h"
#include "engine/text.h"
#include "engine/zip_clean.h"
#include "format/csv.h"
#include "format/place_columns.h"
#include "format/status_words.h"

namespace quorvane::cli {
namespace {

constexpr std::size_t kMostStores = 1000;

struct Columns {
  std::size_t from = 0, lat = 0, lon = 0;
  bool by_zip = true;
};

}  // namespace

CLI::App* add_assign_command(CLI::App& app, AssignSettings& s) {
  CLI::App* cmd = app.add_subcommand(
      "assign",
      "Gives each row of a customers' table its nearest stores, nearest first: the row's "
      "fields, then rank, store_zip, the store's other columns, miles and status.");
  cmd->add_option("CUSTOMERS", s.customers,
                  "The customers' table, CSV or TSV; - reads standard input")
      ->required()
      ->type_name("");
  cmd->add_option("--to", s.stores,
                  "The stores: a list of zip codes or a table whose other columns (a name, an "
                  "id) are carried into the output")
      ->required()
      ->type_name("FILE");
  cmd->add_option("--count", s.count,
                  "How many nearest stores for each customer (default 1, at most 1000)")
      ->type_name("K")
      ->check(number_from_to(1, kMostStores, "from 1 to 1000"))
      ->check(count_at_least_one());
  CLI::Option* from =
      cmd->add_option("--from", s.from, "The customers' zip code column: a header name or a number")
          ->type_name("COL");
  CLI::Option* lat =
      cmd->add_option("--lat", s.lat, "The customers' latitude column, instead of --from")
          ->type_name("COL");
  CLI::Option* lon =
      cmd->add_option("--lon", s.lon, "The customers' longitude column")->type_name("COL");
  lat->needs(lon)->excludes(from);
  lon->needs(lat)->excludes(from);
  cmd->add_option("--to-column", s.to_column,
                  "The stores' zip code column (default the first); a first line whose zip "
                  "column holds no zip code is a header")
      ->type_name("COL");
  cmd->add_flag("--no-header", s.no_header, "The customers' table has no header line");
  cmd->add_option("--delimiter", s.delimiter,
                  "The field delimiter (default: found from the first line)")
      ->type_name("C")
      ->check([](const std::string& d) { return d.size() == 1 ? "" : "Must be one character."; });
  cmd->add_flag("--strict", s.strict, "Only exactly five digits are a zip code (no cleaning)");
  cmd->add_option("-f,--format", s.format, "csv, RFC 4180, with the customers' delimiter")
      ->check(CLI::IsMember({"csv"}));
  add_compare_options(*cmd, s.common, false);
  add_places_flag(*cmd, s.common.places);
  return cmd;
}

int assign(const AssignSettings& s) {
  if (s.from.empty() && s.lat.empty()) {
    report(
        "assign needs the customers' zip code column (--from COL) or their position "
        "(--lat COL --lon COL) (quorvane-cli --help tells more)");
    return kError;
  }
  if (s.customers == "-" && s.stores == "-") {
    report("Only one of the customers' table and the store file can be standard input");
    return kError;
  }
  OpenEngine db(s.common);
  if (!db.open()) return kError;
  const CompareOptions& options = db.options();
  const ZipTable& table = db.table();
  std::unique_ptr<PlaceTable> places;
  if (s.common.places && !(places = read_places(db.path(), "--places"))) return kError;

  const InputFile file(s.customers);
  if (file.fd() < 0) return kError;
  CsvOptions csv;
  if (s.delimiter.size() == 1) csv.delimiter = s.delimiter[0];
  CsvReader reader(CsvReader::from_fd(file.fd()), csv);
  const auto fault = [&] {
    report("Cannot read the customers' table " + s.customers + ": " + reader.error());
    return kError;
  };
  const bool has_rows = reader.next();
  if (reader.failed()) return fault();
  const char delimiter = reader.delimiter() ? reader.delimiter() : ',';

  // Columns are found before anything is written.
  Columns col;
  const bool header = !s.no_header;
  const std::vector<std::string> head(reader.fields().begin(), reader.fields().end());
  const std::vector<std::string_view> head_views(head.begin(), head.end());
  const auto find = [&](const char* option, const std::string& name, std::size_t& at) {
    const auto found = find_column(name, head_views, header);
    if (!found) report(missing_column(option, name, s.customers, head_views, header));
    at = found.value_or(0);
    return found.has_value();
  };
  col.by_zip = !s.from.empty();
  if (has_rows && (col.by_zip ? !find("--from", s.from, col.from)
                              : !(find("--lat", s.lat, col.lat) && find("--lon", s.lon, col.lon))))
    return kError;

  const std::optional<Stores> stores = read_stores(s, table, delimiter);
  if (!stores) return kError;
  const StoreIndex index(stores->places);

  Output out;
  std::string& text = out.text();
  // The header goes out with the first row, so that a fault there leaves nothing.
  bool header_due = header && has_rows;
  const auto write_header = [&] {
    header_due = false;
    for (const std::string& h : head) {
      append_csv_field(text, h, delimiter);
      text += delimiter;
    }
    text += "rank";
    text += delimiter;
    text += "store_zip";
    for (const std::string& name : stores->carried_names) {
      text += delimiter;
      append_csv_field(text, name, delimiter);
    }
    text += delimiter;
    text += unit_column(options.units);
    text += delimiter;
    text += "status";
    if (places) {
      append_places_header(text, "from_", delimiter);
      append_places_header(text, "to_", delimiter);
    }
    text += "\r\n";
  };
  StatusTally tally;
  StoreIndex::Scratch scratch;
  std::vector<StoreHit> point_hits;
  ZipAnswers answers(table, index, s.count, options, s.strict);
  std::string prefix;
  const std::size_t width = header ? head.size() : 0;
  const std::string empty_carried(stores->carried_names.size(), delimiter);
  bool more = has_rows && (header ? reader.next() : true);
  for (; more; more = reader.next()) {
    if (header_due) write_header();
    const auto fields = reader.fields();
    prefix.clear();
    for (std::size_t i = 0; i < std::max(width, fields.size()); ++i) {
      if (i < fields.size()) append_csv_field(prefix, fields[i], delimiter);
      prefix += delimiter;
    }
    const auto cell = [&](std::size_t i) {
      return i < fields.size() ? fields[i] : std::string_view();
    };
    PairStatus status = PairStatus::Distance;
    std::string_view shown;
    std::span<const StoreHit> hits;
    if (col.by_zip) {
      shown = cell(col.from);
      status = answers.answer(shown, hits);
    } else {
      double lat = 0, lon = 0;
      shown = cell(col.lat);
      status = read_degrees(shown, 90, lat);
      if (status == PairStatus::Distance) {
        shown = cell(col.lon);
        status = read_degrees(shown, 180, lon);
      }
      if (status == PairStatus::Distance) {
        index.nearest(make_place({}, lat, lon), s.count, options.method, options.units, scratch,
                      point_hits);
        hits = point_hits;
      }
    }
    tally.add(status, shown, reader.line());
    // --places: the customer's zip code as it was read (none for a position).
    const CleanZip customer = places && col.by_zip ? clean_zip(shown, s.strict) : CleanZip{};
    if (status != PairStatus::Distance) {
      text += prefix;
      text += delimiter;
      text += empty_carried;
      text += delimiter;
      text += delimiter;
      text += status_word(status);
      if (places) {
        append_places_csv(text, *places, customer.zip(), delimiter);
        append_places_csv(text, *places, {}, delimiter);
      }
      text += "\r\n";
      out.maybe_flush();
      continue;
    }
    for (std::size_t rank = 0; rank < hits.size(); ++rank) {
      const StoreHit& h = hits[rank];
      text += prefix;
      char digits[8];
      const auto r = std::to_chars(digits, digits + sizeof digits, rank + 1);
      text.append(digits, r.ptr);
      text += delimiter;
      text += index.store(h.store).zip;
      const std::size_t begin = h.store == 0 ? 0 : stores->carried_end[h.store - 1];
      text.append(stores->carried, begin, stores->carried_end[h.store] - begin);
      text += delimiter;
      append_distance_text(text, h.distance, ".");
      text += delimiter;
      if (places) {
        append_places_csv(text, *places, customer.zip(), delimiter);
        append_places_csv(text, *places, index.store(h.store).zip, delimiter);
      }
      text += "\r\n";
    }
    out.maybe_flush();
  }
  db.end_batch();
  if (header_due && !reader.failed()) write_header();
  out.flush();
  if (reader.failed()) {
    tally.report_lines("Rows");
    return fault();
  }
  if (!has_rows)
    report("The customers' table " + s.customers + " is empty");
  else if (tally.total() == 0)
    report("The customers' table " + s.customers + " has no rows");
  tally.report_lines("Rows");
  return tally.count(PairStatus::Distance) == tally.total() && tally.total() > 0 ? kAllDistances
                                                                                 : kSomeWithout;
}

}  // namespace quorvane::cli

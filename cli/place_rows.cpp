#include "cli/place_rows.h"

#include <charconv>
#include <cstring>

#include "engine/zip_clean.h"
#include "format/csv.h"
#include "format/json.h"

namespace quorvane::cli {
namespace {

constexpr std::size_t kZips = 100000;

void append_number(std::string& out, double v) {
  char buf[32];
  out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// A text field: CSV quoted as needed, JSON a string or null when empty.
void field(std::string& out, RowFormat f, std::string_view name, std::string_view value) {
  if (f == RowFormat::Csv) {
    out += ',';
    append_csv_field(out, value);
    return;
  }
  out += ",\"";
  out += name;
  out += "\":";
  if (value.empty())
    out += "null";
  else
    append_json_string(out, value);
}

}  // namespace

PlaceRows::PlaceRows(RowFormat format, const PlaceTable& places, const ZipTable* table2016,
                     const ZipTable* table2012)
    : format_(format), places_(places), tables_{table2016, table2012}, cached_(kZips) {
  for (std::size_t i = 0; i < places.size(); ++i) {
    const PlaceRow& p = places.row(i);
    Cached& c = cached_[p.zip];
    c.at = static_cast<std::uint32_t>(cache_.size());
    write(cache_, p);
    c.size = static_cast<std::uint32_t>(cache_.size() - c.at);
  }
}

void PlaceRows::header(std::string& out) const {
  if (format_ == RowFormat::Csv)
    out +=
        "zip,place,state,county,county_fips,kind,shared,lat2016,lon2016,lat2012,lon2012,"
        "status\r\n";
}

bool PlaceRows::row(std::string& out, std::string_view entry) {
  const CleanZip clean = clean_zip(entry);
  if (!clean.ok()) {
    if (not_a_zip++ == 0) first_not_a_zip = entry.substr(0, 64);
    write_missing(out, entry, "not-a-zip");
    return false;
  }
  std::uint32_t n = 0;
  for (char c : clean.zip()) n = n * 10 + static_cast<std::uint32_t>(c - '0');
  const Cached& c = cached_[n];
  if (c.size == 0) {
    if (not_in_table++ == 0) first_not_in_table = clean.zip();
    write_missing(out, clean.zip(), "not-in-table");
    return false;
  }
  out.append(cache_, c.at, c.size);
  return true;
}

void PlaceRows::row(std::string& out, const PlaceRow& place) {
  const Cached& c = cached_[place.zip];
  out.append(cache_, c.at, c.size);
}

void PlaceRows::write_missing(std::string& out, std::string_view zip,
                              std::string_view status) const {
  switch (format_) {
    case RowFormat::Lines:
      out += zip;
      out += ": ";
      out += status;
      out += '\n';
      return;
    case RowFormat::Csv:
      append_csv_field(out, zip);
      out += ",,,,,,,,,,,";
      out += status;
      out += "\r\n";
      return;
    case RowFormat::Jsonl:
      out += "{\"zip\":";
      append_json_string(out, zip);
      for (const char* name : {"place", "state", "county", "county_fips", "kind", "shared",
                               "lat2016", "lon2016", "lat2012", "lon2012"}) {
        out += ",\"";
        out += name;
        out += "\":null";
      }
      out += ",\"status\":\"";
      out += status;
      out += "\"}\n";
  }
}

void PlaceRows::write(std::string& out, const PlaceRow& p) const {
  char digits[6];
  std::to_chars(digits, digits + 6, p.zip + 100000);  // six digits, the first dropped
  const std::string_view z(digits + 1, 5);
  const std::string_view place = places_.place(p), state = places_.state(p);
  const std::string_view county = places_.county(p), fips = places_.county_fips(p);
  std::string kind;
  append_point_kind(kind, p);
  if (format_ == RowFormat::Lines) {
    out += z;
    out += ':';
    if (!place.empty() || !state.empty()) {
      out += ' ';
      out += place;
      if (!place.empty() && !state.empty()) out += ", ";
      out += state;
      out += ';';
    }
    if (!county.empty() || !fips.empty()) {
      out += " county ";
      out += county;
      if (!fips.empty()) {
        out += county.empty() ? "" : " ";
        out += fips;
      }
      out += ';';
    }
    out += ' ';
    out += kind;
    if (p.shared > 0)
      out += ", shared with " + std::to_string(p.shared) +
             (p.shared == 1 ? " other zip code" : " other zip codes");
    position(out, tables_[0], p.zip, true);
    position(out, tables_[1], p.zip, false);
    out += '\n';
    return;
  }
  if (format_ == RowFormat::Csv) {
    out += z;
  } else {
    out += "{\"zip\":\"";
    out += z;
    out += '"';
  }
  field(out, format_, "place", place);
  field(out, format_, "state", state);
  field(out, format_, "county", county);
  field(out, format_, "county_fips", fips);
  field(out, format_, "kind", kind);
  out += format_ == RowFormat::Csv ? "," : ",\"shared\":";
  if (p.shared >= 0)
    out += std::to_string(p.shared);
  else if (format_ == RowFormat::Jsonl)
    out += "null";
  position(out, tables_[0], p.zip, true);
  position(out, tables_[1], p.zip, false);
  out += format_ == RowFormat::Csv ? ",\r\n" : ",\"status\":null}\n";
}

void PlaceRows::position(std::string& out, const ZipTable* table, std::uint32_t zip,
                         bool first) const {
  const std::int32_t r = table ? table->row_of_zip_number(zip) : ZipTable::kNoRow;
  const ZipRow* row = r == ZipTable::kNoRow ? nullptr : &table->row(r);
  const bool known = row && row->bad == 0;
  switch (format_) {
    case RowFormat::Lines:
      if (!known) return;
      out += first ? "; 2016 " : "; 2012 ";
      append_number(out, row->lat);
      out += ' ';
      append_number(out, row->lon);
      return;
    case RowFormat::Csv:
      out += ',';
      if (known) append_number(out, row->lat);
      out += ',';
      if (known) append_number(out, row->lon);
      return;
    case RowFormat::Jsonl:
      out += first ? ",\"lat2016\":" : ",\"lat2012\":";
      if (known)
        append_number(out, row->lat);
      else
        out += "null";
      out += first ? ",\"lon2016\":" : ",\"lon2012\":";
      if (known)
        append_number(out, row->lon);
      else
        out += "null";
  }
}

}  // namespace quorvane::cli

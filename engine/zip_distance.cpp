#include "zip_distance.h"

#include "distance.h"
#include "error_trap.h"
#include "text.h"

namespace quorvane {
namespace {

constexpr std::string_view kModule = "modZipDistance";

const char* field_error(std::uint8_t bad, std::uint8_t null_flag) {
  return (bad & null_flag) ? "Invalid use of Null" : "Type mismatch";
}

}  // namespace

void ZipDistance::add_not_found(std::string_view zip) {
  if (!trim_blanks(not_found_zips).empty()) not_found_zips += ", ";
  not_found_zips += zip;
}

// Returns the row when one was found (and sets `ok` to the lookup's result).
const ZipRow* ZipDistance::lookup(std::string_view zip, double& lat, double& lon, bool use2016,
                                  bool& ok) {
  Batch batch(*this);
  ok = false;
  Trap trap(kModule, "get_zip_point");
  const ZipTable* table = store_.table(use2016);
  if (!table) {
    const std::string& error = store_.error(use2016);
    // Reported once per batch; every lookup of the batch then fails quietly.
    if (store_.take_report_slot())
      trap.fail(104, "Cannot read the zip code database " + store_.path() + ": " + error);
    add_not_found(zip);
    return nullptr;
  }
  const ZipRow* row = nullptr;
  if (use2016) {
    row = table->find_text(zip);
  } else {
    // The 2012 table compares zip codes as numbers: 02134 finds 2134.
    auto number = parse_sql_number(zip);
    if (!number) {
      if (store_.take_report_slot())
        trap.fail(108, "Syntax error in query expression 'zip_code=" + std::string(zip) + "'.");
      add_not_found(zip);
      return nullptr;
    }
    row = table->find_number(*number);
  }
  if (!row) return nullptr;
  if (row->bad & (kBadLat | kNullLat))
    trap.fail(112, field_error(row->bad, kNullLat));
  else
    lat = row->lat;
  if (row->bad & (kBadLon | kNullLon))
    trap.fail(114, field_error(row->bad, kNullLon));
  else
    lon = row->lon;
  ok = true;
  if (lat == 0 || lon == 0) {
    add_not_found(zip);
    ok = false;
  }
  return row;
}

bool ZipDistance::get_zip_point(std::string_view zip, double& lat, double& lon, bool use2016) {
  bool ok = false;
  lookup(zip, lat, lon, use2016, ok);
  return ok;
}

namespace {

void append_wording(std::string& out, std::string_view zip1, std::string_view zip2,
                    std::uint8_t wording, double miles, std::string_view sep,
                    std::string_view unit = " miles") {
  switch (wording) {
    case 3:
      out += "Distance between ";
      out += zip1;
      out += " and ";
      out += zip2;
      out += " is ";
      break;
    case 4:
      out += zip1;
      out += " to ";
      out += zip2;
      out += ": ";
      break;
    case 5:
      break;
    default:
      return;
  }
  append_distance_text(out, miles, sep);
  out += unit;
}

}  // namespace

void ZipDistance::append_distance(std::string& out, std::string_view zip1, std::string_view zip2,
                                  std::uint8_t wording, bool use2016) {
  if (zip1 == zip2) {
    append_wording(out, zip1, zip2, wording, 0.0, decimal_separator_);
    return;
  }
  Batch batch(*this);
  double lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
  bool ok = false;
  const ZipRow* r1 = lookup(zip1, lat1, lon1, use2016, ok);
  if (!ok) {
    out += kNoDetails;
    out += zip1;
    return;
  }
  const ZipRow* r2 = lookup(zip2, lat2, lon2, use2016, ok);
  if (!ok) {
    out += kNoDetails;
    out += zip2;
    return;
  }
  double miles = 0;
  Trap trap(kModule, "GetDistance");
  trap.line(106, [&] {
    if (r1->bad == 0 && r2->bad == 0)
      miles = distance_miles_pre(r1->sin_lat, r1->cos_lat, r2->sin_lat, r2->cos_lat, lon1, lon2);
    else
      miles = distance_miles(lat1, lat2, lon1, lon2);
  });
  append_wording(out, zip1, zip2, wording, miles, decimal_separator_);
}

std::string ZipDistance::GetDistance(std::string_view zip1, std::string_view zip2,
                                     std::uint8_t wording, bool use2016) {
  std::string out;
  append_distance(out, zip1, zip2, wording, use2016);
  return out;
}

namespace {

constexpr double kKilometresPerMile = 1.609344;

std::string_view unit_word(Units units) {
  return units == Units::Kilometres ? " km" : " miles";
}

}  // namespace

void ZipDistance::compare(std::span<const ZipPair> pairs, const CompareOptions& options,
                          std::span<PairResult> results, const LineOutput& lines) {
  Batch batch(*this);
  std::string line;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const ZipPair& p = pairs[i];
    PairResult r;
    if (p.first != p.second) {
      double lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
      bool ok = false;
      const ZipRow* r1 = lookup(p.first, lat1, lon1, options.use2016, ok);
      const ZipRow* r2 = nullptr;
      if (!ok) {
        r.failed = 1;
      } else {
        r2 = lookup(p.second, lat2, lon2, options.use2016, ok);
        if (!ok) r.failed = 2;
      }
      if (r.failed) {
        const ZipRow* row = r.failed == 1 ? r1 : r2;
        r.status = row ? PairStatus::ZeroCoordinates : PairStatus::NotInTable;
      } else if (options.method == Method::Geodesic) {
        r.distance = geodesic_miles(lat1, lon1, lat2, lon2);
      } else {
        Trap trap("modZipDistance", "GetDistance");
        trap.line(106, [&] {
          if (r1->bad == 0 && r2->bad == 0)
            r.distance =
                distance_miles_pre(r1->sin_lat, r1->cos_lat, r2->sin_lat, r2->cos_lat, lon1, lon2);
          else
            r.distance = distance_miles(lat1, lat2, lon1, lon2);
        });
      }
      if (options.units == Units::Kilometres) r.distance *= kKilometresPerMile;
    }
    if (!results.empty()) results[i] = r;
    if (!lines.text) continue;
    std::string& out = *lines.text;
    if (r.status == PairStatus::Distance) {
      append_wording(out, p.first, p.second, options.wording, r.distance, decimal_separator_,
                     unit_word(options.units));
    } else {
      out += kNoDetails;
      out += r.failed == 1 ? p.first : p.second;
    }
    if (lines.ends) lines.ends->push_back(out.size());
    if (lines.terminator) out += lines.terminator;
  }
}

}  // namespace quorvane

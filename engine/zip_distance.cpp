#include "engine/zip_distance.h"

#include <cmath>

#include "engine/distance.h"
#include "engine/error_trap.h"
#include "engine/text.h"

namespace quorvane {
namespace {

constexpr std::string_view kModule = "modZipDistance";
enum ReportKind : unsigned { kUnreadable, kRejected };

}  // namespace

EntryZip entry_zip(std::string_view entry) {
  EntryZip z{zip_part(entry)};
  const std::string_view whole = trim_blanks(entry);
  if (z.zip.size() == whole.size()) return z;  // not cut
  // Digits cut from digits stay the zip code of the entry's first five ("123456").
  if (z.zip.find_first_not_of("0123456789") == std::string_view::npos) return z;
  const auto cut = parse_sql_number(trim_number_space(z.zip));
  if (!cut) return z;  // no number: looked up, and refused, as it is
  const auto number = parse_sql_number(trim_number_space(whole));
  z.shifted = !number || *number != *cut;
  return z;
}

void ZipDistance::add_not_found(std::string_view zip) {
  if (defer_reports_) {
    deferred_zips_ += zip;
    deferred_zip_ends_.push_back(deferred_zips_.size());
    return;
  }
  if (!trim_blanks(not_found_zips).empty()) not_found_zips += ", ";
  not_found_zips += zip;
}

void ZipDistance::begin_batch() {
  store_.begin_batch();
  for (Tally& t : tallies_) t = Tally{};
}

void ZipDistance::end_batch() {
  struct Line {
    const char* routine;
    int line;
    const char* text;
  };
  static constexpr Line kLines[kTallies] = {
      {"get_zip_point", 112, "Type mismatch"},
      {"get_zip_point", 112, "Invalid use of Null"},
      {"get_zip_point", 114, "Type mismatch"},
      {"get_zip_point", 114, "Invalid use of Null"},
      {"GetDistance", 106, "Invalid procedure call or argument"},
  };
  store_.end_batch();
  for (int k = 0; k < kTallies; ++k) {
    const Tally& t = tallies_[k];
    if (t.count == 0) continue;
    std::string text = std::string(kLines[k].text) + " (" + std::to_string(t.count) +
                       (t.count == 1 ? " lookup" : " lookups") + ", the first of zip code " +
                       t.first_zip;
    if (k == kNotFinite) text += ": a stored coordinate is not a finite number";
    text += ")";
    Trap(kModule, kLines[k].routine).fail(kLines[k].line, text);
  }
}

void ZipDistance::fail_once(unsigned kind, bool use2016, int line, std::string text) {
  if (defer_reports_)
    deferred_.push_back({kind, use2016, line, std::move(text)});
  else
    Trap(kModule, "get_zip_point").fail(line, text);
}

std::unique_ptr<ZipDistance> ZipDistance::helper(bool use2016) {
  store_.table(use2016);
  auto h = std::make_unique<ZipDistance>(store_.path());
  h->store_ = ZipStore::sharing(store_);
  h->decimal_separator_ = decimal_separator_;
  h->defer_reports_ = true;
  return h;
}

void ZipDistance::absorb(ZipDistance& helper) {
  for (Deferred& d : helper.deferred_)
    if (store_.take_report_slot(d.kind, d.use2016))
      Trap(kModule, "get_zip_point").fail(d.line, d.text);
  helper.deferred_.clear();
  helper.store_.clear_report_slots();
  for (int k = 0; k < kTallies; ++k) {
    Tally& from = helper.tallies_[k];
    if (from.count && tallies_[k].count == 0) tallies_[k].first_zip = std::move(from.first_zip);
    tallies_[k].count += from.count;
    from = Tally{};
  }
  std::size_t start = 0;
  for (const std::size_t end : helper.deferred_zip_ends_) {
    add_not_found(std::string_view(helper.deferred_zips_).substr(start, end - start));
    start = end;
  }
  helper.forget_not_found();
  unreadable_lookups += helper.unreadable_lookups;
  helper.unreadable_lookups = 0;
}

void ZipDistance::count(TallyKind kind, std::string_view zip) {
  Tally& t = tallies_[kind];
  if (t.count++ == 0) t.first_zip = zip;
}

ZipDistance::Found ZipDistance::find(std::string_view zip, bool use2016) {
  Found f;
  f.table = store_.table(use2016);
  if (!f.table) {
    if (store_.take_report_slot(kUnreadable, use2016))
      fail_once(
          kUnreadable, use2016, 104,
          "Cannot read the zip code database " + store_.path() + ": " + store_.error(use2016));
    add_not_found(zip);
    ++unreadable_lookups;
    f.status = PairStatus::DatabaseUnreadable;
    return f;
  }
  const std::int32_t number = five_digit_number(zip);
  if (number < 0) return find_general(*f.table, zip, use2016);
  f.row = f.table->row_of_zip_number(static_cast<std::uint32_t>(number));
  f.status = f.row == ZipTable::kNoRow ? PairStatus::NotInTable : PairStatus::Distance;
  return f;
}

// Keys other than five digits: the 2016 table compares text exactly, the 2012 table
// compares numbers, so 02134, 2134 and 2134.0 all find 2134 there.
ZipDistance::Found ZipDistance::find_general(const ZipTable& table, std::string_view zip,
                                             bool use2016) {
  Found f;
  f.table = &table;
  if (use2016) {
    f.row = table.row_of_text(zip);
  } else {
    auto number = parse_sql_number(trim_number_space(zip));
    if (!number) {
      if (store_.take_report_slot(kRejected, use2016))
        fail_once(kRejected, use2016, 108,
                  "Syntax error in query expression 'zip_code=" + std::string(zip) + "'.");
      add_not_found(zip);
      f.status = PairStatus::NotNumeric;
      return f;
    }
    f.row = table.row_of_number(*number);
  }
  f.status = f.row == ZipTable::kNoRow ? PairStatus::NotInTable : PairStatus::Distance;
  return f;
}

// A found row that is not usable as it is: fields that did not convert keep the
// caller's value (and are counted), then the zero test decides.
void ZipDistance::check_row(Found& f, std::string_view zip, double& lat, double& lon) {
  const ZipRow& row = f.table->row(f.row);
  if (row.bad & (kBadLat | kNullLat))
    count(row.bad & kNullLat ? kLatNull : kLatMismatch, zip);
  else
    lat = row.lat;
  if (row.bad & (kBadLon | kNullLon))
    count(row.bad & kNullLon ? kLonNull : kLonMismatch, zip);
  else
    lon = row.lon;
  if (lat == 0 || lon == 0) {
    add_not_found(zip);
    f.status = PairStatus::ZeroCoordinates;
  } else if (!std::isfinite(lat) || !std::isfinite(lon)) {
    count(kNotFinite, zip);
    add_not_found(zip);
    f.status = PairStatus::BadCoordinates;
  }
}

bool ZipDistance::get_zip_point(std::string_view zip, double& lat, double& lon, bool use2016) {
  Batch batch(*this);
  Found f = find(zip, use2016);
  if (f.status != PairStatus::Distance) return false;
  check_row(f, zip, lat, lon);
  return f.status == PairStatus::Distance;
}

void ZipDistance::append_distance(std::string& out, std::string_view zip1, std::string_view zip2,
                                  Wording wording, bool use2016) {
  const ZipPair pair{zip1, zip2};
  CompareOptions options;
  options.wording = wording;
  options.use2016 = use2016;
  compare(std::span(&pair, 1), options, {}, LineOutput{&out, '\0', nullptr});
}

std::string ZipDistance::distance_line(std::string_view zip1, std::string_view zip2,
                                       Wording wording, bool use2016) {
  std::string out;
  append_distance(out, zip1, zip2, wording, use2016);
  return out;
}

}  // namespace quorvane

// The batch call: many comparisons with one choice of table, wording and units.
//
// Pairs are taken in blocks. Every lookup of a block is made first, in order, so that
// the not-found list and the reports come out exactly as pair-by-pair lookups give
// them; pairs of two usable five-digit zip codes are set aside for the fast distance
// route, the rest take the general path at once. Then the block's fast distances are
// computed together, then its lines are written straight into the caller's buffer.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/distance.h"
#include "engine/fast_distance.h"
#include "engine/text.h"
#include "engine/zip_distance.h"

namespace quorvane {
namespace {

constexpr std::size_t kBlock = 256;
constexpr double kKilometresPerMile = 1.609344;
// Room for a line's fixed parts and its number, beside the zip codes and separator.
constexpr std::size_t kLineRoom = 64;

char* put(char* p, std::string_view s) {
  if (s.size() == 5)
    std::memcpy(p, s.data(), 5);  // a zip code: a fixed-size copy the compiler inlines
  else
    std::memcpy(p, s.data(), s.size());
  return p + s.size();
}

// Writes lines into a string grown once per block and cut to size at the end.
class LineWriter {
 public:
  LineWriter(std::string& out, std::size_t room) : out_(out), start_(out.size()) {
    out_.resize(start_ + room);
    p_ = out_.data() + start_;
  }
  ~LineWriter() { out_.resize(static_cast<std::size_t>(p_ - out_.data())); }
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;

  void text(std::string_view s) { p_ = put(p_, s); }
  template <std::size_t N>
  void text(const char (&literal)[N]) {
    std::memcpy(p_, literal, N - 1);
    p_ += N - 1;
  }
  void terminate(char c) {
    if (c) *p_++ = c;
  }
  std::size_t offset() const { return static_cast<std::size_t>(p_ - out_.data()); }
  // Flattened: the compiler otherwise keeps put_short_distance out of line here.
  [[gnu::flatten]] void distance(double d, std::string_view sep) {
    if (char* end = put_short_distance(p_, d, sep)) {
      p_ = end;
      return;
    }
    std::string s;  // out of range: the general writer, in room that is always enough
    append_distance_text(s, d, sep);
    text(std::string_view(s).substr(0, kLineRoom / 2));
  }

 private:
  std::string& out_;
  std::size_t start_;
  char* p_;
};

void write_line(LineWriter& w, const ZipPair& pair, const PairResult& r,
                const CompareOptions& options, std::string_view sep) {
  if (r.status != PairStatus::Distance) {
    w.text(kNoDetails);
    w.text(r.failed == 1 ? pair.first : pair.second);
    return;
  }
  switch (options.wording) {
    case Wording::Sentence:
      w.text("Distance between ");
      w.text(pair.first);
      w.text(" and ");
      w.text(pair.second);
      w.text(" is ");
      break;
    case Wording::ZipsAndDistance:
      w.text(pair.first);
      w.text(" to ");
      w.text(pair.second);
      w.text(": ");
      break;
    case Wording::DistanceOnly:
      break;
    case Wording::None:
    default:  // a number that names no wording words nothing either
      return;
  }
  w.distance(r.distance, sep);
  w.text(options.units == Units::Kilometres ? " km" : " miles");
}

}  // namespace

void ZipDistance::compare(std::span<const ZipPair> pairs, const CompareOptions& options,
                          std::span<PairResult> results, const LineOutput& lines) {
  Batch batch(*this);
  for (std::size_t i = 0; i < pairs.size(); i += kBlock) {
    const std::size_t n = std::min(kBlock, pairs.size() - i);
    compare_block(pairs.subspan(i, n), options, results.empty() ? nullptr : &results[i], lines);
  }
}

void ZipDistance::compare_block(std::span<const ZipPair> pairs, const CompareOptions& options,
                                PairResult* results, const LineOutput& lines) {
  PairResult local[kBlock];
  PairResult* res = results ? results : local;
  std::int32_t rows1[kBlock], rows2[kBlock];
  std::uint16_t fast_pair[kBlock];
  std::size_t fast = 0;
  const double factor = options.units == Units::Kilometres ? kKilometresPerMile : 1.0;
  const ZipTable* table = store_.table(options.use2016);
  const bool sphere = options.method == Method::Sphere;

  // Zip numbers first, then rows, then points, each step with the next one's memory
  // already on its way, so that the block's cache misses overlap.
  std::int32_t n1[kBlock], n2[kBlock];
  const bool direct = table && sphere;
  if (direct) {
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      n1[i] = five_digit_number(pairs[i].first);
      n2[i] = five_digit_number(pairs[i].second);
      if (n1[i] >= 0) table->prefetch_zip_number(static_cast<std::uint32_t>(n1[i]));
      if (n2[i] >= 0) table->prefetch_zip_number(static_cast<std::uint32_t>(n2[i]));
    }
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      rows1[i] = n1[i] < 0 ? ZipTable::kNoRow
                           : table->row_of_zip_number(static_cast<std::uint32_t>(n1[i]));
      rows2[i] = n2[i] < 0 ? ZipTable::kNoRow
                           : table->row_of_zip_number(static_cast<std::uint32_t>(n2[i]));
      table->prefetch_point(rows1[i]);
      table->prefetch_point(rows2[i]);
    }
  }
  // In order: the general path's lookups add to the not-found list and report.
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const ZipPair& p = pairs[i];
    res[i] = PairResult{};
    // The same text is 0 without a lookup, unless one is a shifted cut.
    if (p.first == p.second && !p.shifted) continue;
    if (direct && !p.shifted && rows1[i] != ZipTable::kNoRow && rows2[i] != ZipTable::kNoRow &&
        table->point(rows1[i]).usable && table->point(rows2[i]).usable) {
      rows1[fast] = rows1[i];
      rows2[fast] = rows2[i];
      fast_pair[fast++] = static_cast<std::uint16_t>(i);
      continue;
    }
    compare_general(p, options, factor, res[i]);
  }

  double miles[kBlock];
  if (fast) fast_distances(*table, rows1, rows2, fast, factor, miles);
  for (std::size_t k = 0; k < fast; ++k) res[fast_pair[k]].distance = miles[k];

  if (!lines.text) return;
  std::size_t room = 0;
  for (const ZipPair& p : pairs)
    room += kLineRoom + p.first.size() + p.second.size() + decimal_separator_.size();
  LineWriter w(*lines.text, room);
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    write_line(w, pairs[i], res[i], options, decimal_separator_);
    if (lines.ends) lines.ends->push_back(w.offset());
    w.terminate(lines.terminator);
  }
}

// One comparison with every rule of the lookups: the first zip code that has no usable
// coordinates ends it, and the second is then not looked up.
void ZipDistance::compare_general(const ZipPair& p, const CompareOptions& options, double factor,
                                  PairResult& r) {
  double lat[2] = {0, 0}, lon[2] = {0, 0};
  const ZipRow* rows[2] = {nullptr, nullptr};
  const std::string_view zips[2] = {p.first, p.second};
  for (int k = 0; k < 2; ++k) {
    if (p.shifted & (k == 0 ? kFirstShifted : kSecondShifted)) {
      r.status = PairStatus::NotInTable;
      r.failed = static_cast<std::uint8_t>(k + 1);
      return;
    }
    Found f = find(zips[k], options.use2016);
    if (f.status == PairStatus::Distance) check_row(f, zips[k], lat[k], lon[k]);
    if (f.status != PairStatus::Distance) {
      r.status = f.status;
      r.failed = static_cast<std::uint8_t>(k + 1);
      return;
    }
    rows[k] = &f.table->row(f.row);
  }
  if (options.method == Method::Geodesic)
    r.distance = geodesic_miles(lat[0], lon[0], lat[1], lon[1]) * factor;
  else
    r.distance = distance_miles_pre(rows[0]->sin_lat, rows[0]->cos_lat, rows[1]->sin_lat,
                                    rows[1]->cos_lat, lon[0], lon[1]) *
                 factor;
}

}  // namespace quorvane

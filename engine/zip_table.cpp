#include "engine/zip_table.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/distance.h"
#include "engine/error_trap.h"
#include "engine/read_limits.h"
#include "engine/regular_file.h"
#include "engine/text.h"

namespace quorvane {

TableSpec zip_table_spec(bool use2016) {
  if (use2016) return {"zip_code2016", "zip_code", "lattitude", "longitude", KeyKind::Text};
  return {"zip_code", "zip_code", "lattitude", "longitude", KeyKind::Number};
}

namespace {

std::uint64_t mix(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ULL;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

std::uint64_t number_key(double v) {
  if (v == 0) v = 0;  // -0 and +0 are the same key
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}

// Texts of up to 7 bytes pack into one word, with the length in the top byte.
std::uint64_t short_text_key(std::string_view s) {
  std::uint64_t k = static_cast<std::uint64_t>(s.size()) << 56;
  for (std::size_t i = 0; i < s.size(); ++i)
    k |= static_cast<std::uint64_t>(static_cast<unsigned char>(s[i])) << (8 * i);
  return k;
}

std::string number_as_text(double v) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "%.15g", v);
  return std::string(buf, n > 0 ? n : 0);
}

// A field read as a double; text converts when it is a number as written in a statement.
double to_double(const Cell& c, std::uint8_t bad_flag, std::uint8_t null_flag, std::uint8_t& bad) {
  if (c.type == Cell::Number) return c.number;
  if (c.type == Cell::Text) {
    if (auto v = parse_sql_number(trim_blanks(c.text))) return *v;
  }
  bad |= c.type == Cell::Null ? null_flag : bad_flag;
  return 0;
}

}  // namespace

ZipTable::ZipTable(KeyKind kind) : kind_(kind), index_(100000, 0) {}

namespace {

std::int32_t whole_zip_number(double v) {
  return v >= 0 && v <= 99999 && v == std::floor(v) ? static_cast<std::int32_t>(v) : -1;
}

// The point as a unit vector, in the radians of deg_to_rad, so that the chord between
// two points gives the angle the distance formula computes.
ZipPoint unit_point(const ZipRow& r) {
  ZipPoint p;
  const double lon = deg_to_rad(r.lon);
  p.x = r.cos_lat * std::cos(lon);
  p.y = r.cos_lat * std::sin(lon);
  p.z = r.sin_lat;
  p.usable = r.bad == 0 && r.lat != 0 && r.lon != 0;
  return p;
}

std::string five_digits(std::int32_t zip) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%05d", static_cast<int>(zip));
  return buf;
}

}  // namespace

void ZipTable::add(const Cell& key, const Cell& lat, const Cell& lon) {
  std::int32_t five = -1;
  std::string text;
  bool filed = false;
  if (kind_ == KeyKind::Number) {
    double v;
    if (key.type == Cell::Number) {
      v = key.number;
    } else if (key.type == Cell::Text) {
      auto p = parse_sql_number(trim_blanks(key.text));
      if (!p) return;  // never equal to a number
      v = *p;
    } else {
      return;  // NULL equals nothing
    }
    if (std::isnan(v)) return;
    five = whole_zip_number(v);
    text = five >= 0 ? five_digits(five) : number_as_text(v);
    filed = file_key(number_key(v), five);
  } else {
    if (key.type == Cell::Null) return;
    text = key.type == Cell::Text ? std::string(key.text) : number_as_text(key.number);
    if (text.size() > 7)
      filed = long_keys_.emplace(text, static_cast<std::int32_t>(rows_.size())).second;
    else
      filed = file_key(short_text_key(text), five_digit_number(text));
  }
  if (!filed) return;

  ZipRow r;
  r.lat = to_double(lat, kBadLat, kNullLat, r.bad);
  r.lon = to_double(lon, kBadLon, kNullLon, r.bad);
  if (!std::isfinite(r.lat) || !std::isfinite(r.lon)) r.bad |= kNonFinite;
  r.sin_lat = std::sin(deg_to_rad(r.lat));
  r.cos_lat = std::cos(deg_to_rad(r.lat));
  rows_.push_back(r);
  points_.push_back(unit_point(r));
  if (points_.back().usable) widest_longitude_ = std::max(widest_longitude_, std::fabs(r.lon));
  key_text_ += text;
  key_ends_.push_back(static_cast<std::uint32_t>(key_text_.size()));
}

bool ZipTable::file_key(std::uint64_t key, std::int32_t five) {
  const auto next = static_cast<std::int32_t>(rows_.size());
  if (five >= 0) {
    std::uint16_t& slot = index_[static_cast<std::size_t>(five)];
    if (slot != 0) return false;
    if (next < 0xFFFF) {
      slot = static_cast<std::uint16_t>(next + 1);
      return true;
    }
    index_full_ = true;  // a huge table: the rest go to the hash table
  }
  if ((used_ + 1) * 4 > slots_.size() * 3) grow();
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = mix(key) & mask;; i = (i + 1) & mask) {
    Slot& s = slots_[i];
    if (s.row == kNoRow) {
      s = {key, next};
      ++used_;
      return true;
    }
    if (s.key == key) return false;
  }
}

std::int32_t ZipTable::row_of_hashed(std::uint64_t key) const {
  if (slots_.empty()) return kNoRow;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = mix(key) & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.row == kNoRow) return kNoRow;
    if (s.key == key) return s.row;
  }
}

void ZipTable::grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& s : old) {
    if (s.row == kNoRow) continue;
    std::size_t i = mix(s.key) & mask;
    while (slots_[i].row != kNoRow) i = (i + 1) & mask;
    slots_[i] = s;
  }
}

std::uint64_t ZipTable::zip_number_key(std::uint32_t zip) const {
  if (kind_ == KeyKind::Number) return number_key(static_cast<double>(zip));
  char digits[5];
  for (int i = 4; i >= 0; --i, zip /= 10) digits[i] = static_cast<char>('0' + zip % 10);
  return short_text_key(std::string_view(digits, 5));
}

std::int32_t ZipTable::row_of_number(double key) const {
  if (kind_ != KeyKind::Number || std::isnan(key)) return kNoRow;
  const std::int32_t five = whole_zip_number(key);
  if (five >= 0) return row_of_zip_number(static_cast<std::uint32_t>(five));
  return row_of_hashed(number_key(key));
}

std::int32_t ZipTable::row_of_text(std::string_view key) const {
  if (kind_ != KeyKind::Text) return kNoRow;
  const std::int32_t five = five_digit_number(key);
  if (five >= 0) return row_of_zip_number(static_cast<std::uint32_t>(five));
  if (key.size() <= 7) return row_of_hashed(short_text_key(key));
  auto it = long_keys_.find(std::string(key));
  return it == long_keys_.end() ? kNoRow : it->second;
}

namespace {

struct Loading {
  ZipTable& table;
  RowLimits limits;
};

void add_row(void* ctx, const Cell& key, const Cell& lat, const Cell& lon) {
  auto* loading = static_cast<Loading*>(ctx);
  loading->limits.check(key, lat, lon);
  loading->table.add(key, lat, lon);
}

}  // namespace

std::unique_ptr<ZipTable> load_table(const std::string& path, const TableSpec& layout) {
  char header[32] = {};
  const RegularFile file(path);
  if (::pread(file.fd(), header, sizeof header, 0) < 0)
    throw RuntimeError(75, "Cannot read the database " + path);
  auto table = std::make_unique<ZipTable>(layout.kind);
  Loading loading{*table, RowLimits(layout)};
  if (std::memcmp(header, "SQLite format 3", 16) == 0) {
    read_sqlite_table(path, layout, add_row, &loading);
  } else if (std::memcmp(header + 4, "Standard Jet DB", 15) == 0 ||
             std::memcmp(header + 4, "Standard ACE DB", 15) == 0) {
    read_access_table(path, layout, add_row, &loading);
  } else {
    throw RuntimeError(3343, "Unrecognized database format");
  }
  return table;
}

}  // namespace quorvane

#include "zip_table.h"

#include <unistd.h>

#include <cmath>
#include <cstring>

#include "distance.h"
#include "error_trap.h"
#include "regular_file.h"
#include "text.h"

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

void ZipTable::add(const Cell& key, const Cell& lat, const Cell& lon) {
  ZipRow r;
  r.lat = to_double(lat, kBadLat, kNullLat, r.bad);
  r.lon = to_double(lon, kBadLon, kNullLon, r.bad);
  r.sin_lat = std::sin(deg_to_rad(r.lat));
  r.cos_lat = std::cos(deg_to_rad(r.lat));

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
    if (!std::isnan(v)) insert(number_key(v), r);
    return;
  }

  if (key.type == Cell::Null) return;
  std::string text = key.type == Cell::Text ? std::string(key.text) : number_as_text(key.number);
  if (text.size() <= 7)
    insert(short_text_key(text), r);
  else
    long_keys_.emplace(std::move(text), r);
}

const ZipRow* ZipTable::find_number(double key) const {
  if (kind_ != KeyKind::Number || std::isnan(key)) return nullptr;
  return find(number_key(key));
}

const ZipRow* ZipTable::find_text(std::string_view key) const {
  if (kind_ != KeyKind::Text) return nullptr;
  if (key.size() <= 7) return find(short_text_key(key));
  auto it = long_keys_.find(std::string(key));
  return it == long_keys_.end() ? nullptr : &it->second;
}

bool ZipTable::insert(std::uint64_t key, const ZipRow& row) {
  if ((used_ + 1) * 4 > slots_.size() * 3) grow();
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = mix(key) & mask;; i = (i + 1) & mask) {
    Slot& s = slots_[i];
    if (!s.row.in_use) {
      s.key = key;
      s.row = row;
      s.row.in_use = 1;
      ++used_;
      return true;
    }
    if (s.key == key) return false;
  }
}

const ZipRow* ZipTable::find(std::uint64_t key) const {
  if (slots_.empty()) return nullptr;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = mix(key) & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (!s.row.in_use) return nullptr;
    if (s.key == key) return &s.row;
  }
}

const std::string& ZipTable::key_text(std::uint64_t key, std::string& text) const {
  text.clear();
  if (kind_ == KeyKind::Text) {
    const std::size_t n = key >> 56;
    for (std::size_t i = 0; i < n; ++i) text += static_cast<char>((key >> (8 * i)) & 0xFF);
    return text;
  }
  double v;
  std::memcpy(&v, &key, sizeof v);
  char buf[64];
  const int n = v >= 0 && v <= 99999 && v == std::floor(v)
                    ? std::snprintf(buf, sizeof buf, "%05d", static_cast<int>(v))
                    : std::snprintf(buf, sizeof buf, "%.15g", v);
  text.assign(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
  return text;
}

void ZipTable::grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
  used_ = 0;
  for (const Slot& s : old)
    if (s.row.in_use) insert(s.key, s.row);
}

namespace {

void add_row(void* ctx, const Cell& key, const Cell& lat, const Cell& lon) {
  static_cast<ZipTable*>(ctx)->add(key, lat, lon);
}

}  // namespace

std::unique_ptr<ZipTable> load_table(const std::string& path, const TableSpec& layout) {
  char header[32] = {};
  const RegularFile file(path);
  if (::pread(file.fd(), header, sizeof header, 0) < 0)
    throw RuntimeError(75, "Cannot read the database " + path);
  auto table = std::make_unique<ZipTable>(layout.kind);
  if (std::memcmp(header, "SQLite format 3", 16) == 0) {
    read_sqlite_table(path, layout, add_row, table.get());
  } else if (std::memcmp(header + 4, "Standard Jet DB", 15) == 0 ||
             std::memcmp(header + 4, "Standard ACE DB", 15) == 0) {
    read_access_table(path, layout, add_row, table.get());
  } else {
    throw RuntimeError(3343, "Unrecognized database format");
  }
  return table;
}

}  // namespace quorvane

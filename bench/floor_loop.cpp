#include "bench/floor_loop.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/distance.h"
#include "engine/text.h"

namespace quorvane_bench {
namespace {

// The engine's constants: miles per radian of its angle, and its arccosine's offset.
const double kMilesPerRadian = (180.0 / quorvane::kPiConversion) * 60.0 * 1.1515;
const double kAngleOffset = quorvane::kHalfPiArcCos - 1.5707963267948966;

template <std::size_t N>
char* put(char* p, const char (&literal)[N]) {
  std::memcpy(p, literal, N - 1);
  return p + N - 1;
}

char* put_zip(char* p, std::string_view zip) {
  if (zip.size() == 5)
    std::memcpy(p, zip.data(), 5);
  else
    std::memcpy(p, zip.data(), zip.size());
  return p + zip.size();
}

char* put_miles(char* p, double miles) {
  const auto h = static_cast<std::uint32_t>(miles * 100.0 + 0.5);
  std::uint32_t whole = h / 100;
  const std::uint32_t frac = h % 100;
  char digits[16];
  char* q = digits + 10;
  do {
    *--q = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole);
  std::memcpy(p, q, 8);  // at most 8 digits, copied at once
  p += digits + 10 - q;
  if (frac) {
    *p++ = '.';
    *p++ = static_cast<char>('0' + frac / 10);
    if (frac % 10) *p++ = static_cast<char>('0' + frac % 10);
  }
  return p;
}

}  // namespace

FloorLoop::FloorLoop(const quorvane::ZipTable& table) : by_zip_(100000) {
  std::vector<bool> seen(100000);
  for (std::size_t r = 0; r < table.size(); ++r) {
    const std::int32_t row = static_cast<std::int32_t>(r);
    const std::int32_t zip = quorvane::five_digit_number(table.key_of(row));
    if (zip < 0 || seen[static_cast<std::size_t>(zip)]) continue;
    seen[static_cast<std::size_t>(zip)] = true;
    const quorvane::ZipPoint& p = table.point(row);
    if (p.usable) by_zip_[static_cast<std::size_t>(zip)] = {p.x, p.y, p.z};
  }
}

void FloorLoop::write(std::span<const quorvane::ZipPair> pairs, std::string& out) const {
  const std::size_t start = out.size();
  std::size_t room = 0;
  for (const quorvane::ZipPair& pair : pairs) room += 64 + pair.first.size() + pair.second.size();
  out.resize(start + room);
  char* p = out.data() + start;
  for (const quorvane::ZipPair& pair : pairs) {
    const std::int32_t a = quorvane::five_digit_number(pair.first);
    const std::int32_t b = quorvane::five_digit_number(pair.second);
    if ((a | b) < 0) {  // not five digits: no point
      p = put(p, "No details found for zip code: ");
      p = put_zip(p, a < 0 ? pair.first : pair.second);
      *p++ = '\n';
      continue;
    }
    const Point& u = by_zip_[static_cast<std::size_t>(a)];
    const Point& v = by_zip_[static_cast<std::size_t>(b)];
    if (a != b && !(u.x == u.x && v.x == v.x)) {
      p = put(p, "No details found for zip code: ");
      p = put_zip(p, u.x == u.x ? pair.second : pair.first);
      *p++ = '\n';
      continue;
    }
    const double dx = u.x - v.x, dy = u.y - v.y, dz = u.z - v.z;
    const double half = std::sqrt(dx * dx + dy * dy + dz * dz) * 0.5;
    const double miles = a == b ? 0 : (2.0 * std::asin(half) + kAngleOffset) * kMilesPerRadian;
    p = put(p, "Distance between ");
    p = put_zip(p, pair.first);
    p = put(p, " and ");
    p = put_zip(p, pair.second);
    p = put(p, " is ");
    p = put_miles(p, miles);
    p = put(p, " miles\n");
  }
  out.resize(static_cast<std::size_t>(p - out.data()));
}

}  // namespace quorvane_bench

std::size_t quorvane_bench::differing_lines(std::string_view a, std::string_view b) {
  std::size_t differ = 0;
  while (!a.empty() || !b.empty()) {
    const std::string_view x = a.substr(0, a.find('\n')), y = b.substr(0, b.find('\n'));
    if (x != y && ++differ <= 3)
      std::printf("  differs: %.*s | %.*s\n", static_cast<int>(x.size()), x.data(),
                  static_cast<int>(y.size()), y.data());
    a.remove_prefix(std::min(a.size(), x.size() + 1));
    b.remove_prefix(std::min(b.size(), y.size() + 1));
  }
  return differ;
}

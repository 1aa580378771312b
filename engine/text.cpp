#include "engine/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace quorvane {

void append_distance_text(std::string& out, double miles, std::string_view sep) {
  char buf[kShortDistanceRoom + 8];
  if (sep.size() <= 8) {  // every decimal separator there is
    if (const char* end = put_short_distance(buf, miles, sep)) {
      out.append(buf, static_cast<std::size_t>(end - buf));
      return;
    }
  } else {
    const std::size_t start = out.size();
    out.resize(start + kShortDistanceRoom + sep.size());
    if (char* end = put_short_distance(out.data() + start, miles, sep)) {
      out.resize(static_cast<std::size_t>(end - out.data()));
      return;
    }
    out.resize(start);
  }
  // Beyond 2^53 hundredths (or not a number): round the value itself. The largest
  // double has 309 digits.
  char large[400];
  auto r = std::to_chars(large, large + sizeof large, miles, std::chars_format::fixed, 2);
  std::string_view t(large, static_cast<std::size_t>(r.ptr - large));
  const auto point = t.find('.');
  if (point == std::string_view::npos) {
    out.append(t);  // inf or nan
    return;
  }
  while (t.back() == '0') t.remove_suffix(1);
  out.append(t.substr(0, point));
  if (t.size() > point + 1) {
    out += sep;
    out.append(t.substr(point + 1));
  }
}

std::string distance_text(double miles, std::string_view sep) {
  std::string s;
  append_distance_text(s, miles, sep);
  return s;
}

namespace {

bool is_number_space(char c) {
  return c == ' ' || c == '\t';
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Consumes digits (and group separators between digits when allowed); returns count.
std::size_t digits(std::string_view s, std::size_t& i, std::string_view group) {
  std::size_t n = 0;
  while (i < s.size()) {
    if (is_digit(s[i])) {
      ++n;
      ++i;
    } else if (!group.empty() && n > 0 && s.substr(i, group.size()) == group &&
               i + group.size() < s.size() && is_digit(s[i + group.size()])) {
      i += group.size();
    } else {
      break;
    }
  }
  return n;
}

// The power of ten of a literal's first significant digit, saturated: only its sign
// matters, to tell a number too small for a double (read as 0) from one too large.
long long decimal_exponent(std::string_view s) {
  long long e = 0;
  std::size_t i = 0;
  bool seen = false;
  for (; i < s.size() && is_digit(s[i]); ++i)
    if (seen || s[i] != '0') seen = true, ++e;
  if (seen) --e;
  if (i < s.size() && s[i] == '.') {
    for (++i; i < s.size() && is_digit(s[i]); ++i) {
      if (seen) continue;
      --e;
      seen = s[i] != '0';
    }
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    const bool minus = i < s.size() && s[i] == '-';
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    long long x = 0;
    for (; i < s.size() && is_digit(s[i]); ++i) x = std::min(x * 10 + (s[i] - '0'), 1LL << 40);
    e += minus ? -x : x;
  }
  return e;
}

}  // namespace

bool is_numeric(std::string_view text, std::string_view dec, std::string_view group) {
  if (five_digit_number(text) >= 0) return true;  // the usual entry
  const std::string_view s = trim_number_space(text);
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t n = digits(s, i, group == dec ? std::string_view{} : group);
  if (!dec.empty() && s.substr(i, dec.size()) == dec) {
    i += dec.size();
    n += digits(s, i, {});
  }
  if (n == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (digits(s, j, {}) == 0) return false;
    i = j;
  }
  return i == s.size();
}

std::optional<double> parse_sql_number(std::string_view s) {
  // Plain digits, the usual case, are read directly: they are exact as doubles.
  if (!s.empty() && s.size() <= 15) {
    std::uint64_t v = 0;
    std::size_t k = 0;
    while (k < s.size() && is_digit(s[k])) v = v * 10 + static_cast<unsigned>(s[k++] - '0');
    if (k == s.size()) return static_cast<double>(v);
  }
  std::size_t i = 0;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  const std::size_t start = i;
  std::size_t n = 0;
  while (i < s.size() && is_digit(s[i])) ++i, ++n;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && is_digit(s[i])) ++i, ++n;
  }
  if (n == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    std::size_t k = j;
    while (k < s.size() && is_digit(s[k])) ++k;
    if (k == j) return std::nullopt;
    i = k;
  }
  if (i != s.size()) return std::nullopt;
  double v = 0;
  auto r = std::from_chars(s.data() + start, s.data() + i, v);
  if (r.ec == std::errc::result_out_of_range)
    v = decimal_exponent(s.substr(start, i - start)) < 0 ? 0.0 : HUGE_VAL;
  else if (r.ec != std::errc())
    return std::nullopt;
  return neg ? -v : v;
}

std::string_view trim_blanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string_view trim_number_space(std::string_view s) {
  while (!s.empty() && is_number_space(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_number_space(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view zip_part(std::string_view entry) {
  if (five_digit_number(entry) >= 0) return entry;
  // Five characters, not bytes: a UTF-8 sequence is never cut in half.
  std::string_view t = trim_blanks(entry);
  std::size_t i = 0;
  for (int chars = 0; i < t.size() && chars < 5; ++chars) {
    ++i;
    while (i < t.size() && (static_cast<unsigned char>(t[i]) & 0xC0) == 0x80) ++i;
  }
  return t.substr(0, i);
}

std::string zip_of_entry(std::string_view entry) {
  return std::string(zip_part(entry));
}

std::size_t char_count(std::string_view s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

std::string_view file_name_part(std::string_view path) {
  const auto p = path.find_last_of("\\/");
  return p == std::string_view::npos ? path : path.substr(p + 1);
}

namespace {

bool is_sep(char c) {
  return c == '\\' || c == '/';
}

std::string collapse_pairs(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    out += s[i];
    if (is_sep(s[i]) && i + 1 < s.size() && s[i + 1] == s[i]) ++i;
  }
  return out;
}

}  // namespace

std::string collapse_backslashes(std::string_view path) {
  if (path.empty() || !is_sep(path.front())) return collapse_pairs(path);
  std::size_t p = 0;
  while (p < path.size() && path[p] == path.front()) ++p;
  // A leading "\\" names a network share and keeps both; a leading '/' is the root,
  // where a doubled separator means nothing, so it stays single.
  std::string out(path.front() == '\\' ? 2 : 1, path.front());
  out += collapse_pairs(path.substr(p));
  return out;
}

}  // namespace quorvane

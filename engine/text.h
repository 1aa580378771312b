#pragma once
// Number and text helpers shared by the engine, the window and the exports.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// Every distance the program prints is rounded and written by these: to two decimals,
// exact halves to the even neighbour, in the shortest form (no trailing zeros, no
// grouping, no exponent), with the given decimal separator.
void append_distance_text(std::string& out, double miles, std::string_view decimal_separator);
std::string distance_text(double miles, std::string_view decimal_separator);

// The most bytes put_short_distance writes besides the decimal separator.
inline constexpr std::size_t kShortDistanceRoom = 24;

// The same text written at `p`, for writers of many lines at once: returns its end, or
// nullptr, with nothing written, when the number has more than 2^53 hundredths or is
// not a number (no distance on earth), which append_distance_text writes.
inline char* put_short_distance(char* p, double miles, std::string_view decimal_separator) {
  const double h = std::nearbyint(miles * 100.0);  // halves to even in the default mode
  if (!(std::fabs(h) < 0x1p53)) return nullptr;    // beyond 2^53 the product is not exact
  auto hundredths = static_cast<std::int64_t>(h);
  if (hundredths < 0) {
    *p++ = '-';
    hundredths = -hundredths;
  }
  char digits[20];
  char* const end = digits + sizeof digits;
  char* q = end;
  auto whole = static_cast<std::uint64_t>(hundredths / 100);
  do {
    *--q = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole);
  std::memcpy(p, q, static_cast<std::size_t>(end - q));
  p += end - q;
  const auto frac = static_cast<unsigned>(hundredths % 100);
  if (frac != 0) {
    std::memcpy(p, decimal_separator.data(), decimal_separator.size());
    p += decimal_separator.size();
    *p++ = static_cast<char>('0' + frac / 10);
    if (frac % 10 != 0) *p++ = static_cast<char>('0' + frac % 10);
  }
  return p;
}

// The zip number of a text of exactly five ASCII digits (0 to 99999), or -1: most list
// entries, and the keys that go straight to their row.
inline std::int32_t five_digit_number(std::string_view s) {
  if (s.size() != 5) return -1;
  std::int32_t v = 0;
  for (char c : s) {
    if (static_cast<unsigned char>(c - '0') > 9) return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

// The numeric test of the run and the reference box: the text converts as a whole to
// a number under the user's locale. Blanks around it pass; a sign, a decimal separator,
// group separators between digits and an exponent are accepted; empty text and letters fail.
bool is_numeric(std::string_view text, std::string_view decimal_separator = ".",
                std::string_view group_separator = ",");

// Parses the text as the database reads an unquoted numeric literal in a statement:
// optional sign, digits with an optional '.' fraction, optional exponent. Anything else
// (blanks inside, letters, quotes, empty text) is not a literal and gives nullopt.
std::optional<double> parse_sql_number(std::string_view text);

// Trims leading and trailing blanks: spaces, and only spaces (a list entry keeps a tab).
std::string_view trim_blanks(std::string_view s);

// Trims the space a number may have around it: spaces and tabs, as the numeric test,
// a number in a database statement and a spreadsheet's cell allow.
std::string_view trim_number_space(std::string_view s);

// The zip code of a list entry: trimmed of blanks, cut to its first five characters.
std::string zip_of_entry(std::string_view entry);
// The same, as a view into the entry.
std::string_view zip_part(std::string_view entry);

// Length in characters of a UTF-8 text.
std::size_t char_count(std::string_view s);

// The part after the last path separator ('\' or '/'); the whole text when there is
// none; the empty text when the text ends in one.
std::string_view file_name_part(std::string_view path);

// Tidies a path joined from a folder and a file name: every non-overlapping doubled
// separator becomes one, in one left-to-right pass; a path that begins with '\\' gets
// exactly two (a network share); one that begins with '/' gets exactly one.
std::string collapse_backslashes(std::string_view path);

}  // namespace quorvane

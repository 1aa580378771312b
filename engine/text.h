#pragma once
// Number and text helpers shared by the engine, the window and the exports.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace quorvane {

// Every distance the program prints is rounded and written by these: to two decimals,
// exact halves to the even neighbour, in the shortest form (no trailing zeros, no
// grouping, no exponent), with the given decimal separator.
void append_distance_text(std::string& out, double miles, std::string_view decimal_separator);
std::string distance_text(double miles, std::string_view decimal_separator);

// The most bytes put_short_distance writes besides the decimal separator.
inline constexpr std::size_t kShortDistanceRoom = 24;

namespace text_detail {

// "00", "01", ... "99": the digits of a number two at a time.
inline constexpr char kDigitPairs[] =
    "0001020304050607080910111213141516171819"
    "2021222324252627282930313233343536373839"
    "4041424344454647484950515253545556575859"
    "6061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The hundredths as the nearest whole number, exact halves to the even one, as
// std::nearbyint in the default rounding mode; |x| < 2^53. One instruction on x86-64
// (nearbyint is a library call there without SSE4.1).
inline std::int64_t round_half_even(double x) {
#if defined(__x86_64__)
  return _mm_cvtsd_si64(_mm_set_sd(x));
#else
  return static_cast<std::int64_t>(std::nearbyint(x));
#endif
}

// Writes v (below 10^8) at p without leading zeros, two digits at a time; returns the end.
inline char* put_whole(char* p, std::uint32_t v) {
  const unsigned n = 1u + (v >= 10) + (v >= 100) + (v >= 1000) + (v >= 10000) + (v >= 100000) +
                     (v >= 1000000) + (v >= 10000000);
  char* const end = p + n;
  char* q = end;
  while (v >= 100) {
    const std::uint32_t r = v % 100;
    v /= 100;
    q -= 2;
    std::memcpy(q, kDigitPairs + 2 * r, 2);
  }
  if (v >= 10)
    std::memcpy(q - 2, kDigitPairs + 2 * v, 2);
  else
    q[-1] = static_cast<char>('0' + v);
  return end;
}

// Writes v (below 10^4: every distance in miles) at p without leading zeros, without a
// branch: both digit pairs into one word, the leading zeros shifted out, four bytes
// written and the end moved past the digits; returns the end.
inline char* put_whole_short(char* p, std::uint32_t v) {
  const unsigned n = 1u + (v >= 10) + (v >= 100) + (v >= 1000);
  const std::uint32_t high = v / 100, low = v - high * 100;
  char four[4];
  std::memcpy(four, kDigitPairs + 2 * high, 2);
  std::memcpy(four + 2, kDigitPairs + 2 * low, 2);
  std::uint32_t w;
  std::memcpy(&w, four, 4);
  if constexpr (std::endian::native == std::endian::little)
    w >>= 8 * (4 - n);
  else
    w <<= 8 * (4 - n);
  std::memcpy(p, &w, 4);
  return p + n;
}

// The hundredths above 2^32 (no distance on earth), one digit at a time.
inline char* put_whole_wide(char* p, std::uint64_t whole) {
  char digits[20];
  char* const end = digits + sizeof digits;
  char* q = end;
  do {
    *--q = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole);
  std::memcpy(p, q, static_cast<std::size_t>(end - q));
  return p + (end - q);
}

}  // namespace text_detail

// The same text written at `p`, for writers of many lines at once: returns its end, or
// nullptr, with nothing written, when the number has more than 2^53 hundredths or is
// not a number (no distance on earth), which append_distance_text writes.
inline char* put_short_distance(char* p, double miles, std::string_view decimal_separator) {
  const double x = miles * 100.0;
  // Beyond 2^53 the product is not exact. Below, doubles from 2^52 on are whole numbers,
  // so |x| < 2^53 is the same test as on the rounded value.
  if (!(std::fabs(x) < 0x1p53)) return nullptr;
  std::int64_t hundredths = text_detail::round_half_even(x);
  if (hundredths < 0) {
    *p++ = '-';
    hundredths = -hundredths;
  }
  std::uint32_t frac;
  if (hundredths <= 0xFFFFFFFF) {  // every distance on earth: 32-bit arithmetic
    const auto h = static_cast<std::uint32_t>(hundredths);
    const std::uint32_t whole = h / 100;
    frac = h - whole * 100;
    p = whole < 10000 ? text_detail::put_whole_short(p, whole) : text_detail::put_whole(p, whole);
  } else {
    const auto h = static_cast<std::uint64_t>(hundredths);
    frac = static_cast<std::uint32_t>(h % 100);
    p = text_detail::put_whole_wide(p, h / 100);
  }
  if (frac != 0) {
    if (decimal_separator.size() == 1)
      *p++ = decimal_separator[0];
    else
      p = static_cast<char*>(std::memcpy(p, decimal_separator.data(), decimal_separator.size())) +
          decimal_separator.size();
    const char* pair = text_detail::kDigitPairs + 2 * frac;
    std::memcpy(p, pair, 2);
    p += pair[1] == '0' ? 1 : 2;  // no trailing zero
  }
  return p;
}

// The zip number of a text of exactly five ASCII digits (0 to 99999), or -1: most list
// entries, and the keys that go straight to their row. The first four digits are tested
// and combined at once, as the bytes of one 32-bit word.
inline std::int32_t five_digit_number(std::string_view s) {
  if (s.size() != 5) return -1;
  const auto last = static_cast<std::uint32_t>(static_cast<unsigned char>(s[4]) - '0');
  if constexpr (std::endian::native == std::endian::little) {
    std::uint32_t w;
    std::memcpy(&w, s.data(), 4);
    // Every byte 0x30 to 0x39: its high half is 3, and still 3 after adding 6 (which,
    // with every high half 3, carries into no other byte).
    if ((w & 0xF0F0F0F0u) != 0x30303030u || ((w + 0x06060606u) & 0xF0F0F0F0u) != 0x30303030u ||
        last > 9)
      return -1;
    const std::uint32_t d = w - 0x30303030u;  // four digits, the first in the lowest byte
    const std::uint32_t t = (d * 10 + (d >> 8)) & 0x00FF00FFu;  // two two-digit numbers
    return static_cast<std::int32_t>(((t * 100 + (t >> 16)) & 0xFFFFu) * 10 + last);
  }
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

#include "engine/zip_clean.h"

#include <cstring>

#include "engine/text.h"

namespace quorvane {
namespace {

bool is_digit(char c) {
  return static_cast<unsigned char>(c - '0') <= 9;
}

bool all_digits(std::string_view s) {
  for (char c : s)
    if (!is_digit(c)) return false;
  return !s.empty();
}

// A fraction of zeros only (".0", ".00"), as a number cell shows a whole number.
bool zero_fraction(std::string_view s) {
  if (s.size() < 2 || s.front() != '.') return false;
  for (char c : s.substr(1))
    if (c != '0') return false;
  return true;
}

}  // namespace

CleanZip clean_zip(std::string_view cell, bool strict) {
  CleanZip out;
  if (cell.size() == 5 && all_digits(cell)) {
    std::memcpy(out.digits, cell.data(), 5);
    out.cleaning = Cleaning::Unchanged;
    return out;
  }
  if (strict) return out;

  std::string_view s = trim_number_space(cell);
  if (s.size() >= 3 && s.substr(0, 2) == "=\"" && s.back() == '"')
    s = trim_number_space(s.substr(2, s.size() - 3));
  else if (!s.empty() && s.front() == '\'')
    s = trim_number_space(s.substr(1));

  std::string_view five;
  if (s.size() == 5 && all_digits(s)) {
    five = s;
  } else if (s.size() == 9 && all_digits(s)) {
    five = s.substr(0, 5);  // ZIP+4 without its dash
  } else if (s.size() == 10 && (s[5] == '-' || s[5] == ' ') && all_digits(s.substr(0, 5)) &&
             all_digits(s.substr(6))) {
    five = s.substr(0, 5);
  } else {
    // A whole number that lost its leading zeros, perhaps shown with a zero fraction.
    std::string_view whole = s;
    const std::size_t dot = s.find('.');
    if (dot != std::string_view::npos) {
      if (!zero_fraction(s.substr(dot))) return out;
      whole = s.substr(0, dot);
    }
    if (whole.size() > 5 || !all_digits(whole)) return out;
    std::memset(out.digits, '0', 5);
    std::memcpy(out.digits + 5 - whole.size(), whole.data(), whole.size());
    out.cleaning = Cleaning::Cleaned;
    return out;
  }
  std::memcpy(out.digits, five.data(), 5);
  out.cleaning = Cleaning::Cleaned;
  return out;
}

}  // namespace quorvane

// The distance text of any double: read back, it is the value rounded to two decimals,
// written in the shortest form.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/text.h"

// A failed check names itself before the abort that libFuzzer reports.
#define check(ok)                                                           \
  do {                                                                      \
    if (!(ok)) {                                                            \
      std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #ok); \
      std::abort();                                                         \
    }                                                                       \
  } while (false)

namespace {

// printf's "%.2f", which rounds the exact value, without trailing zeros.
std::string rounded_model(double miles) {
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.2f", miles);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size != 9) return 0;
  double miles;
  std::memcpy(&miles, data, sizeof miles);
  const std::string sep = data[8] & 1 ? "," : ".";
  const std::string text = quorvane::distance_text(miles, sep);

  if (!std::isfinite(miles)) {
    check(text == (std::isnan(miles) ? (std::signbit(miles) ? "-nan" : "nan")
                                     : (miles < 0 ? "-inf" : "inf")));
    return 0;
  }
  std::string plain = text;
  const auto at = plain.find(sep);
  if (at != std::string::npos) plain[at] = '.';  // the separator is one character
  // Shortest form: digits, at most one separator and two decimals, no trailing zero.
  check(plain.find_first_not_of("-0123456789.") == std::string::npos);
  check(plain.find('.') == std::string::npos ||
        (plain.size() - plain.find('.') <= 3 && plain.back() != '0'));
  const std::string whole = plain.substr(plain[0] == '-', plain.find('.') - (plain[0] == '-'));
  check(!whole.empty() && (whole == "0" || whole[0] != '0'));
  check(plain != "-0");
  if (std::fabs(miles) * 100 >= 0x1p53) {
    check(plain == rounded_model(miles));
  } else {
    // The product by 100 rounds first, so ties may go either way by one hundredth.
    const double back = std::strtod(plain.c_str(), nullptr);
    check(std::fabs(back - miles) <= 0.005 + 1e-9 * std::fabs(miles));
    check(back != 0 || plain == "0");
  }
  return 0;
}

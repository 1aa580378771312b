#include "cli/coordinates.h"

#include <charconv>

namespace quorvane::cli {

std::string_view unit_word(Units units) {
  return units == Units::Kilometres ? " km" : " miles";
}

std::string_view unit_column(Units units) {
  return units == Units::Kilometres ? "km" : "miles";
}

std::string number_text(double v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

void append_coordinates(std::string& out, double lat, double lon, std::string_view between) {
  out += number_text(lat);
  out += between;
  out += number_text(lon);
}

}  // namespace quorvane::cli

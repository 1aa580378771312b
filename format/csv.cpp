#include "format/csv.h"

namespace quorvane {

void append_csv_field(std::string& out, std::string_view field, char delimiter) {
  bool quote = false;
  for (char c : field) quote = quote || c == delimiter || c == '"' || c == '\r' || c == '\n';
  if (!quote) {
    out += field;
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace quorvane

#include "format/csv.h"

namespace quorvane {

void append_csv_field(std::string& out, std::string_view field, char delimiter) {
  std::size_t i = 0;
  for (; i < field.size(); ++i) {
    const char c = field[i];
    if (c == delimiter || c == '"' || c == '\r' || c == '\n') break;
  }
  if (i == field.size()) {
    out += field;
    return;
  }
  out += '"';
  // Up to each quote, that quote included, then the quote that doubles it.
  std::size_t from = 0;
  for (std::size_t q = field.find('"'); q != std::string_view::npos; q = field.find('"', q + 1)) {
    out.append(field.data() + from, q + 1 - from);
    out += '"';
    from = q + 1;
  }
  out.append(field.data() + from, field.size() - from);
  out += '"';
}

}  // namespace quorvane

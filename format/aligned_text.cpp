#include "format/aligned_text.h"

#include <algorithm>

#include "engine/text.h"

namespace quorvane {

void widen_column(std::size_t& width, std::string_view text) {
  width = std::max(width, char_count(text));
}

void append_aligned_cell(std::string& line, std::string_view text, std::size_t width) {
  line += text;
  const std::size_t n = char_count(text);
  if (width > n) line.append(width - n, ' ');
  line += '\t';
}

void end_aligned_line(std::string& line) {
  line += "\r\n";
}

}  // namespace quorvane

#include "format/json.h"

namespace quorvane {
namespace {

// The length of the valid UTF-8 sequence at the start of `s`, or 0.
std::size_t utf8_length(std::string_view s) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char c = b(0);
  std::size_t n = 0;
  unsigned min = 0;
  unsigned cp = 0;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF)
    n = 2, cp = c & 0x1F, min = 0x80;
  else if (c >= 0xE0 && c <= 0xEF)
    n = 3, cp = c & 0x0F, min = 0x800;
  else if (c >= 0xF0 && c <= 0xF4)
    n = 4, cp = c & 0x07, min = 0x10000;
  else
    return 0;
  if (s.size() < n) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((b(i) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  while (!text.empty()) {
    const unsigned char c = static_cast<unsigned char>(text.front());
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else if (c >= 0x80) {
      const std::size_t n = utf8_length(text);
      if (n == 0) {
        out += "\xEF\xBF\xBD";
        text.remove_prefix(1);
        continue;
      }
      out.append(text.data(), n);
      text.remove_prefix(n);
      continue;
    } else {
      out += static_cast<char>(c);
    }
    text.remove_prefix(1);
  }
  out += '"';
}

}  // namespace quorvane

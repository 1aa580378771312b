#include "list_file.h"

#include <cstring>

namespace quorvane {
namespace {

// Length of the valid UTF-8 sequence at p (0 when the byte starts none).
std::size_t utf8_sequence(const unsigned char* p, std::size_t left) {
  const unsigned char c = p[0];
  std::size_t n;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF)
    n = 2;
  else if (c >= 0xE0 && c <= 0xEF)
    n = 3;
  else if (c >= 0xF0 && c <= 0xF4)
    n = 4;
  else
    return 0;
  if (left < n) return 0;
  for (std::size_t i = 1; i < n; ++i)
    if ((p[i] & 0xC0) != 0x80) return 0;
  if (c == 0xE0 && p[1] < 0xA0) return 0;  // overlong
  if (c == 0xED && p[1] > 0x9F) return 0;  // surrogates
  if (c == 0xF0 && p[1] < 0x90) return 0;  // overlong
  if (c == 0xF4 && p[1] > 0x8F) return 0;  // past U+10FFFF
  return n;
}

}  // namespace

std::string utf8_or_latin1(const char* data, std::size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  std::size_t i = 0;
  while (i < size && p[i] < 0x80) ++i;
  if (i == size) return std::string(data, size);  // plain ASCII, the usual case
  std::string out(data, i);
  while (i < size) {
    const std::size_t n = utf8_sequence(p + i, size - i);
    if (n > 0) {
      out.append(data + i, n);
      i += n;
    } else {
      out += static_cast<char>(0xC0 | (p[i] >> 6));
      out += static_cast<char>(0x80 | (p[i] & 0x3F));
      ++i;
    }
  }
  return out;
}

bool split_list_entries(const QByteArray& bytes, const std::function<void(std::string&&)>& entry,
                        const std::function<void()>& progress) {
  const char* data = bytes.constData();
  std::size_t size = static_cast<std::size_t>(bytes.size());
  std::size_t i = 0;
  if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) i = 3;
  std::size_t start = i;
  unsigned count = 0;
  for (; i < size; ++i) {
    const char c = data[i];
    if (c != '\r' && c != '\n') {
      if (c == '\0') return false;
      continue;
    }
    entry(utf8_or_latin1(data + start, i - start));
    if (c == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
    start = i + 1;
    if (progress && (++count & 0xFFF) == 0) progress();
  }
  // A last line without a line end is still an entry; so is the empty piece after a
  // final LF, which ends no line.
  if (start < size || (size > 0 && data[size - 1] == '\n' && (size < 2 || data[size - 2] != '\r')))
    entry(utf8_or_latin1(data + start, size - start));
  return true;
}

}  // namespace quorvane

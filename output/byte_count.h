#pragma once
// How often a byte occurs in a text, and the byte tests the list's splitting uses: the
// size of a list of a million entries is known from its separators in a fraction of a
// millisecond.
#include <emmintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
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

// Sixteen bytes at a time: each lane counts its matches down from zero for at most 255
// rounds, then the lanes are summed.
inline std::size_t count_byte(std::string_view text, char c) {
  const char* const p = text.data();
  const std::size_t n = text.size();
  const __m128i pattern = _mm_set1_epi8(c), zero = _mm_setzero_si128();
  std::size_t count = 0, i = 0;
  while (n - i >= 16) {
    const std::size_t rounds = std::min<std::size_t>((n - i) / 16, 255);
    __m128i lanes = zero;
    for (std::size_t r = 0; r < rounds; ++r, i += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, pattern));
    }
    const __m128i sums = _mm_sad_epu8(lanes, zero);
    count += static_cast<std::size_t>(_mm_cvtsi128_si64(sums)) +
             static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
  }
  for (; i < n; ++i) count += p[i] == c;
  return count;
}

}  // namespace quorvane

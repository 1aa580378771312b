#include "output/text_rows.h"

#include <sys/mman.h>

#include <bit>
#include <cstring>

#include "output/byte_count.h"

namespace quorvane {

// A million rows fill tens of megabytes on first touch; in 2 MB pages the kernel takes
// a few dozen faults for them instead of thousands. Only the aligned middle of a block
// can be so mapped, and a kernel that declines leaves ordinary pages.
void prefer_huge_pages(const void* start, std::size_t bytes) {
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  const auto from = (reinterpret_cast<std::uintptr_t>(start) + kHuge - 1) & ~(kHuge - 1);
  const auto to = (reinterpret_cast<std::uintptr_t>(start) + bytes) & ~(kHuge - 1);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

void append_pieces(std::string_view text, char separator, std::string& buffer,
                   std::vector<std::uint32_t>& row_ends) {
  const std::size_t rows = row_ends.size(), bytes = buffer.size(), n = text.size();
  const std::size_t most = count_byte(text, separator) + 1;
  row_ends.reserve(rows + most);
  buffer.reserve(bytes + n);
  prefer_huge_pages(buffer.data(), buffer.capacity());
  prefer_huge_pages(row_ends.data(), row_ends.capacity() * sizeof(std::uint32_t));
  buffer.resize(bytes + n);
  row_ends.resize(rows + most);
  const char* const from = text.data();
  char* const base = buffer.data();
  std::uint32_t* const ends = row_ends.data() + rows;
  std::size_t out = bytes, count = 0, piece = 0;
  auto end_piece = [&](std::size_t at) {
    if (at > piece) {
      // A short piece is copied as sixteen bytes where they lie inside the text: what
      // lies past the piece is written over by the next one or cut off at the end.
      if (at - piece <= 16 && piece + 16 <= n)
        std::memcpy(base + out, from + piece, 16);
      else
        std::memcpy(base + out, from + piece, at - piece);
      out += at - piece;
      ends[count++] = static_cast<std::uint32_t>(out);
    }
    piece = at + 1;
  };
  // Eight bytes at a time: a bit marks each byte that is the separator.
  const std::uint64_t pattern = byte_pattern(separator);
  // Runs of pieces of five bytes and their separators (zip codes): the marks of a
  // word's first six bytes find one, and the word is copied whole.
  constexpr std::uint64_t kSixMarks = 0x0000808080808080ULL, kSixthOnly = 0x0000800000000000ULL;
  std::size_t i = 0;
  while (i + 8 <= n) {
    if (piece == i) {
      std::size_t at = i, written = out, rows_done = count;
      for (; at + 8 <= n; at += 6) {
        std::uint64_t word;
        std::memcpy(&word, from + at, 8);
        if ((bytes_equal(word, pattern) & kSixMarks) != kSixthOnly) break;
        std::memcpy(base + written, &word, 8);  // within the buffer: written <= bytes + at
        written += 5;
        ends[rows_done++] = static_cast<std::uint32_t>(written);
      }
      out = written;
      count = rows_done;
      piece = i = at;
      if (i + 8 > n) break;
    }
    std::uint64_t word;
    std::memcpy(&word, from + i, 8);
    for (std::uint64_t marks = bytes_equal(word, pattern); marks != 0; marks &= marks - 1)
      end_piece(i + static_cast<std::size_t>(std::countr_zero(marks)) / 8);
    i += 8;
  }
  for (; i < n; ++i)
    if (from[i] == separator) end_piece(i);
  end_piece(n);
  buffer.resize(out);
  row_ends.resize(rows + count);
}

}  // namespace quorvane

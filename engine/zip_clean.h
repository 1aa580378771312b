#pragma once
// Zip codes as spreadsheets and exports write them, read back as five digits: blanks
// around, a leading apostrophe ('02134), a formula wrapper (="02134"), ZIP+4 written
// 02134-1234, 02134 1234 or 021341234, and a whole number that lost its leading zeros
// (2134, 501, 2134.0). Anything else is not a zip code.
#include <cstdint>
#include <string_view>

namespace quorvane {

enum class Cleaning : std::uint8_t {
  Unchanged,  // the cell is exactly five digits
  Cleaned,    // five digits read out of another way of writing them
  NotAZip,    // nothing here reads as a zip code
};

struct CleanZip {
  char digits[5] = {};
  Cleaning cleaning = Cleaning::NotAZip;

  bool ok() const { return cleaning != Cleaning::NotAZip; }
  // The five digits; empty when the cell is not a zip code.
  std::string_view zip() const { return ok() ? std::string_view(digits, 5) : std::string_view(); }
};

// Reads a cell as a zip code. With `strict`, only exactly five ASCII digits are one.
CleanZip clean_zip(std::string_view cell, bool strict = false);

}  // namespace quorvane

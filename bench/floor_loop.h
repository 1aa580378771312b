#pragma once
// The floor: the least work a program could do to write the engine's sentence lines for
// pairs of five-digit zip codes. Points sit in one table by zip number, so one load finds
// and tests a point; the distance is one square root and one arcsine of the chord; the
// hundredths are rounded by adding a half and cutting, and their digits written one by
// one. It checks nothing else: no general path, no reports, no rounding guard.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/zip_distance.h"
#include "engine/zip_table.h"

namespace quorvane_bench {

class FloorLoop {
 public:
  // Takes the points of the table's five-digit keys (the first row of a key, as the
  // engine does).
  explicit FloorLoop(const quorvane::ZipTable& table);

  // Appends "Distance between A and B is X miles\n" for every pair, or "No details found
  // for zip code: Z\n" for the first zip code without a usable point.
  void write(std::span<const quorvane::ZipPair> pairs, std::string& out) const;

 private:
  struct Point {  // x is not a number where the point is not usable
    double x = __builtin_nan(""), y = 0, z = 0;
  };
  std::vector<Point> by_zip_;
};

// The number of lines ('\n'-terminated) that differ between two texts, the first few
// printed; a line only one text has counts too.
std::size_t differing_lines(std::string_view a, std::string_view b);

}  // namespace quorvane_bench

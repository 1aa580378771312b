#pragma once
// The distances between every pair of a list of zip codes, as a CSV matrix. Rows are
// computed on every core into buffers of their own and written in order, so the text
// is the same whatever the number of threads.
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/zip_distance.h"
#include "engine/zip_table.h"

namespace quorvane {

struct MatrixOptions {
  bool use2016 = true;
  Method method = Method::Sphere;
  Units units = Units::Miles;
  unsigned threads = 0;  // 0: one per core
};

// Receives the text in order, in pieces of whole rows.
using TextSink = std::function<void(std::string_view)>;

// The first row and column hold the zip codes (the first cell is empty); a cell holds
// the distance as a comparison of the two would give it, in the engine's distance text
// with a '.' separator, or nothing when a zip code has no position. A zip code's cell
// with itself (the same text) is 0. RFC 4180: every line ends in CR LF.
// Returns the positions in `zips` of the zip codes without a position, in order.
std::vector<std::size_t> write_distance_matrix(const ZipTable& table,
                                               std::span<const std::string> zips,
                                               const MatrixOptions& options, const TextSink& sink);

}  // namespace quorvane

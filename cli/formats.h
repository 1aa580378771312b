#pragma once
// The formats of a run's results: the window's result lines, the window's aligned text
// file, or CSV. Each compares a block of pairs through the engine and writes its part.
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "cli/output.h"
#include "engine/places.h"
#include "engine/zip_distance.h"

namespace quorvane::cli {

class Format {
 public:
  virtual ~Format() = default;
  virtual void begin(Output&) {}
  // Compares the pairs, filling `results`, and writes or keeps what they give.
  virtual void block(ZipDistance& engine, std::span<const ZipPair> pairs,
                     const CompareOptions& options, std::span<PairResult> results, Output& out) = 0;
  virtual void end(Output&) {}
};

// "lines", "text" or "csv"; with `places`, each zip code's place too (--places).
std::unique_ptr<Format> make_format(const std::string& name, const PlaceTable* places = nullptr);

}  // namespace quorvane::cli

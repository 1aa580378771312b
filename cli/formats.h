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
  // Compares the pairs, filling `results`, and writes their part into `text` (with each
  // line's end in `ends` where the format keeps lines). Runs on any thread, on a copy
  // of the format of its own (see copy()).
  virtual void write(ZipDistance& engine, std::span<const ZipPair> pairs,
                     const CompareOptions& options, std::span<PairResult> results,
                     std::string& text, std::vector<std::size_t>& ends) = 0;
  // Takes a block's part, in the order of the blocks.
  virtual void take(std::string_view text, const std::vector<std::size_t>&, Output& out) {
    out.put(text);
  }
  virtual void end(Output&) {}
  // A format that writes blocks on another thread.
  virtual std::unique_ptr<Format> copy() const = 0;

  // write() and take() at once, on this thread.
  void block(ZipDistance& engine, std::span<const ZipPair> pairs, const CompareOptions& options,
             std::span<PairResult> results, Output& out) {
    text_.clear();
    ends_.clear();
    write(engine, pairs, options, results, text_, ends_);
    take(text_, ends_, out);
  }

 private:
  std::string text_;
  std::vector<std::size_t> ends_;
};

// "lines", "text" or "csv"; with `places`, each zip code's place too (--places).
std::unique_ptr<Format> make_format(const std::string& name, const PlaceTable* places = nullptr);

}  // namespace quorvane::cli

#include "cli/formats.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "engine/text.h"
#include "format/aligned_text.h"
#include "format/csv.h"
#include "format/distance_matrix.h"
#include "format/place_columns.h"
#include "format/status_words.h"

namespace quorvane::cli {
namespace {

// The lines of a block with each zip code's place after it.
class PlacedLines {
 public:
  explicit PlacedLines(const PlaceTable* places) : places_(places) {}
  bool on() const { return places_ != nullptr; }
  // Compares the block and appends its lines to `text`, ended by `terminator` unless it
  // is '\0', their ends to `ends` when given.
  void block(ZipDistance& engine, std::span<const ZipPair> pairs, const CompareOptions& options,
             std::span<PairResult> results, std::string& text, char terminator,
             std::vector<std::size_t>* ends) {
    lines_.clear();
    ends_.clear();
    engine.compare(pairs, options, results, LineOutput{&lines_, '\0', &ends_});
    for (std::size_t i = 0, from = 0; i < ends_.size(); from = ends_[i++]) {
      append_placed_line(text, std::string_view(lines_).substr(from, ends_[i] - from), pairs[i],
                         results[i], options.wording, *places_);
      if (ends) ends->push_back(text.size());
      if (terminator) text += terminator;
    }
  }

 private:
  const PlaceTable* places_;
  std::string lines_;
  std::vector<std::size_t> ends_;
};

class Lines : public Format {
 public:
  explicit Lines(const PlaceTable* places) : places_(places), placed_(places) {}
  void write(ZipDistance& engine, std::span<const ZipPair> pairs, const CompareOptions& options,
             std::span<PairResult> results, std::string& text, std::vector<std::size_t>&) override {
    if (placed_.on())
      placed_.block(engine, pairs, options, results, text, '\n', nullptr);
    else
      engine.compare(pairs, options, results, LineOutput{&text, '\n', nullptr});
  }
  std::unique_ptr<Format> copy() const override { return std::make_unique<Lines>(places_); }

 private:
  const PlaceTable* places_;
  PlacedLines placed_;
};

// The widths of the aligned file need every line before the first is written. Lines
// are gathered in memory and, past a few megabytes, moved to a temporary file (one line
// each), so that memory stays the same however long the input; the end reads them back
// and pads them.
class AlignedText : public Format {
 public:
  explicit AlignedText(const PlaceTable* places) : places_(places), placed_(places) {}
  ~AlignedText() override {
    if (spill_) std::fclose(spill_);
  }
  void write(ZipDistance& engine, std::span<const ZipPair> pairs, const CompareOptions& options,
             std::span<PairResult> results, std::string& text,
             std::vector<std::size_t>& ends) override {
    if (placed_.on())
      placed_.block(engine, pairs, options, results, text, '\0', &ends);
    else
      engine.compare(pairs, options, results, LineOutput{&text, '\0', &ends});
  }
  void take(std::string_view text, const std::vector<std::size_t>& ends, Output&) override {
    const std::size_t base = lines_.size(), first = ends_.size();
    lines_.append(text);
    for (std::size_t end : ends) ends_.push_back(base + end);
    for (std::size_t i = first; i < ends_.size(); ++i) widen_column(width_, line(i));
    if (lines_.size() >= kSpillBytes) spill();
  }
  std::unique_ptr<Format> copy() const override { return std::make_unique<AlignedText>(places_); }
  void end(Output& out) override {
    std::string& text = out.text();
    append_aligned_cell(text, kResultsHeader, width_);
    end_aligned_line(text);
    if (spill_) {
      spill();
      write_spilled(out);
      return;
    }
    for (std::size_t i = 0; i < ends_.size(); ++i) {
      append_aligned_cell(text, line(i), width_);
      end_aligned_line(text);
      out.maybe_flush();
    }
  }

 private:
  static constexpr std::size_t kSpillBytes = std::size_t{8} << 20;

  std::string_view line(std::size_t i) const {
    const std::size_t from = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(lines_).substr(from, ends_[i] - from);
  }

  const PlaceTable* places_;
  PlacedLines placed_;
  [[noreturn]] static void fail(const char* what) {
    throw std::runtime_error(std::string("Cannot keep the lines of the aligned text in a ") +
                             "temporary file: " + what);
  }

  // A result line holds no line feed: it is made of zip codes cut from list lines.
  void spill() {
    if (!spill_ && !(spill_ = std::tmpfile())) fail(std::strerror(errno));
    for (std::size_t i = 0; i < ends_.size(); ++i) {
      const std::string_view l = line(i);
      if (std::fwrite(l.data(), 1, l.size(), spill_) != l.size() || std::fputc('\n', spill_) == EOF)
        fail(std::strerror(errno));
    }
    lines_.clear();
    ends_.clear();
  }

  void write_spilled(Output& out) {
    if (std::fflush(spill_) != 0 || std::fseek(spill_, 0, SEEK_SET) != 0)
      fail(std::strerror(errno));
    std::string& text = out.text();
    std::string pending;
    char buffer[1 << 16];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, spill_)) > 0) {
      std::string_view chunk(buffer, n);
      for (std::size_t lf; (lf = chunk.find('\n')) != std::string_view::npos;) {
        pending.append(chunk.substr(0, lf));
        append_aligned_cell(text, pending, width_);
        end_aligned_line(text);
        out.maybe_flush();
        pending.clear();
        chunk.remove_prefix(lf + 1);
      }
      pending.append(chunk);
    }
    if (std::ferror(spill_)) fail(std::strerror(errno));
  }

  std::string lines_;
  std::vector<std::size_t> ends_;
  std::size_t width_ = 0;
  std::FILE* spill_ = nullptr;
};

class Csv : public Format {
 public:
  explicit Csv(const PlaceTable* places) : places_(places) {}
  void begin(Output& out) override {
    out.text() += "zip1,zip2,miles,status";
    if (places_) {
      append_places_header(out.text(), "from_");
      append_places_header(out.text(), "to_");
    }
    out.text() += "\r\n";
  }
  void write(ZipDistance& engine, std::span<const ZipPair> pairs, const CompareOptions& options,
             std::span<PairResult> results, std::string& text, std::vector<std::size_t>&) override {
    engine.compare(pairs, options, results, LineOutput{});
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      append_csv_field(text, pairs[i].first);
      text += ',';
      append_csv_field(text, pairs[i].second);
      text += ',';
      if (results[i].status == PairStatus::Distance) {
        append_distance_text(text, results[i].distance, ".");
        text += ',';
      } else {
        text += ',';
        text += status_word(results[i].status);
      }
      if (places_) {
        append_places_csv(text, *places_, pairs[i].first);
        append_places_csv(text, *places_, pairs[i].second);
      }
      text += "\r\n";
    }
  }
  std::unique_ptr<Format> copy() const override { return std::make_unique<Csv>(places_); }

 private:
  const PlaceTable* places_;
};

}  // namespace

std::unique_ptr<Format> make_format(const std::string& name, const PlaceTable* places) {
  if (name == "text") return std::make_unique<AlignedText>(places);
  if (name == "csv") return std::make_unique<Csv>(places);
  return std::make_unique<Lines>(places);
}

}  // namespace quorvane::cli

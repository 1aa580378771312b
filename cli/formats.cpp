#include "cli/formats.h"

#include "engine/text.h"
#include "format/aligned_text.h"
#include "format/csv.h"
#include "format/distance_matrix.h"
#include "format/status_words.h"

namespace quorvane::cli {
namespace {

class Lines : public Format {
 public:
  void block(ZipDistance& engine, std::span<const ZipPair> pairs, const CompareOptions& options,
             std::span<PairResult> results, Output& out) override {
    engine.compare(pairs, options, results, LineOutput{&out.text(), '\n', nullptr});
  }
};

// The widths of the aligned file need every line, so this format keeps them all until
// the input ends.
class AlignedText : public Format {
 public:
  void block(ZipDistance& engine, std::span<const ZipPair> pairs, const CompareOptions& options,
             std::span<PairResult> results, Output&) override {
    const std::size_t first = ends_.size();
    engine.compare(pairs, options, results, LineOutput{&lines_, '\0', &ends_});
    for (std::size_t i = first; i < ends_.size(); ++i) widen_column(width_, line(i));
  }
  void end(Output& out) override {
    std::string& text = out.text();
    append_aligned_cell(text, kResultsHeader, width_);
    end_aligned_line(text);
    for (std::size_t i = 0; i < ends_.size(); ++i) {
      append_aligned_cell(text, line(i), width_);
      end_aligned_line(text);
      out.maybe_flush();
    }
  }

 private:
  std::string_view line(std::size_t i) const {
    const std::size_t from = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(lines_).substr(from, ends_[i] - from);
  }

  std::string lines_;
  std::vector<std::size_t> ends_;
  std::size_t width_ = 0;
};

class Csv : public Format {
 public:
  void begin(Output& out) override { out.text() += "zip1,zip2,miles,status\r\n"; }
  void block(ZipDistance& engine, std::span<const ZipPair> pairs, const CompareOptions& options,
             std::span<PairResult> results, Output& out) override {
    engine.compare(pairs, options, results, LineOutput{});
    std::string& text = out.text();
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      append_csv_field(text, pairs[i].first);
      text += ',';
      append_csv_field(text, pairs[i].second);
      text += ',';
      if (results[i].status == PairStatus::Distance) {
        append_distance_text(text, results[i].distance, ".");
        text += ",\r\n";
      } else {
        text += ',';
        text += status_word(results[i].status);
        text += "\r\n";
      }
    }
  }
};

}  // namespace

std::unique_ptr<Format> make_format(const std::string& name) {
  if (name == "text") return std::make_unique<AlignedText>();
  if (name == "csv") return std::make_unique<Csv>();
  return std::make_unique<Lines>();
}

}  // namespace quorvane::cli

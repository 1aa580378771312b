#include "cli/run.h"

#include "cli/formats.h"
#include "cli/input.h"
#include "cli/not_found.h"
#include "cli/open_engine.h"
#include "cli/places.h"
#include "cli/skipped_entries.h"
#include "cli/zip_argument.h"
#include "engine/ordered_blocks.h"
#include "engine/pairing.h"
#include "engine/text.h"

namespace quorvane::cli {
namespace {

// A block of comparisons on its way through the threads: the pairs' zip codes copied
// out of the pairing, then their results and their part of the output.
struct RunBlock {
  struct Cut {
    std::uint32_t first, first_size, second, second_size;
    std::uint8_t shifted;
  };
  std::string zips;
  std::vector<Cut> cuts;
  std::vector<ZipPair> pairs;
  std::vector<PairResult> results;
  std::string text;
  std::vector<std::size_t> ends;
  ZipDistance* engine = nullptr;
  std::unique_ptr<ZipDistance> helper;  // on several threads: the block's own engine
  std::unique_ptr<Format> format;
  bool all_distances = true;

  void add(std::span<const ZipPair> taken) {
    for (const ZipPair& p : taken) {
      const auto at = static_cast<std::uint32_t>(zips.size());
      zips.append(p.first).append(p.second);
      cuts.push_back({at, static_cast<std::uint32_t>(p.first.size()),
                      at + static_cast<std::uint32_t>(p.first.size()),
                      static_cast<std::uint32_t>(p.second.size()), p.shifted});
    }
  }
  void compute(const CompareOptions& options) {
    const std::string_view z = zips;
    pairs.clear();
    for (const Cut& c : cuts)
      pairs.push_back(
          {z.substr(c.first, c.first_size), z.substr(c.second, c.second_size), c.shifted});
    results.resize(pairs.size());
    text.clear();
    ends.clear();
    format->write(*engine, pairs, options, results, text, ends);
    all_distances = true;
    for (const PairResult& r : results)
      all_distances = all_distances && r.status == PairStatus::Distance;
  }
  void clear() {
    zips.clear();
    cuts.clear();
  }
};

// Compares the pairs of a run (see engine/pairing.h) in blocks, so memory stays the same
// however long the input, on every thread asked for, and writes them out in order.
class RunBlocks {
 public:
  // Pairs per block handed to a thread.
  static constexpr std::size_t kBlockPairs = 4 * Pairing::kBlock;

  RunBlocks(ZipDistance& engine, const RunSettings& s, Format& format, Output& out)
      : engine_(engine),
        options_(s.common.compare()),
        pairing_(s.common.separators.decimal, s.common.separators.group),
        format_(format),
        out_(out),
        by_reference_(!s.reference.empty()),
        threads_(s.common.threads ? s.common.threads : default_threads()),
        blocks_(
            threads_, [&] { return make_block(); }, [this](RunBlock& b) { b.compute(options_); },
            [this](RunBlock& b) { deliver(b); }) {
    pairing_.set_mode(s.reference.empty() ? Pairing::Mode::Consecutive : Pairing::Mode::Reference);
    pairing_.set_reference(s.reference);
  }

  void entry(std::string_view e) {
    ++entries_;
    const bool starts = pairing_.starts_comparison(e);
    if (!starts && (by_reference_ || !previous_starts_)) skipped_.not_numeric(e, entries_);
    if (!by_reference_) {
      // An entry that starts a comparison but ends none waits for the entry after it.
      waiting_ = starts && !previous_starts_;
      if (waiting_) {
        waiting_entry_.assign(e);
        waiting_number_ = entries_;
      }
      previous_starts_ = starts;
    }
    pairing_.take_next(e);
    if (pairing_.full()) take_pairs();
  }

  // The entries that took part in no comparison, once the input has ended.
  const SkippedEntries& skipped() {
    if (waiting_) skipped_.alone(waiting_entry_, waiting_number_);
    waiting_ = false;
    return skipped_;
  }

  // Compares what is waiting and writes it out.
  void finish() {
    take_pairs();
    if (filling_ && !filling_->cuts.empty()) submit();
    blocks_.finish();
    out_.flush();
  }
  bool all_had_distance() const { return all_distances_; }
  NotFoundSummary& not_found() { return not_found_; }

 private:
  std::unique_ptr<RunBlock> make_block() {
    auto b = std::make_unique<RunBlock>();
    b->engine = &engine_;
    if (threads_ > 1) b->engine = (b->helper = engine_.helper(options_.use2016)).get();
    b->format = format_.copy();
    return b;
  }

  void take_pairs() {
    const std::span<const ZipPair> pairs = pairing_.pairs();
    if (pairs.empty()) return;
    if (!filling_) {
      filling_ = &blocks_.next();
      filling_->clear();
    }
    filling_->add(pairs);
    pairing_.clear();
    if (filling_->cuts.size() >= kBlockPairs) submit();
  }
  void submit() {
    filling_ = nullptr;
    blocks_.submit();
  }
  void deliver(RunBlock& b) {
    format_.take(b.text, b.ends, out_);
    all_distances_ = all_distances_ && b.all_distances;
    if (b.helper) engine_.absorb(*b.helper);
    not_found_.take(engine_.not_found_zips);
  }

  ZipDistance& engine_;
  const CompareOptions options_;
  Pairing pairing_;
  Format& format_;
  Output& out_;
  bool all_distances_ = true;
  NotFoundSummary not_found_;
  const bool by_reference_;
  SkippedEntries skipped_;
  std::uint64_t entries_ = 0;
  bool previous_starts_ = false;
  bool waiting_ = false;  // the last entry starts a comparison and was not compared yet
  std::string waiting_entry_;
  std::uint64_t waiting_number_ = 0;
  RunBlock* filling_ = nullptr;
  const unsigned threads_;
  OrderedBlocks<RunBlock> blocks_;  // last: its threads end before the rest goes
};

}  // namespace

CLI::App* add_run_command(CLI::App& app, RunSettings& s) {
  CLI::App* run = app.add_subcommand(
      "run",
      "Compares the entries of list files (or of standard input) as the window's \"Start "
      "Finding Distance\" does: each entry with the next one, or each with --reference.");
  run->add_option("FILE", s.files,
                  "List files, one zip code per line, read as the window reads them; none or "
                  "- reads standard input")
      ->type_name("");
  run->add_option("--reference", s.reference, "Compares every entry with this zip code")
      ->type_name("ZIP")
      ->check([](const std::string& zip) { return zip.empty() ? "Must be numeric." : ""; });
  run->add_option("-f,--format", s.format,
                  "lines: the window's result lines (the default); text: the window's aligned "
                  "text file, which needs every line before it can start writing, so it keeps "
                  "them all in memory; csv: zip1,zip2,miles,status")
      ->check(CLI::IsMember({"lines", "text", "csv"}));
  add_compare_options(*run, s.common, true);
  add_threads_option(*run, s.common);
  add_places_flag(*run, s.common.places);
  return run;
}

int run(const RunSettings& given) {
  RunSettings s = given;
  if (!s.reference.empty()) s.reference = zip_argument(s.reference);
  const Separators& sep = s.common.separators;
  if (!s.reference.empty() && !is_numeric(zip_of_entry(s.reference), sep.decimal, sep.group)) {
    report("--reference " + s.reference + ": Must be numeric.");
    return kError;
  }
  // One database check and one report of each failure, given when the batch ends and
  // before the zip codes without coordinates, as the window gives them.
  OpenEngine db(s.common);
  if (!check_inputs(s.files) || !db.open()) return kError;
  std::unique_ptr<PlaceTable> places;
  if (s.common.places && !(places = read_places(db.path(), "--places"))) return kError;
  Output out;
  const std::unique_ptr<Format> format = make_format(s.format, places.get());
  RunBlocks pairing(db.engine(), s, *format, out);
  format->begin(out);
  const bool inputs_read = read_inputs(
      s.files, [&](std::string_view e) { pairing.entry(e); }, [&] { pairing.finish(); });
  pairing.finish();
  db.end_batch();
  format->end(out);
  out.flush();
  if (!pairing.not_found().empty()) report(pairing.not_found().text());
  if (!pairing.skipped().empty()) report(pairing.skipped().text());
  if (!inputs_read) return kError;
  return pairing.all_had_distance() ? kAllDistances : kSomeWithout;
}

}  // namespace quorvane::cli

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

// A block of a run's entries on its way through the threads: the entries copied as
// they come, then (on any thread) their comparisons, results and part of the output.
// In consecutive mode the block starts with the entry before it, which it compares
// with its first entry of its own.
struct RunBlock {
  std::string entries;
  std::vector<std::uint32_t> entry_ends;
  bool carried = false;          // the first entry is the one before the block
  std::uint64_t first_number{};  // the number of the block's first entry of its own
  std::unique_ptr<Pairing> pairing;
  std::vector<PairResult> results = std::vector<PairResult>(Pairing::kBlock);
  std::string text;
  std::vector<std::size_t> ends;
  SkippedEntries skipped;
  ZipDistance* engine = nullptr;
  std::unique_ptr<ZipDistance> helper;  // on several threads: the block's own engine
  std::unique_ptr<Format> format;
  bool all_distances = true;

  std::size_t size() const { return entry_ends.size(); }
  std::string_view entry(std::size_t i) const {
    const std::uint32_t from = i == 0 ? 0 : entry_ends[i - 1];
    return std::string_view(entries).substr(from, entry_ends[i] - from);
  }
  void add(std::string_view e) {
    entries.append(e);
    entry_ends.push_back(static_cast<std::uint32_t>(entries.size()));
  }
  void start(std::uint64_t number) {
    entries.clear();
    entry_ends.clear();
    carried = false;
    first_number = number;
  }

  void compute(const CompareOptions& options, bool by_reference) {
    text.clear();
    ends.clear();
    all_distances = true;
    pairing->clear();
    const std::size_t own = carried ? 1 : 0;
    bool previous_starts = carried && pairing->starts_comparison(entry(0));
    for (std::size_t i = own; i < size(); ++i) {
      const std::string_view e = entry(i);
      const bool starts = pairing->starts_comparison(e);
      if (!starts && (by_reference || !previous_starts))
        skipped.not_numeric(e, first_number + (i - own));
      if (by_reference)
        pairing->take(e, std::nullopt);
      else if (i > 0)
        pairing->take(entry(i - 1), e);
      previous_starts = starts;
      if (pairing->full()) compare(options);
    }
    compare(options);
  }
  void compare(const CompareOptions& options) {
    const std::span<const ZipPair> pairs = pairing->pairs();
    if (pairs.empty()) return;
    const std::span<PairResult> r(results.data(), pairs.size());
    format->write(*engine, pairs, options, r, text, ends);
    for (const PairResult& one : r)
      all_distances = all_distances && one.status == PairStatus::Distance;
    pairing->clear();
  }
};

// Compares the entries of a run (see engine/pairing.h) in blocks, so memory stays the
// same however long the input, on every thread asked for, and writes them out in order.
class RunBlocks {
 public:
  static constexpr std::size_t kBlockEntries = 8192;

  RunBlocks(ZipDistance& engine, const RunSettings& s, Format& format, Output& out)
      : engine_(engine),
        settings_(s),
        options_(s.common.compare()),
        format_(format),
        out_(out),
        by_reference_(!s.reference.empty()),
        threads_(s.common.threads ? s.common.threads : default_threads()),
        blocks_(
            threads_, [&] { return make_block(); },
            [this](RunBlock& b) { b.compute(options_, by_reference_); },
            [this](RunBlock& b) { deliver(b); }) {}

  void entry(std::string_view e) {
    if (!filling_) {
      filling_ = &blocks_.next();
      filling_->start(entries_ + 1);
      if (!by_reference_ && entries_ > 0) {
        filling_->add(last_);
        filling_->carried = true;
      }
    }
    ++entries_;
    filling_->add(e);
    if (filling_->size() >= kBlockEntries) submit();
  }

  // The entries that took part in no comparison, once the input has ended.
  const SkippedEntries& skipped() {
    // The last entry starts a comparison that no entry after it ends.
    if (!by_reference_ && entries_ > 0 && !alone_noted_) {
      alone_noted_ = true;
      const Pairing& p = *probe_;
      if (p.starts_comparison(last_) && !(entries_ > 1 && p.starts_comparison(before_last_)))
        skipped_.alone(last_, entries_);
    }
    return skipped_;
  }

  // Compares what is waiting and writes it out.
  void finish() {
    if (filling_) submit();
    blocks_.finish();
    out_.flush();
  }
  bool all_had_distance() const { return all_distances_; }
  NotFoundSummary& not_found() { return not_found_; }

 private:
  std::unique_ptr<Pairing> make_pairing() const {
    auto p = std::make_unique<Pairing>(settings_.common.separators.decimal,
                                       settings_.common.separators.group);
    p->set_mode(by_reference_ ? Pairing::Mode::Reference : Pairing::Mode::Consecutive);
    p->set_reference(settings_.reference);
    return p;
  }
  std::unique_ptr<RunBlock> make_block() {
    auto b = std::make_unique<RunBlock>();
    b->pairing = make_pairing();
    b->engine = &engine_;
    if (threads_ > 1) b->engine = (b->helper = engine_.helper(options_.use2016)).get();
    b->format = format_.copy();
    return b;
  }

  // The block's last entries stay for the next block and the end.
  void submit() {
    const std::size_t n = filling_->size();
    if (n >= 2)
      before_last_.assign(filling_->entry(n - 2));
    else
      before_last_.swap(last_);
    last_.assign(filling_->entry(n - 1));
    filling_ = nullptr;
    blocks_.submit();
  }
  void deliver(RunBlock& b) {
    format_.take(b.text, b.ends, out_);
    all_distances_ = all_distances_ && b.all_distances;
    if (b.helper) engine_.absorb(*b.helper);
    not_found_.take(engine_.not_found_zips);
    skipped_.add(b.skipped);
  }

  ZipDistance& engine_;
  const RunSettings& settings_;
  const CompareOptions options_;
  Format& format_;
  Output& out_;
  bool all_distances_ = true;
  NotFoundSummary not_found_;
  const bool by_reference_;
  SkippedEntries skipped_;
  std::uint64_t entries_ = 0;
  std::string last_, before_last_;  // the input's last two entries so far
  bool alone_noted_ = false;
  std::unique_ptr<Pairing> probe_ = make_pairing();  // the numeric test, for the end
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

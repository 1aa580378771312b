#include "cli/run.h"

#include <optional>

#include "cli/formats.h"
#include "cli/input.h"
#include "cli/not_found.h"
#include "engine/text.h"

namespace quorvane::cli {
namespace {

// Pairs as the window pairs its list: each entry that passes the numeric test with the
// next entry (consecutive mode) or with the reference zip code; entries that fail it
// start no comparison. Pairs are compared in blocks, so memory stays the same however
// long the input.
class Pairing {
 public:
  static constexpr std::size_t kBlock = 4096;

  Pairing(ZipDistance& engine, const RunSettings& s, Format& format, Output& out)
      : engine_(engine),
        options_(s.common.compare()),
        separators_(s.common.separators),
        reference_(s.reference.empty() ? std::string() : zip_of_entry(s.reference)),
        reference_shifted_(!s.reference.empty() && entry_zip(s.reference).shifted),
        by_reference_(!s.reference.empty()),
        format_(format),
        out_(out) {
    pairs_.reserve(kBlock);
    results_.resize(kBlock);
    zips_.reserve((kBlock + 1) * 2 * kZipBytes);
  }

  void entry(std::string_view e) {
    std::string text;  // the zip code, when it is not the entry itself
    std::string_view zip = e;
    bool numeric = true, shifted = false;
    if (!is_plain_zip(e)) {
      numeric = is_numeric(e, separators_.decimal, separators_.group);
      if (!numeric && (by_reference_ || !previous_numeric_)) return;
      shifted = entry_zip(e).shifted;
      zip = text = zip_of_entry(e);
    }
    if (by_reference_) {
      add({keep(zip), reference_,
           static_cast<std::uint8_t>((shifted ? kFirstShifted : 0) |
                                     (reference_shifted_ ? kSecondShifted : 0))});
      return;
    }
    // keep() and add() may compare a full block, which moves the zip code kept last.
    const std::string_view kept = keep(zip);
    const std::string_view first = previous_;
    const bool pair = previous_numeric_;
    const std::uint8_t bits = static_cast<std::uint8_t>((previous_shifted_ ? kFirstShifted : 0) |
                                                        (shifted ? kSecondShifted : 0));
    previous_ = kept;
    previous_numeric_ = numeric;
    previous_shifted_ = shifted;
    if (pair) add({first, kept, bits});
  }

  // Compares what is waiting and writes it out.
  void finish() {
    compare();
    out_.flush();
  }
  bool all_had_distance() const { return all_distances_; }
  NotFoundSummary& not_found() { return not_found_; }

 private:
  // The most bytes of a zip code: five characters of UTF-8.
  static constexpr std::size_t kZipBytes = 5 * 4;

  // Five ASCII digits, the usual entry, pass the numeric test and are their own zip code.
  static bool is_plain_zip(std::string_view e) {
    if (e.size() != 5) return false;
    for (char c : e)
      if (c < '0' || c > '9') return false;
    return true;
  }

  // A copy of the zip code that lives until the block is compared.
  std::string_view keep(std::string_view zip) {
    if (zips_.size() + zip.size() > zips_.capacity()) compare();
    const std::size_t at = zips_.size();
    zips_ += zip;  // within the capacity: the texts kept so far stay where they are
    return {zips_.data() + at, zip.size()};
  }

  void add(const ZipPair& pair) {
    pairs_.push_back(pair);
    if (pairs_.size() == kBlock) compare();
  }

  void compare() {
    if (!pairs_.empty()) {
      const std::span<PairResult> results(results_.data(), pairs_.size());
      format_.block(engine_, pairs_, options_, results, out_);
      for (const PairResult& r : results)
        all_distances_ = all_distances_ && r.status == PairStatus::Distance;
      not_found_.take(engine_.not_found_zips);
      pairs_.clear();
      out_.maybe_flush();
    }
    const std::string previous(previous_);  // the first zip code of the next pair
    zips_.clear();
    previous_ = keep(previous);
  }

  ZipDistance& engine_;
  const CompareOptions options_;
  const Separators separators_;
  const std::string reference_;
  const bool reference_shifted_;
  const bool by_reference_;
  Format& format_;
  Output& out_;
  std::vector<ZipPair> pairs_;
  std::vector<PairResult> results_;
  std::string zips_;  // the texts of the block's pairs; never grows past its capacity
  std::string_view previous_;
  bool previous_numeric_ = false;
  bool previous_shifted_ = false;
  bool all_distances_ = true;
  NotFoundSummary not_found_;
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
  run->add_option("--format", s.format,
                  "lines: the window's result lines (the default); text: the window's aligned "
                  "text file, which needs every line before it can start writing, so it keeps "
                  "them all in memory; csv: zip1,zip2,miles,status")
      ->check(CLI::IsMember({"lines", "text", "csv"}));
  add_compare_options(*run, s.common, true);
  return run;
}

int run(const RunSettings& s) {
  const Separators& sep = s.common.separators;
  if (!s.reference.empty() && !is_numeric(zip_of_entry(s.reference), sep.decimal, sep.group)) {
    report("--reference " + s.reference + ": Must be numeric.");
    return kError;
  }
  const std::string db = s.common.database_path();
  if (!check_inputs(s.files) || !check_database(db)) return kError;

  ZipDistance engine(db);
  engine.set_decimal_separator(sep.decimal);
  // One database check and one report of each failure, given when the batch ends and
  // before the zip codes without coordinates, as the window gives them.
  std::optional<ZipDistance::Batch> batch(std::in_place, engine);
  if (!table_readable(engine, s.common.compare().use2016)) return kError;
  Output out;
  const std::unique_ptr<Format> format = make_format(s.format);
  Pairing pairing(engine, s, *format, out);
  format->begin(out);
  const bool inputs_read = read_inputs(
      s.files, [&](std::string_view e) { pairing.entry(e); }, [&] { pairing.finish(); });
  pairing.finish();
  batch.reset();
  format->end(out);
  out.flush();
  if (!pairing.not_found().empty()) report(pairing.not_found().text());
  if (!inputs_read) return kError;
  return pairing.all_had_distance() ? kAllDistances : kSomeWithout;
}

}  // namespace quorvane::cli

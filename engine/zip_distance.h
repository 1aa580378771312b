#pragma once
// The distance engine: coordinates of a zip code, the distance between two zip codes,
// and the worded result line of one comparison.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/options.h"
#include "engine/zip_store.h"

namespace quorvane {

inline constexpr std::string_view kNoDetails = "No details found for zip code: ";

// Why a comparison has no distance (Distance when it has one).
enum class PairStatus : std::uint8_t {
  Distance,
  NotInTable,          // the zip code is not in the chosen table
  ZeroCoordinates,     // stored with a zero latitude or longitude
  NotNumeric,          // the 2012 table's numeric comparison rejects the text
  DatabaseUnreadable,  // the table could not be read
  BadCoordinates,      // a stored coordinate is not a finite number
  NotAZip,             // the cell does not read as a zip code (see zip_clean.h)
};

// Bits of ZipPair::shifted: the zip code is the cut of a list entry that reads as
// another number than the entry (see entry_zip), so it is looked up as no zip code.
inline constexpr std::uint8_t kFirstShifted = 1, kSecondShifted = 2;

struct ZipPair {
  std::string_view first, second;
  std::uint8_t shifted = 0;
};

// The zip code of a list entry, as the run compares it: the entry's cut (zip_part),
// marked `shifted` when a sign, a decimal point or an exponent within the cut makes it
// read as another number than the whole entry ("+60628" cut to "+6062"). A shifted
// cut is compared as a zip code that is not in the table.
struct EntryZip {
  std::string_view zip;
  bool shifted = false;
};
EntryZip entry_zip(std::string_view entry);

// The comparison of two list entries (the second may be the reference text).
inline ZipPair entry_pair(std::string_view entry1, std::string_view entry2) {
  const EntryZip a = entry_zip(entry1), b = entry_zip(entry2);
  return {a.zip, b.zip,
          static_cast<std::uint8_t>((a.shifted ? kFirstShifted : 0) |
                                    (b.shifted ? kSecondShifted : 0))};
}

struct PairResult {
  double distance = 0;  // in the chosen units; meaningful when status is Distance
  PairStatus status = PairStatus::Distance;
  std::uint8_t failed = 0;  // 1 or 2: the zip code without details
};

// Where the lines of a batch go. Each line is appended to `text`, followed by
// `terminator` unless it is '\0'; `ends`, when given, receives the offset in `text`
// just past each line (before its terminator).
struct LineOutput {
  std::string* text = nullptr;
  char terminator = '\n';
  std::vector<std::size_t>* ends = nullptr;
};

class ZipDistance {
 public:
  explicit ZipDistance(std::string database_path) : store_(std::move(database_path)) {}

  // An engine for comparing part of this engine's batch on another thread, over the
  // tables this one has read (the chosen table is read first). What its lookups find for
  // the batch's reports (zip codes not found, failures, counted failures) waits in it
  // until absorb() takes it, in the order of the parts, so the reports are the same
  // whatever the number of threads.
  std::unique_ptr<ZipDistance> helper(bool use2016);
  // Takes what a helper found, as if this engine had made its lookups now, and empties it.
  void absorb(ZipDistance& helper);

  // The zip codes whose lookup found zero coordinates (or could not read the
  // database), joined by ", ", duplicates kept. Only the run empties it.
  std::string not_found_zips;
  // Empties not_found_zips, and a helper's zip codes not found that wait for absorb().
  void forget_not_found() {
    not_found_zips.clear();
    deferred_zips_.clear();
    deferred_zip_ends_.clear();
  }
  // The lookups made against a table that could not be read; only the run empties it.
  std::size_t unreadable_lookups = 0;

  void set_decimal_separator(std::string sep) { decimal_separator_ = std::move(sep); }
  const std::string& decimal_separator() const { return decimal_separator_; }

  // Lat/lon are written only when a row is found. True when found with both non-zero.
  bool get_zip_point(std::string_view zip, double& lat, double& lon, bool use2016);

  // The result line for one comparison; Wording::None words nothing.
  std::string distance_line(std::string_view zip1, std::string_view zip2, Wording wording,
                            bool use2016);
  // The same, appended to `out`.
  void append_distance(std::string& out, std::string_view zip1, std::string_view zip2,
                       Wording wording, bool use2016);

  // Compares every pair, writing its outcome to `results` (when not empty; one per
  // pair) and its line to `lines` (when it has a text): the lines append_distance
  // gives, pair by pair, with far less work per pair.
  void compare(std::span<const ZipPair> pairs, const CompareOptions& options,
               std::span<PairResult> results, const LineOutput& lines);

  // Groups lookups: the database file is checked once, and each kind of failure of
  // each table is reported once (counted failures when the batch ends).
  class Batch {
   public:
    explicit Batch(ZipDistance& e) : engine_(e), owns_(!e.store_.in_batch()) {
      if (owns_) e.begin_batch();
    }
    ~Batch() {
      if (owns_) engine_.end_batch();
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    ZipDistance& engine_;
    bool owns_;
  };

  ZipStore& store() { return store_; }

 private:
  struct Found {
    const ZipTable* table = nullptr;
    std::int32_t row = ZipTable::kNoRow;
    PairStatus status = PairStatus::NotInTable;
  };
  // Failures counted over a batch and reported once at its end.
  struct Tally {
    unsigned count = 0;
    std::string first_zip;
  };
  enum TallyKind { kLatMismatch, kLatNull, kLonMismatch, kLonNull, kNotFinite, kTallies };

  void begin_batch();
  void end_batch();
  Found find(std::string_view zip, bool use2016);
  Found find_general(const ZipTable& table, std::string_view zip, bool use2016);
  void check_row(Found& f, std::string_view zip, double& lat, double& lon);
  void count(TallyKind kind, std::string_view zip);
  void add_not_found(std::string_view zip);
  void compare_general(const ZipPair& pair, const CompareOptions& options, double factor,
                       PairResult& result);
  void compare_block(std::span<const ZipPair> pairs, const CompareOptions& options,
                     PairResult* results, const LineOutput& lines);

  // A failure of a lookup, reported once per batch and kind (kind: see zip_distance.cpp).
  void fail_once(unsigned kind, bool use2016, int line, std::string text);

  ZipStore store_;
  std::string decimal_separator_ = ".";
  Tally tallies_[kTallies];
  // A helper's reports wait here until absorbed.
  struct Deferred {
    unsigned kind;
    bool use2016;
    int line;
    std::string text;
  };
  bool defer_reports_ = false;
  std::vector<Deferred> deferred_;
  // A helper's zip codes not found, each kept apart: joined one by one when absorbed,
  // as the owner would have joined them (a blank one adds no separator to a blank list).
  std::string deferred_zips_;
  std::vector<std::size_t> deferred_zip_ends_;
};

}  // namespace quorvane

#pragma once
// augment's rows: every input row written back as it came, plus its distance, status and
// the two zip codes used. Rows wait in blocks; each block's pairs are compared through
// the engine at once, then the block is written in order. Memory stays at one block.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/output.h"
#include "engine/zip_clean.h"
#include "engine/zip_distance.h"

namespace quorvane {
class PlaceTable;
}

namespace quorvane::cli {

struct AugmentLayout {
  char delimiter = ',';
  bool jsonl = false;
  bool strict = false;                  // no cleaning: five digits or not a zip code
  std::size_t from = 0;                 // the column of the first zip code
  std::optional<std::size_t> to;        // the column of the second, or else ...
  CleanZip to_zip;                      // ... this zip code for every row
  std::string_view distance = "miles";  // the distance column's name
  const PlaceTable* places = nullptr;   // --places: the place columns of both zip codes
};

class AugmentRows {
 public:
  static constexpr std::size_t kBlock = 4096;

  AugmentRows(ZipDistance& engine, const CompareOptions& options, const AugmentLayout& layout,
              Output& out);

  // The table's header, written with the new columns; its names are the JSON keys. A
  // table without one gives the number of fields a row should have.
  void header(std::span<const std::string_view> names);
  void no_header(std::size_t width);
  // One row, from the given line of the input; written when its block is full or at
  // finish().
  void row(std::span<const std::string_view> fields, std::uint64_t line);
  void finish();

  std::uint64_t rows() const { return rows_; }
  std::uint64_t with_distance() const { return tallies_[0].count; }
  // One line per status that some row has, for standard error.
  std::vector<std::string> summary() const;

 private:
  struct Staged {
    std::uint32_t end = 0;   // where the row's own text ends in text_
    std::int32_t pair = -1;  // its comparison, -1 when it has none
    CleanZip from, to;
    std::uint64_t line = 0;
  };
  struct Tally {
    std::uint64_t count = 0;
    std::string first;  // where the first row with this status is, and what it held
  };
  static constexpr std::size_t kStatuses = static_cast<std::size_t>(PairStatus::NotAZip) + 1;

  CleanZip clean(std::string_view cell) const;
  void stage_csv(std::span<const std::string_view> fields);
  void stage_json(std::span<const std::string_view> fields);
  void note_not_a_zip(std::span<const std::string_view> fields, const Staged& s);
  void write_block();
  void write_end(std::string& out, const Staged& s, const PairResult& r);
  void tally(const Staged& s, const PairResult& r);
  // --places: the place fields of a zip code (five digits or empty), the first (side 0)
  // or second (side 1) of its row, written once and copied from then on.
  void append_places(std::string& out, std::string_view zip, std::size_t side);

  ZipDistance& engine_;
  const CompareOptions options_;
  const AugmentLayout layout_;
  Output& out_;
  std::size_t width_ = 0;          // the fields of a whole row
  std::vector<std::string> keys_;  // JSON keys, quoted, with their colon
  std::string text_;               // the rows of the block as they will be written
  std::vector<Staged> staged_;
  std::size_t count_ = 0;  // rows in the block
  std::vector<ZipPair> pairs_;
  std::vector<PairResult> results_;
  std::uint64_t rows_ = 0;
  std::array<Tally, kStatuses> tallies_;
  Tally cleaned_;  // rows with a distance where a zip code was cleaned
  struct Written {
    std::uint32_t at = 0, size = 0;  // size 0: not written yet
  };
  static constexpr std::size_t kZipKeys = 100001;  // each zip number, then the empty one
  std::string places_text_;
  std::vector<Written> places_written_;  // by side * kZipKeys + zip number
};

}  // namespace quorvane::cli

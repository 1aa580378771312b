#pragma once
// augment's rows: every input row written back as it came, plus its distance, status and
// the two zip codes used. Rows wait in blocks; each block's rows are staged (fields
// re-quoted, zip codes cleaned), its pairs compared through the engine at once and its
// rows written, on any of the threads asked for, then the blocks are written out in
// order. Memory stays at a few blocks a thread.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/output.h"
#include "engine/csv_reader.h"
#include "engine/ordered_blocks.h"
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
  // A block is also handed on once its rows hold this many bytes, so that long rows
  // keep a block's memory (and its 32-bit offsets) small.
  static constexpr std::size_t kBlockBytes = std::size_t{8} << 20;

  AugmentRows(ZipDistance& engine, const CompareOptions& options, const AugmentLayout& layout,
              Output& out, unsigned threads);
  ~AugmentRows();

  // The table's header, written with the new columns; its names are the JSON keys. A
  // table without one gives the number of fields a row should have.
  void header(std::span<const std::string_view> names);
  void no_header(std::size_t width);
  // One row, from the given line of the input; written when its block is full or at
  // finish().
  void row(std::span<const std::string_view> fields, std::uint64_t line);
  // row() for a record as read, its fields not yet undone (CsvReader::next_unsplit).
  void unsplit_row(std::string_view bytes, std::span<const CsvReader::FieldBound> bounds,
                   std::uint64_t line);
  // Whether rows are better handed over as read (on several threads).
  bool takes_unsplit_rows() const { return threads_ > 1; }
  void finish();

  std::uint64_t rows() const { return rows_; }
  std::uint64_t with_distance() const { return tallies_[0].count; }
  // One line per status that some row has, for standard error.
  std::vector<std::string> summary() const;

 private:
  struct Staged {
    std::uint32_t raw_end = 0, bounds_end = 0;  // copied: where the row ends in raw, bounds
    std::uint32_t end = 0;                      // where the row's own text ends in text
    std::int32_t pair = -1;                     // its comparison, -1 when it has none
    CleanZip from, to;
    std::uint64_t line = 0;
  };
  struct Tally {
    std::uint64_t count = 0;
    std::string first;  // where the first row with this status is, and what it held
  };
  static constexpr std::size_t kStatuses = static_cast<std::size_t>(PairStatus::NotAZip) + 1;

  struct Written {
    std::uint32_t at = 0, size = 0;  // size 0: not written yet
  };
  static constexpr std::size_t kZipKeys = 100001;  // each zip number, then the empty one
  // Rows on their way through the threads: on one thread staged as they come; on
  // several, copied in order as read, then split and staged by the block's thread.
  // Then compared and written.
  struct Block {
    std::string raw;                            // the rows as read, one after another
    std::vector<CsvReader::FieldBound> bounds;  // each row's fields, from its first byte
    std::vector<std::string_view> fields;       // one row's fields while it is staged
    std::string text;                           // the rows' own fields as they will be written
    std::vector<Staged> staged;
    std::size_t count = 0;
    std::vector<ZipPair> pairs;
    std::vector<PairResult> results;
    std::string out;  // the rows, written whole
    std::array<Tally, kStatuses> tallies;
    Tally cleaned;  // rows with a distance where a zip code was cleaned
    ZipDistance* engine = nullptr;
    std::unique_ptr<ZipDistance> helper;  // on several threads: the block's own engine
    std::string places_text;              // --places: each zip code's fields, once
    std::vector<Written> places_written;  // by side * kZipKeys + zip number
  };

  static std::string at_line(std::uint64_t line);  // "line 7"
  CleanZip clean(std::string_view cell) const;
  std::unique_ptr<Block> make_block();
  void stage_csv(Block& b, std::span<const std::string_view> fields) const;
  void stage_json(Block& b, std::span<const std::string_view> fields) const;
  // The block's copied rows as they will be written, their zip codes and pairs.
  void stage(Block& b) const;
  void stage_row(Block& b, Staged& s, std::span<const std::string_view> fields) const;
  std::string not_a_zip_note(std::span<const std::string_view> fields, const Staged& s) const;
  Block& filling();
  void end_row(Block& b);
  void submit();
  // On any thread: stages the block, compares its pairs and writes its rows.
  void write_block(Block& b) const;
  void write_end(Block& b, const Staged& s, const PairResult& r) const;
  // In order: takes the block's rows and counts.
  void deliver(Block& b);
  // --places: the place fields of a zip code (five digits or empty), the first (side 0)
  // or second (side 1) of its row, written once and copied from then on.
  void append_places(Block& b, std::string_view zip, std::size_t side) const;

  ZipDistance& engine_;
  const CompareOptions options_;
  const AugmentLayout layout_;
  Output& out_;
  std::size_t width_ = 0;          // the fields of a whole row
  std::vector<std::string> keys_;  // JSON keys, quoted, with their colon
  std::uint64_t rows_ = 0;
  std::array<Tally, kStatuses> tallies_;
  Tally cleaned_;
  Block* filling_ = nullptr;
  const unsigned threads_;
  OrderedBlocks<Block> blocks_;  // last: its threads end before the rest goes
};

}  // namespace quorvane::cli

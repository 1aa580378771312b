#pragma once
// The pairing rule of a run: which entries of a list are compared with which. An entry
// that passes the numeric test starts a comparison: with the entry after it
// (consecutive mode) or with the reference zip code (reference mode); an entry that
// fails it starts none, though it may still end one. Each side of a comparison is its
// entry's zip code (zip_part). Comparisons wait in a block until the caller takes
// them; the zip codes they view are the pairing's own copies, so the entries they came
// from may change or go once taken.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/zip_distance.h"

namespace quorvane {

class Pairing {
 public:
  static constexpr std::size_t kBlock = 4096;
  enum class Mode : std::uint8_t { None, Consecutive, Reference };

  // The separators of the numeric test (the user's locale).
  Pairing(std::string decimal_separator, std::string group_separator);

  void set_mode(Mode mode) { mode_ = mode; }
  // The reference box's text or --reference: its zip code is the second of each pair.
  void set_reference(std::string_view entry);

  // The numeric test (five ASCII digits pass at once).
  bool starts_comparison(std::string_view entry) const;

  // An entry of a list at hand with the entry after it (nullopt at the list's end).
  void take(std::string_view entry, std::optional<std::string_view> next);
  // take() for an entry with one after it: two texts passed in registers, for a loop
  // over a list that calls it a million times.
  void take_with_next(std::string_view entry, std::string_view next);
  // An entry of a list read as it comes: in consecutive mode it is paired with the
  // entry taken after it.
  void take_next(std::string_view entry);

  // The block is full: take its pairs before the next entry.
  bool full() const { return count_ == kBlock; }
  // The waiting pairs; valid until the next entry is taken.
  std::span<const ZipPair> pairs() const { return {pairs_.get(), count_}; }
  // Empties the block (the pairs taken stay readable until the next entry).
  void clear() {
    count_ = 0;
    stale_ = true;
  }

 private:
  // The most bytes of a zip code: five characters of UTF-8.
  static constexpr std::size_t kZipBytes = 5 * 4;

  std::string_view keep(std::string_view zip);
  void add(std::string_view first_entry, EntryZip second);
  // take's consecutive pair: the entry's zip code is reused when it was kept as the
  // second of the pair before (the same text of the same list, within one block).
  void add_with_next(std::string_view entry, std::string_view next);
  // After clear(): the block's texts start again, the previous zip code kept first.
  void restart();

  const std::string decimal_, group_;
  Mode mode_ = Mode::None;
  std::string reference_;  // the reference's zip code
  bool reference_shifted_ = false;
  std::string_view previous_;  // take_next: the zip code of the entry before, in text_
  bool previous_starts_ = false;
  bool previous_shifted_ = false;
  bool stale_ = false;
  std::string_view kept_next_, kept_zip_;  // take: the last pair's second entry, kept
  bool kept_shifted_ = false;
  std::unique_ptr<ZipPair[]> pairs_;
  // The block's zip codes, each kept once: a pair keeps at most two and shares one with
  // the pair before it; with the previous zip code kept again after clear(),
  // (2 * kBlock + 2) * kZipBytes always hold them.
  std::unique_ptr<char[]> text_;
  std::size_t count_ = 0, used_ = 0;
};

}  // namespace quorvane

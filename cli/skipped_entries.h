#pragma once
// The entries of a run that took part in no comparison, counted by reason, with the
// first of each, for one line on standard error:
// "31 entries were not compared: 24 not a number (first: '02134-1234', entry 7), 7 blank
// (first: entry 3)".
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane::cli {

class SkippedEntries {
 public:
  enum Reason { kNotANumber, kBlank, kAlone, kReasons };

  // An entry that failed the numeric test; `number` counts from 1 over all inputs.
  void not_numeric(std::string_view entry, std::uint64_t number);
  // The last entry, left with no next entry to be compared with.
  void alone(std::string_view entry, std::uint64_t number);
  // Counts what `later` counted after these entries, and empties it.
  void add(SkippedEntries& later);
  bool empty() const { return total_ == 0; }
  std::string text() const;

 private:
  void note(Reason r, std::string_view entry, std::uint64_t number);

  struct Count {
    std::uint64_t count = 0;
    std::string first;
  };
  std::array<Count, kReasons> counts_;
  std::uint64_t total_ = 0;
};

}  // namespace quorvane::cli

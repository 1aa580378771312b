#include "cli/skipped_entries.h"

namespace quorvane::cli {
namespace {

constexpr const char* kWords[] = {"not a number", "blank", "without a next entry"};

}  // namespace

void SkippedEntries::note(Reason r, std::string_view entry, std::uint64_t number) {
  ++total_;
  if (counts_[r].count++ != 0) return;
  std::string& first = counts_[r].first;
  if (r != kBlank) {
    first = "'";
    for (char c : entry.substr(0, 40)) first += c == '\r' || c == '\n' ? ' ' : c;
    first += entry.size() > 40 ? "...', " : "', ";
  }
  first += "entry " + std::to_string(number);
}

void SkippedEntries::not_numeric(std::string_view entry, std::uint64_t number) {
  const bool blank = entry.find_first_not_of(" \t") == std::string_view::npos;
  note(blank ? kBlank : kNotANumber, entry, number);
}

void SkippedEntries::alone(std::string_view entry, std::uint64_t number) {
  note(kAlone, entry, number);
}

void SkippedEntries::add(SkippedEntries& later) {
  for (int r = 0; r < kReasons; ++r) {
    Count& c = later.counts_[r];
    if (counts_[r].count == 0) counts_[r].first = std::move(c.first);
    counts_[r].count += c.count;
    c = Count{};
  }
  total_ += later.total_;
  later.total_ = 0;
}

std::string SkippedEntries::text() const {
  std::string t = std::to_string(total_) +
                  (total_ == 1 ? " entry was not compared: " : " entries were not compared: ");
  bool more = false;
  for (int r = 0; r < kReasons; ++r) {
    const Count& c = counts_[r];
    if (c.count == 0) continue;
    if (more) t += ", ";
    more = true;
    t += std::to_string(c.count) + " " + kWords[r] + " (" + (c.count == 1 ? "" : "first: ") +
         c.first + ")";
  }
  return t;
}

}  // namespace quorvane::cli

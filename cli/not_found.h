#pragma once
// The one-line summary of the zip codes found without usable coordinates, the command
// line's form of the window's closing message. Each zip code is named once, the first
// few of them only, however long the run.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

namespace quorvane::cli {

class NotFoundSummary {
 public:
  // Takes the engine's list ("a, b, c", repeats kept) and empties it.
  void take(std::string& zips);
  void add(std::string_view zip);
  bool empty() const { return distinct_ == 0; }
  std::string text() const;

 private:
  static constexpr std::size_t kNamed = 10;            // zip codes named in the message
  static constexpr std::size_t kRemembered = 1 << 16;  // counted apart, at most
  std::unordered_set<std::string> seen_;
  std::string named_;
  std::size_t distinct_ = 0;
  bool overflow_ = false;
};

}  // namespace quorvane::cli

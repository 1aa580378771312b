#include "cli/not_found.h"

#include "engine/text.h"

namespace quorvane::cli {

void NotFoundSummary::take(std::string& zips) {
  std::string_view rest = zips;
  while (!trim_blanks(rest).empty()) {
    const std::size_t comma = rest.find(", ");
    add(rest.substr(0, comma));
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 2);
  }
  zips.clear();
}

void NotFoundSummary::add(std::string_view zip) {
  if (seen_.size() >= kRemembered) {
    overflow_ = overflow_ || !seen_.contains(std::string(zip));
    return;
  }
  if (!seen_.emplace(zip).second) return;
  if (distinct_++ < kNamed) {
    if (!named_.empty()) named_ += ", ";
    named_ += zip;
  }
}

std::string NotFoundSummary::text() const {
  std::string t = "Latitude and longitude for zip codes: " + named_;
  if (distinct_ > kNamed)
    t += (overflow_ ? " and more than " : " and ") + std::to_string(distinct_ - kNamed) + " more";
  return t + " could not be found in the database.";
}

}  // namespace quorvane::cli

#include "cli/zip_answers.h"

#include "cli/table_columns.h"
#include "engine/zip_clean.h"

namespace quorvane::cli {

PairStatus ZipAnswers::answer(std::string_view cell, std::span<const StoreHit>& hits) {
  const CleanZip clean = clean_zip(cell, strict_);
  if (!clean.ok()) return PairStatus::NotAZip;
  std::size_t key = 0;
  for (char d : clean.zip()) key = key * 10 + static_cast<std::size_t>(d - '0');
  Known& k = known_[key];
  if (!k.known) {
    const CellPlace from = place_of_cell(table_, clean.zip(), true, options_.use2016);
    if (from.status != PairStatus::Distance) {
      k = {0, 0, from.status, true};
      return from.status;
    }
    index_.nearest(from.place, count_, options_.method, options_.units, scratch_, fresh_);
    if (kept_.size() + fresh_.size() > kMostKept) {
      hits = fresh_;
      return PairStatus::Distance;
    }
    k = {static_cast<std::uint32_t>(kept_.size()), static_cast<std::uint32_t>(fresh_.size()),
         PairStatus::Distance, true};
    kept_.insert(kept_.end(), fresh_.begin(), fresh_.end());
  }
  if (k.status == PairStatus::Distance) hits = std::span(kept_).subspan(k.first, k.count);
  return k.status;
}

}  // namespace quorvane::cli

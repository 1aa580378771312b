#pragma once
// The nearest stores of a customer's zip code, found once per zip code: customers in one
// zip code share their answer, so a table of a million rows asks the index once for each
// of its few tens of thousands of zip codes. What is kept is bounded; past the bound,
// answers are found afresh each time.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "engine/store_index.h"
#include "engine/zip_distance.h"
#include "engine/zip_table.h"

namespace quorvane::cli {

class ZipAnswers {
 public:
  ZipAnswers(const ZipTable& table, const StoreIndex& index, std::size_t count,
             const CompareOptions& options, bool strict)
      : table_(table),
        index_(index),
        count_(count),
        options_(options),
        strict_(strict),
        known_(kZipCodes) {}

  // Why the cell has no distance, or Distance with its nearest stores in `hits`, valid
  // until the next call.
  PairStatus answer(std::string_view cell, std::span<const StoreHit>& hits);

 private:
  static constexpr std::size_t kZipCodes = 100000;
  static constexpr std::size_t kMostKept = 1 << 20;  // hits, 16 MB
  struct Known {
    std::uint32_t first = 0, count = 0;
    PairStatus status = PairStatus::Distance;
    bool known = false;
  };

  const ZipTable& table_;
  const StoreIndex& index_;
  std::size_t count_;
  CompareOptions options_;
  bool strict_;
  std::vector<Known> known_;  // by the zip code's number
  std::vector<StoreHit> kept_, fresh_;
  StoreIndex::Scratch scratch_;
};

}  // namespace quorvane::cli

#pragma once
// The nearest of a set of places (stores) to each of many others (customers): a k-d tree
// over the stores as unit vectors finds the candidates, and every distance is the
// engine's own formula for the pair, customer first, so an answer is exactly what a
// scan of every store with that formula gives.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/zip_index.h"

namespace quorvane {

struct StoreHit {
  std::uint32_t store = 0;  // its position in the list the index was built from
  double distance = 0;      // in the units asked for
};

class StoreIndex {
 public:
  explicit StoreIndex(std::vector<ZipPlace> stores);
  ~StoreIndex();
  StoreIndex(const StoreIndex&) = delete;
  StoreIndex& operator=(const StoreIndex&) = delete;

  std::size_t size() const { return stores_.size(); }
  const ZipPlace& store(std::uint32_t i) const { return stores_[i]; }

  // What a query needs besides the index; one per thread, kept from query to query so
  // that none allocates once it has grown.
  struct Scratch {
    std::vector<std::uint32_t> ids;
    std::vector<double> chords;
    std::vector<StoreHit> hits;
  };

  // The `count` stores nearest to `from` (fewer when there are fewer), nearest first;
  // equal distances by zip code, then by position in the list. Written to `out`.
  void nearest(const ZipPlace& from, std::size_t count, Method method, Units units,
               Scratch& scratch, std::vector<StoreHit>& out) const;

 private:
  struct Tree;
  std::vector<ZipPlace> stores_;
  std::vector<std::uint32_t> odd_;  // stores the tree cannot hold: always measured
  std::unique_ptr<Tree> tree_;
};

}  // namespace quorvane

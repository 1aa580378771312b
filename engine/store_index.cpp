#include "engine/store_index.h"

#include <algorithm>
#include <array>
#include <limits>
#include <nanoflann.hpp>

#include "engine/chord.h"

namespace quorvane {

using namespace chord;

namespace {
constexpr std::size_t kExtra = 8;  // stores asked of the tree beyond the count
}  // namespace

struct StoreIndex::Tree {
  std::vector<std::array<double, 3>> points;
  std::vector<std::uint32_t> ids;

  std::uint32_t id(std::size_t i) const { return ids[i]; }
  std::size_t kdtree_get_point_count() const { return points.size(); }
  double kdtree_get_pt(std::size_t i, std::size_t dim) const { return points[i][dim]; }
  template <class Box>
  bool kdtree_get_bbox(Box&) const {
    return false;
  }

  using Kd = nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, Tree>, Tree,
                                                 3, std::uint32_t>;
  std::unique_ptr<Kd> kd;
};

StoreIndex::StoreIndex(std::vector<ZipPlace> stores)
    : stores_(std::move(stores)), tree_(std::make_unique<Tree>()) {
  for (std::uint32_t id = 0; id < stores_.size(); ++id) {
    if (tree_can_hold(stores_[id])) {
      tree_->points.push_back(unit_vector(stores_[id]));
      tree_->ids.push_back(id);
    } else {
      odd_.push_back(id);
    }
  }
  tree_->kd = std::make_unique<Tree::Kd>(3, *tree_, nanoflann::KDTreeSingleIndexAdaptorParams(10));
}

StoreIndex::~StoreIndex() = default;

void StoreIndex::nearest(const ZipPlace& from, std::size_t count, Method method, Units units,
                         Scratch& scratch, std::vector<StoreHit>& out) const {
  out.clear();
  count = std::min(count, stores_.size());
  if (count == 0) return;
  std::vector<std::uint32_t>& ids = scratch.ids;
  ids.clear();
  const std::size_t in_tree = tree_->points.size();
  if (tree_can_hold(from) && count <= in_tree) {
    // The count nearest by chord bound how far the count nearest by the formula can lie;
    // every store within that bound is measured. A few more than count are asked for, and
    // when the last of them lies past the bound, they hold every store within it.
    const auto query = unit_vector(from);
    const std::size_t asked = std::min(count + kExtra, in_tree);
    ids.resize(asked);
    scratch.chords.resize(asked);
    tree_->kd->knnSearch(query.data(), asked, ids.data(), scratch.chords.data());
    const double bound = chord_squared(nearest_angle(scratch.chords[count - 1], method));
    if (asked == in_tree || scratch.chords[asked - 1] >= bound) {
      std::size_t kept = 0;
      for (std::size_t i = 0; i < asked; ++i)
        if (scratch.chords[i] < bound) ids[kept++] = tree_->ids[ids[i]];
      ids.resize(kept);
    } else {
      ids.clear();
      WithinChord<Tree> collect{*tree_, bound, ids};
      tree_->kd->findNeighbors(collect, query.data(), nanoflann::SearchParams(0, 0, false));
    }
    ids.insert(ids.end(), odd_.begin(), odd_.end());
  } else {
    ids.resize(stores_.size());
    for (std::uint32_t i = 0; i < ids.size(); ++i) ids[i] = i;
  }
  std::vector<StoreHit>& hits = scratch.hits;
  hits.clear();
  for (std::uint32_t id : ids)
    hits.push_back({id, place_distance(from, stores_[id], method, units)});
  const auto before = [this](const StoreHit& a, const StoreHit& b) {
    if (a.distance != b.distance) return a.distance < b.distance;
    const int zip = stores_[a.store].zip.compare(stores_[b.store].zip);
    return zip != 0 ? zip < 0 : a.store < b.store;
  };
  const std::size_t kept = std::min(count, hits.size());
  std::partial_sort(hits.begin(), hits.begin() + static_cast<std::ptrdiff_t>(kept), hits.end(),
                    before);
  out.assign(hits.begin(), hits.begin() + static_cast<std::ptrdiff_t>(kept));
}

}  // namespace quorvane

#include "engine/zip_index.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <mutex>
#include <nanoflann.hpp>

#include "engine/chord.h"
#include "engine/distance.h"
#include "engine/text.h"

namespace quorvane {
namespace {

using namespace chord;

// A numeric key as the table writes it (see ZipTable::for_each_row).
std::string number_key_text(double v) {
  char buf[64];
  const int n = v >= 0 && v <= 99999 && v == std::floor(v)
                    ? std::snprintf(buf, sizeof buf, "%05d", static_cast<int>(v))
                    : std::snprintf(buf, sizeof buf, "%.15g", v);
  return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

}  // namespace

ZipPlace make_place(std::string zip, double lat, double lon) {
  ZipPlace p{std::move(zip), lat, lon, 0, 0};
  p.sin_lat = std::sin(deg_to_rad(lat));
  p.cos_lat = std::cos(deg_to_rad(lat));
  return p;
}

bool has_position(const ZipRow& row) {
  return row.bad == 0 && std::isfinite(row.lat) && std::isfinite(row.lon) && row.lat != 0 &&
         row.lon != 0;
}

LocatedZip locate_zip(const ZipTable& table, std::string_view zip, bool use2016) {
  LocatedZip out;
  const ZipRow* row = nullptr;
  std::string text;
  if (use2016) {
    row = table.find_text(zip);
    text = zip;
  } else if (auto number = parse_sql_number(zip)) {
    row = table.find_number(*number);
    text = number_key_text(*number == 0 ? 0 : *number);
  }
  if (!row) return out;
  if (has_position(*row)) {
    out.status = PlaceStatus::Found;
    out.place = make_place(std::move(text), row->lat, row->lon);
  } else {
    const bool zero = row->bad == 0 && (row->lat == 0 || row->lon == 0);
    out.status = zero ? PlaceStatus::ZeroCoordinates : PlaceStatus::BadCoordinates;
  }
  return out;
}

std::string place_problem(PlaceStatus status, std::string_view zip, bool use2016) {
  const std::string table = use2016 ? "the 2016 table" : "the 2012 table";
  const std::string subject = "zip code " + std::string(zip);
  switch (status) {
    case PlaceStatus::Found:
      return {};
    case PlaceStatus::NotInTable:
      return subject + " is not in " + table;
    case PlaceStatus::ZeroCoordinates:
      return subject + " has zero coordinates in " + table + ", so it has no position";
    case PlaceStatus::BadCoordinates:
      return subject + " has coordinates in " + table +
             " that are not finite numbers, so it has no position";
  }
  return {};
}

double place_distance(const ZipPlace& from, const ZipPlace& to, Method method, Units units) {
  if (!from.zip.empty() && from.zip == to.zip) return 0;
  double miles = 0;
  if (method == Method::Geodesic)
    miles = geodesic_miles(from.lat, from.lon, to.lat, to.lon);
  else
    miles =
        distance_miles_pre(from.sin_lat, from.cos_lat, to.sin_lat, to.cos_lat, from.lon, to.lon);
  return units == Units::Kilometres ? miles * kKilometresPerMile : miles;
}

// The points as nanoflann reads them: the table's unit vectors, with the place id of each.
// When the tree holds every place (nearly always), its entries are the place ids
// themselves and it keeps no lists of its own.
struct ZipIndex::Tree {
  const ZipTable& table;
  const std::vector<std::int32_t>& place_rows;
  std::vector<std::int32_t> own_rows;
  std::vector<std::uint32_t> ids;  // empty: entry i is place id i
  bool every_place = false;

  const std::vector<std::int32_t>& rows() const { return every_place ? place_rows : own_rows; }
  std::uint32_t id(std::size_t i) const {
    return every_place ? static_cast<std::uint32_t>(i) : ids[i];
  }
  std::size_t size() const { return rows().size(); }
  std::size_t kdtree_get_point_count() const { return size(); }
  double kdtree_get_pt(std::size_t i, std::size_t dim) const {
    const ZipPoint& p = table.point(rows()[i]);
    return dim == 0 ? p.x : dim == 1 ? p.y : p.z;
  }
  template <class Box>
  bool kdtree_get_bbox(Box&) const {
    return false;
  }

  using Kd = nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, Tree>, Tree,
                                                 3, std::uint32_t>;
  std::unique_ptr<Kd> kd;
  std::once_flag built;

  // The squared chord from a query to an entry, as the tree measures it.
  double chord_squared_to(const double* q, std::size_t i) const {
    const ZipPoint& p = table.point(rows()[i]);
    const double dx = q[0] - p.x, dy = q[1] - p.y, dz = q[2] - p.z;
    return dx * dx + dy * dy + dz * dz;
  }
};

// Storage for every place, each made on first use (under a lock, so that threads may
// share the index); untouched storage costs no memory.
struct ZipIndex::Places {
  explicit Places(std::size_t n)
      : storage(std::allocator<ZipPlace>().allocate(n)), made(new std::atomic<bool>[n]), size(n) {
    for (std::size_t i = 0; i < n; ++i) made[i].store(false, std::memory_order_relaxed);
  }
  ~Places() {
    for (std::size_t i = 0; i < size; ++i)
      if (made[i].load(std::memory_order_relaxed)) storage[i].~ZipPlace();
    std::allocator<ZipPlace>().deallocate(storage, size);
  }
  ZipPlace* storage;
  std::unique_ptr<std::atomic<bool>[]> made;
  std::size_t size;
  std::mutex making;
};

ZipIndex::ZipIndex(const ZipTable& table) : table_(table) {
  // Ids in zip code text order without sorting texts: five-digit keys (nearly every key,
  // every key of most tables) sort as their numbers, so they are taken by number; the
  // few other keys are sorted apart and merged in. A point is usable exactly when its
  // row has a position.
  std::vector<std::pair<std::string_view, std::int32_t>> others;
  if (table.has_other_keys()) {
    std::int32_t r = 0;
    table.for_each_row([&](std::string_view zip, const ZipRow&) {
      if (table.point(r).usable && five_digit_number(zip) < 0) others.emplace_back(zip, r);
      ++r;
    });
    std::sort(others.begin(), others.end());
  }
  rows_.reserve(table.size());
  tree_.reset(new Tree{table, rows_, {}, {}, false, {}, {}});
  tree_->every_place = table.widest_longitude() <= kTreeLongitudeLimit;
  const auto add = [&](std::int32_t row) {
    const auto id = static_cast<std::uint32_t>(rows_.size());
    rows_.push_back(row);
    if (tree_->every_place) return;
    if (std::fabs(table.row(row).lon) <= kTreeLongitudeLimit) {
      tree_->own_rows.push_back(row);
      tree_->ids.push_back(id);
    } else {
      odd_.push_back(id);
    }
  };
  auto other = others.begin();
  for (std::uint32_t n = 0; n < 100000; ++n) {
    const std::int32_t row = table.row_of_zip_number(n);
    if (row == ZipTable::kNoRow || !table.point(row).usable) continue;
    if (other != others.end()) {
      const std::string_view zip = table.key_of(row);
      for (; other != others.end() && other->first < zip; ++other) add(other->second);
    }
    add(row);
  }
  for (; other != others.end(); ++other) add(other->second);
  places_ = std::make_unique<Places>(rows_.size());
}

const ZipPlace& ZipIndex::place(std::uint32_t id) const {
  Places& p = *places_;
  if (!p.made[id].load(std::memory_order_acquire)) {
    const std::lock_guard lock(p.making);
    if (!p.made[id].load(std::memory_order_relaxed)) {
      const ZipRow& row = table_.row(rows_[id]);
      new (&p.storage[id]) ZipPlace{std::string(table_.key_of(rows_[id])), row.lat, row.lon,
                                    row.sin_lat, row.cos_lat};
      p.made[id].store(true, std::memory_order_release);
    }
  }
  return p.storage[id];
}

std::span<const ZipPlace> ZipIndex::places() const {
  for (std::uint32_t id = 0; id < rows_.size(); ++id) place(id);
  return {places_->storage, rows_.size()};
}

bool ZipIndex::use_tree() const {
  if (queries_.fetch_add(1, std::memory_order_relaxed) < kScannedQueries) return false;
  std::call_once(tree_->built, [&] {
    tree_->kd =
        std::make_unique<Tree::Kd>(3, *tree_, nanoflann::KDTreeSingleIndexAdaptorParams(16));
  });
  return true;
}

ZipIndex::~ZipIndex() = default;

std::vector<std::uint32_t> ZipIndex::candidates(const ZipPlace& centre, double angle) const {
  std::vector<std::uint32_t> ids;
  if (!tree_can_hold(centre) || !(angle < kPi)) {
    ids.resize(rows_.size());
    for (std::uint32_t i = 0; i < ids.size(); ++i) ids[i] = i;
    return ids;
  }
  const auto query = unit_vector(centre);
  const double radius = chord_squared(angle);
  if (use_tree()) {
    WithinChord<Tree> collect{*tree_, radius, ids};
    tree_->kd->findNeighbors(collect, query.data(), nanoflann::SearchParams(0, 0, false));
  } else {
    for (std::size_t i = 0; i < tree_->size(); ++i)
      if (tree_->chord_squared_to(query.data(), i) < radius) ids.push_back(tree_->id(i));
  }
  ids.insert(ids.end(), odd_.begin(), odd_.end());
  return ids;
}

std::vector<Neighbour> ZipIndex::measure(const ZipPlace& centre,
                                         const std::vector<std::uint32_t>& ids, double limit,
                                         Method method, Units units) const {
  std::vector<Neighbour> out;
  out.reserve(ids.size());
  for (std::uint32_t id : ids) {
    const ZipPlace& p = place(id);
    const double d = place_distance(centre, p, method, units);
    if (d <= limit) out.push_back({&p, d});  // never NaN: a geodesic off the earth
  }
  // Places are sorted by zip code text, so their addresses order equal distances.
  std::sort(out.begin(), out.end(), [](const Neighbour& a, const Neighbour& b) {
    return a.distance != b.distance ? a.distance < b.distance : a.place < b.place;
  });
  return out;
}

std::vector<Neighbour> ZipIndex::within(const ZipPlace& centre, double radius, Method method,
                                        Units units) const {
  if (!(radius >= 0)) return {};
  const double miles = units == Units::Kilometres ? radius / kKilometresPerMile : radius;
  const double angle = miles / angle_scale(method).low * (1 + kRelativeMargin) + kAngleMargin;
  return measure(centre, candidates(centre, angle), radius, method, units);
}

std::vector<Neighbour> ZipIndex::nearest(const ZipPlace& centre, std::size_t count, Method method,
                                         Units units) const {
  if (count == 0 || rows_.empty()) return {};
  // The count nearest by chord bound how far the count nearest by the formula can lie.
  double angle = std::numeric_limits<double>::infinity();
  if (tree_can_hold(centre) && count <= tree_->size()) {
    std::vector<double> chords(count);
    const auto query = unit_vector(centre);
    if (use_tree()) {
      std::vector<std::uint32_t> ids(count);
      tree_->kd->knnSearch(query.data(), count, ids.data(), chords.data());
    } else {
      std::vector<double> all(tree_->size());
      for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = tree_->chord_squared_to(query.data(), i);
      std::nth_element(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(count - 1),
                       all.end());
      chords[count - 1] = all[count - 1];
    }
    angle = nearest_angle(chords[count - 1], method);
  }
  auto found = measure(centre, candidates(centre, angle), std::numeric_limits<double>::infinity(),
                       method, units);
  if (found.size() > count) found.resize(count);
  return found;
}

}  // namespace quorvane

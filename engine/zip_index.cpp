#include "engine/zip_index.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
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

// The points as nanoflann reads them: unit vectors, with the place id of each.
struct ZipIndex::Tree {
  std::vector<std::array<double, 3>> points;
  std::vector<std::uint32_t> ids;

  std::size_t kdtree_get_point_count() const { return points.size(); }
  double kdtree_get_pt(std::size_t i, std::size_t dim) const { return points[i][dim]; }
  template <class Box>
  bool kdtree_get_bbox(Box&) const {
    return false;
  }

  using Kd = nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, Tree>, Tree,
                                                 3, std::uint32_t>;
  std::unique_ptr<Kd> kd;

  // Collects tree entries closer than a squared chord, as place ids.
  struct Collector {
    const Tree& tree;
    double radius;
    std::vector<std::uint32_t>& out;
    std::size_t size() const { return out.size(); }
    bool full() const { return true; }
    double worstDist() const { return radius; }
    bool addPoint(double dist, std::uint32_t i) {
      if (dist < radius) out.push_back(tree.ids[i]);
      return true;
    }
  };
};

ZipIndex::ZipIndex(const ZipTable& table) : tree_(std::make_unique<Tree>()) {
  table.for_each_row([&](std::string_view zip, const ZipRow& row) {
    if (has_position(row)) places_.push_back(make_place(std::string(zip), row.lat, row.lon));
  });
  std::sort(places_.begin(), places_.end(),
            [](const ZipPlace& a, const ZipPlace& b) { return a.zip < b.zip; });
  for (std::uint32_t id = 0; id < places_.size(); ++id) {
    if (tree_can_hold(places_[id])) {
      tree_->points.push_back(unit_vector(places_[id]));
      tree_->ids.push_back(id);
    } else {
      odd_.push_back(id);
    }
  }
  tree_->kd = std::make_unique<Tree::Kd>(3, *tree_, nanoflann::KDTreeSingleIndexAdaptorParams(16));
}

ZipIndex::~ZipIndex() = default;

std::vector<std::uint32_t> ZipIndex::candidates(const ZipPlace& centre, double angle) const {
  std::vector<std::uint32_t> ids;
  if (!tree_can_hold(centre) || !(angle < kPi)) {
    ids.resize(places_.size());
    for (std::uint32_t i = 0; i < ids.size(); ++i) ids[i] = i;
    return ids;
  }
  const auto query = unit_vector(centre);
  Tree::Collector collect{*tree_, chord_squared(angle), ids};
  tree_->kd->findNeighbors(collect, query.data(), nanoflann::SearchParams(0, 0, false));
  ids.insert(ids.end(), odd_.begin(), odd_.end());
  return ids;
}

std::vector<Neighbour> ZipIndex::measure(const ZipPlace& centre,
                                         const std::vector<std::uint32_t>& ids, double limit,
                                         Method method, Units units) const {
  std::vector<Neighbour> out;
  out.reserve(ids.size());
  for (std::uint32_t id : ids) {
    const double d = place_distance(centre, places_[id], method, units);
    if (d <= limit) out.push_back({&places_[id], d});  // never NaN: a geodesic off the earth
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
  if (count == 0 || places_.empty()) return {};
  // The count nearest by chord bound how far the count nearest by the formula can lie.
  double angle = std::numeric_limits<double>::infinity();
  if (tree_can_hold(centre) && count <= tree_->points.size()) {
    std::vector<std::uint32_t> ids(count);
    std::vector<double> chords(count);
    const auto query = unit_vector(centre);
    tree_->kd->knnSearch(query.data(), count, ids.data(), chords.data());
    angle = nearest_angle(chords[count - 1], method);
  }
  auto found = measure(centre, candidates(centre, angle), std::numeric_limits<double>::infinity(),
                       method, units);
  if (found.size() > count) found.resize(count);
  return found;
}

}  // namespace quorvane

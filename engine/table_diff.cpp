#include "engine/table_diff.h"

#include <algorithm>
#include <unordered_map>

#include "engine/zip_index.h"

namespace quorvane {
namespace {

struct Point {
  double lat = 0, lon = 0;
  bool placed = false;
  bool matched = false;
};

}  // namespace

TableDiff diff_tables(const ZipTable& table2012, const ZipTable& table2016, double limit,
                      Method method, Units units) {
  std::unordered_map<std::string, Point> old_points;
  table2012.for_each_row([&](std::string_view zip, const ZipRow& row) {
    old_points.emplace(zip, Point{row.lat, row.lon, has_position(row), false});
  });

  TableDiff diff;
  table2016.for_each_row([&](std::string_view zip, const ZipRow& row) {
    auto it = old_points.find(std::string(zip));
    const bool placed = has_position(row);
    if (!placed) diff.unplaced2016.emplace_back(zip);
    if (it == old_points.end()) {
      diff.only2016.emplace_back(zip);
      return;
    }
    Point& old = it->second;
    old.matched = true;
    if (!old.placed || !placed) return;
    // No zip code text on the places: the same zip code in two tables is measured.
    const double d = place_distance(make_place({}, old.lat, old.lon),
                                    make_place({}, row.lat, row.lon), method, units);
    if (d > limit) diff.moved.push_back({std::string(zip), old.lat, old.lon, row.lat, row.lon, d});
  });
  for (const auto& [zip, point] : old_points) {
    if (!point.matched) diff.only2012.push_back(zip);
    if (!point.placed) diff.unplaced2012.push_back(zip);
  }

  std::sort(diff.moved.begin(), diff.moved.end(), [](const MovedZip& a, const MovedZip& b) {
    return a.distance != b.distance ? a.distance > b.distance : a.zip < b.zip;
  });
  for (auto* list : {&diff.only2012, &diff.only2016, &diff.unplaced2012, &diff.unplaced2016})
    std::sort(list->begin(), list->end());
  return diff;
}

}  // namespace quorvane

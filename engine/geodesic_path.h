#pragma once
// Rings and legs for the map: sampled along the ground (a geodesic on the WGS-84
// ellipsoid, or a great circle on the sphere of the engine's own formula), then
// projected, so that a ring keeps the shape it has on the ground.
#include <vector>

#include "engine/albers_usa.h"
#include "engine/zip_distance.h"

namespace quorvane {

// A line on the map in runs: a run ends where the line leaves an inset (or the map),
// so that no stroke joins two insets. Only the insets of a line's ends (a ring's
// centre) show it: a leg from Hawaii to Puerto Rico is not drawn across the lower 48's
// rectangle where it passes over Mexico.
struct MapPath {
  std::vector<std::vector<MapXY>> runs;
};

class GeodesicPaths {
 public:
  GeodesicPaths(const AlbersUsa& projection, Method method);

  // The points at `radius_miles` from the centre, every degree of azimuth.
  MapPath ring(double lat, double lon, double radius_miles) const;
  // From the first point to the second, a sample every 10 miles or so (at most 1,000).
  MapPath leg(double lat1, double lon1, double lat2, double lon2) const;

 private:
  struct Adder;
  const AlbersUsa& projection_;
  double a_ = 0, f_ = 0;  // the ellipsoid: equatorial radius in metres, flattening
};

}  // namespace quorvane

#include "engine/geodesic_path.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>
#include <algorithm>
#include <cmath>

#include "engine/distance.h"

namespace quorvane {
namespace {

constexpr double kMetresPerMile = 1609.344;
// The sphere distance_miles() measures on: 60 * 1.1515 miles a degree.
constexpr double kSphereMetres = 180.0 / kPiConversion * 60.0 * 1.1515 * kMetresPerMile;

}  // namespace

// Appends projected samples, starting a new run at each change of inset and at each
// jump no line of one inset makes (a wrap at the back of the projection).
struct GeodesicPaths::Adder {
  const AlbersUsa& projection;
  Inset ends[2];  // a sample is drawn only in the inset of one end (or of the centre)
  MapPath path;
  Inset last = Inset::None;

  void add(double lat, double lon) {
    const Projected p = projection.project(lat, lon);
    if (p.inset == Inset::None || (p.inset != ends[0] && p.inset != ends[1])) {
      last = Inset::None;
      return;
    }
    bool join = p.inset == last && !path.runs.empty();
    if (join) {
      const MapXY& b = path.runs.back().back();
      join = std::hypot(p.at.x - b.x, p.at.y - b.y) < AlbersUsa::kAtlasWidth / 4;
    }
    if (!join) path.runs.emplace_back();
    path.runs.back().push_back(p.at);
    last = p.inset;
  }
  MapPath done() {
    std::erase_if(path.runs, [](const auto& run) { return run.size() < 2; });
    return std::move(path);
  }
};

GeodesicPaths::GeodesicPaths(const AlbersUsa& projection, Method method) : projection_(projection) {
  if (method == Method::Sphere) {
    a_ = kSphereMetres;
  } else {
    a_ = GeographicLib::Constants::WGS84_a();
    f_ = GeographicLib::Constants::WGS84_f();
  }
}

MapPath GeodesicPaths::ring(double lat, double lon, double radius_miles) const {
  const GeographicLib::Geodesic g(a_, f_);
  const Inset centre = projection_.project(lat, lon).inset;
  Adder adder{projection_, {centre, centre}, {}};
  const double s = radius_miles * kMetresPerMile;
  for (int azimuth = 0; azimuth <= 360; ++azimuth) {
    double lat2 = 0, lon2 = 0;
    g.Direct(lat, lon, azimuth, s, lat2, lon2);
    adder.add(lat2, lon2);
  }
  return adder.done();
}

MapPath GeodesicPaths::leg(double lat1, double lon1, double lat2, double lon2) const {
  const GeographicLib::Geodesic g(a_, f_);
  const GeographicLib::GeodesicLine line = g.InverseLine(lat1, lon1, lat2, lon2);
  const double length = line.Distance();
  const int steps = std::clamp(static_cast<int>(length / (10 * kMetresPerMile)), 1, 1000);
  Adder adder{projection_,
              {projection_.project(lat1, lon1).inset, projection_.project(lat2, lon2).inset},
              {}};
  for (int i = 0; i <= steps; ++i) {
    double la = 0, lo = 0;
    line.Position(length * i / steps, la, lo);
    adder.add(la, lo);
  }
  return adder.done();
}

}  // namespace quorvane

#include "engine/distance.h"

#include <GeographicLib/Geodesic.hpp>
#include <cmath>

#include "engine/error_trap.h"

namespace quorvane {

double deg_to_rad(double v) {
  return (kPiConversion / 180.0) * v;
}

double rad_to_deg(double v) {
  return (180.0 / kPiConversion) * v;
}

double arc_cos(double x) {
  if (!std::isfinite(x)) throw RuntimeError(5, "Invalid procedure call or argument");
  if (x <= -1.0) return kPiArcCos;
  if (x >= 1.0) return 0.0;
  return kHalfPiArcCos - std::atan(x / std::sqrt(1.0 - x * x));
}

namespace {

double finish(double x) {
  const double d = rad_to_deg(arc_cos(x)) * 60.0 * 1.1515;
  if (!std::isfinite(d)) throw RuntimeError(6, "Overflow");
  return d;
}

}  // namespace

double distance_miles(double lat1, double lat2, double lon1, double lon2) {
  const double s = std::sin(deg_to_rad(lat1)) * std::sin(deg_to_rad(lat2));
  const double x =
      std::cos(deg_to_rad(lat2)) * std::cos(deg_to_rad(lat1)) * std::cos(deg_to_rad(lon1 - lon2)) +
      s;
  return finish(x);
}

double distance_miles_pre(double sin_lat1, double cos_lat1, double sin_lat2, double cos_lat2,
                          double lon1, double lon2) {
  const double s = sin_lat1 * sin_lat2;
  const double x = cos_lat2 * cos_lat1 * std::cos(deg_to_rad(lon1 - lon2)) + s;
  return finish(x);
}

double geodesic_miles(double lat1, double lon1, double lat2, double lon2) {
  double metres = 0;
  GeographicLib::Geodesic::WGS84().Inverse(lat1, lon1, lat2, lon2, metres);
  return metres / 1609.344;
}

}  // namespace quorvane

#include "engine/chord.h"

#include <algorithm>
#include <cmath>

#include "engine/distance.h"

namespace quorvane::chord {

AngleScale angle_scale(Method method) {
  if (method == Method::Sphere) {
    const double s = rad_to_deg(1.0) * 60.0 * 1.1515;
    return {s, s};
  }
  constexpr double a = 6378137.0, f = 1 / 298.257223563, metres_per_mile = 1609.344;
  const double e2 = f * (2 - f);
  const double b = a * (1 - f);
  return {a * (1 - e2) / metres_per_mile, a * a / b / metres_per_mile};
}

double chord_squared(double angle) {
  if (!(angle < kPi)) return 5;  // past the antipode: every point (chords are at most 2)
  const double c = 2 * std::sin(angle / 2);
  return c * c;
}

std::array<double, 3> unit_vector(const ZipPlace& p) {
  const double lon = deg_to_rad(p.lon);
  return {p.cos_lat * std::cos(lon), p.cos_lat * std::sin(lon), p.sin_lat};
}

bool tree_can_hold(const ZipPlace& p) {
  return std::fabs(p.lon) <= kTreeLongitudeLimit;
}

double nearest_angle(double farthest_chord, Method method) {
  const double farthest = 2 * std::asin(std::min(1.0, std::sqrt(farthest_chord) / 2));
  const AngleScale scale = angle_scale(method);
  return farthest * (scale.high / scale.low) * (1 + kRelativeMargin) + 2 * kAngleMargin;
}

}  // namespace quorvane::chord

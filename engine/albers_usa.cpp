#include "engine/albers_usa.h"

#include <cmath>
#include <numbers>

namespace quorvane {
namespace {

constexpr double kRad = std::numbers::pi / 180;
constexpr double kEpsilon = 1e-6;  // d3-geo's, keeps the insets' rectangles apart

}  // namespace

ConicEqualArea::ConicEqualArea(double parallel1, double parallel2, double rotate, double centre_lon,
                               double centre_lat, double scale, MapXY translate)
    : rotate_(rotate * kRad), scale_(scale) {
  const double sy0 = std::sin(parallel1 * kRad);
  n_ = (sy0 + std::sin(parallel2 * kRad)) / 2;
  c_ = 1 + sy0 * (2 * n_ - sy0);
  r0_ = std::sqrt(c_) / n_;
  const MapXY centre = raw(centre_lon * kRad, centre_lat * kRad);
  offset_ = {translate.x - scale * centre.x, translate.y + scale * centre.y};
}

MapXY ConicEqualArea::raw(double lambda, double phi) const {
  const double r = std::sqrt(c_ - 2 * n_ * std::sin(phi)) / n_;
  const double x = lambda * n_;
  return {r * std::sin(x), r0_ - r * std::cos(x)};
}

MapXY ConicEqualArea::project(double lat, double lon) const {
  double lambda = lon * kRad + rotate_;
  if (lambda > std::numbers::pi)
    lambda -= 2 * std::numbers::pi;
  else if (lambda < -std::numbers::pi)
    lambda += 2 * std::numbers::pi;
  const MapXY p = raw(lambda, lat * kRad);
  return {offset_.x + scale_ * p.x, offset_.y - scale_ * p.y};
}

AlbersUsa::AlbersUsa(double k, MapXY t)
    : parts_{
          {ConicEqualArea(29.5, 45.5, 96, -0.6, 38.7, k, t),
           {t.x - 0.455 * k, t.y - 0.238 * k},
           {t.x + 0.455 * k, t.y + 0.238 * k},
           Inset::Lower48},
          {ConicEqualArea(55, 65, 154, -2, 58.5, k * 0.35, {t.x - 0.307 * k, t.y + 0.201 * k}),
           {t.x - 0.425 * k + kEpsilon, t.y + 0.120 * k + kEpsilon},
           {t.x - 0.214 * k - kEpsilon, t.y + 0.234 * k - kEpsilon},
           Inset::Alaska},
          {ConicEqualArea(8, 18, 157, -3, 19.9, k, {t.x - 0.205 * k, t.y + 0.212 * k}),
           {t.x - 0.214 * k + kEpsilon, t.y + 0.166 * k + kEpsilon},
           {t.x - 0.115 * k - kEpsilon, t.y + 0.234 * k - kEpsilon},
           Inset::Hawaii},
      } {}

Projected AlbersUsa::project(double lat, double lon) const {
  if (!std::isfinite(lat) || !std::isfinite(lon) || std::abs(lat) > 90) return {};
  for (const Part& p : parts_) {
    const MapXY xy = p.conic.project(lat, lon);
    if (xy.x >= p.low.x && xy.x <= p.high.x && xy.y >= p.low.y && xy.y <= p.high.y)
      return {xy, p.inset};
  }
  return {};
}

}  // namespace quorvane

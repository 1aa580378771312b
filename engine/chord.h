#pragma once
// The geometry the spatial indexes share: zip code positions as unit vectors, whose
// chord lengths order points as the great-circle angle does, and the margins that make
// a search by chord a superset of the answer by the engine's own formulas.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/zip_index.h"

namespace quorvane::chord {

// Beyond this longitude the formula's cos(lon1 - lon2) and the unit vectors' separate
// sines and cosines part by more than the search margin, so such points are scanned.
inline constexpr double kTreeLongitudeLimit = 720;

// Margins that make the tree's candidate set a superset of the exact answer: they cover
// rounding in the formula's arccosine near 0 and pi (about 5e-8 radians at worst), in
// the chord, and the accuracy of the geodesic.
inline constexpr double kRelativeMargin = 1e-6;
inline constexpr double kAngleMargin = 1e-6;  // radians, about 20 feet

inline constexpr double kPi = 3.14159265358979323846;

// Miles per radian of the central angle between two points (as unit vectors built with
// the engine's degree conversion): the sphere formula's exact scale; for the ellipsoid,
// a bound below and above (its smallest and largest radius of curvature), since along
// any path the WGS-84 line element lies between those of the two spheres.
struct AngleScale {
  double low, high;
};
AngleScale angle_scale(Method method);

// The squared chord of a central angle; past the antipode, more than any chord.
double chord_squared(double angle);

std::array<double, 3> unit_vector(const ZipPlace& p);

bool tree_can_hold(const ZipPlace& p);

// A nanoflann result set that keeps every tree entry closer than a squared chord, as
// the ids the tree gives them (`tree.id(i)`).
template <class Tree>
struct WithinChord {
  const Tree& tree;
  double radius;
  std::vector<std::uint32_t>& out;
  std::size_t size() const { return out.size(); }
  bool full() const { return true; }
  double worstDist() const { return radius; }
  bool addPoint(double dist, std::uint32_t i) {
    if (dist < radius) out.push_back(tree.id(i));
    return true;
  }
};

// The angle within which every point lies whose distance by the formula can be at most
// that of a point at squared chord `farthest_chord` (the n-th nearest by chord).
double nearest_angle(double farthest_chord, Method method);

}  // namespace quorvane::chord

#pragma once
// The window's distance for many pairs at once, without its arccosine.
//
// The formula's angle between two points equals the angle subtended by the chord
// between their unit vectors (in the formula's own radians); that angle costs one
// square root and one arcsine, which run several pairs at a time. The two routes
// differ only by rounding, bounded in kRouteError below. A distance is printed rounded
// to hundredths, so wherever the fast value lies so close to a half hundredth that the
// exact formula could round the other way, or the points are so close or so far apart
// that the bound grows, the exact formula decides. The printed digits are therefore
// always the exact formula's; the unprinted last bits of the double may differ.
#include <cstddef>

#include "engine/zip_table.h"

namespace quorvane {

// Distances between usable points a[i] and b[i] (rows of `table`), in miles times
// `factor`, for i < n.
void fast_distances(const ZipTable& table, const std::int32_t* a, const std::int32_t* b,
                    std::size_t n, double factor, double* out);

// Set to false to take the exact formula for every pair (tests compare both routes).
void set_fast_route(bool on);

}  // namespace quorvane

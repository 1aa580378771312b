#pragma once
// Great-circle distance by the spherical law of cosines, in statute miles.
// The three values of pi below fix the digits of every distance this program prints:
// the published distances were computed with them, so a full-precision constant would
// change the last digit of some answers.

namespace quorvane {

inline constexpr double kPiConversion = 3.14159265;       // both angle conversions
inline constexpr double kPiArcCos = 3.14159265358979;     // arc_cos(-1)
inline constexpr double kHalfPiArcCos = 1.5707963267949;  // pi/2 in arc_cos

double deg_to_rad(double v);
double rad_to_deg(double v);

// Arccosine in radians. The argument is clamped to [-1, 1]: rounding can push it just
// past 1 for two points with equal coordinates, which is a distance of 0, not an error.
// A non-finite argument throws RuntimeError 5.
double arc_cos(double x);

// Note the argument order: both latitudes, then both longitudes.
double distance_miles(double lat1, double lat2, double lon1, double lon2);

// The same result from sin and cos of each latitude's deg_to_rad, computed once per
// zip code when a table is loaded (bit-identical to distance_miles).
double distance_miles_pre(double sin_lat1, double cos_lat1, double sin_lat2, double cos_lat2,
                          double lon1, double lon2);

// The distance on the WGS-84 ellipsoid (Karney's method), in statute miles. Arguments
// in the usual order: first point's latitude and longitude, then the second's.
double geodesic_miles(double lat1, double lon1, double lat2, double lon2);

}  // namespace quorvane

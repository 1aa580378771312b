#include "engine/fast_distance.h"

#include <cmath>

#include "engine/distance.h"

#if defined(__x86_64__)
#include <emmintrin.h>
// glibc's vector arcsine (libmvec), two lanes, within a few units in the last place.
extern "C" __m128d _ZGVbN2v_asin(__m128d);
#endif

namespace quorvane {
namespace {

// Miles per radian of the formula's angle, and the formula's offset of the angle:
// its arccosine is kHalfPiArcCos - atan(...), a little above the true one.
const double kMilesPerRadian = (180.0 / kPiConversion) * 60.0 * 1.1515;
const double kAngleOffset = kHalfPiArcCos - 1.5707963267948966;

// How far apart the two routes' angles can lie, in radians, as kRouteError / sin(angle)
// + kRouteError. Both routes round a handful of products of numbers of magnitude 1
// (each 1.1e-16) and call library functions accurate to a few units in the last place;
// near 0 and pi the arccosine of the exact formula magnifies its argument's error by
// 1 / sin(angle). The bound below is about thirty times what that analysis gives.
constexpr double kRouteError = 1e-13;
// Outside these squared chords (angles of about 1e-6 and 2.9 radians) the exact
// formula always decides.
constexpr double kMinChord2 = 1e-12, kMaxChord2 = 3.9;
constexpr std::size_t kChunk = 64;

bool fast_route = true;

void arcsines(double* v, std::size_t n) {
  std::size_t i = 0;
#if defined(__x86_64__)
  for (; i + 2 <= n; i += 2) _mm_storeu_pd(v + i, _ZGVbN2v_asin(_mm_loadu_pd(v + i)));
#endif
  for (; i < n; ++i) v[i] = std::asin(v[i]);
}

// std::floor(h) for 0 <= h < 2^63, which every distance here is (the angle is above
// kAngleOffset > 0 and below pi); floor is a library call without SSE4.1.
double whole_part(double h) {
#if defined(__x86_64__)
  return static_cast<double>(_mm_cvttsd_si64(_mm_set_sd(h)));
#else
  return std::floor(h);
#endif
}

double exact(const ZipTable& t, std::int32_t a, std::int32_t b, double factor) {
  const ZipRow& p = t.row(a);
  const ZipRow& q = t.row(b);
  return distance_miles_pre(p.sin_lat, p.cos_lat, q.sin_lat, q.cos_lat, p.lon, q.lon) * factor;
}

void chunk(const ZipTable& t, const std::int32_t* a, const std::int32_t* b, std::size_t n,
           double factor, double* out) {
  double chord2[kChunk], sine[kChunk], half[kChunk];
  for (std::size_t i = 0; i < n; ++i) {
    const ZipPoint& p = t.point(a[i]);
    const ZipPoint& q = t.point(b[i]);
    const double dx = p.x - q.x, dy = p.y - q.y, dz = p.z - q.z;
    chord2[i] = dx * dx + dy * dy + dz * dz;
    half[i] = std::sqrt(chord2[i]) * 0.5;  // sin of half the angle
    // At most the sine of the angle, 2 s sqrt(1 - s^2) with s = half[i], and never above
    // what that expression evaluates to, without its square root: y = 1 - s^2 is computed
    // as the same double; for 0 <= y <= 1, sqrt(y) >= y, and rounding to nearest is
    // monotonic, so fl(sqrt(y)) >= y and fl(2 s y) <= fl(2 s fl(sqrt(y))). The tolerance
    // divides by it, so it is never below the one the square root gave (at most
    // 1 / sqrt(1 - s^2) times it: 1.15 at 60 degrees, 6.3 at the largest chord taken).
    sine[i] = 2.0 * half[i] * (1.0 - half[i] * half[i]);
  }
  arcsines(half, n);  // now half the angle
  const double unit = kMilesPerRadian * factor;
  for (std::size_t i = 0; i < n; ++i) {
    const double angle = 2.0 * half[i] + kAngleOffset;
    const double d = angle * unit;
    // The exact formula decides wherever the rounding to hundredths could differ.
    const double h = d * 100.0;
    const double margin = std::fabs(h - whole_part(h) - 0.5);
    const double tolerance = 100.0 * unit * (kRouteError / sine[i] + kRouteError);
    const bool sure = chord2[i] > kMinChord2 && chord2[i] < kMaxChord2 && margin > tolerance;
    out[i] = sure ? d : exact(t, a[i], b[i], factor);
  }
}

}  // namespace

void set_fast_route(bool on) {
  fast_route = on;
}

void fast_distances(const ZipTable& t, const std::int32_t* a, const std::int32_t* b, std::size_t n,
                    double factor, double* out) {
  if (!fast_route) {
    for (std::size_t i = 0; i < n; ++i) out[i] = exact(t, a[i], b[i], factor);
    return;
  }
  for (std::size_t i = 0; i < n; i += kChunk) {
    const std::size_t m = n - i < kChunk ? n - i : kChunk;
    chunk(t, a + i, b + i, m, factor, out + i);
  }
}

}  // namespace quorvane

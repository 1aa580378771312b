#pragma once
// The Albers USA composite map projection: the lower 48 states on an Albers equal-area
// conic, Alaska (at 0.35 of its scale) and Hawaii on conics of their own, placed as
// insets at the lower left. Its parameters are those of d3-geo's geoAlbersUsa, the
// projection of the us-atlas outlines, so that points and outlines line up.
#include <cstdint>

namespace quorvane {

enum class Inset : std::uint8_t { None, Lower48, Alaska, Hawaii };

struct MapXY {
  double x = 0, y = 0;  // map units: x to the right, y downwards
};

struct Projected {
  MapXY at;
  Inset inset = Inset::None;  // None: in no inset, and then `at` means nothing
};

// An Albers equal-area conic as d3-geo's conicEqualArea builds it.
class ConicEqualArea {
 public:
  // Standard parallels, the longitude brought to the middle (as d3's rotate), the centre
  // in rotated degrees, the scale and the centre's position on the map.
  ConicEqualArea(double parallel1, double parallel2, double rotate, double centre_lon,
                 double centre_lat, double scale, MapXY translate);
  MapXY project(double lat, double lon) const;

 private:
  MapXY raw(double lambda, double phi) const;  // radians, rotated
  double n_ = 0, c_ = 0, r0_ = 0, rotate_ = 0, scale_ = 0;
  MapXY offset_;  // translate less the projected centre
};

class AlbersUsa {
 public:
  // The us-atlas outlines were projected with scale 1300 and translate [487.5, 305],
  // which fills 975 x 610 map units.
  static constexpr double kAtlasScale = 1300, kAtlasX = 487.5, kAtlasY = 305;
  static constexpr double kAtlasWidth = 975, kAtlasHeight = 610;

  explicit AlbersUsa(double scale = kAtlasScale, MapXY translate = {kAtlasX, kAtlasY});

  // The lower 48's conic first, then Alaska's, then Hawaii's: the first whose clip
  // rectangle holds the projected point. A point outside all three (Puerto Rico, Guam,
  // an APO zip code's stand-in position) is in no inset.
  Projected project(double lat, double lon) const;

 private:
  struct Part {
    ConicEqualArea conic;
    MapXY low, high;  // clip rectangle
    Inset inset;
  };
  Part parts_[3];
};

}  // namespace quorvane

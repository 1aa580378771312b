#pragma once
// What a map shows, in map units, and where it goes on the picture: the same scene is
// written as SVG text and painted as PNG, so that both show the same thing.
#include <string>
#include <vector>

#include "engine/geodesic_path.h"
#include "map/outlines.h"

namespace quorvane::map {

enum class DotKind : unsigned char { Listed, Reference, Centre, Inside, All, Store, Customer };

struct Dot {
  MapXY at;
  DotKind kind = DotKind::Listed;
  std::string zip;  // its title, and its label when the scene has labels
  Inset inset = Inset::Lower48;
  std::size_t store = 0;  // a store's or customer's: the store, whose colour it has
};

struct Stroke {
  MapPath path;
  std::string title;
  std::size_t store = 0;  // a spoke's: the store it leads to
};

struct Style {
  const char* fill;
  double radius;  // pixels
};
Style dot_style(DotKind kind);
const char* dot_class(DotKind kind);  // "point listed", "point centre", ...
// Each store's colour, from a small palette in turn; its customers and spokes share it.
const char* store_colour(std::size_t store);
// The dot's fill: its kind's, or its store's.
const char* dot_fill(const Dot& d);
inline constexpr const char* kLegColour = "#e07b00";
inline constexpr const char* kRingColour = "#2a7f62";
inline constexpr const char* kStateFill = "#ebe8e0";
inline constexpr const char* kCountyColour = "#d9d5ca";
inline constexpr const char* kTextColour = "#222222";

struct LegendItem {
  enum Shape { DotShape, LegShape, RingShape, SpokeShape } shape = DotShape;
  DotKind kind = DotKind::Listed;
  std::string text;
};
const char* legend_stroke(LegendItem::Shape shape);  // a line's colour in the legend

struct Pixel {
  double x = 0, y = 0;
};

struct Scene {
  int width = 1200, height = 760;
  std::string title;
  const Outlines* outlines = nullptr;
  std::vector<Dot> dots;
  std::vector<Stroke> legs, rings;
  std::vector<Stroke> spokes;  // customer to its store, in the store's colour
  bool labels = false;
  std::vector<LegendItem> legend;
  std::string units = "miles";          // of the scale bar
  std::vector<std::string> not_on_map;  // zip codes in no inset
  std::vector<std::string> notes;       // further lines under the map

  bool zoom = false;  // show what is drawn closer, when it covers a small part

  // Fits the map between the title and the lines under it; call once all is added.
  void lay_out();
  Pixel to_pixel(MapXY p) const {
    return {left + scale * (p.x - view.x), top + scale * (p.y - view.y)};
  }

  // Set by lay_out():
  MapXY view;                 // the map point at the map area's top left
  Pixel area_low, area_high;  // the map area: drawing stays inside it
  double scale = 1, left = 0, top = 0;
  double bar_pixels = 0;
  std::string bar_text;
  double footer_top = 0;               // the legend and scale bar's line
  std::vector<std::string> footnotes;  // notes, then the zip codes not on the map, wrapped
};

inline constexpr double kTitleSize = 18, kTextSize = 12, kLineHeight = 17;

}  // namespace quorvane::map

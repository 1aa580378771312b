#include "map/scene.h"

#include <algorithm>
#include <cmath>

namespace quorvane::map {
namespace {

// Ground distance of one map unit of the lower 48 at scale 1300: the projection maps
// one radian of a sphere onto 1300 units, near its standard parallels.
constexpr double kMilesPerRadian = 3958.8;
constexpr double kKmPerMile = 1.609344;
constexpr std::size_t kMostNoteLines = 6;

// Wraps words into lines of at most `chars` characters; past `most` lines the rest is
// counted.
void wrap(const std::string& lead, const std::vector<std::string>& words, std::size_t chars,
          std::vector<std::string>& out) {
  std::string line = lead;
  const std::size_t first = out.size();
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string word = words[i] + (i + 1 < words.size() ? "," : "");
    if (line.size() + 1 + word.size() > chars && line.size() > lead.size()) {
      if (out.size() - first + 1 == kMostNoteLines) {
        out.push_back(line + " and " + std::to_string(words.size() - i) + " more");
        return;
      }
      out.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  out.push_back(line);
}

// The box around every dot and line, padded; the whole map when it is most of it.
bool view_box(const Scene& s, MapXY& low, MapXY& high) {
  low = {1e9, 1e9}, high = {-1e9, -1e9};
  const auto take = [&](MapXY p) {
    low = {std::min(low.x, p.x), std::min(low.y, p.y)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y)};
  };
  for (const Dot& d : s.dots) take(d.at);
  for (const auto* list : {&s.legs, &s.rings, &s.spokes})
    for (const Stroke& st : *list)
      for (const auto& run : st.path.runs)
        for (MapXY p : run) take(p);
  const double w = high.x - low.x, h = high.y - low.y;
  const double pad = std::max({w, h, 40.0}) * 0.15;
  low = {low.x - pad, low.y - pad}, high = {high.x + pad, high.y + pad};
  if (!s.zoom || w > AlbersUsa::kAtlasWidth * 0.6 || h > AlbersUsa::kAtlasHeight * 0.6 ||
      s.dots.empty())
    low = {0, 0}, high = {AlbersUsa::kAtlasWidth, AlbersUsa::kAtlasHeight};
  return low.x != 0 || high.x != AlbersUsa::kAtlasWidth;
}

}  // namespace

Style dot_style(DotKind kind) {
  switch (kind) {
    case DotKind::Reference:
      return {"#7b1fa2", 5.5};
    case DotKind::Centre:
      return {"#7b1fa2", 5.5};
    case DotKind::Inside:
      return {"#1565c0", 3};
    case DotKind::All:
      return {"#1565c0", 1.4};
    case DotKind::Store:
      return {store_colour(0), 6.5};
    case DotKind::Customer:
      return {store_colour(0), 2.8};
    case DotKind::Listed:
      break;
  }
  return {"#c0392b", 4.5};
}

const char* dot_class(DotKind kind) {
  switch (kind) {
    case DotKind::Reference:
      return "point reference";
    case DotKind::Centre:
      return "point centre";
    case DotKind::Inside:
      return "point inside";
    case DotKind::All:
      return "point all";
    case DotKind::Store:
      return "point store";
    case DotKind::Customer:
      return "point customer";
    case DotKind::Listed:
      break;
  }
  return "point listed";
}

const char* store_colour(std::size_t store) {
  static constexpr const char* kPalette[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                                             "#ff7f0e", "#17becf", "#8c564b", "#e377c2"};
  return kPalette[store % std::size(kPalette)];
}

const char* dot_fill(const Dot& d) {
  return d.kind == DotKind::Store || d.kind == DotKind::Customer ? store_colour(d.store)
                                                                 : dot_style(d.kind).fill;
}

const char* legend_stroke(LegendItem::Shape shape) {
  return shape == LegendItem::LegShape     ? kLegColour
         : shape == LegendItem::SpokeShape ? store_colour(0)
                                           : kRingColour;
}

void Scene::lay_out() {
  const std::size_t chars = static_cast<std::size_t>(std::max(10.0, (width - 20) / 6.8));
  footnotes = notes;
  if (!not_on_map.empty())
    wrap("Not on the map (in no inset: Puerto Rico, Guam, military and the like):", not_on_map,
         chars, footnotes);
  const double header = kTitleSize + 22;
  const double footer = 10 + kLineHeight * (1 + static_cast<double>(footnotes.size()));
  const double room_w = std::max(10.0, width - 20.0);
  const double room_h = std::max(10.0, height - header - footer);
  MapXY low, high;
  const bool zoomed = view_box(*this, low, high);
  // Alaska's inset is drawn at 0.35 of the scale: a close view of it measures so.
  const bool alaska = zoomed && std::all_of(dots.begin(), dots.end(),
                                            [](const Dot& d) { return d.inset == Inset::Alaska; });
  scale = std::min(room_w / (high.x - low.x), room_h / (high.y - low.y));
  // The box grows to the room's shape around its middle.
  view = {(low.x + high.x - room_w / scale) / 2, (low.y + high.y - room_h / scale) / 2};
  left = 10, top = header;
  area_low = {left, top}, area_high = {left + room_w, top + room_h};
  footer_top = height - footer + 4;

  // The scale bar: a round length of about a sixth of the picture.
  const double per_unit = (units == "km" ? kMilesPerRadian * kKmPerMile : kMilesPerRadian) /
                          AlbersUsa::kAtlasScale / scale /
                          (alaska ? 0.35 : 1.0);  // ground per pixel
  const double want = width / 6.0 * per_unit;
  double step = std::pow(10, std::floor(std::log10(want)));
  for (double m : {5.0, 2.0, 1.0})
    if (m * step <= want) {
      step *= m;
      break;
    }
  bar_pixels = step / per_unit;
  char text[64];
  std::snprintf(text, sizeof text, "%g %s", step, units.c_str());
  bar_text = text;
}

}  // namespace quorvane::map

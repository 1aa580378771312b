#include "map/svg_writer.h"

#include <charconv>

namespace quorvane::map {
namespace {

class Svg {
 public:
  explicit Svg(const Scene& s) : s_(s) {}

  Svg& raw(std::string_view t) {
    out_ += t;
    return *this;
  }
  // Text content or an attribute value: markup characters escaped, and bytes that are
  // not printable ASCII shown as '?', so that the file is always well-formed.
  Svg& text(std::string_view t) {
    for (char c : t) switch (c) {
        case '&':
          out_ += "&amp;";
          break;
        case '<':
          out_ += "&lt;";
          break;
        case '>':
          out_ += "&gt;";
          break;
        case '"':
          out_ += "&quot;";
          break;
        default:
          out_ += c >= 0x20 && c < 0x7f ? c : '?';
      }
    return *this;
  }
  Svg& num(double v) {
    char b[32];
    const auto r = std::to_chars(b, b + sizeof b, v, std::chars_format::fixed, 1);
    out_.append(b, r.ptr);
    return *this;
  }
  Svg& xy(MapXY p) {
    const Pixel q = s_.to_pixel(p);
    return num(q.x).raw(",").num(q.y);
  }
  Svg& line(const std::vector<MapXY>& points, bool close) {
    for (std::size_t i = 0; i < points.size(); ++i) raw(i ? "L" : "M").xy(points[i]);
    return raw(close ? "Z" : "");
  }
  Svg& titled(std::string_view title) { return raw("<title>").text(title).raw("</title>"); }
  std::string take() { return std::move(out_); }
  void reserve(std::size_t n) { out_.reserve(n); }

 private:
  const Scene& s_;
  std::string out_;
};

void strokes(Svg& svg, const std::vector<Stroke>& list, const char* cls, bool coloured = false) {
  for (const Stroke& st : list) {
    svg.raw("<path class=\"").raw(cls);
    if (coloured) svg.raw("\" stroke=\"").raw(store_colour(st.store));
    svg.raw("\" d=\"");
    for (const auto& run : st.path.runs) svg.line(run, false);
    svg.raw("\">").titled(st.title).raw("</path>\n");
  }
}

void legend(Svg& svg, const Scene& s) {
  double x = 10;
  const double y = s.footer_top + kLineHeight / 2;
  for (const LegendItem& item : s.legend) {
    svg.raw("<g class=\"legend\">");
    if (item.shape == LegendItem::DotShape) {
      const Style st = dot_style(item.kind);
      svg.raw("<circle cx=\"").num(x + 6).raw("\" cy=\"").num(y).raw("\" r=\"");
      svg.num(std::max(st.radius, 3.0)).raw("\" fill=\"").raw(st.fill).raw("\"/>");
    } else {
      svg.raw("<path d=\"M").num(x).raw(",").num(y).raw("h12\" stroke=\"");
      svg.raw(legend_stroke(item.shape));
      svg.raw("\" stroke-width=\"2\"/>");
    }
    svg.raw("<text x=\"").num(x + 17).raw("\" y=\"").num(y + 4).raw("\">").text(item.text);
    svg.raw("</text></g>\n");
    x += 30 + 6.8 * static_cast<double>(item.text.size());
  }
  const double bx = s.width - 20 - s.bar_pixels;
  svg.raw("<g class=\"scale-bar\"><path d=\"M").num(bx).raw(",").num(y - 4).raw("v5h");
  svg.num(s.bar_pixels).raw("v-5\" fill=\"none\" stroke=\"#222\" stroke-width=\"1.5\"/>");
  svg.raw("<text x=\"").num(bx - 6).raw("\" y=\"").num(y + 4).raw("\" text-anchor=\"end\">");
  svg.text(s.bar_text).raw("</text></g>\n");
  double ny = s.footer_top + kLineHeight * 2 - 4;
  for (const std::string& note : s.footnotes) {
    svg.raw("<text class=\"note\" x=\"10\" y=\"").num(ny).raw("\">").text(note);
    svg.raw("</text>\n");
    ny += kLineHeight;
  }
}

}  // namespace

std::string svg_text(const Scene& s) {
  Svg svg(s);
  svg.reserve(200000 + s.dots.size() * 110);
  svg.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
  svg.raw("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"").num(s.width);
  svg.raw("\" height=\"").num(s.height).raw("\" viewBox=\"0 0 ").num(s.width).raw(" ");
  svg.num(s.height).raw("\" font-family=\"DejaVu Sans, Liberation Sans, sans-serif\" font-size=\"");
  svg.num(kTextSize).raw("\" fill=\"").raw(kTextColour).raw("\">\n<style>\n");
  svg.raw(".state{fill:").raw(kStateFill).raw(";stroke:#fff;stroke-width:0.8}\n");
  svg.raw(".counties{fill:none;stroke:").raw(kCountyColour).raw(";stroke-width:0.4}\n");
  svg.raw(".leg{fill:none;stroke:").raw(kLegColour).raw(";stroke-width:1.6}\n");
  svg.raw(".ring{fill:none;stroke:").raw(kRingColour).raw(";stroke-width:2}\n");
  svg.raw(".spoke{fill:none;stroke-width:1;stroke-opacity:0.55}\n");
  svg.raw(".point.store{stroke:#222;stroke-width:1.2}\n");
  svg.raw(".point{stroke:none}\n.label{font-size:10px}\n</style>\n");
  svg.raw("<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n");
  svg.raw("<text class=\"title\" x=\"10\" y=\"").num(kTitleSize + 8).raw("\" font-size=\"");
  svg.num(kTitleSize).raw("\">").text(s.title).raw("</text>\n");
  svg.raw("<clipPath id=\"map-area\"><rect x=\"").num(s.area_low.x).raw("\" y=\"");
  svg.num(s.area_low.y).raw("\" width=\"").num(s.area_high.x - s.area_low.x);
  svg.raw("\" height=\"").num(s.area_high.y - s.area_low.y).raw("\"/></clipPath>\n");
  svg.raw("<g clip-path=\"url(#map-area)\">\n");
  if (s.outlines) {
    for (const StateOutline& st : s.outlines->states) {
      svg.raw("<path class=\"state\" d=\"");
      for (const auto& ring : st.rings) svg.line(ring, true);
      svg.raw("\">").titled(st.name).raw("</path>\n");
    }
    svg.raw("<path class=\"counties\" d=\"");
    for (const auto& l : s.outlines->county_borders) svg.line(l, false);
    svg.raw("\"/>\n");
  }
  strokes(svg, s.rings, "ring");
  strokes(svg, s.legs, "leg");
  strokes(svg, s.spokes, "spoke", true);
  for (const Dot& d : s.dots) {
    const Style st = dot_style(d.kind);
    svg.raw("<circle class=\"").raw(dot_class(d.kind)).raw("\" cx=\"");
    const Pixel p = s.to_pixel(d.at);
    svg.num(p.x).raw("\" cy=\"").num(p.y).raw("\" r=\"").num(st.radius).raw("\" fill=\"");
    svg.raw(dot_fill(d)).raw("\">").titled(d.zip).raw("</circle>\n");
  }
  if (s.labels)
    for (const Dot& d : s.dots) {
      const Pixel p = s.to_pixel(d.at);
      svg.raw("<text class=\"label\" x=\"").num(p.x + 6).raw("\" y=\"").num(p.y - 5).raw("\">");
      svg.text(d.zip).raw("</text>\n");
    }
  svg.raw("</g>\n");
  legend(svg, s);
  svg.raw("</svg>\n");
  return svg.take();
}

}  // namespace quorvane::map

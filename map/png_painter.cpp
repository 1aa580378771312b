#include "map/png_painter.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace quorvane::map {
namespace {

QPointF at(const Scene& s, MapXY p) {
  const Pixel q = s.to_pixel(p);
  return {q.x, q.y};
}

QPainterPath path_of(const Scene& s, const std::vector<MapXY>& points, bool close) {
  QPainterPath path;
  if (points.empty()) return path;
  path.moveTo(at(s, points[0]));
  for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(at(s, points[i]));
  if (close) path.closeSubpath();
  return path;
}

// Drawn in `colour`, or each in its store's colour (faded) when that is null.
void strokes(QPainter& p, const Scene& s, const std::vector<Stroke>& list, const char* colour,
             double width) {
  p.setBrush(Qt::NoBrush);
  for (const Stroke& st : list) {
    QColor c(colour ? colour : store_colour(st.store));
    if (!colour) c.setAlphaF(0.55);
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const auto& run : st.path.runs) p.drawPath(path_of(s, run, false));
  }
}

void footer(QPainter& p, const Scene& s) {
  p.setPen(QColor(kTextColour));
  const double y = s.footer_top + kLineHeight / 2;
  double x = 10;
  for (const LegendItem& item : s.legend) {
    if (item.shape == LegendItem::DotShape) {
      const Style st = dot_style(item.kind);
      const double r = std::max(st.radius, 3.0);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(st.fill));
      p.drawEllipse(QPointF(x + 6, y), r, r);
    } else {
      p.setPen(QPen(QColor(legend_stroke(item.shape)), 2));
      p.drawLine(QPointF(x, y), QPointF(x + 12, y));
    }
    p.setPen(QColor(kTextColour));
    p.drawText(QPointF(x + 17, y + 4), QString::fromStdString(item.text));
    x += 30 + 6.8 * static_cast<double>(item.text.size());
  }
  const double bx = s.width - 20 - s.bar_pixels;
  p.setPen(QPen(QColor(kTextColour), 1.5));
  p.setBrush(Qt::NoBrush);
  const QPointF bar[] = {
      {bx, y - 4}, {bx, y + 1}, {bx + s.bar_pixels, y + 1}, {bx + s.bar_pixels, y - 4}};
  p.drawPolyline(bar, 4);
  const QString text = QString::fromStdString(s.bar_text);
  p.drawText(QPointF(bx - 6 - p.fontMetrics().horizontalAdvance(text), y + 4), text);
  double ny = s.footer_top + kLineHeight * 2 - 4;
  for (const std::string& note : s.footnotes) {
    p.drawText(QPointF(10, ny), QString::fromStdString(note));
    ny += kLineHeight;
  }
}

}  // namespace

QByteArray png_bytes(const Scene& s) {
  QImage image(s.width, s.height, QImage::Format_RGB32);
  if (image.isNull()) return {};
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QFont font("DejaVu Sans");
  font.setPixelSize(static_cast<int>(kTitleSize));
  p.setFont(font);
  p.setPen(QColor(kTextColour));
  p.drawText(QPointF(10, kTitleSize + 8), QString::fromStdString(s.title));
  font.setPixelSize(static_cast<int>(kTextSize));
  p.setFont(font);
  p.setClipRect(QRectF(QPointF(s.area_low.x, s.area_low.y), QPointF(s.area_high.x, s.area_high.y)));
  if (s.outlines) {
    p.setPen(QPen(Qt::white, 0.8));
    p.setBrush(QColor(kStateFill));
    for (const StateOutline& st : s.outlines->states) {
      QPainterPath path;
      path.setFillRule(Qt::OddEvenFill);
      for (const auto& ring : st.rings) path.addPath(path_of(s, ring, true));
      p.drawPath(path);
    }
    p.setPen(QPen(QColor(kCountyColour), 0.4));
    p.setBrush(Qt::NoBrush);
    for (const auto& l : s.outlines->county_borders) p.drawPath(path_of(s, l, false));
  }
  strokes(p, s, s.rings, kRingColour, 2);
  strokes(p, s, s.legs, kLegColour, 1.6);
  strokes(p, s, s.spokes, nullptr, 1);
  p.setPen(Qt::NoPen);
  bool outlined = false;  // stores have a dark rim
  for (const Dot& d : s.dots) {
    const Style st = dot_style(d.kind);
    if ((d.kind == DotKind::Store) != outlined) {
      outlined = !outlined;
      p.setPen(outlined ? QPen(QColor(kTextColour), 1.2) : QPen(Qt::NoPen));
    }
    p.setBrush(QColor(dot_fill(d)));
    p.drawEllipse(at(s, d.at), st.radius, st.radius);
  }
  if (s.labels) {
    QFont small = font;
    small.setPixelSize(10);
    p.setFont(small);
    p.setPen(QColor(kTextColour));
    for (const Dot& d : s.dots)
      p.drawText(at(s, d.at) + QPointF(6, -5), QString::fromStdString(d.zip));
    p.setFont(font);
  }
  p.setClipping(false);
  footer(p, s);
  p.end();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return {};
  return bytes;
}

}  // namespace quorvane::map

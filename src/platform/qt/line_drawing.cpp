// Line pens, markers and clipped polylines for the renderer.
#include "platform/qt/line_drawing.h"

#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/qt/face_raster.h"
#include "platform/qt/props.h"

namespace rt::qt::render {

namespace {

// ----------------------------------------------------------- line helpers
Qt::PenStyle penStyleOf(const std::string& style) {
  if (style == "--") return Qt::DashLine;
  if (style == ":") return Qt::DotLine;
  if (style == "-.") return Qt::DashDotLine;
  if (style == "none") return Qt::NoPen;
  return Qt::SolidLine;
}

double pointsToPixels(double pt) {
  return pt * 96.0 / 72.0;
}

}  // namespace

QPen linePen(double line) {
  QColor color = propColor(line, "Color").value_or(QColor(0, 0, 255));
  double width = propScalar(line, "LineWidth", 0.5);
  if (!std::isfinite(width) || width <= 0) width = 0.5;
  QPen pen(color, std::max(1.0, pointsToPixels(width)));
  pen.setStyle(penStyleOf(propKeyword(line, "LineStyle")));
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

namespace {

// The line's marker, or "" when it has none.
std::string markerOf(double line) {
  std::string marker = propKeyword(line, "Marker");
  return marker == "none" ? std::string() : marker;
}

}  // namespace

bool hasMarker(double line) {
  return !markerOf(line).empty();
}

double drawMarkers(QPainter& p, double line, const std::vector<QPointF>& points) {
  const std::string marker = points.empty() ? std::string() : markerOf(line);
  if (marker.empty()) return 0;
  double size = pointsToPixels(propScalar(line, "MarkerSize", 6.0));
  if (!std::isfinite(size) || size <= 0) size = 8;
  double r = size / 2;
  QColor color = propColor(line, "Color").value_or(QColor(0, 0, 255));
  p.save();
  p.setPen(QPen(color, 1));
  p.setBrush(Qt::NoBrush);
  for (const QPointF& c : points) {
    if (marker == "." || marker == "point") {
      p.setBrush(color);
      p.drawEllipse(c, 1.5, 1.5);
    } else if (marker == "o" || marker == "circle") {
      p.drawEllipse(c, r, r);
    } else if (marker == "s" || marker == "square") {
      p.drawRect(QRectF(c.x() - r, c.y() - r, size, size));
    } else if (marker == "d" || marker == "diamond") {
      p.drawPolygon(QPolygonF(
          {c + QPointF(0, -r), c + QPointF(r, 0), c + QPointF(0, r), c + QPointF(-r, 0)}));
    } else if (marker == "x") {
      p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
      p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
    } else {  // "+", "*" and the others: a cross
      p.drawLine(c + QPointF(-r, 0), c + QPointF(r, 0));
      p.drawLine(c + QPointF(0, -r), c + QPointF(0, r));
      if (marker == "*") {
        p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
        p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
      }
    }
  }
  p.restore();
  return std::max(r, 1.5) + 2;  // the outline's pen and its antialiased fringe
}

// Draws a polyline of device points, broken at non-finite points and clipped
// to `clip`. Coordinates far outside the device never reach the painter.
void drawClippedPolyline(QPainter& p, const std::vector<QPointF>& pts, const std::vector<bool>& ok,
                         const QRectF& clip) {
  QPolygonF run;
  auto flush = [&] {
    if (run.size() >= 2) p.drawPolyline(run);
    run.clear();
  };
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
    if (!ok[i] || !ok[i + 1]) {
      flush();
      continue;
    }
    QPointF a = pts[i], b = pts[i + 1];
    if (!clipSegment(a, b, clip)) {
      flush();
      continue;
    }
    if (run.isEmpty() || run.back() != a) {
      flush();
      run << a;
    }
    run << b;
    if (b != pts[i + 1]) flush();
  }
  flush();
  // A single finite point draws as a dot.
  if (pts.size() == 1 && ok[0] && clip.contains(pts[0])) p.drawPoint(pts[0]);
}

}  // namespace rt::qt::render

#include "platform/qt/face_raster.h"

#include <algorithm>
#include <cmath>

namespace rt::qt {
bool clipSegment(QPointF& a, QPointF& b, const QRectF& r) {
  double t0 = 0, t1 = 1;
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  const QPointF start = a;
  a = start + t0 * QPointF(dx, dy);
  b = start + t1 * QPointF(dx, dy);
  return true;
}

FaceRaster::FaceRaster(QImage& target)
    : bits_(target.bits()),
      stride_(target.bytesPerLine()),
      width_(target.width()),
      height_(target.height()) {}

void FaceRaster::fillQuad(const QPointF (&quad)[4], QRgb color) {
  double top = quad[0].y(), bottom = quad[0].y();
  for (const QPointF& q : quad) {
    if (!std::isfinite(q.x()) || !std::isfinite(q.y())) return;
    top = std::min(top, q.y());
    bottom = std::max(bottom, q.y());
  }
  // Rows whose centre y + 0.5 lies in [top, bottom).
  const int first = static_cast<int>(std::ceil(std::clamp(top - 0.5, -1.0, double(height_))));
  const int last = static_cast<int>(std::ceil(std::clamp(bottom - 0.5, -1.0, double(height_)))) - 1;
  // Each edge as y range [lo, hi) with x at lo and the slope dx/dy.
  struct Edge {
    double lo, hi, x, slope;
  } edges[4];
  int count = 0;
  for (int e = 0; e < 4; ++e) {
    QPointF a = quad[e], b = quad[(e + 1) % 4];
    if (a.y() == b.y()) continue;
    if (a.y() > b.y()) std::swap(a, b);
    edges[count++] = {a.y(), b.y(), a.x(), (b.x() - a.x()) / (b.y() - a.y())};
  }
  for (int y = std::max(first, 0); y <= std::min(last, height_ - 1); ++y) {
    const double yc = y + 0.5;
    double left = INFINITY, right = -INFINITY;
    for (int e = 0; e < count; ++e) {
      const Edge& g = edges[e];
      if (g.lo <= yc && yc < g.hi) {
        const double x = g.x + (yc - g.lo) * g.slope;
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
    if (!(left <= right)) continue;
    // Columns whose centre x + 0.5 lies in [left, right).
    const int x0 = static_cast<int>(std::ceil(std::clamp(left - 0.5, 0.0, double(width_))));
    const int x1 = static_cast<int>(std::ceil(std::clamp(right - 0.5, 0.0, double(width_))));
    std::fill(row(y) + x0, row(y) + x1, color);
  }
}

void FaceRaster::line(QPointF a, QPointF b, QRgb color) {
  if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) ||
      !std::isfinite(b.y())) {
    return;
  }
  auto inside = [this](QPointF q) {
    return q.x() >= 0 && q.y() >= 0 && q.x() < width_ && q.y() < height_;
  };
  if (!(inside(a) && inside(b)) && !clipSegment(a, b, QRectF(0, 0, width_, height_))) return;
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const int steps = static_cast<int>(std::ceil(std::max(std::abs(dx), std::abs(dy))));
  // Clipped to the image, so coordinates are non-negative: truncation floors.
  double x = a.x(), y = a.y();
  const double sx = steps > 0 ? dx / steps : 0, sy = steps > 0 ? dy / steps : 0;
  for (int i = 0; i <= steps; ++i, x += sx, y += sy) {
    plot(static_cast<int>(x), static_cast<int>(y), color);
  }
}

}  // namespace rt::qt

#include "platform/qt/face_raster.h"

#include <algorithm>
#include <cmath>

namespace rt::qt {
namespace {

// The ceiling of a value already clamped into the range of int.
int ceilInt(double v) {
  const int i = static_cast<int>(v);
  return i + (static_cast<double>(i) < v);
}

}  // namespace

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

inline int FaceRaster::rowAtOrBelow(double y) const {
  return ceilInt(std::clamp(y - 0.5, -1.0, double(height_)));
}

void FaceRaster::fillQuad(const QPointF (&quad)[4], QRgb color) {
  double top = quad[0].y(), bottom = quad[0].y();
  for (const QPointF& q : quad) {
    if (!std::isfinite(q.x()) || !std::isfinite(q.y())) return;
    top = std::min(top, q.y());
    bottom = std::max(bottom, q.y());
  }
  // Rows whose centre y + 0.5 lies in [top, bottom), within the image.
  const int first = std::max(rowAtOrBelow(top), 0);
  const int last = std::min(rowAtOrBelow(bottom), height_) - 1;
  if (first > last) return;
  // Each edge from its upper end: the rows whose centre lies in [a.y, b.y).
  struct Edge {
    double x, y, slope;
    int r0, r1;
  } edges[4];
  int count = 0;
  for (int e = 0; e < 4; ++e) {
    QPointF a = quad[e], b = quad[(e + 1) % 4];
    if (a.y() == b.y()) continue;
    if (a.y() > b.y()) std::swap(a, b);
    edges[count++] = {a.x(), a.y(), (b.x() - a.x()) / (b.y() - a.y()), rowAtOrBelow(a.y()),
                      rowAtOrBelow(b.y())};
  }
  // The outermost crossings of each row, gathered edge by edge (an edge
  // visits only its own rows), in bands of rows for tall faces. Faces are
  // mostly a few pixels wide: the rows cost more than their pixels.
  constexpr int kBand = 64;
  double left[kBand], right[kBand];
  for (int band = first; band <= last; band += kBand) {
    const int rows = std::min(kBand, last - band + 1);
    for (int i = 0; i < rows; ++i) {
      left[i] = INFINITY;
      right[i] = -INFINITY;
    }
    for (int e = 0; e < count; ++e) {
      const Edge& g = edges[e];
      const int r1 = std::min(g.r1, band + rows);
      for (int y = std::max(g.r0, band); y < r1; ++y) {
        const double x = g.x + (y + 0.5 - g.y) * g.slope;
        left[y - band] = std::min(left[y - band], x);
        right[y - band] = std::max(right[y - band], x);
      }
    }
    for (int i = 0; i < rows; ++i) {
      if (!(left[i] <= right[i])) continue;
      // Columns whose centre x + 0.5 lies in [left, right).
      const int x0 = ceilInt(std::clamp(left[i] - 0.5, 0.0, double(width_)));
      const int x1 = ceilInt(std::clamp(right[i] - 0.5, 0.0, double(width_)));
      QRgb* p = row(band + i) + x0;
      for (int n = x1 - x0; n > 0; --n) *p++ = color;
    }
  }
}

void FaceRaster::line(QPointF a, QPointF b, QRgb color) {
  if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) ||
      !std::isfinite(b.y())) {
    return;
  }
  if (b.y() < a.y() || (b.y() == a.y() && b.x() < a.x())) std::swap(a, b);
  auto inside = [this](QPointF q) {
    return q.x() >= 0 && q.y() >= 0 && q.x() < width_ && q.y() < height_;
  };
  if (!(inside(a) && inside(b)) && !clipSegment(a, b, QRectF(0, 0, width_, height_))) return;
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const int steps = ceilInt(std::max(std::abs(dx), std::abs(dy)));
  // Clipped to the image, so coordinates are non-negative: truncation floors.
  double x = a.x(), y = a.y();
  const double sx = steps > 0 ? dx / steps : 0, sy = steps > 0 ? dy / steps : 0;
  for (int i = 0; i <= steps; ++i, x += sx, y += sy) {
    plot(static_cast<int>(x), static_cast<int>(y), color);
  }
}

}  // namespace rt::qt

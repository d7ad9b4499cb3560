// Thinning a polyline to what a picture of it needs.
#include "platform/qt/polyline_thinning.h"

#include <algorithm>
#include <cstddef>

namespace rt::qt::render {

namespace {

// The segment a-b for asking which points lie within `tolerance` of it,
// beside it (not beyond an end): squares and a cross product, no root. What
// depends on the segment alone is worked out once for all the points asked
// about. A curve that comes back to where it was leaves a segment of no
// length: then near a itself.
class NearSegment {
 public:
  NearSegment(QPointF a, QPointF b, double tolerance)
      : a_(a),
        ab_(b - a),
        len2_(QPointF::dotProduct(ab_, ab_)),
        tol2_(tolerance * tolerance),
        reach2_(tol2_ * len2_) {}

  bool operator()(QPointF p) const {
    QPointF ap = p - a_;
    if (len2_ == 0) return QPointF::dotProduct(ap, ap) <= tol2_;
    double along = QPointF::dotProduct(ap, ab_);
    double cross = ab_.x() * ap.y() - ab_.y() * ap.x();
    return along >= 0 && along <= len2_ && cross * cross <= reach2_;
  }

 private:
  QPointF a_, ab_;
  double len2_, tol2_, reach2_;
};

// How many points one kept segment may stand for: bounds the checks per
// point on a long straight run.
constexpr std::size_t kLongestThinRun = 16;

}  // namespace

Polyline thinPolyline(const std::vector<QPointF>& pts, const std::vector<bool>& ok,
                      double tolerance) {
  Polyline out;
  out.pts.reserve(pts.size());
  out.ok.reserve(pts.size());
  auto keep = [&](std::size_t i) {
    out.pts.push_back(pts[i]);
    out.ok.push_back(ok[i]);
  };
  // Whether the segment anchor-end passes within tolerance of every point
  // between them.
  auto covers = [&](std::size_t anchor, std::size_t end) {
    const NearSegment near(pts[anchor], pts[end], tolerance);
    for (std::size_t k = anchor + 1; k < end; ++k)
      if (!near(pts[k])) return false;
    return true;
  };
  const std::size_t n = std::min(pts.size(), ok.size());
  for (std::size_t i = 0; i < n;) {
    if (!ok[i]) {
      keep(i++);
      continue;
    }
    std::size_t end = i;
    while (end < n && ok[end]) ++end;
    std::size_t anchor = i;
    keep(anchor);
    for (std::size_t j = anchor + 2; j < end; ++j) {
      if (j - anchor > kLongestThinRun || !covers(anchor, j)) {
        anchor = j - 1;
        keep(anchor);
      }
    }
    if (end - i >= 2) keep(end - 1);
    i = end;
  }
  return out;
}

}  // namespace rt::qt::render

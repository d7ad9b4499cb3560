// Thinning a polyline to the points a picture needs: a curve sampled far
// finer than the pixels keeps only the points that bend it by more than a
// tolerance. Plain geometry on points; no painter.
#pragma once

#include <QPointF>
#include <vector>

namespace rt::qt::render {

// The polyline of `pts` (broken where `ok` is false) with the points dropped
// that lie within `tolerance` of the segment joining the points kept around
// them: each unbroken run keeps its ends, and every dropped point lies that
// near the line drawn. A curve sampled far finer than the pixels keeps a
// small share of its points.
struct Polyline {
  std::vector<QPointF> pts;
  std::vector<bool> ok;
};
Polyline thinPolyline(const std::vector<QPointF>& pts, const std::vector<bool>& ok,
                      double tolerance);

}  // namespace rt::qt::render

// Flat-coloured quadrilaterals and hairlines drawn straight into a 32-bit
// image. Surfaces are painted this way on raster devices: a QPainter would
// have to change its brush for nearly every face, which costs more than the
// drawing itself. A turned pattern frame takes less than half the
// instructions and time this way (bench/README.md). Its fills set the pixels
// QPainter's aliased fill sets (a test compares them).
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QRgb>

namespace rt::qt {

// Clips the segment a-b to `r` (Liang-Barsky); false when nothing is left.
bool clipSegment(QPointF& a, QPointF& b, const QRectF& r);

class FaceRaster {
 public:
  // `target` must be Format_ARGB32_Premultiplied or Format_RGB32.
  explicit FaceRaster(QImage& target);

  // Fills the pixels whose centres lie inside the quad (a convex one; for
  // others each row is filled between its outermost edge crossings), so
  // that quads sharing an edge neither overlap nor leave a gap. Quads with a
  // corner that is not a finite number are left out.
  void fillQuad(const QPointF (&quad)[4], QRgb color);
  // A one-pixel line between a and b, both ends included, clipped to the
  // image. It is the same set of pixels whichever end comes first, so a
  // shared edge drawn again by the face in front covers the first drawing
  // exactly.
  void line(QPointF a, QPointF b, QRgb color);

 private:
  // The first row whose centre y + 0.5 is at or past `y` (-1 to the image's
  // height).
  int rowAtOrBelow(double y) const;
  void plot(int x, int y, QRgb color) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) row(y)[x] = color;
  }
  QRgb* row(int y) { return reinterpret_cast<QRgb*>(bits_ + y * stride_); }

  uchar* bits_;
  qsizetype stride_;
  int width_, height_;
};

}  // namespace rt::qt

// The direct quad and line rasteriser used for surfaces.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "platform/qt/face_raster.h"

namespace {

using rt::qt::FaceRaster;
using Quad = QPointF[4];

constexpr QRgb kInk = 0xff102030;

QImage blank(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  return img;
}

// A w x h picture with one quad filled.
QImage filled(int w, int h, const Quad& quad) {
  QImage img = blank(w, h);
  FaceRaster(img).fillQuad(quad, kInk);
  return img;
}

int inked(const QImage& img) {
  int count = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) count += img.pixel(x, y) == kInk;
  return count;
}

TEST(FaceRaster, FillsThePixelsWhoseCentresAreInside) {
  QImage img = filled(10, 10, {{2, 2}, {6, 2}, {6, 6}, {2, 6}});
  EXPECT_EQ(inked(img), 16);
  for (int y = 2; y < 6; ++y)
    for (int x = 2; x < 6; ++x) EXPECT_EQ(img.pixel(x, y), kInk) << x << "," << y;
  // Corner order and orientation do not matter; centres exactly on the
  // right or bottom edge are outside.
  img = filled(10, 10, {{1.5, 1.5}, {1.5, 4.5}, {4.5, 4.5}, {4.5, 1.5}});
  EXPECT_EQ(inked(img), 9);
  EXPECT_EQ(img.pixel(1, 1), kInk);
}

TEST(FaceRaster, NeighbouringQuadsNeitherOverlapNorLeaveGaps) {
  // A tilted strip cut in two along a slanted edge.
  const Quad a = {{1.3, 1.1}, {9.7, 2.4}, {8.2, 11.8}, {0.6, 9.9}};
  const QPointF cutTop = {5.1, 1.75}, cutBottom = {4.9, 10.9};
  const QImage whole = filled(12, 14, a), l = filled(12, 14, {a[0], cutTop, cutBottom, a[3]}),
               r = filled(12, 14, {cutTop, a[1], a[2], cutBottom});
  for (int y = 0; y < 14; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool inLeft = l.pixel(x, y) == kInk, inRight = r.pixel(x, y) == kInk;
      EXPECT_FALSE(inLeft && inRight) << "overlap at " << x << "," << y;
      EXPECT_EQ(inLeft || inRight, whole.pixel(x, y) == kInk) << "at " << x << "," << y;
    }
  }
  EXPECT_GT(inked(whole), 60);
}

TEST(FaceRaster, OutsideAndUnusableCoordinatesAreSafe) {
  EXPECT_EQ(
      inked(filled(8, 8, {{-1e300, -1e300}, {1e300, -1e300}, {1e300, 1e300}, {-1e300, 1e300}})),
      64);
  QImage none = blank(8, 8);
  FaceRaster r(none);
  r.fillQuad({{1, 1}, {std::nan(""), 1}, {6, 6}, {1, 6}}, kInk);
  r.fillQuad({{20, 20}, {30, 20}, {30, 30}, {20, 30}}, kInk);
  r.fillQuad({{1, 3}, {6, 3}, {6, 3}, {1, 3}}, kInk);  // flat
  r.line({-50, -50}, {-10, -3}, kInk);
  r.line({INFINITY, 0}, {3, 3}, kInk);
  EXPECT_EQ(inked(none), 0);
}

TEST(FaceRaster, LinesIncludeBothEndsAndAreClipped) {
  QImage img = blank(10, 10);
  FaceRaster r(img);
  r.line({0.5, 0.5}, {9.5, 0.5}, kInk);
  r.line({2.5, 2.5}, {2.5, 2.5}, kInk);  // a dot
  EXPECT_EQ(inked(img), 11);
  EXPECT_EQ(img.pixel(2, 2), kInk);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(img.pixel(x, 0), kInk);
  // A diagonal through the image from far outside: one pixel per column.
  QImage diag = blank(10, 10);
  FaceRaster(diag).line({-1e9, -1e9}, {1e9, 1e9}, kInk);
  EXPECT_EQ(inked(diag), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(diag.pixel(i, i), kInk);
}

}  // namespace

// The direct quad and line rasteriser used for surfaces.
#include "platform/qt/face_raster.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

namespace {

using rt::qt::FaceRaster;

constexpr QRgb kInk = 0xff102030;

QImage blank(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  return img;
}

int inked(const QImage& img) {
  int count = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) count += img.pixel(x, y) == kInk;
  return count;
}

TEST(FaceRaster, FillsThePixelsWhoseCentresAreInside) {
  QImage img = blank(10, 10);
  FaceRaster r(img);
  const QPointF square[4] = {{2, 2}, {6, 2}, {6, 6}, {2, 6}};
  r.fillQuad(square, kInk);
  EXPECT_EQ(inked(img), 16);
  for (int y = 2; y < 6; ++y)
    for (int x = 2; x < 6; ++x) EXPECT_EQ(img.pixel(x, y), kInk) << x << "," << y;

  // Corner order and orientation do not matter; centres exactly on the
  // right or bottom edge are outside.
  QImage other = blank(10, 10);
  FaceRaster r2(other);
  const QPointF reversed[4] = {{1.5, 1.5}, {1.5, 4.5}, {4.5, 4.5}, {4.5, 1.5}};
  r2.fillQuad(reversed, kInk);
  EXPECT_EQ(inked(other), 9);
  EXPECT_EQ(other.pixel(1, 1), kInk);
  EXPECT_NE(other.pixel(4, 4), kInk);
}

TEST(FaceRaster, NeighbouringQuadsNeitherOverlapNorLeaveGaps) {
  // A tilted strip cut in two along a slanted edge.
  const QPointF a[4] = {{1.3, 1.1}, {9.7, 2.4}, {8.2, 11.8}, {0.6, 9.9}};
  const QPointF cutTop = {5.1, 1.75}, cutBottom = {4.9, 10.9};
  const QPointF left[4] = {a[0], cutTop, cutBottom, a[3]};
  const QPointF right[4] = {cutTop, a[1], a[2], cutBottom};
  QImage whole = blank(12, 14), l = blank(12, 14), rImg = blank(12, 14);
  FaceRaster(whole).fillQuad(a, kInk);
  FaceRaster(l).fillQuad(left, kInk);
  FaceRaster(rImg).fillQuad(right, kInk);
  for (int y = 0; y < 14; ++y) {
    for (int x = 0; x < 12; ++x) {
      bool inLeft = l.pixel(x, y) == kInk, inRight = rImg.pixel(x, y) == kInk;
      EXPECT_FALSE(inLeft && inRight) << "overlap at " << x << "," << y;
      EXPECT_EQ(inLeft || inRight, whole.pixel(x, y) == kInk) << "at " << x << "," << y;
    }
  }
  EXPECT_GT(inked(whole), 60);
}

TEST(FaceRaster, OutsideAndUnusableCoordinatesAreSafe) {
  QImage img = blank(8, 8);
  FaceRaster r(img);
  const QPointF huge[4] = {{-1e300, -1e300}, {1e300, -1e300}, {1e300, 1e300}, {-1e300, 1e300}};
  r.fillQuad(huge, kInk);
  EXPECT_EQ(inked(img), 64);

  QImage none = blank(8, 8);
  FaceRaster rn(none);
  const QPointF nan[4] = {{1, 1}, {std::nan(""), 1}, {6, 6}, {1, 6}};
  rn.fillQuad(nan, kInk);
  const QPointF away[4] = {{20, 20}, {30, 20}, {30, 30}, {20, 30}};
  rn.fillQuad(away, kInk);
  const QPointF flat[4] = {{1, 3}, {6, 3}, {6, 3}, {1, 3}};
  rn.fillQuad(flat, kInk);
  rn.line({-50, -50}, {-10, -3}, kInk);
  rn.line({INFINITY, 0}, {3, 3}, kInk);
  EXPECT_EQ(inked(none), 0);
}

TEST(FaceRaster, LinesIncludeBothEndsAndAreClipped) {
  QImage img = blank(10, 10);
  FaceRaster r(img);
  r.line({0.5, 0.5}, {9.5, 0.5}, kInk);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(img.pixel(x, 0), kInk);
  r.line({2.5, 2.5}, {2.5, 2.5}, kInk);  // a dot
  EXPECT_EQ(img.pixel(2, 2), kInk);
  // A diagonal through the image from far outside: one pixel per column.
  QImage diag = blank(10, 10);
  FaceRaster rd(diag);
  rd.line({-1e9, -1e9}, {1e9, 1e9}, kInk);
  EXPECT_EQ(inked(diag), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(diag.pixel(i, i), kInk);
}

}  // namespace

// Surfaces written straight into the image a painter draws on, against the
// transparent layer the painter composes where it cannot take them so (a
// clipped or scaled painter, another device): the same pixels.
#include <QPainter>
#include <QTest>
#include <cmath>
#include <numbers>

#include "platform/qt/face_raster.h"
#include "platform/qt/qt_fixture.h"
#include "platform/qt/renderer.h"

namespace {

using qt_test::n;
using qt_test::s;

constexpr QSize kSize(420, 320);

// A fresh image: white for a window or figure, transparent for faces alone.
QImage fresh(QSize size, QImage::Format format = QImage::Format_ARGB32_Premultiplied) {
  QImage image(size, format);
  image.fill(format == QImage::Format_RGB32 ? Qt::white : Qt::transparent);
  return image;
}

// Each row of a quad filled from scratch: every edge tested against the row's
// centre, the pixels between the outermost crossings.
QImage referenceFill(const QPointF (&quad)[4], QSize size) {
  QImage image = fresh(size);
  for (int y = 0; y < size.height(); ++y) {
    const double yc = y + 0.5;
    double left = INFINITY, right = -INFINITY;
    for (int e = 0; e < 4; ++e) {
      QPointF a = quad[e], b = quad[(e + 1) % 4];
      if (a.y() > b.y()) std::swap(a, b);
      if (a.y() == b.y() || !(a.y() <= yc && yc < b.y())) continue;
      const double x = a.x() + (yc - a.y()) * ((b.x() - a.x()) / (b.y() - a.y()));
      left = std::min(left, x);
      right = std::max(right, x);
    }
    for (int x = 0; x < size.width(); ++x)
      if (left <= x + 0.5 && x + 0.5 < right) image.setPixel(x, y, 0xff000000);
  }
  return image;
}

TEST(FaceRasterFill, FillsEveryKindOfQuadAsRowByRowCrossingsDo) {
  // Convex, concave (one corner inside), crossed (a bow tie), with flat
  // edges, taller than a band of rows, partly off the image, degenerate.
  const QPointF quads[][4] = {{{2.2, 1.1}, {17.6, 3.4}, {15.2, 18.7}, {1.4, 14.9}},
                              {{2.0, 2.0}, {18.0, 2.0}, {9.0, 6.5}, {10.0, 18.0}},
                              {{1.5, 1.5}, {18.5, 17.5}, {18.5, 1.5}, {1.5, 17.5}},
                              {{3.0, 4.5}, {12.0, 4.5}, {12.0, 9.5}, {3.0, 9.5}},
                              {{9.7, 0.2}, {10.3, 0.2}, {19.9, 99.6}, {0.1, 99.6}},
                              {{-6.0, -3.0}, {25.0, 8.0}, {8.0, 30.0}, {4.0, 12.0}},
                              {{5.0, 2.0}, {5.0, 2.0}, {14.0, 16.0}, {3.0, 11.0}}};
  for (const auto& quad : quads) {
    QImage filled = fresh({20, 100});
    rt::qt::FaceRaster(filled).fillQuad(quad, 0xff000000);
    EXPECT_TRUE(filled == referenceFill(quad, filled.size())) << quad[0].x() << "," << quad[0].y();
  }
}

TEST(FaceRasterLine, CoversTheSamePixelsFromEitherEnd) {
  const QPointF ends[][2] = {{{0.5, 0.5}, {17.3, 9.9}},   {{3.0, 18.0}, {14.0, 2.0}},
                             {{2.25, 7.75}, {2.25, 1.5}}, {{-4.0, 3.3}, {25.1, 12.7}},
                             {{19.9, 0.1}, {0.1, 19.9}},  {{6.5, 6.5}, {13.5, 6.5}}};
  for (const auto& [a, b] : ends) {
    QImage forward = fresh({20, 20}), back = fresh({20, 20});
    rt::qt::FaceRaster(forward).line(a, b, 0xff000000);
    rt::qt::FaceRaster(back).line(b, a, 0xff000000);
    EXPECT_TRUE(forward == back) << a.x() << "," << a.y();
  }
}

using SurfacePaint = qt_test::QtTest;

TEST_F(SurfacePaint, FacesWrittenIntoTheImageMatchTheComposedLayer) {
  // A closed, pattern-like surface with a column of points that are not
  // numbers, seen turned so that faces hide one another.
  constexpr std::size_t kN = 31;
  const double pi = std::numbers::pi;
  std::vector<double> xyzc[4];
  for (std::size_t col = 0; col < kN; ++col)
    for (std::size_t r = 0; r < kN; ++r) {
      const double theta = pi * col / (kN - 1), phi = -pi / 2 + pi * r / (kN - 1);
      const double radius = col == 0 ? std::nan("") : std::sin(theta) * std::cos(phi / 2);
      const double unit[] = {std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi),
                             std::cos(theta), 1.0};
      for (int k = 0; k < 4; ++k) xyzc[k].push_back(radius * unit[k]);
    }
  const double fig = rt::figure({s("MenuBar"), s("none")}).scalar();
  const rt::Array ax = rt::axes({});
  std::vector<rt::Array> args;
  for (const auto& v : xyzc) args.push_back(rt::matrix(kN, kN, v));
  rt::surface(args);
  rt::view(ax, n(115), n(-35));
  // The figure painted on a fresh image, the painter prepared by `setUp`.
  auto painted = [&](QSize size, void (*setUp)(QPainter&)) {
    QImage image = fresh(size, QImage::Format_RGB32);
    QPainter p(&image);
    setUp(p);
    rt::qt::paintFigure(p, fig, kSize);
    return image;
  };
  const QImage direct = painted(kSize, [](QPainter&) {});
  // A clip, even one that keeps everything, sends the faces through a layer.
  EXPECT_TRUE(direct == painted(kSize, [](QPainter& p) { p.setClipRect(0, 0, 5000, 5000); }));
  // Enough of the surface to tell: several thousand pixels of its faces.
  EXPECT_GT(qt_test::countPixels(direct, [](QColor c) { return c.saturation() > 100; }), 5000);
  // A painter moved by whole pixels writes the same faces further on.
  const QImage moved = painted(kSize + QSize(30, 20), [](QPainter& p) { p.translate(30, 20); });
  EXPECT_TRUE(moved.copy(QRect(QPoint(30, 20), kSize)) == direct);
  // A shown window paints its backing store the direct way, as its layer would show it.
  QWidget* w = front->window(fig);
  ASSERT_NE(w, nullptr);
  w->resize(kSize);
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  QApplication::processEvents();
  QImage rendered = fresh(kSize, QImage::Format_RGB32), layered = rendered;
  w->render(&rendered);
  QPainter p(&layered);
  p.setClipRect(layered.rect());
  w->render(&p);
  p.end();
  EXPECT_TRUE(rendered == layered);
}

}  // namespace

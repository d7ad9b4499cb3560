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
using qt_test::QtTest;
using qt_test::s;

constexpr QSize kSize(420, 320);

// A closed, pattern-like surface with a column of points that are not
// numbers, seen turned so that faces hide one another; gives its figure.
double patternFigure() {
  constexpr std::size_t kN = 31;
  const double pi = std::numbers::pi;
  std::vector<double> xs(kN * kN), ys(kN * kN), zs(kN * kN), cs(kN * kN);
  for (std::size_t col = 0; col < kN; ++col) {
    for (std::size_t r = 0; r < kN; ++r) {
      const double theta = pi * static_cast<double>(col) / (kN - 1);
      const double phi = -pi / 2 + pi * static_cast<double>(r) / (kN - 1);
      const double radius = col == 0 ? std::nan("") : std::sin(theta) * std::cos(phi / 2);
      const std::size_t k = col * kN + r;
      cs[k] = radius;
      xs[k] = radius * std::sin(theta) * std::cos(phi);
      ys[k] = radius * std::sin(theta) * std::sin(phi);
      zs[k] = radius * std::cos(theta);
    }
  }
  rt::Array fig = rt::figure({s("MenuBar"), s("none")});
  rt::Array ax = rt::axes({});
  std::vector<rt::Array> args = {rt::matrix(kN, kN, xs), rt::matrix(kN, kN, ys),
                                 rt::matrix(kN, kN, zs), rt::matrix(kN, kN, cs)};
  rt::surface(args);
  rt::view(ax, n(115), n(-35));
  return fig.scalar();
}

// The figure painted on a fresh image, the painter prepared by `setUp`.
template <class SetUp>
QImage painted(double fig, QSize imageSize, SetUp setUp) {
  QImage image(imageSize, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  setUp(p);
  rt::qt::paintFigure(p, fig, kSize);
  return image;
}

int differingPixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return -1;
  int count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) count += a.pixel(x, y) != b.pixel(x, y);
  return count;
}

TEST(FaceRasterLine, CoversTheSamePixelsFromEitherEnd) {
  const QPointF ends[][2] = {{{0.5, 0.5}, {17.3, 9.9}},   {{3.0, 18.0}, {14.0, 2.0}},
                             {{2.25, 7.75}, {2.25, 1.5}}, {{-4.0, 3.3}, {25.1, 12.7}},
                             {{19.9, 0.1}, {0.1, 19.9}},  {{6.5, 6.5}, {13.5, 6.5}}};
  for (const auto& [a, b] : ends) {
    QImage forward(20, 20, QImage::Format_ARGB32_Premultiplied), back = forward;
    forward.fill(Qt::transparent);
    back.fill(Qt::transparent);
    rt::qt::FaceRaster(forward).line(a, b, 0xff000000);
    rt::qt::FaceRaster(back).line(b, a, 0xff000000);
    EXPECT_EQ(differingPixels(forward, back), 0) << a.x() << "," << a.y();
  }
}

class SurfacePaint : public QtTest {};

TEST_F(SurfacePaint, FacesWrittenIntoTheImageMatchTheComposedLayer) {
  const double fig = patternFigure();
  const QImage direct = painted(fig, kSize, [](QPainter&) {});
  // A clip, even one that keeps everything, sends the faces through a layer.
  const QImage layered = painted(fig, kSize, [](QPainter& p) { p.setClipRect(0, 0, 5000, 5000); });
  EXPECT_EQ(differingPixels(direct, layered), 0);
  // Enough of the surface to tell: several thousand pixels of its faces.
  int coloured = 0;
  for (int y = 0; y < direct.height(); ++y)
    for (int x = 0; x < direct.width(); ++x) {
      const QColor c = direct.pixelColor(x, y);
      coloured += c.saturation() > 100;
    }
  EXPECT_GT(coloured, 5000);

  // A painter moved by whole pixels writes the same faces further on.
  const QImage moved =
      painted(fig, kSize + QSize(30, 20), [](QPainter& p) { p.translate(30, 20); });
  EXPECT_EQ(differingPixels(moved.copy(QRect(QPoint(30, 20), kSize)), direct), 0);
}

TEST_F(SurfacePaint, AShownWindowRendersItsFacesAsALayerWouldShowThem) {
  const double fig = patternFigure();
  QWidget* w = front->window(fig);
  ASSERT_NE(w, nullptr);
  w->resize(kSize);
  // Shown, the window paints its backing store the direct way.
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  QApplication::processEvents();
  QImage rendered(w->size(), QImage::Format_RGB32), layered = rendered;
  rendered.fill(Qt::white);
  w->render(&rendered);
  layered.fill(Qt::white);
  QPainter p(&layered);
  p.setClipRect(layered.rect());
  w->render(&p);
  p.end();
  EXPECT_EQ(differingPixels(rendered, layered), 0);
}

}  // namespace

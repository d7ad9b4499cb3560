// Where axes are painted: the pixel <-> data mappings kept for mouse
// handling, and the window's answer to "which axes is under this pixel".
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest/QTest>
#include <cmath>

#include "platform/qt/qt_fixture.h"
#include "platform/qt/renderer.h"

namespace {

using qt_test::n;
using qt_test::QtTest;
using qt_test::s;
using rt::qt::AxisMap;

TEST(AxisMap, PixelToDataAndBackOnBothAxes) {
  // x runs right from the box's left edge; y runs up from its bottom.
  const AxisMap axes[] = {{{-3, 12}, 50, 400}, {{0.1, 20}, 300, -250}, {{1e9, 3e9}, 0, 97}};
  for (const AxisMap& a : axes) {
    SCOPED_TRACE(testing::Message() << "[" << a.lim[0] << ", " << a.lim[1] << "]");
    for (double f : {-0.5, 0.0, 0.3, 1.0, 1.7}) {
      const double v = a.lim[0] + f * (a.lim[1] - a.lim[0]);
      EXPECT_NEAR(a.toPixel(v), a.pixel0 + f * a.pixelLength, 1e-9);
      EXPECT_NEAR(a.toData(a.toPixel(v)), v, 1e-9 * std::abs(a.lim[1] - a.lim[0]));
    }
  }
}

// A window with a 2-D plot on the left and a 3-D view on the right, painted.
class WindowLayout : public QtTest {
 protected:
  void SetUp() override {
    QtTest::SetUp();
    fig = handle(rt::figure({s("Position"), rt::row({0.1, 0.1, 0.6, 0.6})}));
    plot2d = handle(rt::axes({s("Position"), rt::row({0.1, 0.1, 0.35, 0.8})}));
    rt::plot(rt::row({0, 10}), rt::row({-1, 1}));
    rt::set(rt::gca(), {s("XLim"), rt::row({0, 10}), s("YLim"), rt::row({-1, 1})});
    plot3d = handle(rt::axes({s("Position"), rt::row({0.55, 0.1, 0.4, 0.8})}));
    rt::view(rt::gca(), n(95), n(-45));
    paint();
  }
  void paint() {
    QWidget* w = front->window(fig);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    w->repaint();
  }
  QSize size() { return front->window(fig)->size(); }

  double fig = 0, plot2d = 0, plot3d = 0;
};

TEST_F(WindowLayout, PixelFindsTheAxesUnderItAndItsData) {
  QPointF left(size().width() * 0.3, size().height() * 0.5);
  std::optional<rt::qt::AxesLayout> a = front->axesAt(fig, left);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->axes, plot2d);
  EXPECT_FALSE(a->threeD());
  EXPECT_TRUE(a->box.contains(left));
  // The box's corners are the limits: y grows upwards.
  QPointF lowLeft = a->toData(a->box.bottomLeft());
  EXPECT_NEAR(lowLeft.x(), 0, 1e-9);
  EXPECT_NEAR(lowLeft.y(), -1, 1e-9);
  EXPECT_NEAR(QLineF(a->toPixel(5, 0), a->box.center()).length(), 0, 1e-9);

  const QPointF right(size().width() * 0.75, size().height() * 0.5);
  std::optional<rt::qt::AxesLayout> b = front->axesAt(fig, right);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->axes, plot3d);
  ASSERT_TRUE(b->threeD());
  EXPECT_EQ(b->projection->elevation(), -45);

  // Between and around the axes, and in no window at all: nothing.
  EXPECT_FALSE(front->axesAt(fig, QPointF(size().width() * 0.5, size().height() * 0.5)));
  EXPECT_FALSE(front->axesAt(fig, QPointF(2, 2)));
  EXPECT_FALSE(front->axesAt(fig + 1000, left));

  // Writing a file leaves the layouts; deleted axes are not found, even
  // before the window repaints.
  QTemporaryDir dir;
  ASSERT_EQ(front->savePng(fig, dir.filePath("w.png")), "");
  EXPECT_EQ(front->axesAt(fig, right)->box, b->box);
  rt::gfx::deleteObject(plot3d);
  EXPECT_FALSE(front->axesAt(fig, right));
  paint();
  EXPECT_FALSE(front->axesAt(fig, right));
  EXPECT_TRUE(front->axesAt(fig, left));
}

}  // namespace

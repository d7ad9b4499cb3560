// Where axes are painted: the pixel <-> data mappings kept for mouse
// handling, and the window's answer to "which axes is under this pixel".
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest/QTest>

#include "platform/qt/qt_fixture.h"
#include "platform/qt/renderer.h"

namespace {

using qt_test::n;
using qt_test::s;
using WindowLayout = qt_test::QtTest;

// A window with a 2-D plot on the left and a 3-D view on the right, painted.
TEST_F(WindowLayout, PixelFindsTheAxesUnderItAndItsData) {
  const double fig = handle(rt::figure({s("Position"), rt::row({0.1, 0.1, 0.6, 0.6})}));
  const double plot2d = handle(rt::axes({s("Position"), rt::row({0.1, 0.1, 0.35, 0.8})}));
  rt::plot(rt::row({0, 10}), rt::row({-1, 1}));
  rt::set(rt::gca(), {s("XLim"), rt::row({0, 10}), s("YLim"), rt::row({-1, 1})});
  const double plot3d = handle(rt::axes({s("Position"), rt::row({0.55, 0.1, 0.4, 0.8})}));
  rt::view(rt::gca(), n(95), n(-45));
  QWidget* w = front->window(fig);
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  w->repaint();

  const QPointF left(w->width() * 0.3, w->height() * 0.5), right(w->width() * 0.75, left.y());
  std::optional<rt::qt::AxesLayout> a = front->axesAt(fig, left);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->axes, plot2d);
  EXPECT_FALSE(a->threeD());
  // The box's corners are the limits: y grows upwards.
  EXPECT_EQ(a->toData(a->box.bottomLeft()), QPointF(0, -1));
  EXPECT_NEAR(QLineF(a->toPixel(5, 0), a->box.center()).length(), 0, 1e-9);
  std::optional<rt::qt::AxesLayout> b = front->axesAt(fig, right);
  ASSERT_TRUE(b && b->threeD());
  EXPECT_EQ(b->axes, plot3d);
  EXPECT_EQ(b->projection->elevation(), -45);

  // Between and around the axes, and in no window at all: nothing.
  EXPECT_FALSE(front->axesAt(fig, QPointF(w->width() * 0.5, left.y())));
  EXPECT_FALSE(front->axesAt(fig, QPointF(2, 2)));
  EXPECT_FALSE(front->axesAt(fig + 1000, left));

  // Writing a file leaves the layouts; deleted axes are not found, even
  // before the window repaints.
  QTemporaryDir dir;
  ASSERT_EQ(front->savePng(fig, dir.filePath("w.png")), "");
  EXPECT_EQ(front->axesAt(fig, right)->box, b->box);
  rt::gfx::deleteObject(plot3d);
  EXPECT_FALSE(front->axesAt(fig, right));
  w->repaint();
  EXPECT_FALSE(front->axesAt(fig, right));
  EXPECT_TRUE(front->axesAt(fig, left));
}

}  // namespace

// A user's mouse and keys on figure windows: zoom, pan and rotate written
// through the object system and undone by a double click, the data cursor,
// and the window's answer to "which axes is under this pixel".
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <cmath>

#include "platform/qt/figure_window.h"
#include "platform/qt/qt_fixture.h"

namespace {

using namespace qt_test;

using rt::qt::FigureWindow;
using rt::qt::Tool;

std::vector<double> values(double h, const char* name) {
  rt::Array a = rt::get(rt::scalar(h), name);
  return {a.re().begin(), a.re().end()};
}

class Figures : public QtTest {
 protected:
  // A figure with one 2-D axes holding a line through (0, 0) ... (10, 100).
  FigureWindow* linePlot() {
    fig = handle(rt::figure({}));
    ax = handle(rt::axes({}));
    const rt::Array x = rt::linspace(n(0), n(10), n(11));
    rt::plot(x, rt::times(x, x));
    rt::axis(s("tight"));
    return shown();
  }
  // A figure with a 3-D surface seen from below, as the pattern is.
  FigureWindow* surfacePlot() {
    fig = handle(rt::figure({}));
    ax = handle(rt::axes({}));
    const rt::Array v = rt::row({1, 2, 3, 4, 5});
    std::vector<rt::Array> args = {
        v, v, rt::mtimes(rt::ctranspose(rt::minus(v, n(1))), rt::minus(v, n(1)))};
    rt::surface(args);
    rt::view(rt::scalar(ax), n(95), n(-45));
    return shown();
  }
  FigureWindow* shown() {
    auto* w = dynamic_cast<FigureWindow*>(front->window(fig));
    EXPECT_NE(w, nullptr);
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
    w->repaint();
    return w;
  }
  QPoint pixelOf(FigureWindow* w, double x, double y) {
    return w->axesAt(w->layouts().at(0).box.center())->toPixel(x, y).toPoint();
  }
  static void drag(QWidget* w, Qt::MouseButton button, QPoint from, QPoint to) {
    QTest::mousePress(w, button, {}, from);
    QTest::mouseMove(w, to);
    QTest::mouseRelease(w, button, {}, to);
  }
  static void wheel(QWidget* w, QPoint at, int notches) {
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
  }

  double fig = 0, ax = 0;
};

TEST_F(Figures, ADoubleClickRestoresTheLimitsTheProgramSetLastAfterAZoomOrAPan) {
  FigureWindow* w = linePlot();
  std::vector<double> before = values(ax, "XLim");
  QPoint at = pixelOf(w, 4, 30);
  wheel(w, at, 1);
  // A limit the program sets after the user's zoom is the one to go back to.
  rt::set(rt::scalar(ax), {s("YLim"), rt::row({-5, 50})});
  w->repaint();
  wheel(w, at, -1);
  QTest::mouseDClick(w, Qt::LeftButton, {}, at);
  EXPECT_EQ(values(ax, "YLim"), (std::vector<double>{-5, 50}));

  // The program's next fit refits what the user zoomed.
  wheel(w, at, 3);
  rt::axis(s("tight"));
  EXPECT_EQ(values(ax, "XLim"), before);

  // Drags pan with the middle button, and a band zooms in zoom mode.
  rt::axis(s("auto"));
  w->repaint();
  before = values(ax, "XLim");
  drag(w, Qt::MiddleButton, pixelOf(w, 5, 50), pixelOf(w, 3, 50));
  std::vector<double> panned = values(ax, "XLim");
  EXPECT_NEAR(panned[0], before[0] + 2, 0.05);
  EXPECT_NEAR(panned[1] - panned[0], before[1] - before[0], 1e-9);

  w->setTool(Tool::Zoom);
  w->repaint();
  const QPoint a = pixelOf(w, 4, 20);
  drag(w, Qt::LeftButton, a, pixelOf(w, 6, 40));
  const std::vector<double> x = values(ax, "XLim"), y = values(ax, "YLim");
  EXPECT_TRUE(std::abs(x[0] - 4) < 0.1 && std::abs(x[1] - 6) < 0.1) << x[0] << " " << x[1];
  EXPECT_TRUE(std::abs(y[0] - 20) < 1 && std::abs(y[1] - 40) < 1) << y[0] << " " << y[1];
  w->repaint();
  QTest::mouseDClick(w, Qt::LeftButton, {}, a);
  EXPECT_EQ(values(ax, "XLim"), before);
  EXPECT_EQ(rt::get(rt::scalar(ax), "XLimMode").text(), "auto") << "the program's mode comes back";
}

TEST_F(Figures, DraggingA3DAxesTurnsItsViewUntilADoubleClickAndTheDataCursorNamesAPoint) {
  FigureWindow* w = surfacePlot();
  const QPoint centre = w->layouts().at(0).box.center().toPoint();
  drag(w, Qt::LeftButton, centre, centre + QPoint(40, 20));
  EXPECT_EQ(values(ax, "View"), (std::vector<double>{95 - 20, -45 + 10}));
  QTest::mouseDClick(w, Qt::LeftButton, {}, centre);
  EXPECT_EQ(values(ax, "View"), (std::vector<double>{95, -45})) << "a double click turns it back";
  rt::qt::rotateTo(ax, 10, 120);
  EXPECT_EQ(values(ax, "View"), (std::vector<double>{10, 90}));

  // In data cursor mode a click on the surface names its grid point.
  w->repaint();
  w->setTool(Tool::DataCursor);
  QTest::mouseClick(w, Qt::LeftButton, {},
                    w->layouts().at(0).projection->toScreen(4, 2, 3).toPoint());
  ASSERT_TRUE(w->dataTip());
  EXPECT_EQ(w->dataTip()->text.toStdString(), "X: 4\nY: 2\nZ: 3\nColor: 3");
}

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
  std::optional<rt::qt::AxesLayout> b = front->axesAt(fig, right);
  ASSERT_TRUE(b && b->threeD());
  EXPECT_EQ(b->axes, plot3d);

  // Between and around the axes, and in no window at all: nothing.
  EXPECT_FALSE(front->axesAt(fig, QPointF(w->width() * 0.5, left.y())));
  EXPECT_FALSE(front->axesAt(fig, QPointF(2, 2)));

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

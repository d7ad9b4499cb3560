// A change repaints what it changed: the axes it belongs to, the control
// whose text it set, and never the captions and panels around them; the
// pixels a window shows after such repaints are those a whole repaint shows;
// and a dense curve is drawn with fewer points, none of them moved visibly.
#include <QEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QScreen>
#include <QtTest/QTest>
#include <algorithm>
#include <cmath>
#include <map>

#include "platform/qt/polyline_thinning.h"
#include "platform/qt/qt_fixture.h"

namespace {

using namespace qt_test;

// The regions that watched widgets were asked to paint.
class PaintLog : public QObject {
 public:
  void watch(QWidget* w) { w->installEventFilter(this); }
  std::map<QObject*, QRegion> painted;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint) painted[o] += static_cast<QPaintEvent*>(e)->region();
    return false;
  }
};

class PartialRepaintTest : public qt_test::QtTest {
 protected:
  // A 480 x 360 window: two axes side by side, a caption above them, an
  // edit box below.
  void SetUp() override {
    QtTest::SetUp();
    fig = rt::figure({s("Position"), rt::row({0.1, 0.1, 0.6, 0.6}), s("MenuBar"), s("none")});
    left = rt::axes({s("Position"), rt::row({0.1, 0.3, 0.35, 0.5})});
    leftLine = rt::plot(rt::row({0, 1, 2}), rt::row({1, 3, 2}));
    right = rt::axes({s("Position"), rt::row({0.6, 0.3, 0.35, 0.5})});
    rt::plot(rt::row({0, 1, 2}), rt::row({2, 1, 3}));
    caption = rt::uicontrol({s("Style"), s("text"), s("Units"), s("normalized"), s("Position"),
                             rt::row({0.1, 0.9, 0.8, 0.08}), s("String"), s("Patch")});
    edit = rt::uicontrol({s("Style"), s("edit"), s("Units"), s("normalized"), s("Position"),
                          rt::row({0.4, 0.05, 0.2, 0.08}), s("String"), s("30")});
    window = front->window(handle(fig));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    settle();
    log.watch(window);
    log.watch(widget(caption));
    log.watch(widget(edit));
  }

  QWidget* widget(const rt::Array& h) const { return front->widget(handle(h)); }
  // Every repaint asked for is done.
  static void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }
  // What the window shows now: its backing store, not a new rendering.
  QImage shown() const {
    return window->screen()
        ->grabWindow(window->winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }
  // The plot box of an axes as the window last painted it.
  QRect plotBox(const rt::Array& ax) const {
    rt::Array p = rt::get(ax, "Position");
    QPointF centre((p.re()[0] + p.re()[2] / 2) * window->width(),
                   (1 - p.re()[1] - p.re()[3] / 2) * window->height());
    auto l = front->axesAt(handle(fig), centre);
    return l && l->axes == handle(ax) ? l->box.toAlignedRect() : QRect();
  }

  rt::Array fig, left, leftLine, right, caption, edit;
  QWidget* window = nullptr;
  PaintLog log;
};

TEST_F(PartialRepaintTest, NewDataRepaintsItsAxesAndAControlItsOwnWidgetAlone) {
  QRect leftBox = plotBox(left), rightBox = plotBox(right);
  ASSERT_FALSE(leftBox.isEmpty());
  rt::set(leftLine, {s("YData"), rt::row({3, 1, 2})});
  settle();
  EXPECT_TRUE(log.painted[window].contains(leftBox));
  EXPECT_FALSE(log.painted[window].intersects(rightBox.adjusted(4, 4, -4, -4)));
  EXPECT_FALSE(log.painted[window].intersects(widget(caption)->geometry()));
  EXPECT_FALSE(log.painted.count(widget(caption)));
  EXPECT_FALSE(log.painted.count(widget(edit)));

  log.painted.clear();
  rt::set(edit, {s("String"), s("31")});
  settle();
  EXPECT_EQ(static_cast<QLineEdit*>(widget(edit))->text(), "31");
  EXPECT_TRUE(log.painted.count(widget(edit)));
  EXPECT_FALSE(log.painted.count(widget(caption)));
  EXPECT_FALSE(log.painted[window].intersects(leftBox.adjusted(4, 4, -4, -4)));
}

// An object deleted in another window leaves this one alone, so that the
// main window's acts do not wait for every pattern window open.
TEST_F(PartialRepaintTest, AnObjectDeletedElsewhereRepaintsOnlyItsOwnWindow) {
  QWidget* other = front->window(handle(rt::figure()));
  rt::axes({});
  const double line = handle(rt::plot(rt::row({1, 2}), rt::row({3, 4})));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(other));
  settle();
  log.watch(other);
  log.painted.clear();
  rt::gfx::deleteObject(line);
  settle();
  EXPECT_TRUE(log.painted.count(other)) << "the window that showed the line repaints";
  EXPECT_FALSE(log.painted.count(window));
}

TEST_F(PartialRepaintTest, AfterPartialRepaintsTheWindowShowsWhatAWholeRepaintShows) {
  auto expectWhole = [this](const char* after) {
    settle();
    QImage partial = shown();
    window->update();
    settle();
    EXPECT_EQ(partial, shown()) << "after " << after;
  };
  // A title wider than all the axes covered before reaches past it.
  rt::set(rt::get(left, "Title"), {s("String"), s("A title far wider than its own axes")});
  expectWhole("a longer title");
  rt::set(left, {s("Position"), rt::row({0.15, 0.2, 0.3, 0.5})});
  expectWhole("the axes moved");
  rt::set(leftLine, {s("LineWidth"), n(6), s("Marker"), s("o")});
  expectWhole("a thicker line with markers");
  rt::gfx::deleteObject(handle(leftLine));
  expectWhole("the line deleted");
  rt::gfx::deleteObject(handle(right));
  expectWhole("the axes deleted");
  rt::set(fig, {s("Color"), rt::row({1, 1, 0.8})});
  expectWhole("the figure's colour changed");
}

TEST(ThinPolyline, KeepsEndsBreaksAndTurnsAndDropsOnlyWhatLiesOnTheLine) {
  using rt::qt::render::thinPolyline;
  // A straight run, a sharp turn, a spike that comes back to where it
  // started, a gap, then a curve sampled far finer than a pixel.
  std::vector<QPointF> pts;
  for (int i = 0; i <= 40; ++i) pts.emplace_back(i * 0.25, 10 + i * 0.125);
  pts.emplace_back(10, 0);
  pts.emplace_back(11, 5);
  pts.emplace_back(10, 0);
  pts.emplace_back(std::nan(""), 0);
  for (int i = 0; i <= 400; ++i) pts.emplace_back(20 + i * 0.25, 50 * std::sin(i * 0.01));
  std::vector<bool> ok(pts.size());
  for (std::size_t i = 0; i < pts.size(); ++i) ok[i] = std::isfinite(pts[i].x());

  const double tolerance = 0.05;
  rt::qt::render::Polyline thin = thinPolyline(pts, ok, tolerance);
  ASSERT_EQ(thin.pts.size(), thin.ok.size());
  EXPECT_LT(thin.pts.size(), pts.size() / 4);
  // Both ends of each run, the turn and the break stay, in order.
  EXPECT_EQ(thin.pts.front(), pts.front());
  EXPECT_EQ(thin.pts.back(), pts.back());
  auto at = [&](QPointF p) { return std::find(thin.pts.begin(), thin.pts.end(), p); };
  EXPECT_NE(at(pts[40]), thin.pts.end());
  EXPECT_NE(at(pts[41]), thin.pts.end());
  EXPECT_EQ(std::count(thin.ok.begin(), thin.ok.end(), false), 1);
  EXPECT_NE(at(pts[42]), thin.pts.end());
  EXPECT_NE(at(pts[45]), thin.pts.end());
  // Every point dropped lies within the tolerance of the segment drawn
  // across it.
  std::size_t k = 0;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    if (!ok[i] || (k < thin.pts.size() && thin.pts[k] == pts[i])) {
      ++k;
      continue;
    }
    ASSERT_GT(k, 0u);
    QPointF a = thin.pts[k - 1], b = thin.pts[k], ab = b - a, ap = pts[i] - a;
    double t = std::clamp(QPointF::dotProduct(ap, ab) / QPointF::dotProduct(ab, ab), 0.0, 1.0);
    QPointF off = ap - t * ab;
    EXPECT_LE(std::hypot(off.x(), off.y()), tolerance + 1e-12) << "point " << i;
  }
}

}  // namespace

// A change repaints only part of a window: afterwards the window shows the
// pixels a whole repaint shows. And a dense curve is drawn with fewer
// points, none of them moved visibly.
#include <QScreen>
#include <QtTest/QTest>
#include <algorithm>
#include <cmath>

#include "platform/qt/polyline_thinning.h"
#include "platform/qt/qt_fixture.h"

namespace {

using namespace qt_test;

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
    rt::uicontrol({s("Style"), s("text"), s("Units"), s("normalized"), s("Position"),
                   rt::row({0.1, 0.9, 0.8, 0.08}), s("String"), s("Patch")});
    rt::uicontrol({s("Style"), s("edit"), s("Units"), s("normalized"), s("Position"),
                   rt::row({0.4, 0.05, 0.2, 0.08}), s("String"), s("30")});
    window = front->window(handle(fig));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    settle();
  }

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

  rt::Array fig, left, leftLine, right;
  QWidget* window = nullptr;
};

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
  pts.insert(pts.end(), {{10, 0}, {11, 5}, {10, 0}, {std::nan(""), 0}});
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
  for (std::size_t i : {40, 41, 42, 45})
    EXPECT_NE(std::find(thin.pts.begin(), thin.pts.end(), pts[i]), thin.pts.end()) << i;
  EXPECT_EQ(std::count(thin.ok.begin(), thin.ok.end(), false), 1);
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

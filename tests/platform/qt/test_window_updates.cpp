// Which windows repaint when an object goes: only the one that showed it, so
// that the main window's acts do not wait for every pattern window open.
#include <QTest>

#include "platform/qt/qt_fixture.h"

namespace {

// Counts the paint events a widget receives.
struct Paints : QObject {
  explicit Paints(QWidget* w) { w->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    return count += e->type() == QEvent::Paint, false;
  }
  int count = 0;
};

using WindowUpdates = qt_test::QtTest;

TEST_F(WindowUpdates, DeletingAnObjectRepaintsOnlyItsOwnWindow) {
  QWidget* w1 = front->window(rt::figure().scalar());
  rt::axes({});
  const double line = rt::plot(rt::row({1, 2}), rt::row({3, 4})).scalar();
  QWidget* w2 = front->window(rt::figure().scalar());
  rt::axes({});
  ASSERT_TRUE(w1 && w2 && QTest::qWaitForWindowExposed(w1) && QTest::qWaitForWindowExposed(w2));
  QApplication::processEvents();
  Paints p1(w1), p2(w2);
  rt::gfx::deleteObject(line);
  QApplication::processEvents();
  EXPECT_GE(p1.count, 1) << "the window that showed the line repaints";
  EXPECT_EQ(p2.count, 0);
}

}  // namespace

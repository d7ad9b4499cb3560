// Which windows repaint when an object goes: only the one that showed it, so
// that the main window's acts do not wait for every pattern window open.
#include <QTest>

#include "platform/qt/qt_fixture.h"

namespace {

using qt_test::QtTest;

// Counts the paint events a widget receives.
class Paints : public QObject {
 public:
  explicit Paints(QWidget* w) { w->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++count;
    return false;
  }
};

class WindowUpdates : public QtTest {};

TEST_F(WindowUpdates, DeletingAnObjectRepaintsOnlyItsOwnWindow) {
  const double first = rt::figure().scalar();
  rt::axes({});
  const double line = rt::plot(rt::row({1, 2}), rt::row({3, 4})).scalar();
  const double second = rt::figure().scalar();
  rt::axes({});
  QWidget* w1 = front->window(first);
  QWidget* w2 = front->window(second);
  ASSERT_TRUE(w1 && w2);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w1));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w2));
  QApplication::processEvents();

  Paints p1(w1), p2(w2);
  rt::gfx::deleteObject(line);
  QApplication::processEvents();
  EXPECT_GE(p1.count, 1) << "the window that showed the line repaints";
  EXPECT_EQ(p2.count, 0);
}

}  // namespace

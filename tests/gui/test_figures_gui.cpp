// The program's own figures under the mouse: only the pattern has menus, and
// a drag turns its view until a double click sets it back.
#include <gtest/gtest.h>

#include <QMenuBar>
#include <vector>

#include "gui/gui_session.h"
#include "platform/qt/figure_window.h"

namespace {

TEST(FiguresOnWidgets, ThePatternHasMenusAndADragTurnsItsView) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              gui::enterBand(qt);
              rt::qt::SliderBar* b = gui::slider(qt, "slider6");
              QTest::mouseClick(b, Qt::LeftButton, {},
                                b->partRect(QStyle::SC_ScrollBarAddPage).center());
              const std::vector<double> figs = rt::gfx::figures();
              ASSERT_EQ(figs.size(), 2u);
              EXPECT_EQ(qt.window(figs[0])->findChild<QMenuBar*>(), nullptr)
                  << "the main window has no menus";
              auto* w = dynamic_cast<rt::qt::FigureWindow*>(qt.window(figs[1]));
              ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
              w->repaint();
              ASSERT_NE(w->findChild<QMenuBar*>(), nullptr);
              ASSERT_EQ(w->layouts().size(), 1u);
              const rt::Array ax = rt::scalar(w->layouts()[0].axes);
              const std::vector<double> set = session::values(rt::get(ax, "View"));
              const QImage before = w->grab(w->figureRect()).toImage();
              const QPoint c = w->layouts()[0].box.center().toPoint();
              QTest::mousePress(w, Qt::LeftButton, {}, c);
              QTest::mouseMove(w, c + QPoint(60, -30));
              QTest::mouseRelease(w, Qt::LeftButton, {}, c + QPoint(60, -30));
              const std::vector<double> turned = session::values(rt::get(ax, "View"));
              EXPECT_NEAR(turned[0], set[0] - 30, 1e-9);
              EXPECT_NEAR(turned[1], set[1] - 15, 1e-9);
              w->repaint();
              EXPECT_NE(w->grab(w->figureRect()).toImage(), before);
              QTest::mouseDClick(w, Qt::LeftButton, {}, c);
              EXPECT_EQ(session::values(rt::get(ax, "View")), set);
            }),
            0);
}

}  // namespace

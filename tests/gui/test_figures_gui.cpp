// The program's own figures under the mouse: the impedance axes zoom and come
// back, the pattern turns under a drag, and only the pattern has menus.
#include <gtest/gtest.h>

#include <QMenuBar>
#include <QWheelEvent>
#include <vector>

#include "gui/gui_session.h"
#include "platform/qt/figure_window.h"

namespace {

rt::qt::FigureWindow* figureWindow(rt::qt::QtFrontEnd& qt, double fig) {
  auto* w = dynamic_cast<rt::qt::FigureWindow*>(qt.window(fig));
  EXPECT_NE(w, nullptr);
  EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
  w->repaint();
  return w;
}

// Where an axes was last painted in its window.
rt::qt::AxesLayout layoutOf(rt::qt::FigureWindow* w, double ax) {
  for (const rt::qt::AxesLayout& l : w->layouts())
    if (l.axes == ax) return l;
  ADD_FAILURE() << "axes not painted";
  return {};
}

void bandAndPattern(rt::qt::QtFrontEnd& qt) {
  gui::typeInto(gui::edit(qt, "edit5"), "1");
  gui::typeInto(gui::edit(qt, "edit6"), "3");
  rt::qt::SliderBar* b = gui::slider(qt, "slider6");
  QTest::mouseClick(b, Qt::LeftButton, {}, b->partRect(QStyle::SC_ScrollBarAddPage).center());
}

TEST(FiguresOnWidgets, TheWheelZoomsTheResistanceAboutTheCursorAndADoubleClickRestoresIt) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              bandAndPattern(qt);
              double axes1 = session::tagged("axes1");
              std::vector<double> fitted = session::values(session::prop("axes1", "XLim"));
              rt::qt::FigureWindow* w = figureWindow(qt, session::mainWindow());
              EXPECT_EQ(w->findChild<QMenuBar*>(), nullptr) << "the main window has no menus";
              rt::qt::AxesLayout l = layoutOf(w, axes1);
              QPoint at = l.toPixel(fitted[0] + 0.25 * (fitted[1] - fitted[0]), 0).toPoint();
              at.setY(static_cast<int>(l.box.center().y()));
              QWheelEvent e(at, w->mapToGlobal(at), {}, QPoint(0, 240), Qt::NoButton, {},
                            Qt::NoScrollPhase, false);
              QApplication::sendEvent(w, &e);
              std::vector<double> zoomed = session::values(session::prop("axes1", "XLim"));
              EXPECT_NEAR(zoomed[1] - zoomed[0], 0.64 * (fitted[1] - fitted[0]), 1e-9);
              EXPECT_NEAR(zoomed[0], fitted[0] + 0.36 * 0.25 * (fitted[1] - fitted[0]),
                          0.01 * (fitted[1] - fitted[0]));
              w->repaint();
              QTest::mouseDClick(w, Qt::LeftButton, {}, at);
              EXPECT_EQ(session::values(session::prop("axes1", "XLim")), fitted);
            }),
            0);
}

TEST(FiguresOnWidgets, ThePatternHasMenusAndADragTurnsItsView) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              bandAndPattern(qt);
              std::vector<double> figs = rt::gfx::figures();
              ASSERT_EQ(figs.size(), 2u);
              rt::qt::FigureWindow* w = figureWindow(qt, figs[1]);
              ASSERT_NE(w->findChild<QMenuBar*>(), nullptr);
              ASSERT_EQ(w->layouts().size(), 1u);
              double ax = w->layouts()[0].axes;
              std::vector<double> set = session::values(rt::get(rt::scalar(ax), "View"));
              QImage before = w->grab(w->figureRect()).toImage();
              QPoint c = w->layouts()[0].box.center().toPoint();
              QTest::mousePress(w, Qt::LeftButton, {}, c);
              QTest::mouseMove(w, c + QPoint(60, -30));
              QTest::mouseRelease(w, Qt::LeftButton, {}, c + QPoint(60, -30));
              std::vector<double> turned = session::values(rt::get(rt::scalar(ax), "View"));
              EXPECT_NEAR(turned[0], set[0] - 30, 1e-9);
              EXPECT_NEAR(turned[1], set[1] - 15, 1e-9);
              w->repaint();
              EXPECT_NE(w->grab(w->figureRect()).toImage(), before);
              QTest::mouseDClick(w, Qt::LeftButton, {}, c);
              EXPECT_EQ(session::values(rt::get(rt::scalar(ax), "View")), set);
            }),
            0);
}

}  // namespace

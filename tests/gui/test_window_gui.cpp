// The main window on its real widgets: QTest drags the sliders and types into
// the edit boxes as a user does, and the object state, the widgets and the
// drawn curves are checked after each act.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/gui_session.h"

namespace {

using session::number;

std::string num2str(double v) {
  return rt::num2str(rt::scalar(v)).text();
}

TEST(WindowOnWidgets, OpensEmptyThenTheBandAndADraggedWidthDrawBothCurves) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              QWidget* w = qt.window(session::mainWindow());
              ASSERT_NE(w, nullptr);
              EXPECT_TRUE(w->isVisible());
              EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "the window can be resized";
              EXPECT_FALSE(gui::label(qt, "text30")->isVisible());
              EXPECT_EQ(gui::bluePixels(qt, "axes1"), 0) << "a curve before any act";
              rt::qt::SliderBar* pattern = gui::slider(qt, "slider6");
              EXPECT_FALSE(pattern->isEnabled()) << "Min = Max = 0";
              gui::typeInto(gui::edit(qt, "edit5"), "1");
              EXPECT_EQ(gui::edit(qt, "edit8")->text(), "1");
              EXPECT_EQ(gui::label(qt, "text30")->text(), "1");
              EXPECT_FALSE(pattern->isEnabled()) << "Min 1 above Max 0";
              gui::typeInto(gui::edit(qt, "edit6"), "3");
              for (const char* l : {"text30", "text31"})
                EXPECT_TRUE(gui::label(qt, l)->isVisible());
              EXPECT_EQ(gui::label(qt, "text31")->text(), "3");
              EXPECT_TRUE(pattern->isEnabled());

              gui::typeInto(gui::edit(qt, "edit2"), "40");
              EXPECT_EQ(gui::label(qt, "text27")->text(), "20");
              EXPECT_NEAR(gui::slider(qt, "slider2")->value(),
                          (40.0 - 1) / 299 * rt::qt::SliderBar::kSteps, 1);
              gui::typeInto(gui::edit(qt, "edit3"), "1.6");
              gui::typeInto(gui::edit(qt, "edit4"), "4.4");
              const std::vector<double> before = session::data("axes1", "YData");
              gui::drag(gui::slider(qt, "slider1"), 0.5);
              const double v = number("slider1");
              EXPECT_NEAR(v, 150.5, 3) << "the drag did not reach the middle";
              EXPECT_EQ(session::text("edit1"), num2str(v));
              EXPECT_EQ(gui::edit(qt, "edit1")->text().toStdString(), num2str(v));
              EXPECT_NE(session::data("axes1", "YData"), before);
              session::expectFitted();
              for (const char* ax : {"axes1", "axes2"})
                EXPECT_GT(gui::bluePixels(qt, ax), 100) << "no curve on screen in " << ax;
            }),
            0);
}

TEST(WindowOnWidgets, MovingThePatternSliderOpensAPatternWindow) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              gui::enterBand(qt);
              const std::vector<double> y = session::data("axes1", "YData");
              rt::qt::SliderBar* b = gui::slider(qt, "slider6");
              QTest::mouseClick(b, Qt::LeftButton, {},
                                b->partRect(QStyle::SC_ScrollBarAddPage).center());
              EXPECT_NEAR(number("slider6"), 1.2, 1e-12) << "a page is a tenth of the range";
              EXPECT_EQ(gui::edit(qt, "edit8")->text().toStdString(), num2str(number("slider6")));
              ASSERT_EQ(rt::gfx::figures().size(), 2u);
              EXPECT_TRUE(qt.window(rt::gfx::figures()[1])->isVisible());
              EXPECT_EQ(session::data("axes1", "YData"), y) << "the pattern touched the impedance";
              // Dragging it opens one more window, once, at the release.
              gui::drag(b, 0.75);
              EXPECT_NEAR(number("slider6"), 2.5, 0.05);
              EXPECT_EQ(rt::gfx::figures().size(), 3u);
            }),
            0);
}

TEST(WindowOnWidgets, ClosingTheLastWindowEndsTheSession) {
  const std::size_t live = rt::liveArrays();
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              gui::enterBand(qt, "2", "3");
              gui::drag(gui::slider(qt, "slider4"), 0.2);
              gui::typeInto(gui::edit(qt, "edit8"), "2.4");
              ASSERT_EQ(rt::gfx::figures().size(), 2u);
              // The user closes the pattern window, then the main window.
              qt.window(rt::gfx::figures()[1])->close();
              QApplication::processEvents();
              EXPECT_EQ(rt::gfx::figures().size(), 1u);
              qt.window(session::mainWindow())->close();
              QApplication::processEvents();
              EXPECT_TRUE(rt::gfx::figures().empty());
            }),
            0);
  EXPECT_EQ(rt::liveArrays(), live);
}

}  // namespace

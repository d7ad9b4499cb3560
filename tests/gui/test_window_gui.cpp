// The main window on its real widgets: QTest drags the sliders and types into
// the edit boxes as a user does, and the object state, the widgets and the
// drawn curves are checked after each act.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "gui/gui_session.h"

namespace {

using session::number;
using session::prop;
using session::text;

std::string num2str(double v) {
  return rt::num2str(rt::scalar(v)).text();
}

// A band through the widgets, so that the model draws.
void enterBand(rt::qt::QtFrontEnd& qt, const char* fmin, const char* fmax) {
  gui::typeInto(gui::edit(qt, "edit5"), fmin);
  gui::typeInto(gui::edit(qt, "edit6"), fmax);
}

TEST(WindowOnWidgets, OpensWithAFixedSizeAndAnEmptyPatternRange) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              QWidget* w = qt.window(session::mainWindow());
              ASSERT_NE(w, nullptr);
              EXPECT_TRUE(w->isVisible());
              EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "the window can be resized";
              EXPECT_FALSE(gui::label(qt, "text30")->isVisible());
              EXPECT_FALSE(gui::slider(qt, "slider6")->isEnabled()) << "Min = Max = 0";
              EXPECT_TRUE(gui::slider(qt, "slider1")->isEnabled());
              EXPECT_EQ(gui::bluePixels(qt, "axes1"), 0) << "a curve before any act";
            }),
            0);
}

TEST(WindowOnWidgets, DraggingTheWidthSliderRedrawsBothCurves) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              enterBand(qt, "1", "3");
              gui::typeInto(gui::edit(qt, "edit2"), "40");
              EXPECT_EQ(gui::label(qt, "text27")->text(), "20");
              EXPECT_NEAR(gui::slider(qt, "slider2")->value(),
                          (40.0 - 1) / 299 * rt::qt::SliderBar::kSteps, 1);
              gui::typeInto(gui::edit(qt, "edit3"), "1.6");
              gui::typeInto(gui::edit(qt, "edit4"), "4.4");
              std::vector<double> before = session::data("axes1", "YData");
              gui::drag(gui::slider(qt, "slider1"), 0.5);
              double v = number("slider1");
              EXPECT_NEAR(v, 150.5, 3) << "the drag did not reach the middle";
              EXPECT_EQ(text("edit1"), num2str(v));
              EXPECT_EQ(gui::edit(qt, "edit1")->text().toStdString(), num2str(v));
              EXPECT_NE(session::data("axes1", "YData"), before);
              session::expectFitted();
              EXPECT_GT(gui::bluePixels(qt, "axes1"), 100) << "no resistance curve on screen";
              EXPECT_GT(gui::bluePixels(qt, "axes2"), 100) << "no reactance curve on screen";
            }),
            0);
}

TEST(WindowOnWidgets, BandLimitsSetThePatternRangeAndTheLabels) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              gui::typeInto(gui::edit(qt, "edit5"), "1");
              EXPECT_EQ(gui::edit(qt, "edit8")->text(), "1");
              EXPECT_EQ(gui::label(qt, "text30")->text(), "1");
              EXPECT_FALSE(gui::slider(qt, "slider6")->isEnabled()) << "Min 1 above Max 0";
              gui::typeInto(gui::edit(qt, "edit6"), "3");
              for (const char* l : {"text30", "text31"})
                EXPECT_TRUE(gui::label(qt, l)->isVisible());
              EXPECT_EQ(gui::label(qt, "text31")->text(), "3");
              EXPECT_TRUE(gui::slider(qt, "slider6")->isEnabled());
              EXPECT_EQ(session::data("axes2", "XData").size(), 1000u);
              session::expectFitted({"axes2"});
              EXPECT_GT(gui::bluePixels(qt, "axes2"), 100);
            }),
            0);
}

TEST(WindowOnWidgets, MovingThePatternSliderOpensAPatternWindow) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              enterBand(qt, "1", "3");
              std::vector<double> y = session::data("axes1", "YData");
              rt::qt::SliderBar* b = gui::slider(qt, "slider6");
              QTest::mouseClick(b, Qt::LeftButton, {},
                                b->partRect(QStyle::SC_ScrollBarAddPage).center());
              EXPECT_NEAR(number("slider6"), 1.2, 1e-12) << "a page is a tenth of the range";
              EXPECT_EQ(gui::edit(qt, "edit8")->text().toStdString(), num2str(number("slider6")));
              std::vector<double> figs = rt::gfx::figures();
              ASSERT_EQ(figs.size(), 2u);
              QWidget* pattern = qt.window(figs[1]);
              ASSERT_NE(pattern, nullptr);
              EXPECT_TRUE(pattern->isVisible());
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
              enterBand(qt, "2", "3");
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

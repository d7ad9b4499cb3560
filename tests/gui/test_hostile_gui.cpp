// Hostile use of the window's real widgets: a 100 000-character paste,
// sliders pushed against and past their ends with the keyboard, the arrows
// and the mouse, and a pattern slider whose range is inverted or no number.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <cmath>
#include <string>
#include <vector>

#include "gui/gui_session.h"

namespace {

using session::number;
using session::text;

void pasteInto(QLineEdit* e, const QString& text) {
  QApplication::clipboard()->setText(text);
  QTest::mouseClick(e, Qt::LeftButton);
  QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(e, Qt::Key_Return);
}

void clickPart(rt::qt::SliderBar* b, QStyle::SubControl part, int times) {
  for (int i = 0; i < times; ++i)
    QTest::mouseClick(b, Qt::LeftButton, {}, b->partRect(part).center());
}

// A 100 000-character paste reaches the edit box's callback whole, and the
// box shows all of it.
TEST(HostileWidgets, APasteOfAHundredThousandCharactersArrivesWhole) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              QLineEdit* e = gui::edit(qt, "edit3");
              for (const QString& pasted :
                   {"1." + QString(99998, QLatin1Char('0')), QString(100000, QLatin1Char('x'))}) {
                pasteInto(e, pasted);
                EXPECT_EQ(e->text().size(), 100000);
                EXPECT_EQ(session::prop("edit3", "String").numel(), 100000u);
                if (pasted[0] == '1') {
                  EXPECT_EQ(number("slider3"), 1);
                }
              }
              EXPECT_TRUE(std::isnan(number("slider3")));
            }),
            0);
}

// Keys, arrows and drags stop at the slider's ends: the value never leaves
// [Min, Max], and each act still runs the callback once.
TEST(HostileWidgets, SlidersStopAtTheirEnds) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              rt::qt::SliderBar* b = gui::slider(qt, "slider1");
              b->setFocus();
              QTest::keyClick(b, Qt::Key_End);
              EXPECT_EQ(number("slider1"), 300);
              clickPart(b, QStyle::SC_ScrollBarAddLine, 3);
              EXPECT_EQ(text("edit1"), "300");
              QTest::keyClick(b, Qt::Key_Right);
              EXPECT_EQ(number("slider1"), 300);
              QTest::keyClick(b, Qt::Key_Home);
              EXPECT_EQ(number("slider1"), 1);
              clickPart(b, QStyle::SC_ScrollBarSubLine, 3);
              clickPart(b, QStyle::SC_ScrollBarSubPage, 2);
              EXPECT_EQ(text("edit1"), "1");
              // A drag that runs far past the end of the track.
              gui::drag(b, 3.0);
              EXPECT_EQ(number("slider1"), 300);
              gui::drag(b, -3.0);
              EXPECT_EQ(number("slider1"), 1);
              EXPECT_EQ(rt::gfx::figures().size(), 1u);
            }),
            0);
}

// A pattern slider whose range is inverted (Fmin above Fmax) or no number
// (a Fmin of "abc") is disabled; a sound range makes it usable again.
TEST(HostileWidgets, APatternSliderWithNoSoundRangeIsDisabled) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              rt::qt::SliderBar* b = gui::slider(qt, "slider6");
              for (auto [fmin, fmax] : {std::pair{"5", "3"}, {"abc", "3"}}) {
                SCOPED_TRACE(std::string(fmin) + " to " + fmax);
                gui::typeInto(gui::edit(qt, "edit5"), fmin);
                gui::typeInto(gui::edit(qt, "edit6"), fmax);
                EXPECT_FALSE(b->isEnabled());
              }
              gui::typeInto(gui::edit(qt, "edit5"), "1");
              EXPECT_TRUE(b->isEnabled());
              b->setFocus();
              QTest::keyClick(b, Qt::Key_End);
              EXPECT_EQ(number("slider6"), 3);
              EXPECT_EQ(rt::gfx::figures().size(), 2u) << "the pattern did not open";
            }),
            0);
}

}  // namespace

// Hostile use of the window's real widgets: a 100 000-character paste, text
// that is no number typed key by key, sliders pushed against and past their
// ends with the keyboard, the arrows and the mouse, and a pattern slider
// whose range is inverted or no number.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <cmath>
#include <string>
#include <vector>

#include "gui/gui_session.h"

namespace {

using session::number;
using session::prop;
using session::text;

const char* const kNotOneNumber = "The radiation pattern frequency must be one number (in GHz).";

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
              const QString digits = "1." + QString(99998, QLatin1Char('0'));
              pasteInto(e, digits);
              EXPECT_EQ(prop("edit3", "String").numel(), 100000u);
              EXPECT_EQ(number("slider3"), 1);
              EXPECT_EQ(e->text().size(), 100000);
              const QString letters(100000, 'x');
              pasteInto(e, letters);
              EXPECT_EQ(prop("edit3", "String").numel(), 100000u);
              EXPECT_TRUE(std::isnan(number("slider3")));
            }),
            0);
}

// Typed key by key and committed with Enter, as a user does: the boxes of
// the sizes and the band take any text; the pattern-frequency box refuses
// text that is not one finite number with its one message.
TEST(HostileWidgets, TypedTextIsTakenOrRefusedWithOneMessage) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              for (const char* typed : {"abc", "1e999", "NaN", "-0", "1;2", "[1 2 3]", "exit"}) {
                for (int box = 1; box <= 8; ++box) {
                  const std::string tag = "edit" + std::to_string(box);
                  SCOPED_TRACE(tag + " <- " + typed);
                  const auto m =
                      session::messagesOf([&] { gui::typeInto(gui::edit(qt, tag), typed); });
                  const bool refused = box == 8 && std::string(typed) != "-0";
                  EXPECT_EQ(m, refused ? std::vector<std::string>{kNotOneNumber}
                                       : std::vector<std::string>{});
                  EXPECT_EQ(text(tag), typed);
                }
              }
              EXPECT_EQ(rt::gfx::figures().size(), 1u) << "a pattern window opened";
              // Still usable: a sound design draws.
              gui::typeInto(gui::edit(qt, "edit5"), "1");
              gui::typeInto(gui::edit(qt, "edit6"), "3");
              for (auto [tag, v] : {std::pair{"edit1", "30"},
                                    {"edit2", "40"},
                                    {"edit3", "1.6"},
                                    {"edit4", "4.4"},
                                    {"edit7", "0"}})
                gui::typeInto(gui::edit(qt, tag), v);
              EXPECT_GT(gui::bluePixels(qt, "axes1"), 100) << "no resistance curve on screen";
            }),
            0);
}

// Keys, arrows and drags stop at the slider's ends: the value never leaves
// [Min, Max], and each act still runs the callback once. The arrow keys
// move the thumb the way they point.
TEST(HostileWidgets, SlidersStopAtTheirEnds) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              rt::qt::SliderBar* b = gui::slider(qt, "slider1");
              b->setFocus();
              QTest::keyClick(b, Qt::Key_Right);
              EXPECT_NEAR(number("slider1"), 3.99, 1e-12) << "Right moved the slider left";
              QTest::keyClick(b, Qt::Key_Left);
              EXPECT_NEAR(number("slider1"), 1, 1e-12);
              QTest::keyClick(b, Qt::Key_End);
              EXPECT_EQ(number("slider1"), 300);
              clickPart(b, QStyle::SC_ScrollBarAddLine, 3);
              EXPECT_EQ(number("slider1"), 300);
              EXPECT_EQ(text("edit1"), "300");
              QTest::keyClick(b, Qt::Key_Right);
              EXPECT_EQ(number("slider1"), 300);
              QTest::keyClick(b, Qt::Key_Home);
              EXPECT_EQ(number("slider1"), 1);
              clickPart(b, QStyle::SC_ScrollBarSubLine, 3);
              clickPart(b, QStyle::SC_ScrollBarSubPage, 2);
              EXPECT_EQ(number("slider1"), 1);
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
// (a Fmin of "abc") cannot be moved, so no pattern opens; a sound range
// makes it usable again.
TEST(HostileWidgets, APatternSliderWithNoSoundRangeCannotBeMoved) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              rt::qt::SliderBar* b = gui::slider(qt, "slider6");
              for (auto [fmin, fmax] : {std::pair{"5", "3"}, {"abc", "3"}}) {
                SCOPED_TRACE(std::string(fmin) + " to " + fmax);
                gui::typeInto(gui::edit(qt, "edit5"), fmin);
                gui::typeInto(gui::edit(qt, "edit6"), fmax);
                EXPECT_FALSE(b->isEnabled());
                clickPart(b, QStyle::SC_ScrollBarAddPage, 2);
                QTest::keyClick(b, Qt::Key_End);
                EXPECT_EQ(rt::gfx::figures().size(), 1u) << "a pattern opened";
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

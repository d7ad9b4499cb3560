// The main window on its real widgets: QTest drags the sliders, types into
// the edit boxes and handles the pattern windows as a user does, and the
// object state, the widgets and the drawn curves are checked after each act;
// and hostile use of them: a 100 000-character paste, sliders pushed against
// and past their ends with the keyboard, the arrows and the mouse, and a
// pattern slider whose range is inverted or no number.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QMenuBar>
#include <cmath>
#include <string>
#include <vector>

#include "gui/gui_session.h"
#include "platform/qt/figure_window.h"

namespace {

using namespace session;

TEST(WindowOnWidgets, OpensEmptyThenTheBandAndADraggedWidthDrawBothCurves) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              const double main = session::mainWindow();
              QWidget* w = qt.window(main);
              ASSERT_NE(w, nullptr);
              EXPECT_TRUE(w->isVisible());
              EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "the window can be resized";
              EXPECT_EQ(w->findChild<QMenuBar*>(), nullptr) << "the main window has no menus";
              EXPECT_FALSE(gui::label(qt, "text30")->isVisible());
              EXPECT_EQ(gui::bluePixels(qt, "axes1"), 0) << "a curve before any act";
              rt::qt::SliderBar* pattern = gui::slider(qt, "slider6");
              EXPECT_FALSE(pattern->isEnabled()) << "Min = Max = 0";
              // A refused entry is shown in the window as on standard error.
              const std::vector<std::string> err =
                  session::messagesOf([&] { gui::typeInto(gui::edit(qt, "edit8"), "abc"); });
              ASSERT_EQ(err.size(), 1u);
              EXPECT_EQ(qt.notices(main), QStringList{QString::fromStdString(err[0])});

              // The notice blocks nothing: the next entries are taken.
              gui::typeInto(gui::edit(qt, "edit5"), "1");
              EXPECT_EQ(gui::edit(qt, "edit8")->text(), "1");
              EXPECT_EQ(gui::label(qt, "text30")->text(), "1");
              EXPECT_FALSE(pattern->isEnabled()) << "Min 1 above Max 0";
              gui::typeInto(gui::edit(qt, "edit6"), "3");
              for (const char* l : {"text30", "text31"})
                EXPECT_TRUE(gui::label(qt, l)->isVisible());
              EXPECT_EQ(gui::label(qt, "text31")->text(), "3");
              EXPECT_TRUE(pattern->isEnabled());
              EXPECT_EQ(qt.notices(main).size(), 1);

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
              const std::string shown = rt::num2str(rt::scalar(v)).text();
              EXPECT_EQ(text("edit1"), shown);
              EXPECT_EQ(gui::edit(qt, "edit1")->text().toStdString(), shown);
              EXPECT_NE(session::data("axes1", "YData"), before);
              session::expectFitted();
              for (const char* ax : {"axes1", "axes2"})
                EXPECT_GT(gui::bluePixels(qt, ax), 100) << "no curve on screen in " << ax;
            }),
            0);
}

// A click in the pattern slider's trough opens a pattern window, a drag of
// it one more; closing them all ends the session with nothing left alive.
TEST(WindowOnWidgets, ThePatternSliderOpensPatternWindowsAndClosingThemEndsTheSession) {
  const std::size_t live = rt::liveArrays();
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              gui::enterBand(qt);
              const std::vector<double> y = session::data("axes1", "YData");
              rt::qt::SliderBar* b = gui::slider(qt, "slider6");
              QTest::mouseClick(b, Qt::LeftButton, {},
                                b->partRect(QStyle::SC_ScrollBarAddPage).center());
              EXPECT_NEAR(number("slider6"), 1.2, 1e-12) << "a page is a tenth of the range";
              EXPECT_EQ(gui::edit(qt, "edit8")->text().toStdString(),
                        rt::num2str(prop("slider6", "Value")).text());
              ASSERT_EQ(rt::gfx::figures().size(), 2u);
              EXPECT_EQ(session::data("axes1", "YData"), y) << "the pattern touched the impedance";

              // Dragging the slider opens one more window, once, at the release.
              gui::drag(b, 0.75);
              EXPECT_NEAR(number("slider6"), 2.5, 0.05);
              ASSERT_EQ(rt::gfx::figures().size(), 3u);
              // The user closes the pattern windows, then the main window.
              const std::vector<double> figs = rt::gfx::figures();
              for (auto f = figs.rbegin(); f != figs.rend(); ++f) {
                qt.window(*f)->close();
                QApplication::processEvents();
              }
              EXPECT_TRUE(rt::gfx::figures().empty());
            }),
            0);
  EXPECT_EQ(rt::liveArrays(), live);
}

// A pattern window, unlike the main one, has menus; a drag turns its view
// until a double click sets it back, and what was kept to set it back goes
// with the window.
TEST(WindowOnWidgets, APatternWindowTurnsUnderADrag) {
  const std::size_t live = rt::liveArrays();
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              gui::enterBand(qt);
              gui::typeInto(gui::edit(qt, "edit8"), "2");
              ASSERT_EQ(rt::gfx::figures().size(), 2u);
              auto* w = dynamic_cast<rt::qt::FigureWindow*>(qt.window(rt::gfx::figures()[1]));
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
  EXPECT_EQ(rt::liveArrays(), live);
}

void clickPart(rt::qt::SliderBar* b, QStyle::SubControl part, int times) {
  for (int i = 0; i < times; ++i)
    QTest::mouseClick(b, Qt::LeftButton, {}, b->partRect(part).center());
}

// A 100 000-character paste reaches the edit box's callback whole, and the
// box shows all of it; keys, arrows and drags stop at a slider's ends (the
// value never leaves [Min, Max], and each act still runs the callback once);
// a pattern slider whose range is no number is disabled.
TEST(HostileWidgets, PastesArriveWholeAndSlidersStopAtTheirEnds) {
  ASSERT_EQ(gui::run([](rt::qt::QtFrontEnd& qt) {
              QLineEdit* e = gui::edit(qt, "edit3");
              for (const QString& pasted :
                   {"1." + QString(99998, QLatin1Char('0')), QString(100000, QLatin1Char('x'))}) {
                QApplication::clipboard()->setText(pasted);
                QTest::mouseClick(e, Qt::LeftButton);
                QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
                QTest::keyClick(e, Qt::Key_Return);
                EXPECT_EQ(e->text().size(), 100000);
                EXPECT_EQ(prop("edit3", "String").numel(), 100000u);
                if (pasted[0] == '1') {
                  EXPECT_EQ(number("slider3"), 1);
                }
              }
              EXPECT_TRUE(std::isnan(number("slider3")));

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

              rt::qt::SliderBar* pattern = gui::slider(qt, "slider6");
              gui::enterBand(qt, "abc", "3");
              EXPECT_FALSE(pattern->isEnabled());
              gui::typeInto(gui::edit(qt, "edit5"), "1");
              EXPECT_TRUE(pattern->isEnabled());
              pattern->setFocus();
              QTest::keyClick(pattern, Qt::Key_End);
              EXPECT_EQ(number("slider6"), 3);
              EXPECT_EQ(rt::gfx::figures().size(), 2u) << "the pattern did not open";
            }),
            0);
}

}  // namespace

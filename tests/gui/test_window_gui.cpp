// The main window on its real widgets: QTest drags the sliders, types into
// the edit boxes and handles the pattern windows as a user does, and the
// object state, the widgets and the drawn curves are checked after each act;
// and hostile use of them: a 100 000-character paste, sliders pushed against
// and past their ends with the keyboard (the slider with the keyboard marked),
// the arrows and the mouse, and a
// pattern slider whose range is inverted or no number.

#include <QClipboard>

#include "gui/gui_session.h"

namespace {

using namespace session;

void clickPart(rt::qt::SliderBar* b, QStyle::SubControl part, int times) {
  for (int i = 0; i < times; ++i)
    QTest::mouseClick(b, Qt::LeftButton, {}, b->partRect(part).center());
}

// It opens empty, and the band and a dragged width draw both curves. Then
// hostile use: a 100 000-character paste reaches the edit box's callback
// whole, and the box shows all of it; keys and arrows stop at a slider's ends
// (the value never leaves [Min, Max]; a drag past the end is the front end's
// test); a pattern slider whose range is no number is disabled.
TEST(WindowOnWidgets, OpensEmptyDrawsWhatIsActedAndStandsHostileUse) {
  gui::inProgram([](rt::qt::QtFrontEnd& qt) {
    QWidget* w = qt.window(session::mainWindow());
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "the window can be resized";
    EXPECT_EQ(w->findChild<QMenuBar*>(), nullptr) << "the main window has no menus";
    EXPECT_FALSE(gui::widget(qt, "text30")->isVisible());
    EXPECT_EQ(gui::bluePixels(qt, "axes1"), 0) << "a curve before any act";
    rt::qt::SliderBar* pattern = gui::slider(qt, "slider6");
    EXPECT_FALSE(pattern->isEnabled()) << "Min = Max = 0";
    gui::enterBand(qt);
    EXPECT_TRUE(gui::widget(qt, "text30")->isVisible());
    EXPECT_TRUE(pattern->isEnabled());
    for (auto [box, typed] : {std::pair{"edit2", "40"}, {"edit3", "1.6"}, {"edit4", "4.4"}})
      gui::typeInto(gui::edit(qt, box), typed);
    gui::drag(gui::slider(qt, "slider1"), 0.5);
    const double v = number("slider1");
    EXPECT_NEAR(v, 150.5, 3) << "the drag did not reach the middle";
    const std::string shown = rt::num2str(rt::scalar(v)).text();
    EXPECT_EQ(gui::edit(qt, "edit1")->text().toStdString(), shown);
    for (const char* ax : {"axes1", "axes2"})
      EXPECT_GT(gui::bluePixels(qt, ax), 100) << "no curve on screen in " << ax;

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
      EXPECT_TRUE(pasted[0] != '1' || number("slider3") == 1) << number("slider3");
    }
    EXPECT_TRUE(std::isnan(number("slider3")));

    rt::qt::SliderBar* b = gui::slider(qt, "slider1");
    // The slider the keys will step shows that it has them.
    QApplication::setActiveWindow(qt.window(session::mainWindow()));
    const QImage unfocused = b->grab().toImage();
    b->setFocus();
    ASSERT_TRUE(b->hasFocus());
    EXPECT_NE(b->grab().toImage(), unfocused);
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
    EXPECT_EQ(rt::gfx::figures().size(), 1u);

    gui::enterBand(qt, "abc", "3");
    EXPECT_FALSE(pattern->isEnabled());
    gui::typeInto(gui::edit(qt, "edit5"), "1");
    EXPECT_TRUE(pattern->isEnabled());
    pattern->setFocus();
    QTest::keyClick(pattern, Qt::Key_End);
    EXPECT_EQ(number("slider6"), 3);
    EXPECT_EQ(rt::gfx::figures().size(), 2u) << "the pattern did not open";
  });
}

}  // namespace

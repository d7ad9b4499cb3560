// The Qt front end driven like a user drives it: real widgets, QTest mouse
// and key events, windows opened, closed and saved.
#include <QFontMetricsF>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include "platform/qt/controls.h"
#include "platform/qt/qt_fixture.h"

namespace {

using namespace qt_test;

using rt::qt::fitOnScreen;
using rt::qt::SliderBar;

class FrontEndTest : public qt_test::QtTest {
 protected:
  void SetUp() override {
    QtTest::SetUp();
    rt::gfx::registerFunction("qt_test_cb", [this](std::span<const rt::Array>) {
      rt::Array h = rt::gcbo(), v = rt::get(h, "Value");
      seen.push_back(h.scalar());
      values.push_back(v.empty() ? std::nan("") : v.scalar());
      strings.push_back(rt::get(h, "String").text());
      return rt::Array();
    });
    rt::gfx::registerFunction("qt_test_fail", [](std::span<const rt::Array>) -> rt::Array {
      rt::error("qt test callback failed on purpose");
    });
  }
  void TearDown() override {
    for (const char* name : {"qt_test_cb", "qt_test_fail"}) rt::gfx::registerFunction(name, {});
    QtTest::TearDown();
  }

  // A 480 x 360 window (on the 800 x 600 offscreen screen).
  // Without menus, the window is the figure's area.
  rt::Array makeFigure() {
    return rt::figure({s("Position"), rt::row({0.1, 0.1, 0.6, 0.6}), s("MenuBar"), s("none")});
  }
  rt::Array makeSlider(double min, double max, double value, const char* callback = "qt_test_cb") {
    return rt::uicontrol({s("Style"), s("slider"), s("Units"), s("normalized"), s("Position"),
                          rt::row({0.1, 0.5, 0.8, 0.1}), s("Min"), n(min), s("Max"), n(max),
                          s("Value"), n(value), s("Callback"), s(callback)});
  }
  SliderBar* bar(const rt::Array& h) { return dynamic_cast<SliderBar*>(front->widget(handle(h))); }
  static void click(SliderBar* b, QStyle::SubControl part) {
    QTest::mouseClick(b, Qt::LeftButton, {}, b->partRect(part).center());
  }
  static double value(const rt::Array& h) { return rt::get(h, "Value").scalar(); }

  std::vector<double> seen, values;
  std::vector<std::string> strings;
};

// ----------------------------------------------------------------- slider
TEST_F(FrontEndTest, SliderActsCallBackOnceAndProgramWritesMoveItSilently) {
  makeFigure();
  rt::Array sl = makeSlider(0, 10, 5);
  SliderBar* b = bar(sl);
  ASSERT_TRUE(b && b->isEnabled());
  // Arrows step 1% of the range, the trough 10%; the callback sees the new value.
  const std::pair<QStyle::SubControl, double> clicks[] = {{QStyle::SC_ScrollBarAddLine, 5.1},
                                                          {QStyle::SC_ScrollBarSubLine, 5.0},
                                                          {QStyle::SC_ScrollBarAddPage, 6.0},
                                                          {QStyle::SC_ScrollBarSubPage, 5.0}};
  for (auto [part, after] : clicks) {
    click(b, part);
    EXPECT_NEAR(values.back(), after, 1e-12);
  }
  EXPECT_EQ(values.size(), 4u);

  // A drag: nothing until the button is released, then one callback.
  QPoint thumb = b->partRect(QStyle::SC_ScrollBarSlider).center();
  QTest::mousePress(b, Qt::LeftButton, {}, thumb);
  for (int dx = 10; dx <= 400; dx += 10) QTest::mouseMove(b, thumb + QPoint(dx, 0));
  EXPECT_EQ(values.size(), 4u);
  EXPECT_NEAR(value(sl), 5.0, 1e-12);
  QTest::mouseRelease(b, Qt::LeftButton, {}, thumb + QPoint(400, 0));
  ASSERT_EQ(values.size(), 5u);
  EXPECT_DOUBLE_EQ(value(sl), 10.0);  // dragged past the end: Max

  // Pressing an arrow acts at release, even while held.
  const QPoint arrow = b->partRect(QStyle::SC_ScrollBarSubLine).center();
  QTest::mousePress(b, Qt::LeftButton, {}, arrow);
  EXPECT_EQ(values.size(), 5u);
  QTest::mouseRelease(b, Qt::LeftButton, {}, arrow);
  EXPECT_EQ(values.size(), 6u);

  // What the program writes moves the slider and calls nothing back.
  rt::set(sl, {s("Value"), n(2.5)});
  EXPECT_EQ(b->value(), SliderBar::kSteps / 4);
  rt::set(sl, {s("Min"), n(2.5), s("Max"), n(5)});
  EXPECT_EQ(b->value(), 0);
  EXPECT_EQ(values.size(), 6u);
  click(b, QStyle::SC_ScrollBarAddLine);  // 1% of the new range
  EXPECT_NEAR(value(sl), 2.525, 1e-12);
  // An upright slider has its Min at the bottom.
  rt::set(sl, {s("Position"), rt::row({0.1, 0.1, 0.05, 0.8}), s("Min"), n(0), s("Max"), n(10),
               s("Value"), n(2)});
  b = bar(sl);
  EXPECT_GT(b->partRect(QStyle::SC_ScrollBarSlider).center().y(), b->height() / 2);
  ASSERT_LT(b->partRect(QStyle::SC_ScrollBarSubLine).center().y(), b->height() / 2);
  click(b, QStyle::SC_ScrollBarSubLine);  // the upper arrow
  EXPECT_NEAR(value(sl), 2.1, 1e-12);
}

TEST_F(FrontEndTest, CallbackErrorIsReportedAndTheWindowStaysUntilClosed) {
  rt::Array fig = makeFigure();
  rt::Array sl = makeSlider(0, 10, 5, "qt_test_fail");
  QWidget* w = front->window(handle(fig));
  QApplication::setActiveWindow(w);
  bar(sl)->setFocus();
  testing::internal::CaptureStderr();
  click(bar(sl), QStyle::SC_ScrollBarAddLine);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("qt test callback failed on purpose"), std::string::npos);
  EXPECT_NEAR(value(sl), 5.1, 1e-12);  // the act's write stays
  // The window shows what standard error got, and the next act goes ahead.
  EXPECT_EQ(front->notices(handle(fig)), QStringList{QString::fromStdString(err).trimmed()});
  EXPECT_EQ(QApplication::focusWidget(), bar(sl)) << "the notice took the keyboard";
  click(bar(sl), QStyle::SC_ScrollBarAddLine);
  EXPECT_EQ(front->notices(handle(fig)).size(), 2);
  // A saved window shows the figure without the notice, which stays shown.
  QColor paper = w->grab().toImage().pixelColor(w->width() / 2, w->height() - 4);
  QTemporaryDir dir;
  ASSERT_EQ(front->savePng(handle(fig), dir.filePath("w.png")), "");
  EXPECT_NE(QImage(dir.filePath("w.png")).pixelColor(w->width() / 2, w->height() - 4), paper);
  EXPECT_EQ(w->grab().toImage().pixelColor(w->width() / 2, w->height() - 4), paper);

  rt::set(sl, {s("Callback"), s("closereq")});
  click(bar(sl), QStyle::SC_ScrollBarAddLine);
  EXPECT_FALSE(rt::gfx::exists(handle(fig)));
  EXPECT_EQ(front->widget(handle(sl)), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  // Closing the window deletes the figure; a close request function that
  // keeps the figure keeps the window.
  fig = makeFigure();
  sl = makeSlider(0, 1, 0);
  front->window(handle(fig))->close();
  EXPECT_FALSE(rt::gfx::exists(handle(sl)));
  EXPECT_EQ(front->window(handle(fig)), nullptr);
  EXPECT_EQ(front->widget(handle(sl)), nullptr);
  rt::Array kept = rt::figure({s("CloseRequestFcn"), s("warning off")});
  front->window(handle(kept))->close();
  ASSERT_NE(front->window(handle(kept)), nullptr);
  EXPECT_TRUE(front->window(handle(kept))->isVisible());
}

// ------------------------------------------------------------------- edit
TEST_F(FrontEndTest, EditBoxesHandTheirTextOverOnEnterOrWhenLeftAfterAChange) {
  QWidget* win = front->window(handle(makeFigure()));
  auto makeEdit = [](double x) {
    return rt::uicontrol({s("Style"), s("edit"), s("Units"), s("normalized"), s("Position"),
                          rt::row({x, 0.2, 0.3, 0.1}), s("String"), s("1"), s("Callback"),
                          s("qt_test_cb")});
  };
  const rt::Array ed = makeEdit(0.1);
  auto* edit = dynamic_cast<QLineEdit*>(front->widget(handle(ed)));
  auto* other = dynamic_cast<QLineEdit*>(front->widget(handle(makeEdit(0.5))));
  ASSERT_TRUE(edit && other);
  win->show();
  QApplication::setActiveWindow(win);
  ASSERT_TRUE(QTest::qWaitForWindowActive(win));
  auto focus = [](QWidget* w) {
    w->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
  };
  // What the program writes runs nothing, even when the box is left; Enter
  // hands the text over as it stands.
  rt::set(ed, {s("String"), s("0.25")});
  focus(edit);
  focus(other);
  EXPECT_TRUE(strings.empty());
  focus(edit);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(strings, std::vector<std::string>{"0.25"});
  // Typing and then leaving hands it over; a context menu or another
  // application taking the keyboard is no leaving.
  edit->end(false);
  QTest::keyClicks(edit, "7");
  for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
    QFocusEvent out(QEvent::FocusOut, reason);
    QApplication::sendEvent(edit, &out);
  }
  EXPECT_EQ(strings.size(), 1u);
  focus(other);
  EXPECT_EQ(strings, (std::vector<std::string>{"0.25", "0.257"}));
  // In and out again without typing, or leaving after Enter: nothing more.
  focus(edit);
  focus(other);
  focus(edit);
  QTest::keyClicks(edit, "1");
  QTest::keyClick(edit, Qt::Key_Return);
  focus(other);
  EXPECT_EQ(strings.size(), 3u);
  // Clicking a slider leaves the box: its text goes first, then the slider.
  focus(edit);
  QTest::keyClicks(edit, "5");
  rt::Array sl = makeSlider(0, 10, 5);
  click(bar(sl), QStyle::SC_ScrollBarAddLine);
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(strings[3], "0.25715");
  EXPECT_EQ(seen[3], handle(ed));
  EXPECT_EQ(seen[4], handle(sl));
}

// ----------------------------------------------------------- placement
// A figure asked for larger than the screen, or off its edge, opens wholly
// on the screen's free area with room for its frame; on a 4K screen it keeps
// its size; one of fixed size keeps it, its top left (its menus) showing.
TEST_F(FrontEndTest, WindowsOpenWhollyOnTheScreen) {
  const QMargins frame(4, 32, 4, 4);
  const QRect netbook(0, 0, 1024, 600), wide(0, 0, 3840, 2136), asked(80, -119, 980, 700);
  for (QRect wanted : {asked, QRect(-50, 300, 600, 400)})
    EXPECT_TRUE(netbook.contains(fitOnScreen(wanted, netbook, frame, true).marginsAdded(frame)));
  EXPECT_EQ(fitOnScreen(asked, wide, frame, true), asked.translated(0, 151));
  EXPECT_EQ(fitOnScreen({0, 0, 1200, 700}, netbook, frame, false), QRect(4, 32, 1200, 700));
  const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
  rt::Array fig = rt::figure({s("Units"), s("pixels"), s("Position"),
                              rt::row({80, 80, free.width() + 200.0, free.height() + 100.0})});
  EXPECT_TRUE(free.contains(front->window(handle(fig))->frameGeometry()));
}

// A number in a caption too narrow for it shows fewer digits, never cut;
// a sentence wraps at its spaces, every word kept, and ends in no ellipsis.
TEST_F(FrontEndTest, NarrowCaptionsShowWholeNumbersAndWrapText) {
  makeFigure();
  for (double value : {1.92, 14.9115, 1e12}) {
    rt::Array t = rt::uicontrol({s("Style"), s("text"), s("String"), rt::num2str(n(value)),
                                 s("Position"), rt::row({10, 10, 28, 16})});
    const QLabel* label = dynamic_cast<QLabel*>(front->widget(handle(t)));
    bool ok = false;
    EXPECT_NEAR(label->text().toDouble(&ok) / value, 1, 0.1) << label->text().toStdString();
    EXPECT_TRUE(ok && QFontMetricsF(label->font()).horizontalAdvance(label->text()) <= 28);
  }
  const std::string step = "run 1: L 28.4482 mm, feed 5.3336 mm -> resonance 2.41234 GHz (+0.51%)";
  rt::Array t = rt::uicontrol({s("Style"), s("text"), s("String"), s(step.c_str()), s("Position"),
                               rt::row({10, 10, 120, 90})});
  const QLabel* label = dynamic_cast<QLabel*>(front->widget(handle(t)));
  const QStringList lines = label->text().split(u'\n');
  EXPECT_GT(lines.size(), 2);
  for (const QString& line : lines)
    EXPECT_LE(QFontMetricsF(label->font()).horizontalAdvance(line), 120) << line.toStdString();
  EXPECT_EQ(lines.join(u' ').simplified().toStdString(), step);
  EXPECT_LE(lines.size() * QFontMetricsF(label->font()).lineSpacing(), 90);
}

}  // namespace

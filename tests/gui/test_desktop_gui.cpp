// The window as a desktop user meets it: pattern windows that open side by
// side and leave the keyboard alone, and text that stays legible and clear of other text from a
// small netbook screen to a 4K one, at one and two device pixels per point.

#include "gui/gui_session.h"
#include "platform/qt/props.h"
#include "platform/qt/text_drawing.h"

namespace {

// Stepped with the arrow keys, the pattern slider opens one window per step,
// each clear of the last and on the screen, and keeps the keyboard.
TEST(DesktopWindow, PatternWindowsCascadeAndTheKeysKeepStepping) {
  gui::inProgram([](rt::qt::QtFrontEnd& qt) {
    gui::enterBand(qt);
    rt::qt::SliderBar* b = gui::slider(qt, "slider6");
    QApplication::setActiveWindow(qt.window(session::mainWindow()));
    b->setFocus();
    bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    for (int i = 0; i < 3; ++i) {
      // Keys go where the keyboard is, which the offscreen
      // platform moves to each window it shows.
      QWidget* keys = offscreen ? b : QApplication::focusWidget();
      ASSERT_NE(keys, nullptr);
      QTest::keyClick(keys, Qt::Key_Right);
      QTest::qWait(offscreen ? 0 : 300);  // a server's focus news takes a while
    }
    EXPECT_NEAR(session::number("slider6"), 1.06, 1e-12) << "the keys stopped stepping";
    std::vector<double> figs = rt::gfx::figures();
    ASSERT_EQ(figs.size(), 4u);
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (std::size_t i = 1; i < figs.size(); ++i) {
      const QRect g = qt.window(figs[i])->geometry();
      EXPECT_TRUE(screen.contains(g)) << i;
      EXPECT_NE(g.topLeft(), qt.window(figs[i - 1])->geometry().topLeft()) << i;
    }
    // On a real display (test_real_display runs this there).
    EXPECT_TRUE(offscreen || QApplication::focusWidget() == b);
  });
}

// Every text of a painted window: at least 9 device pixels high and clear
// of every other text.
void expectLegible(double fig, QSize logical, double dpr) {
  SCOPED_TRACE(testing::Message() << logical.width() << "x" << logical.height() << " at " << dpr);
  QImage image((QSizeF(logical) * dpr).toSize(), QImage::Format_RGB32);
  image.setDevicePixelRatio(dpr);
  std::vector<rt::qt::PaintedText> texts;
  QPainter p(&image);
  rt::qt::paintFigure(p, fig, logical, {.controls = true, .texts = &texts, .origin = {}});
  p.end();
  std::erase_if(texts, [](const rt::qt::PaintedText& t) { return t.text.trimmed().isEmpty(); });
  ASSERT_GT(texts.size(), 3u);
  // A control's widget covers what the figure paints under it (a frame only
  // stands behind the controls it groups): a text may meet a control only
  // when it is that control's own, starting inside it.
  std::vector<QRectF> controls;
  for (double c : rt::gfx::children(fig))
    if (rt::gfx::type(c) == "uicontrol" && rt::gfx::prop(c, "Visible").text() == "on" &&
        rt::gfx::prop(c, "Style").text() != "frame") {
      const QRectF r = rt::qt::positionRect(c, QRectF(QPointF(0, 0), QSizeF(logical)));
      controls.push_back(QRectF(r.topLeft() * dpr, r.size() * dpr));
    }
  auto overlap = [](const QRectF& a, const QRectF& b) {
    const QRectF both = a.intersected(b);
    return both.width() > 1 && both.height() > 1;
  };
  for (auto a = texts.begin(); a != texts.end(); ++a) {
    EXPECT_GE(a->pixelHeight, 9) << a->text.toStdString();
    for (const QRectF& r : controls)
      EXPECT_FALSE(overlap(a->box, r) &&
                   !r.contains(QPointF(a->box.center().x(), a->box.top() + 1)))
          << '"' << a->text.toStdString() << "\" runs into a control at " << r.x() << "," << r.y();
    for (auto b = a + 1; b != texts.end(); ++b)
      EXPECT_FALSE(overlap(a->box, b->box))
          << '"' << a->text.toStdString() << "\" on \"" << b->text.toStdString() << '"';
  }
}

TEST(DesktopWindow, TextIsLegibleAndClearFromSmallToLargeScreens) {
  gui::inProgram([](rt::qt::QtFrontEnd& qt) {
    // A label of a number and an empty line (the feed slider's low end) in a
    // box one line high keeps its type: only wrapped lines shrink.
    QFont label;
    label.setPixelSize(13);
    EXPECT_EQ(rt::qt::render::fitCaption({"0", ""}, label, 30, 1, 14), (QStringList{"0", ""}));
    EXPECT_EQ(label.pixelSize(), 13);
    gui::enterBand(qt);
    gui::typeInto(gui::edit(qt, "edit8"), "2");
    std::vector<double> figs = rt::gfx::figures();
    ASSERT_EQ(figs.size(), 2u);
    std::vector<double> pos = session::values(rt::gfx::prop(figs[0], "Position"));
    for (QSize screen : {QSize(1024, 600), QSize(3840, 2160)}) {
      for (double dpr : {1.0, 2.0}) {
        QSizeF main(pos[2] * screen.width() / dpr, pos[3] * screen.height() / dpr);
        expectLegible(figs[0], main.toSize(), dpr);
        // A pattern window as it opens, and filling the screen.
        expectLegible(figs[1], QSize(560, 420), dpr);
        expectLegible(figs[1], screen / dpr, dpr);
      }
    }
  });
}

}  // namespace

// What the windows tell the user on real widgets: the main window's notice
// bar and its hint at the context menus, the data tips of the impedance axes and the Smith chart, a
// marker placed by a click, the chart kept round under a zoom band, and a Match figure that offers
// no 3-D rotation. The first two also run on a real display (test_real_display).

#include <QHelpEvent>
#include <QToolTip>

#include "figures/match_figure.h"
#include "gui/gui_session.h"
#include "platform/qt/notices.h"

namespace {

using rt::qt::FigureWindow;

// The window of `fig`, painted, with the layout of its axes `ax`.
std::pair<FigureWindow*, rt::qt::AxesLayout> painted(rt::qt::QtFrontEnd& qt, double fig,
                                                     const std::function<bool(double)>& ax) {
  auto* window = gui::window(qt, fig);
  rt::qt::raiseWindow(fig);
  // The offscreen platform cannot raise a window, and the mouse would reach
  // the main window wherever it lies under this one: it moves aside, at the
  // size it was described with (its small screen shrank it), where the
  // chart's grid and its locus lie pixels apart.
  if (QGuiApplication::platformName() == QLatin1String("offscreen"))
    window->setGeometry(qt.window(session::mainWindow())->frameGeometry().right() + 1, 0, 980,
                        640 + window->menuHeight());
  EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
  window->repaint();
  for (const rt::qt::AxesLayout& l : window->layouts())
    if (ax(l.axes)) return {window, l};
  ADD_FAILURE() << "no such axes painted";
  return {window, {}};
}

// The Match figure, with the pixel of point `k` of the model's locus.
std::tuple<FigureWindow*, rt::qt::AxesLayout, QPoint> locusPoint(rt::qt::QtFrontEnd& qt,
                                                                 std::size_t k) {
  auto [window, layout] = painted(qt, figures::openMatchFigure(), figures::isSmithChart);
  for (double line : rt::gfx::children(layout.axes))
    if (rt::gfx::type(line) == "line" && figures::matchTipText(line, k))
      return {window, layout,
              layout
                  .toPixel(session::values(rt::gfx::prop(line, "XData"))[k],
                           session::values(rt::gfx::prop(line, "YData"))[k])
                  .toPoint()};
  ADD_FAILURE() << "no locus";
  return {window, layout, {}};
}

using WindowAids = ::testing::Test;

TEST_F(WindowAids, TypingLettersInWShowsTheNotice) {
  gui::inProgram([](rt::qt::QtFrontEnd& qt) {
    QWidget* main = qt.window(session::mainWindow());
    gui::enterBand(qt);
    // The impedance axes' tip names the frequency, as their caption does.
    const double ax = session::tagged("axes1");
    auto [window, layout] = painted(qt, session::mainWindow(), [ax](double a) { return a == ax; });
    const auto tip = rt::qt::nearestPoint(layout, layout.box.center(), 1e9);
    ASSERT_TRUE(tip.has_value());
    EXPECT_TRUE(tip->text.startsWith("Frequency (GHz): ") &&
                tip->text.contains("\nResistance (Ohms): "))
        << tip->text.toStdString();
    // Resting on the axes says where the rest of the program is.
    const QPoint centre = layout.box.center().toPoint();
    QHelpEvent rest(QEvent::ToolTip, centre, window->mapToGlobal(centre));
    QApplication::sendEvent(window, &rest);
    EXPECT_EQ(QToolTip::text(), rt::qt::kContextMenuHint);

    gui::typeInto(gui::edit(qt, "edit1"), "abc");
    auto* bar = main->findChild<QFrame*>("tessivar-notice-bar");
    ASSERT_TRUE(bar && bar->isVisible());
    gui::typeInto(gui::edit(qt, "edit1"), "30");
    EXPECT_FALSE(bar->isVisible());
  });
}

TEST_F(WindowAids, HoveringTheSmithLocusReadsTheFrequency) {
  gui::inProgram([](rt::qt::QtFrontEnd& qt) {
    gui::enterBand(qt);
    // A display server may still place the window as the first
    // moves arrive: the mouse moves until the tip shows.
    FigureWindow* shown = nullptr;
    for (int i = 0; i < 100 && !(shown && shown->dataTip()); ++i) {
      auto [window, layout, at] = locusPoint(qt, 500);
      QTest::mouseMove(window, at + QPoint(i % 2, 0));
      QTest::qWait(20);
      shown = window;
    }
    ASSERT_TRUE(shown && shown->dataTip().has_value());
    const QString tip = shown->dataTip()->text;
    EXPECT_TRUE(tip.contains(" GHz\nZ = ") && tip.contains("VSWR = ")) << tip.toStdString();
  });
}

TEST_F(WindowAids, AClickPlacesAMarkerAndAZoomBandKeepsTheChartRound) {
  gui::inProgram([](rt::qt::QtFrontEnd& qt) {
    gui::enterBand(qt);
    auto [window, layout, at] = locusPoint(qt, 300);
    window->setTool(rt::qt::Tool::DataCursor);
    QTest::mouseClick(window, Qt::LeftButton, {}, at);
    EXPECT_EQ(figures::matchMarkers().size(), 1u);
    // Where every reactance arc of the grid meets, the pick is the locus's.
    const auto tip = rt::qt::nearestPoint(layout, layout.toPixel(1, 0), 1e9);
    EXPECT_TRUE(tip && figures::matchTipText(tip->object, tip->index));

    // A wide, flat band: the chart shows as much across as up.
    const QRectF box = layout.box;
    rt::qt::zoomToPixels(layout, QRectF(box.left() + 20, box.top() + 40, 150, 30));
    const auto x = session::values(rt::gfx::prop(layout.axes, "XLim"));
    const auto y = session::values(rt::gfx::prop(layout.axes, "YLim"));
    EXPECT_NEAR((x[1] - x[0]) / (y[1] - y[0]), box.width() / box.height(), 1e-6);

    for (QAction* a : gui::menuEntries(window)) EXPECT_NE(a->text(), "Rotate 3-D");
  });
}

}  // namespace

// What the window and the Match figure tell the user beyond their objects:
// the main window's standing notice, data tips worded for the impedance
// axes and the Match figure's traces, markers placed by a click, the Smith
// chart kept round, and the Match figure's Markers menu. Both programs add
// them once at start-up, with the menu entries.
#include <QString>

#include "design/main_window.h"
#include "design/window_notices.h"
#include "figures/match_figure.h"
#include "platform/qt/data_cursor.h"
#include "platform/qt/figure_menus.h"
#include "platform/qt/figure_window.h"
#include "platform/qt/renderer.h"
#include "shell/menus.h"

namespace shell {

void addWindowAids() {
  rt::qt::setStandingNotices(design::windowNotice);
  rt::qt::addTipNamer(design::impedanceTip);
  rt::qt::addTipNamer(
      [](double, double line, std::size_t index) { return figures::matchTipText(line, index); });
  rt::qt::addTipPicked(
      [](double, double line, std::size_t index) { figures::markAtPoint(line, index); });
  rt::qt::addChartAxes(figures::isSmithChart);
  rt::qt::addFigureAction({QStringLiteral("Markers"),
                           QStringLiteral("Clear markers"),
                           {},
                           [](rt::qt::FigureHost&) { figures::clearMatchMarkers(); },
                           figures::isMatchFigure});
}

}  // namespace shell

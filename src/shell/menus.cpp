// The context menu of the impedance axes chooses the impedance model and its
// board, opens the Match figure, the design dialog, the Far-field figure and
// the full-wave check, and saves and opens Touchstone and design files; the
// Match figure's File menu saves and compares Touchstone files, its View menu
// shows the other model beside; a pattern window's Tools menu opens its far
// field, the Far-field figure's data export writes its cuts. Pattern windows
// also get their captions, colour bars and data cursor reading from here,
// and the data export the names of columns the axes leave unlabelled.
// Failures are shown naming the file and the reason.
#include "shell/menus.h"

#include <QTimer>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>

#include "design/commands.h"
#include "design/main_window.h"
#include "design/model_choice.h"
#include "design/model_view.h"
#include "figures/board_dialog.h"
#include "figures/design_dialog.h"
#include "figures/farfield_figure.h"
#include "figures/fullwave_figure.h"
#include "figures/match_figure.h"
#include "figures/pattern_windows.h"
#include "platform/graphics/data_export.h"
#include "platform/graphics/graphics.h"
#include "platform/qt/data_cursor.h"
#include "platform/qt/figure_host.h"
#include "platform/qt/figure_menus.h"
#include "platform/qt/qt_front_end.h"
#include "platform/qt/renderer.h"

namespace shell {
namespace {

using rt::qt::FigureHost;

const QString kTouchstoneFiles = QStringLiteral("Touchstone file (*.s1p);;All files (*)");
const QString kDesignFiles = QStringLiteral("Design file (*.txt);;All files (*)");

// Asks for a file and hands its path to `work`; nothing when cancelled.
void withPath(FigureHost& window, const char* caption, const QString& filter, bool forSaving,
              const std::function<void(const std::string&)>& work) {
  const QString path = rt::qt::askPath(&window, QString::fromUtf8(caption), filter, forSaving);
  if (path.isEmpty()) return;
  reporting(window, [&] { return work(path.toStdString()); });
}

// A name typed without a suffix gets the one the dialog's filter lists, so
// that the Open dialog then lists the file.
std::string withSuffix(const std::string& path, const char* suffix) {
  const std::filesystem::path p(path);
  return p.has_filename() && !p.has_extension() ? path + suffix : path;
}

void saveTouchstone(FigureHost& window) {
  withPath(window, "Save as Touchstone", kTouchstoneFiles, true, [](const std::string& path) {
    figures::saveTouchstoneAtMatchZ0(withSuffix(path, ".s1p"));
  });
}

void compareWithTouchstone(FigureHost& window) {
  withPath(window, "Compare with Touchstone", kTouchstoneFiles, false,
           [](const std::string& path) { figures::overlayTouchstone(path); });
}

void openMatchFigure(FigureHost& window) {
  reporting(window, [] { rt::qt::raiseWindow(figures::openMatchFigure()); });
}

void openDesignDialog(FigureHost& window) {
  reporting(window, [] { rt::qt::raiseWindow(figures::openDesignDialog()); });
}

void saveDesign(FigureHost& window) {
  withPath(window, "Save design", kDesignFiles, true, [](const std::string& path) {
    const std::string file = withSuffix(path, ".txt");
    design::saveDesign(file);
    noteRecentDesign(file);
  });
}

void openDesign(FigureHost& window) {
  withPath(window, "Open design", kDesignFiles, false, [](const std::string& path) {
    design::openDesign(path);
    noteRecentDesign(path);
  });
}

void openBoardDialog(FigureHost& window) {
  reporting(window, [] { rt::qt::raiseWindow(figures::openBoardDialog()); });
}

void toggleOtherModel(FigureHost& window) {
  reporting(window, [] { figures::showOtherModel(!figures::otherModelShown()); });
}

// Starts the Full-wave figure's check; without openEMS the message says how
// to install it.
void checkWithFullWave(FigureHost& window) {
  reporting(window, [] {
    rt::qt::raiseWindow(figures::checkWindowWithFullWave(fullwave::SolverQuality::Quick));
  });
}

// The figure's run is followed from Qt's event loop, so the window stays
// live while the solver works.
void everyFewMilliseconds(int ms, std::function<bool()> tick) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, tick = std::move(tick)] {
    if (!tick()) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(ms);
}

// From the main window: the design and pattern frequency it holds now.
void openFarField(FigureHost& window) {
  reporting(window, [] {
    rt::qt::raiseWindow(
        figures::showWindowFarField(figures::windowFarFieldCase(std::nullopt), std::nullopt));
  });
}

// From a pattern window: the design and frequency it was drawn for.
void openPatternFarField(FigureHost& window) {
  reporting(window, [&window] {
    const std::optional<figures::PatternShown> shown = figures::patternShown(window.figure());
    rt::qt::raiseWindow(
        shown
            ? figures::showFarField(figures::farFieldCase(shown->patch, shown->ghz))
            : figures::showWindowFarField(figures::windowFarFieldCase(std::nullopt), std::nullopt));
  });
}

struct Entry {
  const char* label;
  void (*run)(FigureHost&);
};
constexpr Entry kImpedanceAxesEntries[] = {
    {"Match and Smith chart...", openMatchFigure},
    {"Save as Touchstone...", saveTouchstone},
    {"Design for a resonance...", openDesignDialog},
    {"Save design...", saveDesign},
    {"Open design...", openDesign},
    {"Board and feed...", openBoardDialog},
    {"Check with full-wave solver...", checkWithFullWave},
    {"Far field...", openFarField},
};
// Columns of the data export whose axes have no label, named as the figure
// shows them.
struct ColumnName {
  bool (*in)(double ax);
  const char *label, *name;
};
constexpr ColumnName kColumnNames[] = {
    {design::isImpedanceAxes, "XLabel", "Frequency (GHz)"},  // a caption under the axes says so
    {figures::isSmithChart, "XLabel", "Re S11"},
    {figures::isSmithChart, "YLabel", "Im S11"},
    {figures::isPatternAxes, "CData", figures::kPatternColours},
};
// Entries of a figure's menu bar, in the figures they apply to.
struct FigureEntry {
  const char *menu, *label;
  void (*run)(FigureHost&);
  bool (*applies)(double fig);
};
constexpr FigureEntry kFigureEntries[] = {
    {"File", "Save as Touchstone...", saveTouchstone, figures::isMatchFigure},
    {"File", "Compare with Touchstone...", compareWithTouchstone, figures::isMatchFigure},
    {"Tools", "Far field...", openPatternFarField, figures::isPatternFigure},
    {"View", "Show or hide the other model", toggleOtherModel, figures::isMatchFigure},
};

}  // namespace

void reporting(FigureHost& window, const std::function<void()>& work) {
  std::string failure;
  try {
    work();
  } catch (const std::exception& e) {
    failure = e.what();
  }
  rt::qt::showFailure(&window, failure);
}

void addMenuEntries() {
  static bool added = false;
  if (added) return;
  added = true;
  // Before any figure adds its own act observer: the window's lines take the
  // chosen model before anything reads them.
  design::followChosenModel();
  // Every impedance model the window can show, in the axes' Model submenu.
  for (const design::ImpedanceModel m : antenna::impedanceModels())
    rt::qt::addAxesAction(
        {QString::fromUtf8(m->label().data(), static_cast<qsizetype>(m->label().size())),
         design::isImpedanceAxes,
         [m](FigureHost& w, double) { reporting(w, [m] { design::chooseModel(m); }); },
         QStringLiteral("Model"), [m] { return design::chosenModel() == m; }});
  addWindowAids();
  figures::setFullWaveTicker(everyFewMilliseconds);
  for (const Entry& e : kImpedanceAxesEntries)
    rt::qt::addAxesAction({QString::fromUtf8(e.label), design::isImpedanceAxes,
                           [run = e.run](FigureHost& w, double) { run(w); }});
  for (const FigureEntry& e : kFigureEntries)
    rt::qt::addFigureAction(
        {QString::fromUtf8(e.menu), QString::fromUtf8(e.label), {}, e.run, e.applies});
  // Pattern windows name their frequency and design in their titles.
  rt::qt::setWindowCaptions(figures::patternCaption);
  rt::qt::setSurfaceReading(figures::patternPointText);
  rt::qt::setColourBars([](double ax) -> std::optional<rt::qt::ColourKey> {
    if (!figures::isPatternAxes(ax)) return std::nullopt;
    return rt::qt::ColourKey{figures::kPatternColours, figures::kPatternHalfSpace};
  });
  rt::gfx::setColumnNamer([](double ax, std::string_view label) -> std::string {
    for (const ColumnName& c : kColumnNames)
      if (label == c.label && c.in(ax)) return c.name;
    return "";
  });
  rt::gfx::setOwnData(figures::farFieldData);
  // The polar plots stay round under a zoom, as the Smith chart does.
  rt::qt::addChartAxes([](double ax) { return figures::isFarFieldFigure(rt::gfx::parent(ax)); });
  rt::gfx::addActObserver([] {
    if (figures::notePatternFigures()) rt::qt::retitleWindows();
  });
  addHabits();
}

}  // namespace shell

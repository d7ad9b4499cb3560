// What users of other design tools reach for by habit: a Help menu in every
// figure with a menu bar (a short guide, the keyboard shortcuts, About with
// the version and the licences), Ctrl+Q to quit from any figure, undo and
// redo of the main window's design (Ctrl+Z, Ctrl+Shift+Z, and in the
// impedance axes' context menu), and the recent designs in that menu.
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QString>
#include <iostream>
#include <string>

#include "design/commands.h"
#include "design/history.h"
#include "design/main_window.h"
#include "design/recent.h"
#include "formats/words.h"
#include "platform/graphics/graphics.h"
#include "platform/qt/controls.h"
#include "platform/qt/figure_host.h"
#include "platform/qt/figure_menus.h"
#include "shell/menus.h"

#ifndef TESSIVAR_VERSION
#define TESSIVAR_VERSION "unknown"
#endif

namespace shell {
namespace {

using rt::qt::FigureHost;

// Every key the program answers beyond typing into a box, one row each.
struct Shortcut {
  const char *keys, *what;
};
constexpr Shortcut kShortcuts[] = {
    {"Ctrl+Z", "main window: undo the last change of the design"},
    {"Ctrl+Shift+Z", "main window: redo the change undone"},
    {"Ctrl+Q", "quit from any figure (nothing is asked: designs are saved only on request)"},
    {"Enter", "edit box: hand the typed value over (so does leaving the box)"},
    {"Tab, Shift+Tab", "next or previous control, in the window's order"},
    {"Arrows, Page Up/Down, Home, End", "slider with the focus: small step, large step, ends"},
    {"Ctrl+S", "figure with a menu bar: save as PNG, SVG or PDF"},
    {"Ctrl+C", "figure with a menu bar: copy the image"},
    {"Ctrl+W", "figure with a menu bar: close it"},
    {"Ctrl++, Ctrl+-", "figure with a menu bar: zoom in, zoom out"},
    {"Escape", "leave the pan, zoom, rotate or data-cursor tool"},
};

constexpr const char* kGuide =
    "tessivar designs rectangular microstrip patch antennas.\n\n"
    "1. Type a band in Fmin and Fmax (GHz, under Frequency): the input resistance and "
    "reactance are drawn across it.\n"
    "2. Set the patch width W and length L, the substrate height H and permittivity er and "
    "the feed offset (the feed's distance from a radiating edge, along L) with the sliders "
    "or their edit boxes (Enter hands a typed value over; "
    "a slider acts when released).\n"
    "3. A pattern frequency opens the radiation pattern in a window of its own.\n"
    "4. Right-click the resistance or reactance axes for the rest: the impedance model, "
    "Match and Smith chart, Design for a resonance, Board and feed, the full-wave check, "
    "the far field, saving and opening designs and Touchstone files, undo and redo, and "
    "the recent designs.\n\n"
    "tessivar-script plays the same window from a script, without a display "
    "(tessivar-script --help lists its commands). The README and its docs/ pages have the whole "
    "guide.";

// A table, so that the keys stand in one column.
QString shortcutsText() {
  QString rows;
  for (const Shortcut& s : kShortcuts)
    rows += QStringLiteral("<tr><td><b>%1</b>&nbsp;&nbsp;</td><td>%2</td></tr>")
                .arg(QString::fromUtf8(s.keys).toHtmlEscaped(),
                     QString::fromUtf8(s.what).toHtmlEscaped());
  return QStringLiteral("<table>") + rows + QStringLiteral("</table>");
}

QString aboutText() {
  return QStringLiteral(
             "tessivar %1\n"
             "A design calculator for rectangular microstrip patch antennas.\n\n"
             "tessivar is free software under the MIT licence (the LICENSE file).\n"
             "It uses Qt %2 under the GNU LGPL version 3, linked dynamically.\n"
             "The full-wave check runs openEMS, under the GNU GPL, as a separate program: "
             "it is neither linked in nor shipped with tessivar.")
      .arg(QStringLiteral(TESSIVAR_VERSION), QString::fromUtf8(qVersion()));
}

// Shown beside the window and left open while the user works.
void showText(FigureHost& window, const QString& title, const QString& text,
              Qt::TextFormat format) {
  auto* box = new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Close, &window);
  box->setTextFormat(format);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setObjectName(QStringLiteral("help"));
  box->setModal(false);
  box->setTextInteractionFlags(Qt::TextSelectableByMouse);
  box->show();
}

struct HelpEntry {
  const char* label;
  const char* title;
  QString (*text)();
  Qt::TextFormat format;
};
const HelpEntry kHelpEntries[] = {
    {"Guide", "tessivar guide", [] { return QString::fromUtf8(kGuide); }, Qt::PlainText},
    {"Keyboard shortcuts", "Keyboard shortcuts", shortcutsText, Qt::RichText},
    {"About tessivar", "About tessivar", aboutText, Qt::PlainText},
};

// Asks every figure to close, as its close box does: no question, since
// nothing unsaved is kept anywhere but in the files the user saved.
void quitProgram() {
  for (double fig : rt::gfx::figures())
    if (rt::gfx::exists(fig)) rt::gfx::closeRequest(fig);
}

// Undo or redo from a key or a menu; with nothing to step over, the key
// does nothing, as in any editor (the menu then has no such entry).
void stepDesign(FigureHost& window, bool back) {
  reporting(window, [back] { back ? design::undoDesignChange() : design::redoDesignChange(); });
}

bool isMainWindow(const FigureHost& window) {
  return design::findMainFigure() == window.figure();
}

// The keys are taken before the focused widget sees them, in every figure
// window; an edit box being typed in keeps its own Ctrl+Z.
class KeyHabits : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* window = dynamic_cast<FigureHost*>(static_cast<QWidget*>(watched)->window());
    if (window == nullptr) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() == Qt::Key_Q && mods == Qt::ControlModifier) {
      quitProgram();
      return true;
    }
    if (key->key() != Qt::Key_Z || !isMainWindow(*window)) return false;
    const auto* box = dynamic_cast<rt::qt::EditBox*>(watched);
    if (box != nullptr && box->editing()) return false;
    if (mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
      stepDesign(*window, mods == Qt::ControlModifier);
      return true;
    }
    return false;
  }
};

// The application is made after the entries are added (and made again by
// tests): the keys are watched from each one's start.
void watchKeys() {
  if (QCoreApplication* app = QCoreApplication::instance())
    app->installEventFilter(new KeyHabits(app));
}

void openRecent(FigureHost& window, std::size_t i) {
  reporting(window, [i] {
    const std::vector<std::string> recent = design::recentDesigns();
    if (i >= recent.size()) return;
    design::openDesign(recent[i]);
    noteRecentDesign(recent[i]);
  });
}

}  // namespace

void noteRecentDesign(const std::string& path) {
  const std::string failure = design::noteRecentDesign(path);
  if (!failure.empty()) std::cerr << "tessivar: " << formats::shown(failure, 400) << '\n';
}

void addHabits() {
  design::keepDesignHistory();
  qAddPreRoutine(watchKeys);
  // The main window has no menu bar: its impedance axes' menu has the Help.
  for (const HelpEntry& e : kHelpEntries) {
    auto show = [&e](FigureHost& w) {
      showText(w, QString::fromUtf8(e.title), e.text(), e.format);
    };
    rt::qt::addFigureAction({QStringLiteral("Help"), QString::fromUtf8(e.label), {}, show});
    rt::qt::addAxesAction({QString::fromUtf8(e.label), design::isImpedanceAxes,
                           [show](FigureHost& w, double) { show(w); }, QStringLiteral("Help")});
  }
  rt::qt::addFigureAction({QStringLiteral("File"), QStringLiteral("Quit"),
                           QKeySequence(Qt::CTRL | Qt::Key_Q), [](FigureHost&) { quitProgram(); }});
  rt::qt::addAxesAction(
      {QStringLiteral("Undo design change (Ctrl+Z)"),
       [](double ax) { return design::isImpedanceAxes(ax) && design::historySteps().back > 0; },
       [](FigureHost& w, double) { stepDesign(w, true); }});
  rt::qt::addAxesAction(
      {QStringLiteral("Redo design change (Ctrl+Shift+Z)"),
       [](double ax) { return design::isImpedanceAxes(ax) && design::historySteps().forward > 0; },
       [](FigureHost& w, double) { stepDesign(w, false); }});
  for (std::size_t i = 0; i < design::kMostRecentDesigns; ++i)
    rt::qt::addAxesAction({QString(),
                           [i](double ax) {
                             return design::isImpedanceAxes(ax) &&
                                    i < design::recentDesigns().size();
                           },
                           [i](FigureHost& w, double) { openRecent(w, i); },
                           QStringLiteral("Recent designs"),
                           {},
                           [i] {
                             const std::vector<std::string> recent = design::recentDesigns();
                             // A name may hold any byte: its control bytes are shown, not acted on.
                             return i < recent.size()
                                        ? QString::fromStdString(formats::shown(recent[i], 200))
                                        : QString();
                           }});
}

}  // namespace shell

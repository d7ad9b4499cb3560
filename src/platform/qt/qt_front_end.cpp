#include "platform/qt/qt_front_end.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string_view>

#include "platform/qt/controls.h"
#include "platform/qt/figure_window.h"
#include "platform/qt/font_setup.h"
#include "platform/qt/interaction.h"
#include "platform/qt/notices.h"
#include "platform/qt/props.h"
#include "platform/qt/renderer.h"

namespace rt::qt {
namespace {

std::function<std::string(double)>& captionSource() {
  static std::function<std::string(double)> source;
  return source;
}

// A figure without a Name takes the program's caption for it, if any.
QString windowTitle(double fig) {
  QString name = propLines(fig, "Name").join(QLatin1Char(' '));
  if (!propOn(fig, "NumberTitle", true)) return name;
  if (name.isEmpty() && captionSource()) name = QString::fromStdString(captionSource()(fig));
  QString title = QStringLiteral("Figure %1").arg(QString::number(fig, 'g', 10));
  return name.isEmpty() ? title : title + QStringLiteral(": ") + name;
}

// Properties that never show in a window's painted area (the window's
// title is set apart): writing one asks for no repaint. A callback that
// makes its axes current between plots then leaves the window alone.
constexpr std::string_view kNotPainted[] = {
    "CurrentAxes",     "NextPlot",  "Tag",           "UserData",       "HandleVisibility",
    "CloseRequestFcn", "Name",      "NumberTitle",   "PaperUnits",     "PaperPosition",
    "PaperSize",       "PaperType", "IntegerHandle", "InvertHardcopy",
};

bool painted(const std::string& name) {
  return std::find(std::begin(kNotPainted), std::end(kNotPainted), name) == std::end(kNotPainted);
}

// Each new window opens this far right and down of one already at its
// place, so that a user sees every window opened.
constexpr int kCascadeStep = 32;
// Room for the frame a window manager puts round a window not yet shown.
constexpr int kTitleBarGuess = 32;
constexpr int kBorderGuess = 4;

// The platform connection is gone (the X server ended, the session was
// dropped): Qt says so and ends the process with exit(), which would run the
// destructors of statics (the front end among them) after Qt's own, with
// widgets that can no longer be taken down. Nothing can be shown any more,
// so the program says why in one line and ends at once.
QtMessageHandler previousHandler = nullptr;

bool connectionLost(const QString& message) {
  return message.startsWith(QLatin1String("The X11 connection broke")) ||
         message.startsWith(QLatin1String("The Wayland connection broke"));
}

void handleQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (connectionLost(message)) {
    std::cout.flush();
    std::cerr << "The connection to the display was lost; the program ends." << std::endl;
    std::fflush(nullptr);
    std::_Exit(1);
  }
  if (previousHandler) {
    previousHandler(type, context, message);
  } else {
    std::cerr << message.toStdString() << std::endl;
  }
}

}  // namespace

struct QtFrontEnd::Impl {
  std::unique_ptr<QApplication> app;
  // Context of queued work; goes away with the front end.
  std::unique_ptr<QObject> context = std::make_unique<QObject>();
  std::map<double, QPointer<FigureWindow>> windows;
  std::map<double, std::unique_ptr<ControlView>> controls;
  QEventLoop* loop = nullptr;

  FigureWindow* windowOf(double fig) const {
    if (!std::isfinite(fig)) return nullptr;  // NaN would match any key
    auto it = windows.find(fig);
    return it == windows.end() ? nullptr : it->second.data();
  }

  FigureWindow* ensureWindow(double fig) {
    if (FigureWindow* w = windowOf(fig)) return w;
    auto* w = new FigureWindow(
        fig, [this, fig] { relayout(fig); }, [this, fig] { userClosed(fig); });
    // A window opened while another is open (a pattern window beside the
    // main one) leaves the keyboard where the user is working.
    bool another = std::any_of(windows.begin(), windows.end(), [](const auto& entry) {
      return entry.second && entry.second->isVisible();
    });
    w->setAttribute(Qt::WA_ShowWithoutActivating, another);
    windows[fig] = w;
    syncFigure(fig, "");
    return w;
  }

  void relayout(double fig) {
    for (auto& [h, view] : controls) {
      if (view->window() == windowOf(fig)) view->sync();
    }
    placeNoticeBar(windowOf(fig));
  }

  // A window not shown yet that would open exactly where another open
  // window stands moves down and right until its place is free, starting
  // again at the top left of the screen's free area when it would leave it.
  QRect cascaded(const FigureWindow* w, QRect g, const QRect& avail) const {
    if (w->isVisible()) return g;
    auto taken = [&](QPoint at) {
      return std::any_of(windows.begin(), windows.end(), [&](const auto& entry) {
        const FigureWindow* other = entry.second.data();
        return other && other != w && other->isVisible() &&
               (other->geometry().topLeft() - at).manhattanLength() < kCascadeStep / 2;
      });
    };
    QPoint step(kCascadeStep, kCascadeStep);
    bool fits = avail.width() > g.width() && avail.height() > g.height();
    for (std::size_t i = 0; i <= windows.size() && taken(g.topLeft()); ++i) {
      g.translate(step);
      if (fits && !avail.contains(g)) g.moveTopLeft(avail.topLeft());
    }
    return g;
  }

  // Places and sizes a window from Position and Units on the screen's
  // available area (y from the bottom).
  void placeWindow(FigureWindow* w, double fig) {
    QScreen* screen = QGuiApplication::primaryScreen();
    QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    QRect full = screen ? screen->geometry() : avail;
    bool normalized = propKeyword(fig, "Units") == "normalized";
    QRectF area = normalized ? QRectF(avail) : QRectF(full);
    QRectF r = positionRect(fig, area);
    if (r == area && propValues(fig, "Position").size() < 4) {
      r = QRectF(area.center() - QPointF(280, 210), QSizeF(560, 420));
    }
    QRect g = r.toAlignedRect();
    g.setWidth(std::max(g.width(), 1));
    // Position is the figure's area: the menus come on top of it.
    g.setHeight(std::max(g.height(), 1) + w->menuHeight());
    g = cascaded(w, g, avail);
    // The frame is known once the window manager has framed the window;
    // before that, room is left for a usual title bar and border.
    QMargins frame(kBorderGuess, kTitleBarGuess, kBorderGuess, kBorderGuess);
    if (w->isVisible() && w->frameGeometry() != w->geometry()) {
      const QRect outer = w->frameGeometry(), inner = w->geometry();
      frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                       outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    g = fitOnScreen(g, avail, frame, propOn(fig, "Resize", true));
    if (propOn(fig, "Resize", true)) {
      w->setMinimumSize(1, 1);
      w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
      w->setFixedSize(g.size());
    }
    w->setGeometry(g);
  }

  void syncFigure(double fig, const std::string& name) {
    FigureWindow* w = windowOf(fig);
    if (!w) return;
    bool all = name.empty();
    if (all || name == "Name" || name == "NumberTitle") w->setWindowTitle(windowTitle(fig));
    if (all || name == "MenuBar") w->showMenus(propKeyword(fig, "MenuBar") != "none");
    if (all || name == "Position" || name == "Units" || name == "Resize" || name == "MenuBar")
      placeWindow(w, fig);
    if (all || name == "Visible") w->setVisible(propOn(fig, "Visible", true));
    if (all || painted(name)) w->update();
  }

  void addControl(double h) {
    if (controls.count(h)) return;
    double fig = figureOf(h);
    if (!std::isfinite(fig)) return;
    FigureWindow* w = ensureWindow(fig);
    controls[h] = std::make_unique<ControlView>(h, w);
  }

  // The user closes a window: the figure's close request decides (by
  // default it deletes the figure, and with it the window).
  void userClosed(double fig) {
    NoticeScope notices(windowOf(fig));
    try {
      if (gfx::exists(fig)) gfx::closeRequest(fig);
    } catch (const std::exception& e) {
      reportError(e);
    }
  }

  void dropFigure(double fig) {
    auto it = windows.find(fig);
    if (it == windows.end()) return;
    QPointer<FigureWindow> w = it->second;
    windows.erase(it);
    for (auto c = controls.begin(); c != controls.end();) {
      if (!c->second->window() || c->second->window() == w.data()) {
        c = controls.erase(c);
      } else {
        ++c;
      }
    }
    if (w) {
      w->detach();
      w->hide();
      w->deleteLater();
    }
    QTimer::singleShot(0, context.get(), [this] { quitIfDone(); });
  }

  void quitIfDone() {
    if (!loop) return;
    bool open = false;
    try {
      open = !gfx::figures().empty();
    } catch (const std::exception&) {
      // Only an object system already shut down throws here: no figure is
      // open then, and the loop ends as it should.
    }
    if (!open || windows.empty()) loop->quit();
  }

  void updateAll() {
    for (auto& [fig, w] : windows) {
      if (w) w->update();
    }
  }
};

QRect fitOnScreen(QRect wanted, const QRect& available, const QMargins& frame, bool resizable) {
  const QRect inner = available.marginsRemoved(frame);
  if (resizable) {
    wanted.setWidth(std::clamp(wanted.width(), 1, std::max(inner.width(), 1)));
    wanted.setHeight(std::clamp(wanted.height(), 1, std::max(inner.height(), 1)));
  }
  // A window larger than the screen shows its top left, where its menus are.
  auto clampedStart = [](int at, int length, int first, int room) {
    return std::max(first, std::min(at, first + room - length));
  };
  wanted.moveTo(clampedStart(wanted.x(), wanted.width(), inner.x(), inner.width()),
                clampedStart(wanted.y(), wanted.height(), inner.y(), inner.height()));
  return wanted;
}

QtFrontEnd::QtFrontEnd(int& argc, char** argv) : d_(std::make_unique<Impl>()) {
  QCoreApplication* existing = QCoreApplication::instance();
  if (!existing) {
    loadFontConfiguration();  // before the application's first font
    d_->app = std::make_unique<QApplication>(argc, argv);
    // Qt takes the user's locale for the C library too; numbers the program
    // or a library prints or reads with it (HDF5, a message) keep the point,
    // as every file the program writes must be read back under any locale.
    std::setlocale(LC_NUMERIC, "C");
  } else if (!qobject_cast<QApplication*>(existing)) {
    error("The Qt front end needs a QApplication, but another kind of application exists.");
  }
  QGuiApplication::setQuitOnLastWindowClosed(false);
  // Once per process: a second front end must not chain the handler to itself.
  static const bool handlerInstalled = [] {
    previousHandler = qInstallMessageHandler(handleQtMessage);
    return true;
  }();
  (void)handlerInstalled;
}

QtFrontEnd::~QtFrontEnd() {
  d_->controls.clear();
  for (auto& [fig, w] : d_->windows) delete w.data();
  d_->windows.clear();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  d_->context.reset();
  d_->app.reset();
}

void QtFrontEnd::objectCreated(double h) {
  try {
    std::string type = gfx::type(h);
    if (type == "figure") {
      d_->ensureWindow(h);
    } else if (type == "uicontrol") {
      d_->addControl(h);
    } else if (FigureWindow* w = d_->windowOf(figureOf(h))) {
      w->objectChanged(h);
    }
  } catch (const std::exception& e) {
    reportError(e);
  }
}

void QtFrontEnd::objectDeleted(double h) {
  forget(h);
  if (d_->windows.count(h)) {
    d_->dropFigure(h);
    return;
  }
  auto c = d_->controls.find(h);
  if (c != d_->controls.end()) {
    d_->controls.erase(c);
    return;
  }
  // The object is still there: its window repaints the part it covered.
  try {
    if (FigureWindow* w = d_->windowOf(figureOf(h))) return w->objectChanged(h);
  } catch (const std::exception& e) {
    reportError(e);
  }
  d_->updateAll();
}

void QtFrontEnd::propertyChanged(double h, const std::string& name) {
  try {
    if (d_->windows.count(h)) {
      d_->syncFigure(h, name);
      return;
    }
    auto c = d_->controls.find(h);
    if (c != d_->controls.end()) {
      if (name == "Parent") {
        d_->controls.erase(c);
        d_->addControl(h);
      } else {
        c->second->propertyChanged(name);
      }
      return;
    }
    if (!painted(name)) return;
    if (FigureWindow* w = d_->windowOf(figureOf(h))) w->objectChanged(h, name);
  } catch (const std::exception& e) {
    reportError(e);
  }
}

void QtFrontEnd::allFiguresClosed() {
  if (d_->loop) d_->loop->quit();
}

int QtFrontEnd::run() {
  bool open = false;
  try {
    open = !gfx::figures().empty();
  } catch (const std::exception&) {
    // As in quitIfDone: an object system shut down has no figure to wait for.
  }
  if (!open || d_->windows.empty()) return 0;
  QEventLoop loop;
  d_->loop = &loop;
  loop.exec();
  d_->loop = nullptr;
  return 0;
}

QWidget* QtFrontEnd::window(double fig) const {
  return d_->windowOf(fig);
}

QWidget* QtFrontEnd::widget(double h) const {
  if (QWidget* w = d_->windowOf(h)) return w;
  auto c = d_->controls.find(h);
  return c == d_->controls.end() ? nullptr : c->second->widget();
}

QStringList QtFrontEnd::notices(double fig) const {
  return rt::qt::notices(d_->windowOf(fig));
}

std::optional<AxesLayout> QtFrontEnd::axesAt(double fig, QPointF pixel) const {
  FigureWindow* w = d_->windowOf(fig);
  return w ? w->axesAt(pixel) : std::nullopt;
}

std::string QtFrontEnd::savePng(double fig, const QString& path) {
  FigureWindow* w = d_->windowOf(fig);
  NoticesHidden hidden(w);
  return w ? w->savePng(path) : rt::qt::savePng(fig, path, QSize(800, 600));
}

std::string QtFrontEnd::saveSvg(double fig, const QString& path) {
  FigureWindow* w = d_->windowOf(fig);
  NoticesHidden hidden(w);
  return w ? w->saveSvg(path) : rt::qt::saveSvg(fig, path, QSize(800, 600));
}

std::string QtFrontEnd::savePdf(double fig, const QString& path) {
  FigureWindow* w = d_->windowOf(fig);
  NoticesHidden hidden(w);
  return w ? w->savePdf(path) : rt::qt::savePdf(fig, path, QSize(800, 600));
}

void setWindowCaptions(std::function<std::string(double fig)> caption) {
  captionSource() = std::move(caption);
}

void retitleWindows() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* f = dynamic_cast<FigureWindow*>(w); f != nullptr && gfx::exists(f->figure()))
      f->setWindowTitle(windowTitle(f->figure()));
}

bool raiseWindow(double fig) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* f = dynamic_cast<FigureWindow*>(w);
    if (f == nullptr || f->figure() != fig) continue;
    f->show();
    f->raise();
    f->activateWindow();
    return true;
  }
  return false;
}

}  // namespace rt::qt

std::unique_ptr<rt::FrontEnd> rt::makeDefaultFrontEnd(int& argc, char** argv) {
  return std::make_unique<rt::qt::QtFrontEnd>(argc, argv);
}

// A whole run of the program on its real Qt widgets (offscreen): rt::runMain
// with the real start-up record and the Qt front end, whose run() carries
// out the test's steps on the widgets where the event loop would wait for
// the user, then closes every figure.
#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QtTest/QTest>

#include "platform/qt/controls.h"
#include "platform/qt/figure_window.h"
#include "platform/qt/qt_front_end.h"
#include "shell/menus.h"
#include "window/window_session.h"

namespace gui {

class Run : public rt::qt::QtFrontEnd {
 public:
  Run(int& argc, char** argv, std::function<void(rt::qt::QtFrontEnd&)> steps)
      : QtFrontEnd(argc, argv), steps_(std::move(steps)) {}
  int run() override {
    ran = true;
    QApplication::processEvents();
    steps_(*this);
    session::closeAllFigures();
    QApplication::processEvents();
    return 0;
  }
  bool ran = false;

 private:
  std::function<void(rt::qt::QtFrontEnd&)> steps_;
};

// Runs the program with `steps` acting on its widgets, with the menu
// entries, colour bars and window aids the program adds; gives runMain's
// result (-1 when the window never opened).
inline int run(std::function<void(rt::qt::QtFrontEnd&)> steps) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  shell::addMenuEntries();
  static int argc = 1;
  static char name[] = "tessivar";
  static char* argv[] = {name, nullptr};
  return session::run(std::make_unique<Run>(argc, argv, std::move(steps)));
}
// Runs the program with `steps` on its widgets, which must open the window and end well.
inline void inProgram(std::function<void(rt::qt::QtFrontEnd&)> steps) {
  EXPECT_EQ(run(std::move(steps)), 0);
}

inline QWidget* widget(rt::qt::QtFrontEnd& qt, std::string_view tag) {
  return qt.widget(session::tagged(tag));
}
inline rt::qt::SliderBar* slider(rt::qt::QtFrontEnd& qt, std::string_view tag) {
  return dynamic_cast<rt::qt::SliderBar*>(widget(qt, tag));
}
inline QLineEdit* edit(rt::qt::QtFrontEnd& qt, std::string_view tag) {
  return dynamic_cast<QLineEdit*>(widget(qt, tag));
}
inline rt::qt::FigureWindow* window(rt::qt::QtFrontEnd& qt, double fig) {
  return dynamic_cast<rt::qt::FigureWindow*>(qt.window(fig));
}

// The entries of a window's menu bar, its menus filled as when opened.
inline QList<QAction*> menuEntries(rt::qt::FigureWindow* w) {
  QList<QAction*> all;
  for (QAction* m : w->findChild<QMenuBar*>()->actions())
    if (m->menu()) {
      emit m->menu()->aboutToShow();
      all += m->menu()->actions();
    }
  return all;
}

// Chooses an entry of a window's menu bar as the user does.
inline void choose(rt::qt::FigureWindow* w, const QString& entry) {
  for (QAction* a : menuEntries(w))
    if (a->text() == entry) {
      a->trigger();
      QApplication::processEvents();
      return;
    }
  ADD_FAILURE() << "no entry " << entry.toStdString();
}

// Clicks into an edit box, replaces its text by typing and presses Enter.
inline void typeInto(QLineEdit* e, const char* text) {
  QTest::mouseClick(e, Qt::LeftButton);
  QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(e, Qt::Key_Delete);
  QTest::keyClicks(e, text);
  QTest::keyClick(e, Qt::Key_Return);
}

// Types a band into its boxes, so that the model draws.
inline void enterBand(rt::qt::QtFrontEnd& qt, const char* fmin = "1", const char* fmax = "3") {
  typeInto(edit(qt, "edit5"), fmin);
  typeInto(edit(qt, "edit6"), fmax);
}

// Drags a slider's thumb to a fraction of its track and lets it go.
inline void drag(rt::qt::SliderBar* b, double fraction) {
  QRect thumb = b->partRect(QStyle::SC_ScrollBarSlider);
  QRect groove = b->partRect(QStyle::SC_ScrollBarGroove);
  QPoint from = thumb.center();
  int span = groove.width() - thumb.width();
  QPoint to(groove.left() + thumb.width() / 2 + static_cast<int>(fraction * span), from.y());
  QTest::mousePress(b, Qt::LeftButton, {}, from);
  for (int i = 1; i <= 10; ++i) QTest::mouseMove(b, from + (to - from) * i / 10);
  QTest::mouseRelease(b, Qt::LeftButton, {}, to);
}

// Pixels of a window's rendering, inside the figure-normalised rectangle of
// an axes, that are close to the lines' default blue.
inline int bluePixels(rt::qt::QtFrontEnd& qt, std::string_view axesTag) {
  const QImage img = qt.window(session::mainWindow())->grab().toImage();
  const std::vector<double> p = session::values(session::prop(axesTag, "Position"));
  const QRect box = QRectF(p[0] * img.width(), (1 - p[1] - p[3]) * img.height(), p[2] * img.width(),
                           p[3] * img.height())
                        .toRect() &
                    img.rect();
  int n = 0;
  for (int y = box.top(); y <= box.bottom(); ++y)
    for (int x = box.left(); x <= box.right(); ++x) {
      const QColor c = img.pixelColor(x, y);
      n += c.blue() > 180 && c.red() < 120 && c.green() < 120 ? 1 : 0;
    }
  return n;
}

}  // namespace gui

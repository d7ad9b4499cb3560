// The Qt front end of the graphics object system: every figure is a
// top-level window, its uicontrols are child widgets, its axes are drawn by
// our renderer. Closing a window deletes its figure; run() returns when the
// last figure is gone.
//
// Every call into the object system from a Qt event is guarded: errors are
// reported and never cross Qt's event loop.
#pragma once

#include <QMargins>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/graphics.h"
#include "platform/qt/renderer.h"

namespace rt::qt {

class QtFrontEnd : public FrontEnd {
 public:
  // Creates the QApplication when none exists (and then owns it). Objects
  // that exist when the front end is installed are announced to it by the
  // object system (rt::setFrontEnd) and get their windows then.
  QtFrontEnd(int& argc, char** argv);
  ~QtFrontEnd() override;
  QtFrontEnd(const QtFrontEnd&) = delete;
  QtFrontEnd& operator=(const QtFrontEnd&) = delete;

  void objectCreated(double h) override;
  void objectDeleted(double h) override;
  void propertyChanged(double h, const std::string& name) override;
  void allFiguresClosed() override;
  // Runs the event loop while a figure is open; 0 when the last one closes,
  // at once when none is open.
  int run() override;

  // The window of a figure; null for anything else.
  QWidget* window(double fig) const;
  // The widget of a figure or a uicontrol; null for anything else.
  QWidget* widget(double h) const;
  // The axes under a pixel of a figure's window, with where it was painted
  // there (the window's last paint); none off every axes or without a window.
  std::optional<AxesLayout> axesAt(double fig, QPointF pixel) const;
  // The messages the figure's window showed for the user's acts, oldest
  // first (the last few).
  QStringList notices(double fig) const;
  // The figure's window with its controls, as a PNG, SVG or PDF file: an
  // empty string, or a message naming the file and why it was not written.
  std::string savePng(double fig, const QString& path);
  std::string saveSvg(double fig, const QString& path);
  std::string savePdf(double fig, const QString& path);

  struct Impl;

 private:
  std::unique_ptr<Impl> d_;
};

// Where a window asked for at `wanted` (its inside, without the frame of
// `frame` the window manager adds) opens on a screen whose free area is
// `available`: moved until it lies wholly inside, frame and all, and made
// smaller first when it is `resizable` and does not fit.
QRect fitOnScreen(QRect wanted, const QRect& available, const QMargins& frame, bool resizable);

// Brings the window of figure `fig` to the front and gives it the focus
// (whichever front end made it); false when the figure has no window.
bool raiseWindow(double fig);

// A text the program puts in a window's title after the figure's number
// where the figure has no Name (empty for none): what the window shows,
// said without adding objects to the figure. retitleWindows applies a
// changed answer to the open windows.
void setWindowCaptions(std::function<std::string(double fig)> caption);
void retitleWindows();

}  // namespace rt::qt

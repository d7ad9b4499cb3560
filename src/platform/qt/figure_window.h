// The top-level window of one figure: it paints the figure's axes and
// background, holds the figure's control widgets, and remembers where each
// axes was last painted so that a pixel of the window can be traced back to
// the axes, and the data, under it.
#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/renderer.h"

namespace rt::qt {

class FigureWindow : public QWidget {
 public:
  FigureWindow(double fig, std::function<void()> onResize, std::function<void()> onClose);

  double figure() const { return fig_; }
  // The object is gone: closing the window does nothing more.
  void detach();

  // The axes painted topmost at `pixel` (window coordinates) as the window
  // last showed it; none when no live axes is there.
  std::optional<AxesLayout> axesAt(QPointF pixel) const;
  const std::vector<AxesLayout>& layouts() const { return layouts_; }

  // The window with its controls, as a file: an empty string, or a message
  // naming the file and the reason. The layouts kept for the screen stay as
  // they are.
  std::string savePng(const QString& path);
  std::string saveSvg(const QString& path);
  std::string savePdf(const QString& path);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent* e) override;
  // The window stays until its figure is deleted.
  void closeEvent(QCloseEvent* e) override;

 private:
  void renderToFile(QPainter& painter);

  double fig_;
  std::function<void()> onResize_, onClose_;
  std::vector<AxesLayout> layouts_;
  // Set while the window paints itself into a file: another device may lay
  // text out differently, and the screen's layouts must not follow it.
  bool toFile_ = false;
};

}  // namespace rt::qt

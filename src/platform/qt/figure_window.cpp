// The window of a figure: painting, the layouts of its axes, and its files.
#include "platform/qt/figure_window.h"

#include <QCloseEvent>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "platform/graphics/graphics.h"
#include "platform/qt/file_output.h"

namespace rt::qt {

FigureWindow::FigureWindow(double fig, std::function<void()> onResize,
                           std::function<void()> onClose)
    : fig_(fig), onResize_(std::move(onResize)), onClose_(std::move(onClose)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);  // a click on the background leaves an edit box
}

void FigureWindow::detach() {
  onResize_ = nullptr;
  onClose_ = nullptr;
}

std::optional<AxesLayout> FigureWindow::axesAt(QPointF pixel) const {
  // Later axes are painted over earlier ones. An axes deleted since the last
  // paint is still listed until the repaint that its deletion asked for.
  auto hit = std::find_if(layouts_.rbegin(), layouts_.rend(), [&](const AxesLayout& l) {
    return l.box.contains(pixel) && gfx::exists(l.axes);
  });
  if (hit == layouts_.rend()) return std::nullopt;
  return *hit;
}

std::string FigureWindow::savePng(const QString& path) {
  toFile_ = true;
  QImage image = grab().toImage();
  toFile_ = false;
  return writePng(path, image);
}

std::string FigureWindow::saveSvg(const QString& path) {
  return writeSvg(path, size(), windowTitle(), [this](QPainter& p) { renderToFile(p); });
}

std::string FigureWindow::savePdf(const QString& path) {
  return writePdf(path, size(), windowTitle(), [this](QPainter& p) { renderToFile(p); });
}

void FigureWindow::renderToFile(QPainter& painter) {
  toFile_ = true;
  render(&painter);
  toFile_ = false;
}

void FigureWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  try {
    paintFigure(p, fig_, size(),
                PaintOptions{.controls = false, .layouts = toFile_ ? nullptr : &layouts_});
  } catch (const std::exception& e) {
    reportError(e);
  }
}

void FigureWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (onResize_) onResize_();
}

void FigureWindow::closeEvent(QCloseEvent* e) {
  e->ignore();
  if (onClose_) {
    auto close = onClose_;  // the call may detach this window
    close();
  }
}

}  // namespace rt::qt

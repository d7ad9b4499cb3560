// What a figure window's menus and tool buttons ask of the window they sit
// in: its figure, its tool, its views and its files. The window implements
// it; the menus know the window only through it, so that the menus are a
// part of the window and not the other way round as well.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <string>

#include "platform/qt/interaction.h"

namespace rt::qt {

class FigureHost : public QWidget {
 public:
  using QWidget::QWidget;

  virtual double figure() const = 0;
  virtual Tool tool() const = 0;
  virtual void setTool(Tool t) = 0;
  virtual void resetAllViews() = 0;
  virtual void zoomAll(double factor) = 0;
  // The figure's area as the user sees it, to the clipboard.
  virtual void copyImage() = 0;
  // An empty string, or a message naming the path and why it was not written.
  virtual std::string saveImage(const QString& path) = 0;
  virtual std::string exportCsv(const QString& path, std::optional<double> ax) = 0;
};

}  // namespace rt::qt

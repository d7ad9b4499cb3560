// The top-level window of one figure: it paints the figure's axes and
// background, holds the figure's control widgets, and remembers where each
// axes was last painted so that a pixel of the window can be traced back to
// the axes, and the data, under it. The mouse zooms, pans and rotates its
// axes and reads their data points; a figure with a menu bar shows one with
// a toolbar above the figure's area.
#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/data_cursor.h"
#include "platform/qt/figure_host.h"
#include "platform/qt/interaction.h"
#include "platform/qt/renderer.h"

namespace rt::qt {

class FigureMenus;

// How the program words a figure's standing notice ("" for none): asked
// when the figure's window shows and after each user act.
void setStandingNotices(std::function<std::string(double fig)> wording);

// What resting the mouse on an axes of a window without a menu bar says.
inline const QString kContextMenuHint =
    QStringLiteral("Right-click for the menu: all this window offers beyond its controls");

class FigureWindow : public FigureHost {
 public:
  FigureWindow(double fig, std::function<void()> onResize, std::function<void()> onClose);
  ~FigureWindow() override;

  double figure() const override { return fig_; }
  // The object is gone: closing the window does nothing more.
  void detach();

  // Shows or hides the menu bar and toolbar above the figure's area.
  void showMenus(bool on);
  // Height of the menu bar and toolbar (0 without them).
  int menuHeight() const;
  // The figure's area in window coordinates: below the menus.
  QRect figureRect() const { return contentsRect(); }

  // The axes painted topmost at `pixel` (window coordinates) as the window
  // last showed it; none when no live axes is there.
  std::optional<AxesLayout> axesAt(QPointF pixel) const;
  const std::vector<AxesLayout>& layouts() const { return layouts_; }

  Tool tool() const override { return interaction_.tool(); }
  void setTool(Tool t) override;
  // The data point marked now, if any.
  const std::optional<DataTip>& dataTip() const { return tip_; }
  // An object of the figure was made, changed (`name` the property written)
  // or is about to go: a marked point whose data changed goes, and the part
  // of the window that the object's axes covers is repainted (the whole
  // window when that part is not known).
  void objectChanged(double h, const std::string& name = {});
  // Shows the standing notice the program words for the figure now.
  void refreshStandingNotice();

  void resetAllViews() override;
  void zoomAll(double factor) override;
  // The figure's area as the user sees it, to the clipboard.
  void copyImage() override;

  // The figure's area with its controls, as a file: PNG, SVG or PDF by the
  // file's suffix. An empty string, or a message naming the path and why it
  // was not written. The layouts kept for the screen stay as they are.
  std::string saveImage(const QString& path) override;
  std::string savePng(const QString& path);
  std::string saveSvg(const QString& path);
  std::string savePdf(const QString& path);
  // The data of one axes (or of the whole figure) as comma-separated text.
  std::string exportCsv(const QString& path, std::optional<double> ax = std::nullopt) override;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent* e) override;
  // The window stays until its figure is deleted.
  void closeEvent(QCloseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool event(QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void paintOverlay(QPainter& p);
  // An axes painted beyond the part it covered before (a longer label, a
  // new place) asks for the rest of its new part, which the last paint left
  // as it was. The part kept for an axes whose box stayed grows to cover
  // both.
  void repaintGrowth(const std::vector<AxesLayout>& before, const QRegion& painted);
  // Marks the point nearest the mouse within `reach` pixels (on lines only,
  // or on surfaces too); finding none clears the mark.
  void pick(QPointF pos, double reach, bool linesOnly);
  QImage figureImage();
  // The figure's area, controls included, onto a file's painter.
  void renderToFile(QPainter& painter);

  double fig_;
  std::function<void()> onResize_, onClose_;
  std::vector<AxesLayout> layouts_;
  // Set while the window paints itself into a file: another device may lay
  // text out differently, and the screen's layouts must not follow it.
  bool toFile_ = false;
  Interaction interaction_;
  std::optional<DataTip> tip_;
  std::unique_ptr<FigureMenus> menus_;
};

}  // namespace rt::qt

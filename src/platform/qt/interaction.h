// What the mouse does to an axes: zoom, pan and rotate, each written through
// the object system (XLim, YLim, ZLim and View, with their modes) as a
// program's own set would, so that files and the program's next fit see
// what the user sees. The limits and view the program last set are kept per
// axes, so that a double click or "Reset view" brings them back.
#pragma once

#include <QPointF>
#include <QRectF>
#include <array>
#include <optional>

#include "platform/qt/renderer.h"

namespace rt::qt {

// One mouse tool at a time; None leaves the mouse to its defaults (wheel
// zooms, middle drag pans, left drag rotates a 3-D axes).
enum class Tool { None, Pan, Zoom, Rotate, DataCursor };

// ------------------------------------------------------- acts on an axes
// Each act first records the program's limits and view when the program has
// changed them since the user's last act.
// 2-D: narrows (factor < 1) or widens both limits about a pixel, which keeps
// its data point. 3-D: all three limits about their centres.
void zoomAbout(const AxesLayout& layout, QPointF pixel, double factor);
// 2-D: the limits that show the data under the rectangle's pixels.
void zoomToPixels(const AxesLayout& layout, const QRectF& pixels);
// 2-D: shifts the limits of `start` (the layout when the drag began) so that
// the data point under `from` comes under `to`.
void panTo(const AxesLayout& start, QPointF from, QPointF to);
// 3-D: writes View; elevation is held within [-90, 90].
void rotateTo(double ax, double azimuth, double elevation);
// Back to the limits (and their modes) and view the program last set.
void resetView(double ax);
// Drops what was remembered of an object's limits and view as it goes, so
// that nothing outlives the axes it was kept for.
void forget(double h);

// The azimuth and elevation a drag of `delta` pixels gives from `start`.
std::array<double, 2> draggedView(const AxesLayout& start, QPointF delta);

// ------------------------------------------------- the mouse of a window
// Turns the mouse events of one figure window into the acts above. Events
// come in window coordinates, the same as the layouts.
class Interaction {
 public:
  Tool tool() const { return tool_; }
  void setTool(Tool t);

  // The return values say whether the event was used.
  bool press(const std::optional<AxesLayout>& at, QPointF pos, Qt::MouseButton button);
  bool move(QPointF pos);
  bool release(QPointF pos);
  bool wheel(const std::optional<AxesLayout>& at, QPointF pos, double steps);
  bool doubleClick(const std::optional<AxesLayout>& at);

  bool dragging() const { return drag_.has_value(); }
  // The rubber band of a zoom drag, to be drawn over the figure.
  std::optional<QRectF> rubberBand() const;

 private:
  enum class DragKind { Pan, Rotate, Band };
  struct Drag {
    DragKind kind;
    AxesLayout start;
    QPointF origin, last;
  };
  Tool tool_ = Tool::None;
  std::optional<Drag> drag_;
};

}  // namespace rt::qt

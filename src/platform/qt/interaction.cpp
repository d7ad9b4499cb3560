// Zoom, pan and rotate through the object system, the memory of the
// program's own limits and view, and the mouse state of a figure window.
#include "platform/qt/interaction.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "platform/array/array.h"
#include "platform/graphics/graphics.h"
#include "platform/qt/props.h"

namespace rt::qt {
namespace {

constexpr const char* kLimits[] = {"XLim", "YLim", "ZLim"};
constexpr const char* kModes[] = {"XLimMode", "YLimMode", "ZLimMode"};

// What the program had set before the user's first act, and what the user's
// last act wrote: when the axes no longer show the latter, the program has
// set something since, and that becomes the view to return to.
struct Memory {
  std::array<Array, 3> limits, modes;
  Array view;
  std::array<Array, 3> userLimits;
  Array userView;
};

std::map<double, Memory>& memories() {
  static std::map<double, Memory> m;
  return m;
}

bool same(const Array& a, const Array& b) {
  if (a.isNull() || b.isNull()) return a.isNull() == b.isNull();
  if (a.numel() != b.numel() || !a.isNumeric() || !b.isNumeric()) return false;
  return std::equal(a.re().begin(), a.re().end(), b.re().begin());
}

void remember(double ax) {
  Memory& m = memories()[ax];
  bool programChanged = m.view.isNull() || !same(tryProp(ax, "View"), m.userView);
  for (int k = 0; k < 3; ++k)
    programChanged = programChanged || !same(tryProp(ax, kLimits[k]), m.userLimits[k]);
  if (!programChanged) return;
  for (int k = 0; k < 3; ++k) {
    m.limits[k] = tryProp(ax, kLimits[k]);
    m.modes[k] = tryProp(ax, kModes[k]);
    m.userLimits[k] = m.limits[k];
  }
  m.view = m.userView = tryProp(ax, "View");
}

// Writes limits as a program would (their mode becomes "manual") and keeps
// what was written, so that the next act knows it from a program's change.
void writeLimits(double ax, int axis, double lo, double hi) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || !(lo < hi)) return;
  try {
    set(gfx::handleArray(ax), {str(kLimits[axis]), row({lo, hi})});
    memories()[ax].userLimits[axis] = tryProp(ax, kLimits[axis]);
  } catch (const std::exception& e) {
    reportError(e);
  }
}

void scaleLimits(double ax, int axis, double centre, double factor) {
  std::vector<double> lim = propValues(ax, kLimits[axis]);
  if (lim.size() < 2) return;
  writeLimits(ax, axis, centre + (lim[0] - centre) * factor, centre + (lim[1] - centre) * factor);
}

// The band widened about its centre to the shape of the axes' box, so that
// the box shows as much data across as up, as it did before.
QRectF keptInShape(const QRectF& box, const QRectF& band) {
  const double scale = std::max(band.width() / box.width(), band.height() / box.height());
  QRectF r(0, 0, box.width() * scale, box.height() * scale);
  r.moveCenter(band.center());
  return r;
}

}  // namespace

void forget(double h) {
  memories().erase(h);
}

void zoomAbout(const AxesLayout& layout, QPointF pixel, double factor) {
  if (!gfx::exists(layout.axes) || !(factor > 0)) return;
  remember(layout.axes);
  if (layout.threeD()) {
    for (int k = 0; k < 3; ++k) {
      const Projection::Limits& lim = layout.projection->limits()[k];
      scaleLimits(layout.axes, k, (lim[0] + lim[1]) / 2, factor);
    }
    return;
  }
  QPointF at = layout.toData(pixel);
  scaleLimits(layout.axes, 0, at.x(), factor);
  scaleLimits(layout.axes, 1, at.y(), factor);
}

void zoomToPixels(const AxesLayout& layout, const QRectF& pixels) {
  if (layout.threeD() || !gfx::exists(layout.axes)) return;
  QRectF r = pixels.normalized().intersected(layout.box);
  if (r.width() < 3 || r.height() < 3) return;  // a click, not a band
  remember(layout.axes);
  if (isChartAxes(layout.axes)) r = keptInShape(layout.box, r);
  QPointF a = layout.toData(r.topLeft()), b = layout.toData(r.bottomRight());
  writeLimits(layout.axes, 0, std::min(a.x(), b.x()), std::max(a.x(), b.x()));
  writeLimits(layout.axes, 1, std::min(a.y(), b.y()), std::max(a.y(), b.y()));
}

void panTo(const AxesLayout& start, QPointF from, QPointF to) {
  if (start.threeD() || !gfx::exists(start.axes)) return;
  remember(start.axes);
  QPointF shift = start.toData(from) - start.toData(to);
  writeLimits(start.axes, 0, start.x.lim[0] + shift.x(), start.x.lim[1] + shift.x());
  writeLimits(start.axes, 1, start.y.lim[0] + shift.y(), start.y.lim[1] + shift.y());
}

void rotateTo(double ax, double azimuth, double elevation) {
  if (!gfx::exists(ax) || !std::isfinite(azimuth) || !std::isfinite(elevation)) return;
  remember(ax);
  // Azimuth within (-180, 180], as the program's own views are written.
  double az = std::remainder(azimuth, 360.0);
  if (az == -180) az = 180;
  try {
    set(gfx::handleArray(ax), {str("View"), row({az, std::clamp(elevation, -90.0, 90.0)})});
    memories()[ax].userView = tryProp(ax, "View");
  } catch (const std::exception& e) {
    reportError(e);
  }
}

void resetView(double ax) {
  if (!gfx::exists(ax)) return;
  remember(ax);
  const Memory m = memories()[ax];
  try {
    for (int k = 0; k < 3; ++k) {
      if (m.limits[k].isNull() || m.modes[k].isNull()) continue;
      // The limits first: writing them makes their mode manual.
      set(gfx::handleArray(ax), {str(kLimits[k]), m.limits[k], str(kModes[k]), m.modes[k]});
    }
    if (!m.view.isNull()) set(gfx::handleArray(ax), {str("View"), m.view});
  } catch (const std::exception& e) {
    reportError(e);
  }
}

std::array<double, 2> draggedView(const AxesLayout& start, QPointF delta) {
  // Half a degree a pixel: a drag across a typical axes turns it half round.
  constexpr double kDegreesPerPixel = 0.5;
  double az = start.projection ? start.projection->azimuth() : 0;
  double el = start.projection ? start.projection->elevation() : 90;
  return {az - delta.x() * kDegreesPerPixel,
          std::clamp(el + delta.y() * kDegreesPerPixel, -90.0, 90.0)};
}

// ----------------------------------------------------------- Interaction
void Interaction::setTool(Tool t) {
  tool_ = t;
  drag_.reset();
}

bool Interaction::press(const std::optional<AxesLayout>& at, QPointF pos, Qt::MouseButton button) {
  drag_.reset();
  if (!at) return false;
  std::optional<DragKind> kind;
  if (button == Qt::MiddleButton) {
    kind = at->threeD() ? DragKind::Rotate : DragKind::Pan;
  } else if (button == Qt::LeftButton) {
    switch (tool_) {
      case Tool::Pan:
        kind = at->threeD() ? DragKind::Rotate : DragKind::Pan;
        break;
      case Tool::Zoom:
        kind = at->threeD() ? std::nullopt : std::optional(DragKind::Band);
        break;
      case Tool::Rotate:
        kind = at->threeD() ? std::optional(DragKind::Rotate) : std::nullopt;
        break;
      case Tool::None:
        kind = at->threeD() ? std::optional(DragKind::Rotate) : std::nullopt;
        break;
      case Tool::DataCursor:
        break;
    }
  }
  if (!kind) return false;
  drag_ = Drag{*kind, *at, pos, pos};
  return true;
}

bool Interaction::move(QPointF pos) {
  if (!drag_) return false;
  // A click without motion writes nothing: the limits keep their mode.
  if (pos == drag_->last) return true;
  drag_->last = pos;
  switch (drag_->kind) {
    case DragKind::Pan:
      panTo(drag_->start, drag_->origin, pos);
      break;
    case DragKind::Rotate: {
      auto [az, el] = draggedView(drag_->start, pos - drag_->origin);
      rotateTo(drag_->start.axes, az, el);
      break;
    }
    case DragKind::Band:
      break;  // drawn by the window until release
  }
  return true;
}

bool Interaction::release(QPointF pos) {
  if (!drag_) return false;
  move(pos);
  if (drag_->kind == DragKind::Band)
    zoomToPixels(drag_->start, QRectF(drag_->origin, pos).normalized());
  drag_.reset();
  return true;
}

bool Interaction::wheel(const std::optional<AxesLayout>& at, QPointF pos, double steps) {
  if (!at || steps == 0) return false;
  // One notch of a wheel narrows the view by a fifth.
  zoomAbout(*at, pos, std::pow(0.8, steps));
  return true;
}

bool Interaction::doubleClick(const std::optional<AxesLayout>& at) {
  drag_.reset();
  if (!at) return false;
  resetView(at->axes);
  return true;
}

std::optional<QRectF> Interaction::rubberBand() const {
  if (!drag_ || drag_->kind != DragKind::Band) return std::nullopt;
  return QRectF(drag_->origin, drag_->last).normalized().intersected(drag_->start.box);
}

}  // namespace rt::qt

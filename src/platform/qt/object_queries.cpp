// The renderer's reads of the graphics objects; an object deleted while a
// repaint was pending reads as empty, never as an error.
#include "platform/qt/object_queries.h"

#include "platform/graphics/graphics.h"
#include "platform/qt/props.h"

namespace rt::qt::render {

std::vector<double> childrenOfType(double h, std::string_view type) {
  std::vector<double> out;
  try {
    for (double c : gfx::children(h)) {
      if (gfx::type(c) == type) out.push_back(c);
    }
  } catch (const std::exception&) {
    // Only a handle that names no object throws here: one a callback deleted
    // while its repaint was pending. It has no children left to draw, and a
    // repaint must not throw into Qt's event loop.
  }
  return out;
}

bool visible(double h) {
  return propOn(h, "Visible", true);
}

// A non-degenerate range for an axis: the limits property when it holds two
// finite increasing numbers (the object system keeps it fitted to the data in
// automatic mode), else the data range.
Projection::Limits axisLimits(double ax, const char* limName, const Range& data) {
  std::vector<double> lim = propValues(ax, limName);
  if (lim.size() >= 2 && std::isfinite(lim[0]) && std::isfinite(lim[1]) && lim[0] < lim[1]) {
    return {lim[0], lim[1]};
  }
  if (!data.valid()) return {0, 1};
  if (data.lo == data.hi) {
    double pad = data.lo == 0 ? 1.0 : std::abs(data.lo) * 0.1;
    return {data.lo - pad, data.hi + pad};
  }
  return {data.lo, data.hi};
}

double labelHandle(double ax, const char* name) {
  Array h = tryProp(ax, name);
  if (h.isNull() || !h.isNumeric() || h.empty()) return std::nan("");
  double v = h.re()[0];
  return gfx::exists(v) ? v : std::nan("");
}

QColor axisColor(double ax, const char* name) {
  return propColor(ax, name).value_or(Qt::black);
}

}  // namespace rt::qt::render

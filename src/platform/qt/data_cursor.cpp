// Picking the data point under the mouse and naming it.
#include "platform/qt/data_cursor.h"

#include <cmath>
#include <exception>
#include <limits>
#include <vector>

#include "platform/graphics/data_export.h"
#include "platform/graphics/graphics.h"
#include "platform/qt/object_queries.h"
#include "platform/qt/props.h"

namespace rt::qt {
namespace {

struct Best {
  std::optional<DataTip> tip;
  double distance2 = std::numeric_limits<double>::infinity();
  double depth = -std::numeric_limits<double>::infinity();

  void offer(double d2, double depth, const DataTip& candidate) {
    // Two points on the same pixel: the one nearer to the viewer shows.
    bool tie = std::abs(d2 - distance2) < 0.25;
    if ((tie && depth > this->depth) || (!tie && d2 < distance2)) {
      tip = candidate;
      distance2 = d2;
      this->depth = depth;
    }
  }
};

// A chart's grid, drawn as lines, is off the pick: a point near it goes to
// the data around it.
bool pickable(double h) {
  return render::visible(h) && propOn(h, "HitTest", true);
}

void offerLines(const AxesLayout& layout, QPointF pixel, Best& best) {
  for (double line : render::childrenOfType(layout.axes, "line")) {
    if (!pickable(line)) continue;
    std::vector<double> x = propValues(line, "XData"), y = propValues(line, "YData");
    for (std::size_t k = 0; k < std::min(x.size(), y.size()); ++k) {
      if (!std::isfinite(x[k]) || !std::isfinite(y[k])) continue;
      QPointF d = layout.toPixel(x[k], y[k]) - pixel;
      best.offer(QPointF::dotProduct(d, d), 0,
                 DataTip{layout.axes, line, false, x[k], y[k], 0, 0, k, {}});
    }
  }
}

void offerSurfaces(const AxesLayout& layout, QPointF pixel, Best& best) {
  const Projection& pr = *layout.projection;
  for (double s : render::childrenOfType(layout.axes, "surface")) {
    if (!pickable(s)) continue;
    std::optional<gfx::SurfaceGrid> g = gfx::surfaceGrid(s);
    if (!g) continue;
    for (std::size_t k = 0; k < g->z.size(); ++k) {
      double x = g->x[k], y = g->y[k], z = g->z[k];
      if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) continue;
      QPointF d = pr.toScreen(x, y, z) - pixel;
      best.offer(QPointF::dotProduct(d, d), pr.depth(x, y, z),
                 DataTip{layout.axes, s, true, x, y, z, g->c[k], k, {}});
    }
  }
}

QString line(double ax, const char* label, const char* fallback, double v) {
  std::string name = label ? gfx::labelText(ax, label) : "";
  return QString::fromStdString(name.empty() ? fallback : name) + QStringLiteral(": ") +
         QString::number(v, 'g', 5);
}

SurfaceReading& surfaceReading() {
  static SurfaceReading reading;
  return reading;
}

std::vector<TipNamer>& namers() {
  static std::vector<TipNamer> n;
  return n;
}

std::vector<TipPicked>& pickedHandlers() {
  static std::vector<TipPicked> h;
  return h;
}

}  // namespace

void setSurfaceReading(SurfaceReading reading) {
  surfaceReading() = std::move(reading);
}

void addTipNamer(TipNamer namer) {
  namers().push_back(std::move(namer));
}

void addTipPicked(TipPicked handler) {
  pickedHandlers().push_back(std::move(handler));
}

void tipPicked(const DataTip& tip) {
  if (tip.surface) return;
  for (const TipPicked& h : pickedHandlers()) {
    try {
      h(tip.axes, tip.object, tip.index);
    } catch (const std::exception& e) {
      reportError(e);
    }
  }
}

std::optional<DataTip> nearestPoint(const AxesLayout& layout, QPointF pixel, double maxDistance) {
  if (!gfx::exists(layout.axes)) return std::nullopt;
  Best best;
  if (layout.threeD()) {
    offerSurfaces(layout, pixel, best);
  } else {
    offerLines(layout, pixel, best);
  }
  if (!best.tip || best.distance2 > maxDistance * maxDistance) return std::nullopt;
  best.tip->text = tipText(layout.axes, *best.tip);
  return best.tip;
}

std::optional<QPointF> tipPixel(const DataTip& tip, const AxesLayout& layout) {
  if (layout.axes != tip.axes) return std::nullopt;
  if (layout.threeD()) return layout.projection->toScreen(tip.x, tip.y, tip.z);
  return layout.toPixel(tip.x, tip.y);
}

QString tipText(double ax, const DataTip& tip) {
  if (tip.surface && surfaceReading())
    if (std::optional<std::string> own = surfaceReading()(tip.object, tip.x, tip.y, tip.z, tip.c))
      return QString::fromStdString(*own);
  if (!tip.surface) {
    for (const TipNamer& name : namers()) {
      std::optional<std::string> text;
      try {
        text = name(ax, tip.object, tip.index);
      } catch (const std::exception& e) {
        reportError(e);
      }
      if (text) return QString::fromStdString(*text);
    }
  }
  QStringList lines = {line(ax, "XLabel", "X", tip.x), line(ax, "YLabel", "Y", tip.y)};
  if (tip.surface) {
    lines << line(ax, "ZLabel", "Z", tip.z) << line(ax, nullptr, "Color", tip.c);
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace rt::qt

// The data cursor: the data point of a line or surface nearest to a pixel,
// and the text that names it. It lives in the front end only (no object is
// made for it) and is drawn over the figure by its window.
#pragma once

#include <QPointF>
#include <QString>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "platform/qt/renderer.h"

namespace rt::qt {

struct DataTip {
  double axes = 0, object = 0;  // the line or surface
  bool surface = false;
  double x = 0, y = 0, z = 0, c = 0;  // z and c of a surface point only
  std::size_t index = 0;              // of the point in the object's data
  QString text;
};

// A program's own wording of the points of its lines: the text of the tip
// at point `index` of `line` in axes `ax`, or none to leave the usual one.
// The first namer that answers is taken.
using TipNamer =
    std::function<std::optional<std::string>(double ax, double line, std::size_t index)>;
void addTipNamer(TipNamer namer);

// What a program does with a point the user clicks in data-cursor mode.
using TipPicked = std::function<void(double ax, double line, std::size_t index)>;
void addTipPicked(TipPicked handler);
// Tells the handlers of a clicked point; what they raise is reported.
void tipPicked(const DataTip& tip);

// The point nearest to `pixel` on the screen among the lines of a 2-D axes
// and the grid points of the surfaces of a 3-D one (the nearer to the viewer
// where two fall on the same pixel); none when nothing lies within
// `maxDistance` pixels.
std::optional<DataTip> nearestPoint(const AxesLayout& layout, QPointF pixel, double maxDistance);

// Where a tip's point shows in an axes as last painted; none when the axes
// is no longer that of the tip.
std::optional<QPointF> tipPixel(const DataTip& tip, const AxesLayout& layout);

// Each value on a line of its own, 5 significant digits, named by the axes'
// label where it is set ("Frequency (GHz): 2.4", else "X: 2.4").
QString tipText(double ax, const DataTip& tip);

// A program's own reading of a surface's point (its lines of text), taken
// instead of the named values where it gives one: what a surface's numbers
// mean is known to the program that drew it, not to the front end.
using SurfaceReading = std::function<std::optional<std::string>(double surface, double x, double y,
                                                                double z, double c)>;
void setSurfaceReading(SurfaceReading reading);

}  // namespace rt::qt

// What the renderer reads of the graphics objects: children of a type,
// visibility, an axis's limits and colours, the text objects an axes names.
// Not for use outside src/platform/qt.
#pragma once

#include <QColor>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string_view>
#include <vector>

#include "platform/qt/renderer.h"

namespace rt::qt::render {

inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline constexpr double kPi = std::numbers::pi;

// The finite range of some values (empty until one is added).
struct Range {
  double lo = kInf;
  double hi = -kInf;
  bool valid() const { return lo <= hi; }
  void add(double v) {
    if (!std::isfinite(v)) return;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  void add(const std::vector<double>& vs) {
    for (double v : vs) add(v);
  }
};

std::vector<double> childrenOfType(double h, std::string_view type);
bool visible(double h);
// A non-degenerate range for an axis: the limits property when it holds two
// finite increasing numbers (the object system keeps it fitted to the data in
// automatic mode), else the data range.
Projection::Limits axisLimits(double ax, const char* limName, const Range& data);
// An axis colour property (XColor, ...); black when unusable.
QColor axisColor(double ax, const char* name);

// The text object an axes names in `name` ("Title", "XLabel", ...), or NaN.
double labelHandle(double ax, const char* name);

}  // namespace rt::qt::render

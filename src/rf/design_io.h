// What the RF tools read from the main window, and the Touchstone file of
// the design: the impedance the window shows (the lines of its two
// impedance axes, not a new run of the model), the design's sizes, and
// whether the band currently draws anything.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "rf/readout.h"

namespace rf {

// The newest lines of the axes tagged "axes1" (R) and "axes2" (X): nothing
// when either axes has no line or their frequencies differ.
std::optional<Sweep> shownImpedance();

// Identity of the data those lines hold, cheap to compare: it changes
// whenever a line is replaced or its data is written.
struct ShownData {
  double lineR = 0, lineX = 0;
  const void *xr = nullptr, *yr = nullptr, *xx = nullptr, *yx = nullptr;
  bool operator==(const ShownData&) const = default;
};
ShownData shownData();

// Whether the band limits in the window fail the model's band test (the
// upper limit must exceed the lower), so that nothing is drawn.
bool bandDrawsNothing();

// "W = 30 mm, L = 40 mm, ..." read from the window's sliders.
std::string designSummary();

// Writes the shown impedance as S11 referred to z0 to a Touchstone file,
// whole or not at all. Raises std::runtime_error with a message for the
// user.
void saveTouchstone(const std::string& path, double z0);

}  // namespace rf

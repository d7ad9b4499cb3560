// The ranges of the window's sliders for the patch width, length, substrate
// height and permittivity, in the window's units (millimetres), and the same
// in metres as synthesis takes them. The window is built with these numbers
// and a design made without the window (the Python module) is kept within
// them, so that every design it proposes can be typed into the window. Only
// numbers: the window's own folder may include this header.
#pragma once

namespace antenna {

// What one slider can hold.
struct Range {
  double min = 0;
  double max = 0;
  friend bool operator==(const Range&, const Range&) = default;
};
struct Limits {
  Range w, l, h, er;
  friend bool operator==(const Limits&, const Limits&) = default;
};

// Sizes in mm, the permittivity as a ratio.
inline constexpr Limits kSliderRangesMm{{1, 300}, {1, 300}, {0.1, 20}, {1, 20}};

// The same with the sizes in metres.
constexpr Limits sliderLimitsInMetres() {
  const auto metres = [](Range mm) { return Range{mm.min / 1000, mm.max / 1000}; };
  const Limits& r = kSliderRangesMm;
  return {metres(r.w), metres(r.l), metres(r.h), r.er};
}

}  // namespace antenna

// Synthesis of a probe-fed rectangular patch from a target: the textbook
// width for an efficient radiator, then the length and feed offset that put
// the peak of the resistance at the target frequency with the target
// resistance there, both found on the classic transmission-line model (the
// numbers of the one that draws the window's curves) over the band the
// window will draw.
//
// A design is what gets typed into a window, sizes in whole micrometres, so
// targets, limits and designs are in the window's units (mm, GHz); the model
// itself is called in SI units.
#pragma once

#include <string>
#include <string_view>

namespace antenna {

struct Target {
  double f0GHz = 0;
  double er = 0;
  double hMm = 0;
  double z0Ohm = 50;
};

// What the window's sliders can hold; a design outside them is refused.
struct Range {
  double min = 0;
  double max = 0;
};
struct Limits {
  Range w, l, h, er;
};

struct Design {
  double wMm = 0, lMm = 0, hMm = 0, er = 0, offsetMm = 0;
  double fminGHz = 0, fmaxGHz = 0;  // the band drawn: F0 -20% to +20%
  // Where the drawn resistance line peaks (one of its 1000 points) and its
  // value there.
  double peakGHz = 0, peakOhm = 0;
};

// The design for the target, or std::invalid_argument with one message
// saying which target cannot be met and why.
Design synthesise(const Target& target, const Limits& limits);

// How far to trust the model, in one line; shown beside every design.
extern const std::string_view trustNote;

}  // namespace antenna

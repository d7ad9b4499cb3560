// Synthesis of a probe-fed rectangular patch from a target: the textbook
// width for an efficient radiator, then the length and feed offset that put
// the peak of the resistance at the target frequency with the target
// resistance there, both found on an impedance model (the classic
// transmission-line model unless another is given) over the band the window
// will draw.
//
// Targets, limits and designs are in SI units like the rest of the library.
// A design is what gets typed into a window: its sizes lie on the board's
// grid of whole micrometres (antenna/units.h) and its band ends carry nine
// significant digits, so that the window's millimetres and GHz hold them
// exactly.
#pragma once

#include <complex>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "antenna/band.h"
#include "antenna/patch.h"
#include "antenna/slider_ranges.h"

namespace antenna {

struct Target {
  double f0 = 0;  // Hz
  double er = 0;
  double height = 0;  // m
  double z0 = 50;     // ohm
  friend bool operator==(const Target&, const Target&) = default;
};

struct Design {
  Patch patch;
  Band band;  // the band drawn: F0 -20% to +20%
  // Where the drawn resistance line peaks (one of its 1000 points, Hz) and
  // its value there.
  double peakHz = 0, peakOhm = 0;
};

// An impedance model: the input impedance of the patch at each frequency
// (Hz), as the window draws it.
using ImpedanceModelFn =
    std::function<std::vector<std::complex<double>>(const Patch&, const std::vector<double>& hz)>;

// The classic transmission-line model, the one the window draws by default.
std::vector<std::complex<double>> classicImpedance(const Patch& p, const std::vector<double>& hz);

// The design for the target on `model`, or std::invalid_argument with one
// message saying which target cannot be met and why.
Design synthesise(const Target& target, const Limits& limits,
                  const ImpedanceModelFn& model = classicImpedance);

// The classic model's expected resonance shift for a patch of height h (m)
// on er at f0 (Hz), as a fraction (negative: a built patch resonates below
// F0), from the full-wave comparison in docs/trust.md; and the trust line,
// shown beside every classic design, that says where a patch built to it
// resonates, as a warning when that is far outside where the model is good.
double classicResonanceShift(double f0, double er, double height);
std::string classicTrust(double f0, double er, double height);

// How far to trust the refined model, in one line.
extern const std::string_view refinedTrustNote;

}  // namespace antenna

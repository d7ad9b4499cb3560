// Synthesis of a probe-fed rectangular patch from a target: the textbook
// width for an efficient radiator, then the length and feed offset that put
// the peak of the resistance at the target frequency with the target
// resistance there, both found on an impedance model (the classic
// transmission-line model unless another is given) over the band the window
// will draw.
//
// A design is what gets typed into a window, sizes in whole micrometres, so
// targets, limits and designs are in the window's units (mm, GHz); the model
// itself is called in SI units.
#pragma once

#include <complex>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "antenna/patch.h"

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

// How far to trust the classic model, in one line; shown beside every
// design.
extern const std::string_view trustNote;

// The classic model's expected resonance shift for a patch of height h on
// er at f0, as a fraction (negative: a built patch resonates below F0), from
// the full-wave comparison in the README; and the trust line with a warning
// that names it when the patch is far outside where the model is good.
double classicResonanceShift(double f0GHz, double er, double hMm);
std::string classicTrust(double f0GHz, double er, double hMm);

// How far to trust the refined model, in one line.
extern const std::string_view refinedTrustNote;

}  // namespace antenna

// The classic transmission-line model of a probe-fed rectangular patch on
// plain numbers: the same formulas, constants and order of operations as the
// impedance model the main window draws, so that synthesis, tests and
// benchmarks get its numbers without the array runtime.
//
// The patch is a section of microstrip line (Hammerstad's effective
// permittivity and wide- and narrow-strip impedance) closed at each end by a
// radiating slot of conductance pi W / (lambda0 eta0) and susceptance
// G (1 - ln 2 ln(k0 h)) (Balanis, Antenna Theory, ch. 14; Derneryd 1978);
// each slot is carried along its section to the feed, where the two
// admittances add.
#pragma once

#include <complex>
#include <vector>

#include "antenna/patch.h"

namespace antenna::classic {

// The constants of the model as it has them: eps0 to four digits, so its
// speed of light is 2.99795e8 m/s, not kSpeedOfLight.
inline constexpr double kMu0 = 1.2566370614359173e-6;  // H/m
inline constexpr double kEpsilon0 = 8.854e-12;         // F/m

// The frequencies of a band: `points` evenly from fminGhz to fmaxGhz, in Hz.
std::vector<double> bandFrequencies(double fminGhz, double fmaxGhz, int points = 1000);

// What the impedance depends on apart from the frequency.
struct Line {
  double ereff = 0;  // effective permittivity of the patch as a microstrip line
  double zc = 0;     // its characteristic impedance, ohm
};
Line lineOf(const Patch& p);

// The input impedance at the feed, at each frequency (Hz).
std::vector<std::complex<double>> inputImpedance(const Patch& p, const std::vector<double>& hz);

}  // namespace antenna::classic

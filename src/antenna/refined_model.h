// The refined transmission-line model of a probe-fed rectangular patch: the
// patch is a lossy, dispersive microstrip section whose two open ends are
// radiating slots coupled to each other, fed at its offset by a coaxial
// probe. It gives the input impedance, the radiation efficiency and the
// quality factor at each frequency, in SI units.
#pragma once

#include <complex>
#include <span>
#include <string>
#include <vector>

#include "antenna/band.h"
#include "antenna/patch.h"

namespace antenna {

// The model's answer at each frequency of the sweep.
struct RefinedSweep {
  std::vector<double> hz;
  std::vector<std::complex<double>> zin;  // at the probe's top, ohm
  std::vector<double> efficiency;         // radiated over accepted power, 0..1
  std::vector<double> q;                  // total quality factor of the patch
};

// Why the model cannot take this design, board or band; empty when it can.
std::string refinedInputProblem(const Patch& patch, const Board& board, std::span<const double> hz);

// The sweep at the given frequencies (Hz). Throws std::invalid_argument with
// refinedInputProblem's message when that is not empty.
RefinedSweep refinedImpedance(const Patch& patch, const Board& board, std::span<const double> hz);

}  // namespace antenna

// The figures an RF engineer reads off an impedance sweep: resonance, the
// match to a reference impedance Z0 and the -10 dB bandwidth. Pure
// computation on the sampled frequencies (Hz), resistance and reactance; the
// readout's lines show GHz.
#pragma once

#include <complex>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace antenna {

// An impedance sweep: one R and X (ohms) per frequency (Hz), increasing.
struct Sweep {
  std::vector<double> hz, r, x;
};

// What marks a resonance: the peak of the resistance, or the reactance
// crossing zero from positive to negative.
enum class ResonanceKind { resistancePeak, reactanceZero };

struct Readout {
  double z0 = 50;
  // The peak of R when it lies inside the band, then every crossing of X
  // from positive to negative, in frequency order; the kind of each.
  std::vector<double> resonanceHz;
  std::vector<ResonanceKind> resonanceKinds;
  // R and VSWR at the first resonance; absent when there is none.
  std::optional<double> rAtResonance, vswrAtResonance;
  double s11MinDb = 0, s11MinHz = 0;
  // The -10 dB band around the smallest |S11|; absent when |S11| never goes
  // below -10 dB. An edge that runs out of the band stops at the band end.
  std::optional<std::pair<double, double>> bandwidthHz;
  std::optional<double> bandwidthPercent;
};

// |S11| in dB at each sample: an infinite impedance is 0 dB, and a perfect
// match is -300 dB (the floor, where -inf would be).
std::vector<double> s11Db(const Sweep& s, double z0);
// Requires at least one point and R, X as long as the frequencies.
Readout computeReadout(const Sweep& s, double z0);

// The readout as lines for a panel: numbers to 4 significant digits with
// their units, and "no resonance in the band" or "never below -10 dB" where
// so.
std::vector<std::string> readoutLines(const Readout& r);

// R + jX at `hz` by linear interpolation between the samples around it
// (the end segments carry on beyond the band). Requires at least one point.
std::complex<double> impedanceAt(const Sweep& s, double hz);

}  // namespace antenna

// The one way a band is sampled: equally spaced points with both ends
// exact, in the same order of operations as the array runtime's linspace,
// so that a band sampled here holds the very numbers the window draws at.
#pragma once

#include <vector>

namespace antenna {

// A band of frequencies, in Hz.
struct Band {
  double fmin = 0;
  double fmax = 0;
};

// `points` values from lo to hi: lo + (k (hi - lo)) / (points - 1), the last
// one hi itself. Any unit; none for fewer than one point.
std::vector<double> linearBand(double lo, double hi, int points = 1000);

}  // namespace antenna

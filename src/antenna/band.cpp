// Sampling a band as the array runtime's linspace does.
#include "antenna/band.h"

#include <algorithm>

namespace antenna {

std::vector<double> linearBand(double lo, double hi, int points) {
  std::vector<double> out(std::max(points, 0));
  const double step = hi - lo;
  for (int k = 0; k < points; ++k)
    out[k] = k == points - 1 ? hi : lo + (static_cast<double>(k) * step) / (points - 1);
  return out;
}

}  // namespace antenna

// The resistance peak of a sampled sweep.
#include "antenna/resonance.h"

#include <cmath>

namespace antenna {

std::size_t resistancePeakIndex(std::span<const double> r) {
  std::size_t best = 0;
  for (std::size_t k = 1; k < r.size(); ++k)
    if (r[k] > r[best] || std::isnan(r[best])) best = k;
  return best;
}

std::optional<ResistancePeak> resistancePeak(std::span<const double> hz,
                                             std::span<const double> r) {
  if (r.empty()) return std::nullopt;
  const std::size_t k = resistancePeakIndex(r);
  if (!std::isfinite(r[k])) return std::nullopt;
  if (k == 0 || k + 1 == r.size()) return ResistancePeak{hz[k], r[k]};
  // The parabola through three samples, in divided differences.
  const double x0 = hz[k - 1], x1 = hz[k], x2 = hz[k + 1];
  const double y0 = r[k - 1], y1 = r[k], y2 = r[k + 1];
  const double d01 = (y1 - y0) / (x1 - x0), d12 = (y2 - y1) / (x2 - x1);
  const double a = (d12 - d01) / (x2 - x0);
  if (a >= 0) return ResistancePeak{x1, y1};
  const double b = d01 - a * (x0 + x1);
  const double xp = -b / (2 * a);
  return ResistancePeak{xp, y1 + (xp - x1) * (a * (xp + x1) + b)};
}

}  // namespace antenna

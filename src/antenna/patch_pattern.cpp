// The transmission-line model's pattern of a patch in plain numbers: the
// same factors, constants and order of operations as the window's pattern
// figure, so the analysis describes exactly the surface that is drawn.
#include "antenna/patch_pattern.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace antenna {
namespace {

// The model's free space: 4 pi 1e-7 H/m and 8.854e-12 F/m, so c is
// 299795637.69 m/s rather than the defined 299792458 m/s; kept so that the
// analysis and the drawn pattern agree to rounding.
const double kModelSpeedOfLight = 1 / std::sqrt(1.2566370614359173e-6 * 8.854e-12);

double sinc(double x) {
  return x == 0 ? 1 : std::sin(x) / x;
}

void require(bool ok, const char* what) {
  if (!ok) throw std::invalid_argument(std::string("patch pattern: ") + what);
}

// Effective permittivity of the patch as a microstrip of width w, with the
// coefficient 10 of the model (Hammerstad's quasi-static form has 12).
double effectivePermittivity(double er, double h, double w) {
  return (er + 1) / 2 + ((er - 1) / 2) / std::sqrt(1 + 10 * h / w);
}

// Fringing extension at each radiating edge (Hammerstad 1975, as in Balanis,
// Antenna Theory, 3rd ed., eq. 14-2).
double fringingLength(double ereff, double h, double w) {
  return (0.412 * h) * ((ereff + 0.3) * (w / h + 0.264)) / ((ereff - 0.258) * (w / h + 0.8));
}

}  // namespace

PatchPattern::PatchPattern(const Patch& patch, double frequency) {
  for (double v : {patch.width, patch.length, patch.height, frequency})
    require(std::isfinite(v) && v > 0,
            "width, length, height and frequency must be finite and positive");
  require(std::isfinite(patch.er) && patch.er >= 1, "the permittivity must be finite and >= 1");
  const double k0 = 2 * kPi / (kModelSpeedOfLight / frequency);
  const double fringing = fringingLength(effectivePermittivity(patch.er, patch.height, patch.width),
                                         patch.height, patch.width);
  halfHeight_ = k0 * patch.height / 2;
  halfWidth_ = k0 * patch.width / 2;
  halfSpacing_ = k0 * (patch.length + 2 * fringing) / 2;
}

// Element factor of a slot of height h and length W times the two-slot array
// factor (Balanis, Antenna Theory, 3rd ed., eqs. 14-40 and 14-41); the sine
// of the angle from the slot's axis is the magnetic current's own pattern.
double PatchPattern::amplitude(double normal, double length, double width) const {
  const double fromSlotAxis = std::sqrt(std::max(0.0, 1 - width * width));
  return fromSlotAxis * sinc(halfHeight_ * normal) * sinc(halfWidth_ * width) *
         std::cos(halfSpacing_ * length);
}

double PatchPattern::operator()(double theta, double phi) const {
  const double s = std::sin(theta);
  return amplitude(std::cos(theta), s * std::cos(phi), s * std::sin(phi));
}

}  // namespace antenna

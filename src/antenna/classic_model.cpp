// The classic model's formulas, each step as the window's model takes it
// over its rows, one frequency at a time.
#include "antenna/classic_model.h"

#include <cmath>
#include <numbers>

#include "antenna/band.h"
#include "antenna/units.h"

namespace antenna::classic {

std::vector<double> bandFrequencies(double fminGhz, double fmaxGhz, int points) {
  // Sampled in GHz as the window samples it, then scaled.
  std::vector<double> hz = linearBand(fminGhz, fmaxGhz, points);
  for (double& f : hz) f = hzFromGhz(f);
  return hz;
}

Line lineOf(const Patch& p) {
  const double eta0 = std::sqrt(kMu0 / kEpsilon0);
  // Hammerstad's effective permittivity.
  const double ereff = (p.er + 1) / 2 + ((p.er - 1) / 2) / std::sqrt(1 + 10 * p.height / p.width);
  // Narrow strip up to W = h, wide strip beyond.
  const double u = p.width / p.height;
  const double zc = p.width <= p.height
                        ? (1 / (2 * std::numbers::pi)) * (eta0 / std::sqrt(ereff)) *
                              std::log(8 * p.height / p.width + 0.25 * p.width / p.height)
                        : eta0 / std::sqrt(ereff) / (u + 1.393 + 0.667 * std::log(u + 1.444));
  return {ereff, zc};
}

std::vector<std::complex<double>> inputImpedance(const Patch& p, const std::vector<double>& hz) {
  using C = std::complex<double>;
  const Line line = lineOf(p);
  const double eta0 = std::sqrt(kMu0 / kEpsilon0);
  const double c = 1 / std::sqrt(kMu0 * kEpsilon0);
  const C zc = line.zc;
  std::vector<C> zin(hz.size());
  for (std::size_t k = 0; k < hz.size(); ++k) {
    const double lambda0 = c / hz[k];
    const double k0 = 2 * std::numbers::pi / lambda0;
    // One radiating slot of length W and width h.
    const C yslot = std::numbers::pi * p.width *
                    (1.0 + C(0, 1) * (1 - std::log(2.0) * std::log(k0 * p.height))) /
                    (lambda0 * eta0);
    const C zslot = 1.0 / yslot;
    const double beta = k0 * std::sqrt(line.ereff);
    // Each slot's reflection carried to the feed along its section.
    const C rc = (zslot - zc) / (zslot + zc);
    const C rc1 = rc * std::exp(C(0, -2) * beta * p.feedOffset);
    const C rc2 = rc * std::exp(C(0, -2) * beta * (p.length - p.feedOffset));
    const C z1 = zc * (1.0 + rc1) / (1.0 - rc1);
    const C z2 = zc * (1.0 + rc2) / (1.0 - rc2);
    zin[k] = 1.0 / (1.0 / z1 + 1.0 / z2);
  }
  return zin;
}

}  // namespace antenna::classic

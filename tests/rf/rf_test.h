// Sweeps whose readout is known in closed form, shared by the RF tests.
#pragma once

#include <cmath>
#include <complex>
#include <numbers>

#include "rf/readout.h"

namespace rftest {

// A parallel R, L, C resonator: R peaks and X falls through zero at f0,
// where Z = R. Sampled at n points from lo to hi GHz.
struct Parallel {
  double r, lNh, cPf;
  double f0Ghz() const {
    return 1 / (2 * std::numbers::pi * std::sqrt(lNh * 1e-9 * cPf * 1e-12)) / 1e9;
  }
  std::complex<double> z(double ghz) const {
    const double w = 2 * std::numbers::pi * ghz * 1e9;
    return 1.0 / std::complex<double>(1 / r, w * cPf * 1e-12 - 1 / (w * lNh * 1e-9));
  }
  rf::Sweep sweep(double lo, double hi, int n) const {
    rf::Sweep s;
    for (int k = 0; k < n; ++k) {
      const double f = lo + k * (hi - lo) / (n - 1);
      s.ghz.push_back(f);
      s.r.push_back(z(f).real());
      s.x.push_back(z(f).imag());
    }
    return s;
  }
  // The edges where |S11| = -10 dB against z0: there the normalised
  // susceptance b satisfies ((1-g)^2 + b^2) / ((1+g)^2 + b^2) = 0.1.
  std::pair<double, double> tenDbEdgesGhz(double z0) const {
    const double g = z0 / r;
    const double b = std::sqrt((0.1 * (1 + g) * (1 + g) - (1 - g) * (1 - g)) / 0.9);
    const double c = cPf * 1e-12, l = lNh * 1e-9;
    auto omega = [&](double susceptance) {
      return (susceptance + std::sqrt(susceptance * susceptance + 4 * c / l)) / (2 * c);
    };
    const double two_pi = 2 * std::numbers::pi;
    return {omega(-b / z0) / two_pi / 1e9, omega(b / z0) / two_pi / 1e9};
  }
};

}  // namespace rftest

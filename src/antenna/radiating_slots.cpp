// Slot conductances of the transmission-line model. With X = k0 W and
// u = cos(theta), one slot radiates
//   I1 = integral_{-1}^{1} sin^2(X u / 2) / u^2 (1 - u^2) du
//      = -2 + cos X + X Si(X) + sin(X) / X
// and G1 = I1 / (120 pi^2); the mutual term carries J0(k0 L sin theta) in
// the integrand (Derneryd 1978; Balanis, Antenna Theory, eq. 14-18 and
// 14-18a). 120 pi stands for the free-space impedance, as in those sources.
#include "antenna/radiating_slots.h"

#include <array>
#include <cmath>
#include <complex>

#include "antenna/patch.h"

namespace antenna {

namespace {

constexpr double kSlotScale = 1 / (120 * kPi * kPi);

// Below this X the closed form loses digits to cancellation (I1 ~ X^2 / 3)
// and its power series is used instead; the series stays exact to rounding
// there.
constexpr double kSeriesLimit = 4;

// Si by its power series sum (-1)^n x^(2n+1) / ((2n+1) (2n+1)!), for |x| <= 4.
double sineIntegralSeries(double x) {
  const double x2 = x * x;
  double term = x, sum = x;
  for (int n = 1; n < 40; ++n) {
    term *= -x2 / ((2 * n) * (2 * n + 1));
    const double add = term / (2 * n + 1);
    sum += add;
    if (std::abs(add) < 1e-17 * std::abs(sum)) break;
  }
  return sum;
}

// Si for x > 4 from the exponential integral E1(ix) = -Ci(x) + i (Si(x) -
// pi/2), by its continued fraction evaluated with the modified Lentz method
// (Press et al., Numerical Recipes, 6.9).
double sineIntegralContinuedFraction(double x) {
  using C = std::complex<double>;
  constexpr double tiny = 1e-300;
  C b(1, x);
  C c = 1 / tiny, d = 1.0 / b, h = d;
  for (int i = 2; i < 200; ++i) {
    const double a = -double(i - 1) * (i - 1);
    b += 2;
    d = 1.0 / (a * d + b);
    c = b + a / c;
    const C del = c * d;
    h *= del;
    if (std::abs(del.real() - 1) + std::abs(del.imag()) < 1e-16) break;
  }
  h *= C(std::cos(x), -std::sin(x));
  return kPi / 2 + h.imag();
}

// I1 by the series of the closed form: the coefficient of X^(2m) is (-1)^m
// [1/(2m)! - 1/((2m-1)(2m-1)!) + 1/(2m+1)!].
double slotIntegralSeries(double x) {
  const double x2 = x * x;
  double power = 1, fact = 1, sum = 0;  // power = x^(2m), fact = (2m-1)!
  for (int m = 1; m < 40; ++m) {
    power *= x2;
    fact *= (m == 1) ? 1 : (2 * m - 2) * (2 * m - 1);
    const double sign = (m % 2) ? -1 : 1;
    const double add =
        sign * power / fact * (1.0 / (2 * m) - 1.0 / (2 * m - 1) + 1.0 / (2 * m * (2 * m + 1)));
    sum += add;
    if (std::abs(add) < 1e-17 * std::abs(sum)) break;
  }
  return sum;
}

// 16-point Gauss-Legendre nodes and weights on [-1, 1], by Newton's method on
// P16 from the Chebyshev guesses.
struct GaussRule {
  std::array<double, 16> node{}, weight{};
  GaussRule() {
    constexpr int n = 16;
    for (int i = 0; i < n; ++i) {
      double x = std::cos(kPi * (i + 0.75) / (n + 0.5)), dp = 1;
      for (int it = 0; it < 100; ++it) {
        double p0 = 1, p1 = x;
        for (int k = 2; k <= n; ++k) {
          const double p2 = ((2 * k - 1) * x * p1 - (k - 1) * p0) / k;
          p0 = p1;
          p1 = p2;
        }
        dp = n * (x * p1 - p0) / (x * x - 1);
        const double step = p1 / dp;
        x -= step;
        if (std::abs(step) < 1e-16) break;
      }
      node[i] = x;
      weight[i] = 2 / ((1 - x * x) * dp * dp);
    }
  }
};

const GaussRule& gaussRule() {
  static const GaussRule rule;
  return rule;
}

// sin^2(X u / 2) / u^2 (1 - u^2) J0(a sqrt(1 - u^2)), the mutual integrand
// in u = cos(theta): even and entire in u, and smooth on [-1, 1] while a is
// a few units.
double mutualIntegrandInCosine(double u, double x, double a) {
  const double s = std::sin(x * u / 2) / u;
  const double v = 1 - u * u;
  // glibc's j0: std::cyl_bessel_j takes microseconds once its argument
  // passes a few units, too slow for a call per node and frequency.
  return s * s * v * ::j0(a * std::sqrt(v));
}

// The same in theta, where J0(a sin theta) oscillates evenly however large a
// is (in u it crowds towards u = 1).
double mutualIntegrandInAngle(double t, double x, double a) {
  const double c = std::cos(t), sn = std::sin(t);
  const double s = std::sin(x * c / 2) / c;
  return s * s * sn * sn * sn * ::j0(a * sn);
}

}  // namespace

double sineIntegral(double x) {
  if (x < 0) return -sineIntegral(-x);
  return x <= kSeriesLimit ? sineIntegralSeries(x) : sineIntegralContinuedFraction(x);
}

double slotConductance(double k0, double width) {
  const double x = k0 * width;
  const double i1 = x <= kSeriesLimit ? slotIntegralSeries(x)
                                      : -2 + std::cos(x) + x * sineIntegral(x) + std::sin(x) / x;
  return kSlotScale * i1;
}

// A typical patch (X/2 + k0 L up to 6) takes one 16-point Gauss-Legendre
// rule in u over [-1, 1], the even integrand needing its 8 positive nodes.
// Larger ones take 16-point panels in theta over [0, pi/2], one per 7.6
// radians of the fastest oscillation X/2 + k0 L, so each panel holds at most
// about one period.
double mutualSlotConductance(double k0, double width, double spacing) {
  const double x = k0 * width, a = k0 * spacing;
  const GaussRule& g = gaussRule();
  const double fastest = x / 2 + a;
  double sum = 0;
  if (fastest <= 6) {
    for (int i = 0; i < 8; ++i) sum += g.weight[i] * mutualIntegrandInCosine(g.node[i], x, a);
    return kSlotScale * 2 * sum;
  }
  const int panels = int(std::ceil(fastest * kPi / 4 / 6));
  const double half = kPi / 4 / panels;
  for (int p = 0; p < panels; ++p) {
    const double mid = (2 * p + 1) * half;
    for (int i = 0; i < 16; ++i)
      sum += g.weight[i] * mutualIntegrandInAngle(mid + half * g.node[i], x, a);
  }
  return kSlotScale * 2 * half * sum;
}

// Jackson and Alexopoulos 1991, "Simple approximate formulas for input
// resistance, bandwidth, and efficiency of a resonant rectangular patch",
// IEEE Trans. AP 39(3): for a thin substrate, with n^2 = er,
//   e = 1 / (1 + (3/4) pi k0 h (1 / c1) (1 - 1/n^2)^3),
//   c1 = 1 - 1/n^2 + (2/5) / n^4.
double surfaceWaveEfficiency(double k0h, double er) {
  const double inv = 1 / er;
  const double c1 = 1 - inv + 0.4 * inv * inv;
  const double bound = 1 - inv;
  return 1 / (1 + 0.75 * kPi * k0h / c1 * bound * bound * bound);
}

}  // namespace antenna

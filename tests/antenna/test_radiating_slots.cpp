// The slot integrals against direct numerical integration of their
// definitions, and the sine integral against tabulated values.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "antenna/radiating_slots.h"

namespace {

using namespace antenna;
constexpr double kPi = std::numbers::pi;

// Composite Simpson over theta in (0, pi) of the slot integrand times
// J0(a sin theta), with the standard library's Bessel function.
double directSlotIntegral(double x, double a, int steps) {
  double sum = 0;
  const double dt = kPi / steps;
  for (int i = 0; i <= steps; ++i) {
    const double t = i * dt, c = std::cos(t), s = std::sin(t);
    const double ratio = std::abs(c) < 1e-12 ? x / 2 : std::sin(x * c / 2) / c;
    const double f = ratio * ratio * s * s * s * std::cyl_bessel_j(0.0, a * s);
    sum += f * (i == 0 || i == steps ? 1 : (i % 2 ? 4 : 2));
  }
  return sum * dt / 3 / (120 * kPi * kPi);
}

TEST(RadiatingSlots, SineIntegralAtTabulatedValues) {
  EXPECT_NEAR(sineIntegral(1), 0.9460830703671830, 1e-15);
  EXPECT_NEAR(sineIntegral(kPi), 1.8519370519824662, 1e-15);
  EXPECT_NEAR(sineIntegral(10), 1.6583475942188740, 1e-15);
  EXPECT_NEAR(sineIntegral(1e6), kPi / 2, 2e-6);
  // Both sides of the switch from series to continued fraction.
  EXPECT_NEAR(sineIntegral(4 - 1e-12), sineIntegral(4 + 1e-12), 1e-11);
}

TEST(RadiatingSlots, SlotConductanceMatchesItsIntegral) {
  for (double x : {1e-3, 0.5, 2.0, 3.999, 4.001, 9.0, 60.0, 300.0}) {
    const double direct = directSlotIntegral(x, 0, 20000);
    EXPECT_NEAR(slotConductance(x, 1.0), direct, 1e-9 * direct) << x;
  }
  // Narrow and wide limits: W^2 / (90 lambda0^2) and W / (120 lambda0).
  const double k0 = 2 * kPi;  // lambda0 = 1
  EXPECT_NEAR(slotConductance(k0, 1e-3), 1e-6 / 90, 1e-11);
  EXPECT_NEAR(slotConductance(k0, 100), 100 / 120.0, 0.02 * 100 / 120.0);
}

TEST(RadiatingSlots, MutualConductanceMatchesItsIntegral) {
  // k0, W, L: a 2.4 GHz FR-4 patch, a square one on a thick board, and
  // electrically huge ones that take many quadrature panels.
  const double cases[][3] = {
      {50.3, .038, .0295}, {20, .05, .05}, {300, .3, .01}, {2e3, .3, .3}, {2e3, .001, .3}};
  for (const auto& [k0, w, l] : cases) {
    const double direct = directSlotIntegral(k0 * w, k0 * l, 200000);
    EXPECT_NEAR(mutualSlotConductance(k0, w, l), direct, 1e-8 * slotConductance(k0, w)) << k0;
  }
  EXPECT_NEAR(mutualSlotConductance(50, 0.04, 0), slotConductance(50, 0.04), 1e-12);
}

TEST(RadiatingSlots, SurfaceWaveEfficiency) {
  EXPECT_EQ(surfaceWaveEfficiency(0.3, 1.0), 1.0);  // no substrate, no surface wave
  EXPECT_GT(surfaceWaveEfficiency(0.1, 2.2), surfaceWaveEfficiency(0.1, 10.2));
  // k0 h = 0.1 on er 2.2: 1 / (1 + 0.075 pi (0.5455)^3 / 0.6281).
  EXPECT_NEAR(surfaceWaveEfficiency(0.1, 2.2), 0.942616, 1e-6);
}

}  // namespace

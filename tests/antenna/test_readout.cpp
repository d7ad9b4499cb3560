// The readout of sweeps whose resonance, match and -10 dB band are known in
// closed form: a parallel R, L, C resonator.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "antenna/network.h"
#include "antenna/readout.h"

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// R peaks and X falls through zero at f0, where Z = R.
struct Parallel {
  double r, l = 2e-9, c = 5e-12;
  double f0() const { return 1 / (kTwoPi * std::sqrt(l * c)); }
  std::complex<double> z(double hz) const {
    const double w = kTwoPi * hz;
    return 1.0 / std::complex<double>(1 / r, w * c - 1 / (w * l));
  }
  // The frequencies (Hz) where |S11| against z0 is -10 dB: with y = Y z0 =
  // g + jb, |1 - y|^2 = |1 + y|^2 / 10 gives b, and B = wC - 1/(wL) gives w.
  std::pair<double, double> tenDbEdges(double z0) const {
    const double g = z0 / r;
    const double b = std::sqrt((0.1 * (1 + g) * (1 + g) - (1 - g) * (1 - g)) / 0.9);
    auto omega = [&](double susceptance) {
      return (susceptance + std::sqrt(susceptance * susceptance + 4 * c / l)) / (2 * c);
    };
    return {omega(-b / z0) / kTwoPi, omega(b / z0) / kTwoPi};
  }
  // Sampled at n points from lo to hi GHz.
  antenna::Sweep sweep(double lo, double hi, int n) const {
    antenna::Sweep s;
    for (int k = 0; k < n; ++k) {
      s.hz.push_back((lo + k * (hi - lo) / (n - 1)) * 1e9);
      s.r.push_back(z(s.hz.back()).real());
      s.x.push_back(z(s.hz.back()).imag());
    }
    return s;
  }
};

TEST(Readout, ResonanceMatchAndBandwidthAgainstTheClosedForms) {
  const Parallel p{60};  // f0 = 1.5915 GHz
  const antenna::Readout r = antenna::computeReadout(p.sweep(1, 2.5, 4001), 50);
  // The R peak (a sample) first, then the X crossing (interpolated).
  ASSERT_EQ(r.resonanceHz.size(), 2u);
  const double step = 1.5e9 / 4000;
  EXPECT_NEAR(r.resonanceHz[0], p.f0(), step / 2);
  EXPECT_NEAR(r.resonanceHz[1], p.f0(), 1e3);
  EXPECT_NEAR(*r.rAtResonance, 60, 1e-3);
  EXPECT_NEAR(*r.vswrAtResonance, 1.2, 1e-3);
  EXPECT_NEAR(r.s11MinDb, 20 * std::log10(10.0 / 110), 1e-3);
  EXPECT_NEAR(r.s11MinHz, p.f0(), step);

  // The band edges and the fractional bandwidth from the resonator's own
  // -10 dB frequencies: 2 (f2 - f1) / (f2 + f1).
  ASSERT_TRUE(r.bandwidthHz && r.bandwidthPercent);
  const auto [lo, hi] = p.tenDbEdges(50);
  EXPECT_NEAR(r.bandwidthHz->first, lo, 1e3);
  EXPECT_NEAR(r.bandwidthHz->second, hi, 1e3);
  EXPECT_NEAR(*r.bandwidthPercent, 200 * (hi - lo) / (hi + lo), 1e-4);

  // Out of the band, never matched, or cut short by the band: said so.
  const antenna::Readout outside = antenna::computeReadout(Parallel{60}.sweep(0.5, 1.2, 1000), 50);
  EXPECT_TRUE(outside.resonanceHz.empty() && !outside.rAtResonance && !outside.vswrAtResonance);
  EXPECT_DOUBLE_EQ(outside.s11MinHz, 1.2e9);  // the match improves towards f0
  EXPECT_EQ(antenna::readoutLines(outside).front(), "Resonance: no resonance in the band");

  // R = 100 against 50 ohm: |S11| at best 1/3, -9.542 dB.
  const antenna::Sweep mismatched = Parallel{100}.sweep(1, 2.5, 1000);
  const antenna::Readout never = antenna::computeReadout(mismatched, 50);
  EXPECT_NEAR(never.s11MinDb, 20 * std::log10(1.0 / 3), 1e-3);
  EXPECT_TRUE(!never.bandwidthHz && !never.bandwidthPercent);
  EXPECT_NEAR(*never.vswrAtResonance, 2, 1e-3);
  EXPECT_EQ(antenna::readoutLines(never).back(), "-10 dB band: never below -10 dB");
  EXPECT_TRUE(antenna::computeReadout(mismatched, 100).bandwidthHz) << "Z0 is taken as given";

  const antenna::Readout cut = antenna::computeReadout(Parallel{50}.sweep(1.58, 1.6, 101), 50);
  ASSERT_TRUE(cut.bandwidthHz);
  EXPECT_EQ(*cut.bandwidthHz, (std::pair{1.58e9, 1.6e9}));
}

TEST(Readout, ImpedanceBetweenSamplesAndThePanelsDigits) {
  const antenna::Sweep s{{1e9, 2e9, 4e9}, {10, 30, 50}, {-4, 0, 8}};
  EXPECT_EQ(antenna::impedanceAt(s, 1.5e9), std::complex<double>(20, -2));
  EXPECT_EQ(antenna::impedanceAt(s, 3e9), std::complex<double>(40, 4));
  EXPECT_EQ(antenna::impedanceAt(s, 5e9), std::complex<double>(60, 12));  // carries on

  using enum antenna::ResonanceKind;
  const antenna::Readout shown{50,
                               {1.8128128e9, 2.45678e9},
                               {resistancePeak, reactanceZero},
                               159.3132,
                               3.18734,
                               -12.34567,
                               1.9e9,
                               {{1.81234e9, 1.95678e9}},
                               7.6543};
  // Each resonance says what marks it.
  const std::vector<std::string> expected = {
      "Resonance: R peak 1.813 GHz; X = 0 at 2.457 GHz", "R at resonance: 159.3 Ohm",
      "VSWR at resonance: 3.187", "Smallest |S11|: -12.35 dB at 1.9 GHz",
      "-10 dB band: 1.812 GHz to 1.957 GHz (7.654 %)"};
  EXPECT_EQ(antenna::readoutLines(shown), expected);
}

// A file's S11 of exactly 1 (Z infinite) or 0 (a perfect match), taken to
// impedances as the Match figure takes an overlay: every figure stays finite.
TEST(Readout, SamplesOfTotalReflectionAndPerfectMatchStayFinite) {
  antenna::Sweep s{{1e9, 2e9, 3e9, 4e9, 5e9}, {}, {}};
  for (const std::complex<double> s11 : {0.5, 1.0, 0.05, 0.0, 0.5}) {
    s.r.push_back(antenna::zFromS(s11, 50).real());
    s.x.push_back(antenna::zFromS(s11, 50).imag());
  }
  const antenna::Readout r = antenna::computeReadout(s, 50);
  EXPECT_EQ(antenna::s11Db(s, 50)[1], 0);
  EXPECT_EQ(r.s11MinDb, -300);
  EXPECT_EQ(r.s11MinHz, 4e9);
  ASSERT_TRUE(r.bandwidthHz);
  EXPECT_TRUE(std::isfinite(r.bandwidthHz->first) && std::isfinite(r.bandwidthHz->second));
  EXPECT_GT(r.bandwidthHz->first, 2e9);
  EXPECT_LT(r.bandwidthHz->second, 5e9);
}

}  // namespace

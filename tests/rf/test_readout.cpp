// Readout of sweeps whose resonance, match and bandwidth are known in
// closed form, and the texts the panel shows.
#include <gtest/gtest.h>

#include "rf/rf_test.h"

namespace {

using rftest::Parallel;

TEST(Readout, ResonanceInsideTheBandWithItsBandwidth) {
  const Parallel p{60, 2, 5};  // f0 = 1.5915 GHz
  const rf::Sweep s = p.sweep(1, 2.5, 4001);
  const rf::Readout r = rf::computeReadout(s, 50);

  // The R peak (a sample) first, then the X crossing (interpolated).
  ASSERT_EQ(r.resonanceGhz.size(), 2u);
  const double step = 1.5 / 4000;
  EXPECT_NEAR(r.resonanceGhz[0], p.f0Ghz(), step / 2);
  EXPECT_NEAR(r.resonanceGhz[1], p.f0Ghz(), 1e-6);
  EXPECT_NEAR(*r.rAtResonance, 60, 1e-3);
  EXPECT_NEAR(*r.vswrAtResonance, 1.2, 1e-3);
  EXPECT_NEAR(r.s11MinDb, 20 * std::log10(10.0 / 110), 1e-3);
  EXPECT_NEAR(r.s11MinGhz, p.f0Ghz(), step);

  const auto [lo, hi] = p.tenDbEdgesGhz(50);
  ASSERT_TRUE(r.bandwidthGhz);
  EXPECT_NEAR(r.bandwidthGhz->first, lo, 1e-6);
  EXPECT_NEAR(r.bandwidthGhz->second, hi, 1e-6);
  EXPECT_NEAR(*r.bandwidthPercent, 100 * (hi - lo) / ((hi + lo) / 2), 1e-4);
}

TEST(Readout, ResonanceOutsideTheBand) {
  const Parallel p{60, 2, 5};
  const rf::Readout r = rf::computeReadout(p.sweep(0.5, 1.2, 1000), 50);
  EXPECT_TRUE(r.resonanceGhz.empty());
  EXPECT_FALSE(r.rAtResonance);
  EXPECT_FALSE(r.vswrAtResonance);
  EXPECT_DOUBLE_EQ(r.s11MinGhz, 1.2);  // the match improves towards f0
  EXPECT_EQ(rf::readoutLines(r).front(), "Resonance: no resonance in the band");
}

TEST(Readout, NeverBelowTenDb) {
  // R = 100 against 50 ohm: |S11| at best 1/3, -9.542 dB.
  const Parallel p{100, 2, 5};
  const rf::Readout r = rf::computeReadout(p.sweep(1, 2.5, 1000), 50);
  EXPECT_NEAR(r.s11MinDb, 20 * std::log10(1.0 / 3), 1e-3);
  EXPECT_FALSE(r.bandwidthGhz);
  EXPECT_FALSE(r.bandwidthPercent);
  EXPECT_NEAR(*r.vswrAtResonance, 2, 1e-3);
  EXPECT_EQ(rf::readoutLines(r).back(), "-10 dB band: never below -10 dB");

  // Against 100 ohm the same sweep matches: Z0 is taken as given.
  EXPECT_TRUE(rf::computeReadout(p.sweep(1, 2.5, 1000), 100).bandwidthGhz);
}

TEST(Readout, BandwidthStopsAtTheBandEnd) {
  const Parallel p{50, 2, 5};
  const rf::Readout r = rf::computeReadout(p.sweep(1.58, 1.6, 101), 50);
  ASSERT_TRUE(r.bandwidthGhz);
  EXPECT_DOUBLE_EQ(r.bandwidthGhz->first, 1.58);
  EXPECT_DOUBLE_EQ(r.bandwidthGhz->second, 1.6);
}

TEST(Readout, PanelLinesHaveFourSignificantDigitsAndUnits) {
  rf::Readout r;
  r.resonanceGhz = {1.8128128, 2.45678};
  r.rAtResonance = 159.3132;
  r.vswrAtResonance = 3.18734;
  r.s11MinDb = -12.34567;
  r.s11MinGhz = 1.9;
  r.bandwidthGhz = {{1.81234, 1.95678}};
  r.bandwidthPercent = 7.6543;
  const std::vector<std::string> expected = {
      "Resonance: 1.813 GHz, 2.457 GHz", "R at resonance: 159.3 Ohm", "VSWR at resonance: 3.187",
      "Smallest |S11|: -12.35 dB at 1.9 GHz", "-10 dB band: 1.812 GHz to 1.957 GHz (7.654 %)"};
  EXPECT_EQ(rf::readoutLines(r), expected);
}

TEST(Readout, Z0MustBeFinitePositive) {
  EXPECT_EQ(rf::parseZ0(" 75 "), 75);
  EXPECT_EQ(rf::parseZ0("1e-3"), 1e-3);
  for (const char* bad : {"", "0", "-50", "inf", "nan", "50 ohm", "1e999", "abc"})
    EXPECT_FALSE(rf::parseZ0(bad)) << bad;
}

}  // namespace

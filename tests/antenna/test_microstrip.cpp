// The microstrip closed forms at values computed from the papers' equations
// by an independent numpy transcription (the quasi-static line at published
// 50-ohm designs is test_feed_line's, through the feed line it makes).
#include <gtest/gtest.h>

#include <cmath>

#include "antenna/microstrip.h"

namespace {

using namespace antenna;

TEST(Microstrip, DispersionRunsFromQuasiStaticToTheSubstrate) {
  const DispersiveLine alumina(1.0, 10.0, 0.635e-3);
  EXPECT_NEAR(alumina.quasiStatic().ee, 6.705257162, 1e-8);
  EXPECT_NEAR(alumina.at(20e9).ee, 7.549580647, 1e-8);
  EXPECT_NEAR(DispersiveLine(12.0, 2.2, 1e-3).at(50e9).ee, 2.177637835, 1e-8);
  EXPECT_NEAR(alumina.at(1e3).zc, alumina.quasiStatic().zc, 1e-9);
  EXPECT_NEAR(alumina.at(1e13).ee, 10.0, 0.01);
  // An air line has nothing to disperse.
  const DispersiveLine air(5.0, 1.0, 1e-3);
  EXPECT_EQ(air.at(30e9).ee, 1.0);
  EXPECT_NEAR(air.at(30e9).zc, air.quasiStatic().zc, 1e-12);
}

TEST(Microstrip, OpenEndExtensions) {
  EXPECT_NEAR(KirschningJansenKosterOpenEnd(1.0, 10.0)(6.5), 0.3175607175, 1e-9);
  EXPECT_NEAR(KirschningJansenKosterOpenEnd(20.0, 4.4)(4.0), 0.5373147499, 1e-9);
  EXPECT_NEAR(hammerstadOpenEnd(1.0, 6.5), 0.3151787532, 1e-9);
}

TEST(Microstrip, LossesAgreeWithTheCavityView) {
  // Copper at 2 GHz: skin depth 1.48 um, Rs 11.7 mohm; 35 um is thick.
  const double rs = surfaceResistance(2e9, 5.8e7, 35e-6);
  EXPECT_NEAR(rs, 0.01167, 1e-4);
  EXPECT_GT(surfaceResistance(2e9, 5.8e7, 1e-6), 1.5 * rs);
  EXPECT_EQ(surfaceResistance(2e9, INFINITY, 35e-6), 0.0);
  // A wide line: Q_c = beta / (2 alpha_c) is h / delta, and Q_d = beta / (2
  // alpha_d) is 1 / tan_d once the field is all inside the substrate.
  const double hz = 2e9, h = 1.6e-3, w = 1000 * h, er = 4.4;
  const LineState line = DispersiveLine(w / h, er, h).at(hz);
  const double beta = 2 * 3.141592653589793 * hz / 299792458.0 * std::sqrt(line.ee);
  const double skinDepth = 1 / std::sqrt(3.141592653589793 * hz * 4e-7 * 3.141592653589793 * 5.8e7);
  EXPECT_NEAR(beta / (2 * conductorAttenuation(rs, line.zc, w)), h / skinDepth,
              0.01 * h / skinDepth);
  EXPECT_NEAR(beta / (2 * dielectricAttenuation(hz, er, line, 0.02)), 50, 0.5);
}

}  // namespace

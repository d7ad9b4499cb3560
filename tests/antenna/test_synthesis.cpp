// Synthesis on the classic model through its numbers: the textbook width,
// sizes a board holds, the band the window draws, and every refusal with its
// reason.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "antenna/synthesis.h"
#include "refusal.h"

namespace {

// The main window's slider ranges (1 to 300 mm, 0.1 to 20 mm, and er).
constexpr antenna::Limits kLimits{{1e-3, 0.3}, {1e-3, 0.3}, {0.1e-3, 20e-3}, {1, 20}};

// A target in the window's units: GHz, er, mm, ohm.
antenna::Target target(double ghz, double er, double mm, double z0 = 50) {
  return {ghz * 1e9, er, mm / 1000, z0};
}

TEST(Synthesis, GivesTheTextbookWidthInWholeMicrometresAndTheBandAroundTheTarget) {
  // Balanis, Antenna Theory, example 14.1 (10 GHz, er 2.2, h 1.588 mm): the
  // width for an efficient radiator, 11.86 mm with c = 3e8 m/s there, is
  // 11.850 mm with the exact speed of light.
  const antenna::Design d = antenna::synthesise(target(10, 2.2, 1.588), kLimits);
  const antenna::Patch& p = d.patch;
  EXPECT_NEAR(p.width, 11.850e-3, 0.0005e-3);
  EXPECT_EQ(d.band.fmin, 8e9);
  EXPECT_EQ(d.band.fmax, 12e9);
  EXPECT_LT(p.feedOffset, p.length / 2);
  // Sizes as a board holds them: whole micrometres, read back from mm.
  for (double size : {p.width, p.length, p.feedOffset, p.height})
    EXPECT_EQ(size, std::round(size * 1e6) / 1000 / 1000);
  // That the design peaks on the target on the window's band, at peakHz, is
  // held by the window's own test (test_design) and, for every model, by
  // test_models.
}

TEST(Synthesis, RefusesATargetItCannotMeetSayingWhy) {
  const std::pair<antenna::Target, const char*> refused[] = {
      {target(2.4, 0.5, 1.6), "er must be at least 1"},
      {target(2.4, 21, 1.6), "er 21 is outside the slider's range (1 to 20)"},
      {target(0, 4.4, 1.6), "F0 must be a positive frequency"},
      {target(NAN, 4.4, 1.6), "F0 must be a positive frequency"},
      {target(2.4, 4.4, 0), "H must be a positive height"},
      {target(2.4, 4.4, 25), "H 25 mm is outside the slider's range"},
      {target(2.4, 4.4, 1.6, -50), "Z0 must be a finite positive number of ohms"},
      {target(0.3, 4.4, 1.6), "W 304."},
      {target(150, 1, 0.1), "W 0.999"},
      {target(140, 1.1, 0.1), "the length L 0.898 mm is outside the slider's range (1 to 300 mm)"},
      {target(2.4, 4.4, 1.6, 500), "above this patch's edge resistance"},
      {target(2.4, 4.4, 1.6, 0.5), "below the resistance the model gives near the patch centre"},
  };
  for (const auto& [t, why] : refused) {
    const std::string said = refusal::of([&] { antenna::synthesise(t, kLimits); });
    EXPECT_NE(said.find(why), std::string::npos) << said;
  }
}

TEST(Synthesis, AModelGivingNoNumberEndsTheSearchAtOnce) {
  // Before the search kept widening its bracket on NaN, for hours.
  int runs = 0;
  const auto broken = [&runs](const antenna::Patch& p, const std::vector<double>& hz) {
    ++runs;
    std::vector<std::complex<double>> z = antenna::classicImpedance(p, hz);
    z[hz.size() / 2] = {NAN, 0};
    return z;
  };
  const std::string said =
      refusal::of([&] { antenna::synthesise(target(2.4, 4.4, 1.6), kLimits, broken); });
  EXPECT_NE(said.find("no finite resistance at 2.4"), std::string::npos) << said;
  EXPECT_EQ(runs, 1);
}

}  // namespace

// Synthesis on the classic model through its numbers: the textbook width,
// a design whose resistance peaks at the target on the band the window
// draws, and every refusal with its reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "antenna/classic_model.h"
#include "antenna/synthesis.h"

namespace {

// The main window's slider ranges (mm, and er).
constexpr antenna::Limits kLimits{{1, 300}, {1, 300}, {0.1, 20}, {1, 20}};

TEST(Synthesis, PutsThePeakOfTheResistanceOnTheTarget) {
  // Balanis, Antenna Theory, example 14.1 (10 GHz, er 2.2, h 1.588 mm): the
  // width for an efficient radiator, 11.86 mm with c = 3e8 m/s there, is
  // 11.850 mm with the exact speed of light.
  const antenna::Design d = antenna::synthesise({10, 2.2, 1.588, 50}, kLimits);
  EXPECT_NEAR(d.wMm, 11.850, 0.0005);
  EXPECT_EQ(d.fminGHz, 8);
  EXPECT_EQ(d.fmaxGHz, 12);
  EXPECT_LT(d.offsetMm, d.lMm / 2);
  // The model run on the design as typed peaks at 10 GHz with 50 ohm.
  const antenna::Patch p{d.wMm / 1000, d.lMm / 1000, d.hMm / 1000, d.er, d.offsetMm / 1000};
  const std::vector<double> hz = antenna::classic::bandFrequencies(8, 12);
  const auto z = antenna::classic::inputImpedance(p, hz);
  const auto peak =
      std::max_element(z.begin(), z.end(), [](auto a, auto b) { return a.real() < b.real(); });
  EXPECT_NEAR(hz[peak - z.begin()] / 1e9, 10, 1e-2);
  EXPECT_NEAR(peak->real(), 50, 0.5);
  EXPECT_EQ(hz[peak - z.begin()] / 1e9, d.peakGHz);
}

TEST(Synthesis, RefusesATargetItCannotMeetSayingWhy) {
  const std::pair<antenna::Target, const char*> refused[] = {
      {{2.4, 0.5, 1.6}, "er must be at least 1"},
      {{2.4, 21, 1.6}, "er 21 is outside the slider's range (1 to 20)"},
      {{0, 4.4, 1.6}, "F0 must be a positive frequency"},
      {{NAN, 4.4, 1.6}, "F0 must be a positive frequency"},
      {{2.4, 4.4, 0}, "H must be a positive height"},
      {{2.4, 4.4, 25}, "H 25 mm is outside the slider's range"},
      {{2.4, 4.4, 1.6, -50}, "Z0 must be a finite positive number of ohms"},
      {{0.3, 4.4, 1.6}, "W 304."},
      {{150, 1, 0.1}, "W 0.999"},
      {{140, 1.1, 0.1}, "the length L 0.898 mm is outside the slider's range (1 to 300 mm)"},
      {{2.4, 4.4, 1.6, 500}, "above this patch's edge resistance"},
      {{2.4, 4.4, 1.6, 0.5}, "below the resistance the model gives near the patch centre"},
  };
  for (const auto& [target, why] : refused) {
    try {
      antenna::synthesise(target, kLimits);
      ADD_FAILURE() << "no refusal: " << why;
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
    }
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
  try {
    antenna::synthesise({2.4, 4.4, 1.6}, kLimits, broken);
    ADD_FAILURE() << "designed on NaN";
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("no finite resistance at 2.4"), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(runs, 1);
}

}  // namespace

// The antenna library's patch pattern against the pattern the window draws:
// the far-field analysis reads the same field as the 91 x 91 surface.
#include <array>
#include <cmath>

#include "antenna/patch_pattern.h"
#include "window/model/model_test.h"

namespace {

using FarFieldPattern = model_test::ModelTest;

TEST_F(FarFieldPattern, PlainPatternIsTheDrawnSurface) {
  // W, L, h (m), er, GHz: the README's patch, the worked example, and the
  // same beyond the two-slot factor's first null, where amplitudes turn
  // negative.
  for (const std::array<double, 5> c : {std::array{38e-3, 29.5e-3, 1.6e-3, 4.4, 2.4},
                                        {30e-3, 40e-3, 1.6e-3, 4.4, 1.8},
                                        {30e-3, 40e-3, 1.6e-3, 4.4, 5.0},
                                        {5e-3, 120e-3, 8e-3, 12.0, 9.5}}) {
    pattern::Locals v;
    v.wp = rt::scalar(c[0]);
    v.lp = rt::scalar(c[1]);
    v.h = rt::scalar(c[2]);
    v.er = rt::scalar(c[3]);
    v.f0p = rt::scalar(c[4]);
    pattern::field(v);
    const antenna::PatchPattern plain({c[0], c[1], c[2], c[3]}, c[4] * 1e9);
    const auto th = v.Th.get().re(), ph = v.Ph.get().re(), r = v.R.get().re();
    ASSERT_EQ(r.size(), 91u * 91u);
    double worst = 0;
    for (std::size_t i = 0; i < r.size(); ++i) {
      // The module's axes: normal x, length y, width z.
      const double drawn = plain.amplitude(std::sin(th[i]) * std::cos(ph[i]),
                                           std::sin(th[i]) * std::sin(ph[i]), std::cos(th[i]));
      // The module's 0/0 is on the width axis only, where the slots' null is.
      const bool nullAxis = std::isnan(r[i]) && th[i] == 0 && drawn == 0;
      const double d = nullAxis ? 0 : std::abs(drawn - r[i]);
      if (!(d <= worst)) worst = d;  // a NaN is kept, and fails below
    }
    EXPECT_LT(worst, 1e-12) << c[4] << " GHz";
  }
}

}  // namespace

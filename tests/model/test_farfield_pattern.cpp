// The antenna library's patch pattern against the pattern the window draws:
// the far-field analysis reads the same field as the 91 x 91 surface.
#include <cmath>

#include "antenna/patch_pattern.h"
#include "model/model_test.h"

namespace {

using FarFieldPattern = model_test::ModelTest;

TEST_F(FarFieldPattern, PlainPatternIsTheDrawnSurface) {
  struct Case {
    double wp, lp, h, er, ghz;
  };
  // The README's patch, the worked example, and the same beyond the first
  // null of the two-slot factor, where the amplitude turns negative.
  for (const Case c : {Case{38e-3, 29.5e-3, 1.6e-3, 4.4, 2.4}, Case{30e-3, 40e-3, 1.6e-3, 4.4, 1.8},
                       Case{30e-3, 40e-3, 1.6e-3, 4.4, 5}, Case{5e-3, 120e-3, 8e-3, 12, 9.5}}) {
    pattern::Locals v;
    v.wp = rt::scalar(c.wp);
    v.lp = rt::scalar(c.lp);
    v.h = rt::scalar(c.h);
    v.er = rt::scalar(c.er);
    v.f0p = rt::scalar(c.ghz);
    pattern::field(v);
    const antenna::PatchPattern plain({c.wp, c.lp, c.h, c.er}, c.ghz * 1e9);

    const auto th = v.Th.get().re(), ph = v.Ph.get().re(), r = v.R.get().re();
    ASSERT_EQ(r.size(), 91u * 91u);
    double worst = 0, least = INFINITY;
    for (std::size_t i = 0; i < r.size(); ++i) {
      // The module's axes: normal x, length y, width z.
      const double drawn = plain.amplitude(std::sin(th[i]) * std::cos(ph[i]),
                                           std::sin(th[i]) * std::sin(ph[i]), std::cos(th[i]));
      if (std::isnan(r[i])) {
        ASSERT_EQ(th[i], 0) << "0/0 only on the width axis, where the slots have their null";
        ASSERT_EQ(drawn, 0);
        continue;
      }
      worst = std::max(worst, std::abs(drawn - r[i]));
      least = std::min(least, r[i]);
    }
    EXPECT_LT(worst, 1e-12) << c.ghz << " GHz";
    if (c.ghz == 5) {
      EXPECT_LT(least, -0.5);
    }
  }
}

}  // namespace

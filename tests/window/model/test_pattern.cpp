// The radiation pattern, run on real sliders through the window's handles
// record and checked through the surface it leaves in its new figure; and
// the antenna library's patch pattern against it: the far-field analysis
// reads the same field as the 91 x 91 surface.
#include <array>
#include <cmath>
#include <tuple>

#include "antenna/patch_pattern.h"
#include "window/model/model_test.h"

namespace {

using namespace model_test;

constexpr std::size_t kN = 91;
// Grid element at 1-based row r (phi) and column s (theta).
double at(const std::vector<double>& g, std::size_t r, std::size_t s) {
  return g[(r - 1) + (s - 1) * kN];
}

class Pattern : public ModelTest {
 protected:
  // The worked example's patch at a pattern frequency in the window: runs
  // the model and gives the one surface of the one figure it opened, which
  // is current (NaN when it opened none).
  double run(double ghz) {
    if (window_.isNull()) openWindow();
    const rt::Array h = handles({30, 40, 1.6, 4.4, 0, "1", "3", ghz});
    const std::size_t before = rt::gfx::figures().size();
    pattern::call(h);
    if (rt::gfx::figures().size() == before) return NAN;
    EXPECT_EQ(rt::gfx::figures().size(), before + 1);
    const std::vector<double> axes = ofType(rt::gcf().scalar(), "axes");
    const std::vector<double> s =
        axes.size() == 1 ? ofType(axes[0], "surface") : std::vector<double>{};
    EXPECT_EQ(s.size(), 1u) << "not one surface in one axes of the current figure";
    return s.size() == 1 ? s[0] : NAN;
  }
  static std::vector<double> grid(double h, const char* name) {
    const rt::Array& a = rt::gfx::prop(h, name);
    EXPECT_TRUE(a.rows() == kN && a.cols() == kN) << name;
    return values(a);
  }
};

TEST_F(Pattern, ZeroOpensNoWindowByNameNeedsTheRecordAndTheWorkedExampleHasNaNOnlyAtThetaZero) {
  EXPECT_TRUE(std::isnan(run(0)));
  // Only slider6 is read: a record without the size sliders does not fail.
  EXPECT_NO_THROW(pattern::call(rt::struct_({str("slider6"), controls_[5]})));
  EXPECT_TRUE(rt::warningsEnabled()) << "nothing computed, so warnings stay as they were";

  std::vector<rt::Array> none;
  EXPECT_EQ(errorOf([&] { pattern::byName(0, none, {}); }),
            "Input argument \"handles\" is undefined.");
  pattern::byName(0, none, std::vector<rt::Array>{handles({30, 40, 1.6, 4.4, 0, "", "", 1.8})});
  EXPECT_EQ(rt::gfx::figures().size(), 2u);

  // The worked example at 1.8 GHz.
  const double s = run(1.8);
  const std::vector<double> R = grid(s, "CData");
  ASSERT_EQ(R.size(), kN * kN);
  EXPECT_NEAR(at(R, 46, 46), 0.9998482, 1e-7);  // theta = pi/2, phi = 0
  EXPECT_NEAR(at(R, 1, 46), 0.7093503, 1e-7);   // theta = pi/2, phi = -pi/2
  EXPECT_EQ(std::ranges::max(R, {}, [](double r) { return std::isnan(r) ? -INFINITY : r; }),
            at(R, 46, 46));

  // The surface points are R along each direction.
  const std::vector<double> x = grid(s, "XData"), y = grid(s, "YData"), z = grid(s, "ZData");
  EXPECT_NEAR(at(x, 46, 46), at(R, 46, 46), 1e-15);   // along +x
  EXPECT_NEAR(at(y, 1, 46), -at(R, 1, 46), 1e-15);    // along -y
  EXPECT_NEAR(at(z, 46, 91), -at(R, 46, 91), 1e-12);  // theta = pi: along -z
  // 0/0 at theta = 0, the first column, and nowhere else.
  for (const std::vector<double>* g : {&x, &y, &z, &R})
    for (std::size_t i = 0; i < kN * kN; ++i)
      ASSERT_TRUE(i < kN ? std::isnan((*g)[i]) : std::isfinite((*g)[i])) << "element " << i;

  const rt::Array ax = rt::get(scalar(s), "Parent");
  for (const char* l : {"X", "Y", "Z"})
    EXPECT_EQ(rt::get(rt::get(ax, (l + std::string("Label")).c_str()), "String").text(), l);
  EXPECT_EQ(values(rt::get(ax, "View")), (std::vector<double>{95, -45}));
  EXPECT_FALSE(rt::warningsEnabled());

  // At 5 GHz the sides are the smallest values, in a figure of its own.
  const double second = run(5);
  const std::vector<double> R5 = grid(second, "CData");
  EXPECT_NEAR(at(R5, 91, 46), -0.5663233, 1e-7);
  EXPECT_NEAR(at(R5, 1, 46), -0.5663233, 1e-7);
  EXPECT_NEAR(std::ranges::min(R5, {}, [](double r) { return std::isnan(r) ? INFINITY : r; }),
              at(R5, 1, 46), 1e-15);
  EXPECT_NE(grid(s, "CData"), R5) << "each figure keeps its own pattern";
  EXPECT_EQ(rt::gfx::figures().size(), 4u);
  EXPECT_EQ(ofType(window_.scalar(), "axes").size(), 2u) << "the sliders' window got a pattern";
}

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
    std::tie(v.wp, v.lp, v.h, v.er, v.f0p) =
        std::tuple(scalar(c[0]), scalar(c[1]), scalar(c[2]), scalar(c[3]), scalar(c[4]));
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

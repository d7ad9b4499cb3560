// The radiation pattern, run on real sliders through a hand-built `handles`
// record and checked through the surface it leaves in its new figure.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "model/model_test.h"
#include "model/pattern.h"
#include "support/labels.h"
#include "support/surf.h"

namespace {

using namespace model_test;

constexpr std::size_t kN = 91;
// Grid element at 1-based row r (phi) and column s (theta).
double at(const std::vector<double>& g, std::size_t r, std::size_t s) {
  return g[(r - 1) + (s - 1) * kN];
}

// A patch design as the sliders hold it: sizes in mm, frequency in GHz.
struct Design {
  double W, L, H, er, f0p;
};
constexpr Design kAt1_8GHz{30, 40, 1.6, 4.4, 1.8};
constexpr Design kAt5GHz{30, 40, 1.6, 4.4, 5};

class Pattern : public ModelTest {
 protected:
  Pattern()
      : ModelTest({{pattern::initialize, pattern::terminate},
                   {xlabel::initialize, xlabel::terminate},
                   {ylabel::initialize, ylabel::terminate},
                   {zlabel::initialize, zlabel::terminate},
                   {surf::initialize, surf::terminate}}) {}
  void SetUp() override {
    ModelTest::SetUp();
    window_ = rt::figure();
    for (const char* tag : {"slider1", "slider2", "slider3", "slider4", "slider6"})
      sliders_.push_back(slider(tag));
    handles_ = rt::struct_({S("figure1"), window_, S("slider1"), sliders_[0], S("slider2"),
                            sliders_[1], S("slider3"), sliders_[2], S("slider4"), sliders_[3],
                            S("slider6"), sliders_[4]});
  }
  void TearDown() override {
    handles_ = window_ = rt::Array();
    sliders_.clear();
    ModelTest::TearDown();
  }

  void setDesign(const Design& d) {
    const double v[] = {d.W, d.L, d.H, d.er, d.f0p};
    for (int i = 0; i < 5; ++i) rt::set(sliders_[i], {S("Value"), num(v[i])});
  }

  // Runs the model; returns the figures it opened.
  std::vector<double> run() {
    const std::vector<double> before = rt::gfx::figures();
    pattern::call(handles_);
    std::vector<double> opened;
    for (double f : rt::gfx::figures())
      if (std::find(before.begin(), before.end(), f) == before.end()) opened.push_back(f);
    return opened;
  }

  // The one surface in the one axes of figure `fig`.
  static double surfaceOf(double fig) {
    const std::vector<double> axes = ofType(fig, "axes");
    EXPECT_EQ(axes.size(), 1u);
    if (axes.empty()) return NAN;
    const std::vector<double> s = ofType(axes.front(), "surface");
    EXPECT_EQ(s.size(), 1u);
    return s.empty() ? NAN : s.front();
  }
  static std::vector<double> grid(double h, const char* name) {
    const rt::Array& a = rt::gfx::prop(h, name);
    EXPECT_EQ(a.rows(), kN);
    EXPECT_EQ(a.cols(), kN);
    return {a.re().begin(), a.re().end()};
  }

  rt::Array window_, handles_;
  std::vector<rt::Array> sliders_;
};

TEST_F(Pattern, ZeroFrequencyOpensNoWindowAndReadsNothingElse) {
  setDesign({30, 40, 1.6, 4.4, 0});
  EXPECT_TRUE(run().empty());
  // Only slider6 is read: a record without the size sliders does not fail.
  const rt::Array only6 = rt::struct_({S("slider6"), sliders_[4]});
  EXPECT_NO_THROW(pattern::call(only6));
  EXPECT_EQ(rt::gfx::figures().size(), 1u);
  EXPECT_TRUE(ofType(window_.scalar(), "axes").empty());
  EXPECT_TRUE(rt::warningsEnabled()) << "nothing computed, so warnings stay as they were";
}

TEST_F(Pattern, WorkedExampleAt1_8GHzWithNaNOnlyAlongThetaZero) {
  setDesign(kAt1_8GHz);
  const std::vector<double> opened = run();
  ASSERT_EQ(opened.size(), 1u);
  const double s = surfaceOf(opened.front());
  const std::vector<double> R = grid(s, "CData");
  ASSERT_EQ(R.size(), kN * kN);

  EXPECT_NEAR(at(R, 46, 46), 0.9998482, 1e-7);  // theta = pi/2, phi = 0
  EXPECT_NEAR(at(R, 1, 46), 0.7093503, 1e-7);   // theta = pi/2, phi = -pi/2
  double largest = -INFINITY;
  for (double r : R)
    if (!std::isnan(r)) largest = std::max(largest, r);
  EXPECT_EQ(largest, at(R, 46, 46));

  // The surface points are R along each direction.
  const std::vector<double> x = grid(s, "XData"), y = grid(s, "YData"), z = grid(s, "ZData");
  EXPECT_NEAR(at(x, 46, 46), at(R, 46, 46), 1e-15);   // along +x
  EXPECT_NEAR(at(y, 1, 46), -at(R, 1, 46), 1e-15);    // along -y
  EXPECT_NEAR(at(z, 46, 91), -at(R, 46, 91), 1e-12);  // theta = pi: along -z
  // 0/0 at theta = 0, the first column, and nowhere else.
  for (const std::vector<double>* g : {&x, &y, &z, &R})
    for (std::size_t c = 1; c <= kN; ++c)
      for (std::size_t r = 1; r <= kN; ++r)
        ASSERT_TRUE(c == 1 ? std::isnan(at(*g, r, c)) : std::isfinite(at(*g, r, c)))
            << "row " << r << " column " << c;

  const rt::Array ax = rt::get(num(s), "Parent");
  EXPECT_EQ(rt::get(rt::get(ax, "XLabel"), "String").text(), "X");
  EXPECT_EQ(rt::get(rt::get(ax, "YLabel"), "String").text(), "Y");
  EXPECT_EQ(rt::get(rt::get(ax, "ZLabel"), "String").text(), "Z");
  EXPECT_EQ(values(rt::get(ax, "View")), (std::vector<double>{95, -45}));
  EXPECT_FALSE(rt::warningsEnabled());
}

TEST_F(Pattern, FringingOfTheWorkedExample) {
  pattern::Locals v;
  v.f0p = num(1.8);
  v.wp = num(30e-3);
  v.lp = num(40e-3);
  v.h = num(1.6e-3);
  v.er = num(4.4);
  pattern::field(v);
  EXPECT_NEAR(v.k0.get().scalar(), 37.7248102739, 1e-10);
  EXPECT_NEAR(v.ereff.get().scalar(), 4.0728738502, 1e-10);
  EXPECT_NEAR(v.dlp.get().scalar() * 1000, 0.73490414, 1e-8);
  EXPECT_NEAR(v.lpeff.get().scalar() * 1000, 41.46980828, 1e-8);
  // Rows follow phi, columns theta.
  EXPECT_EQ(at(values(v.Th), 91, 1), 0.0);
  EXPECT_EQ(at(values(v.Th), 1, 91), std::numbers::pi);
  EXPECT_EQ(at(values(v.Ph), 1, 91), -std::numbers::pi / 2);
  EXPECT_EQ(at(values(v.Ph), 91, 1), std::numbers::pi / 2);
}

TEST_F(Pattern, AtFiveGHzTheSidesAreTheSmallestValuesInAFigureOfItsOwn) {
  setDesign(kAt1_8GHz);
  const std::vector<double> first = run();
  setDesign(kAt5GHz);
  const std::vector<double> opened = run();
  ASSERT_EQ(first.size(), 1u);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_NE(first.front(), opened.front());
  EXPECT_EQ(rt::gcf().scalar(), opened.front());
  EXPECT_TRUE(ofType(window_.scalar(), "axes").empty()) << "the sliders' window got a pattern";

  const std::vector<double> R = grid(surfaceOf(opened.front()), "CData");
  EXPECT_NEAR(at(R, 91, 46), -0.5663233, 1e-7);
  EXPECT_NEAR(at(R, 1, 46), -0.5663233, 1e-7);
  double smallest = INFINITY;
  for (double r : R)
    if (!std::isnan(r)) smallest = std::min(smallest, r);
  EXPECT_NEAR(smallest, at(R, 1, 46), 1e-15);
  EXPECT_NE(grid(surfaceOf(first.front()), "CData"), R) << "each figure keeps its own pattern";
}

TEST_F(Pattern, CalledByName) {
  std::vector<rt::Array> none;
  EXPECT_EQ(errorOf([&] { pattern::byName(0, none, {}); }),
            "Input argument \"handles\" is undefined.");
  setDesign(kAt1_8GHz);
  pattern::byName(0, none, std::vector<rt::Array>{handles_});
  EXPECT_EQ(rt::gfx::figures().size(), 2u);
}

}  // namespace

// The impedance model, run on real controls and axes and checked through the
// lines it draws; the antenna library's plain copy of it gives the same
// numbers.
#include <cmath>

#include "antenna/classic_model.h"
#include "window/model/model_test.h"

namespace {

using namespace model_test;

constexpr Design kWide{30, 40, 1.6, 4.4, 10};
constexpr Design kNarrow{1, 40, 1.6, 4.4, 0};

class Impedance : public ModelTest {
 protected:
  // offset_impedance(guihandles(fig)) on the design; returns pon.
  double run(const Design& d) {
    rt::Array pon = offset_impedance::call(handles(d));
    EXPECT_TRUE(pon.isScalar() && pon.isNumeric());
    return pon.scalar();
  }
  std::vector<double> lines(int axes) { return ofType(ax_[axes].scalar(), "line"); }
  // Data of the one line of the resistance (0) or reactance (1) axes.
  std::vector<double> drawn(int axes, const char* name = "YData") {
    const std::vector<double> l = lines(axes);
    EXPECT_EQ(l.size(), 1u);
    return l.empty() ? std::vector<double>{} : values(rt::gfx::prop(l.front(), name));
  }
  // The drawn lines of `d` over 1 to 3 GHz against the plain copy.
  void expectClassicNumbers(const Design& d) {
    const antenna::Patch p{d.W / 1000, d.L / 1000, d.H / 1000, d.er, d.offset / 1000};
    const auto z = antenna::classic::inputImpedance(p, antenna::classic::bandFrequencies(1, 3));
    const std::vector<double> R = drawn(0), X = drawn(1);
    ASSERT_EQ(R.size(), z.size());
    for (std::size_t k = 0; k < z.size(); ++k)
      ASSERT_LE(std::abs(std::complex<double>(R[k], X[k]) - z[k]), 1e-12 * std::abs(z[k])) << k;
  }
};

TEST_F(Impedance, WorkedExamplesDrawIntoAxesThatKeepTheirTagsAndLabels) {
  // Plain axes (NextPlot "replace") lose their properties to a new plot; the
  // model puts the tags back, so the next call finds the same axes again.
  openWindow("replace");
  EXPECT_EQ(run(kWide), 0);
  const std::vector<double> f = drawn(0, "XData"), R = drawn(0), X = drawn(1);
  ASSERT_TRUE(R.size() == 1000 && X.size() == 1000);
  EXPECT_EQ(drawn(1, "XData"), f);
  EXPECT_DOUBLE_EQ(f.front(), 1.0);
  EXPECT_DOUBLE_EQ(f.back(), 3.0);
  EXPECT_NEAR(R.front(), 0.054189, 1e-6);
  EXPECT_NEAR(X.front(), -2.118359, 1e-6);
  EXPECT_NEAR(R.back(), 0.139802, 1e-6);
  EXPECT_NEAR(X.back(), -1.741541, 1e-6);
  const std::size_t k = static_cast<std::size_t>(std::max_element(R.begin(), R.end()) - R.begin());
  EXPECT_EQ(k + 1, 407u);
  EXPECT_NEAR(R[k], 159.3132, 1e-4);
  EXPECT_NEAR(f[k], 1.8128128, 1e-7);
  EXPECT_NEAR(X[k], -2.5818, 1e-4);
  expectClassicNumbers(kWide);

  const char* const labels[] = {"Resistance (Ohms)", "Reactance (Ohms)"};
  for (int i : {0, 1}) {
    EXPECT_EQ(rt::get(ax_[i], "Tag").text(), i ? "axes2" : "axes1");
    EXPECT_EQ(rt::get(rt::get(ax_[i], "YLabel"), "String").text(), labels[i]);
    EXPECT_EQ(rt::get(ax_[i], "XGrid").text() + rt::get(ax_[i], "YGrid").text(), "onon");
  }
  EXPECT_EQ(rt::gca().scalar(), ax_[1].scalar()) << "the reactance axes end as current";

  // The same patch fed at its edge, found again by its tags.
  ASSERT_EQ(run({30, 40, 1.6, 4.4, 0}), 0);
  const std::vector<double> edgeR = drawn(0);
  EXPECT_NEAR(edgeR.front(), 0.062188, 1e-6);
  EXPECT_NEAR(drawn(1).front(), 1.231802, 1e-6);
  EXPECT_NEAR(*std::max_element(edgeR.begin(), edgeR.end()), 330.4448, 1e-4);
  expectClassicNumbers({30, 40, 1.6, 4.4, 0});
}

TEST_F(Impedance, OnlyAFeedAtTheEdgeFitsBothAxesTightlyAndOnlyAUsableBandDraws) {
  openWindow();
  const std::vector<double> xlim = {0, 10}, ylim = {-1000, 1000};
  for (const rt::Array& ax : ax_)
    rt::set(ax, {str("XLim"), rt::row(xlim), str("YLim"), rt::row(ylim)});
  ASSERT_EQ(run(kWide), 0);
  for (const rt::Array& ax : ax_) {
    EXPECT_EQ(values(rt::get(ax, "XLim")), xlim);
    EXPECT_EQ(values(rt::get(ax, "YLim")), ylim);
  }
  // The narrow-strip worked example is fed at its edge.
  ASSERT_EQ(run(kNarrow), 0);
  EXPECT_NEAR(drawn(0).front(), 0.213493, 1e-6);
  EXPECT_NEAR(drawn(1).front(), -7.300437, 1e-6);
  expectClassicNumbers(kNarrow);
  for (int i : {0, 1}) {
    const std::vector<double> y = drawn(i);
    const auto [lo, hi] = std::minmax_element(y.begin(), y.end());
    EXPECT_EQ(values(rt::get(ax_[i], "XLim")), (std::vector<double>{1, 3}));
    EXPECT_EQ(values(rt::get(ax_[i], "YLim")), (std::vector<double>{*lo, *hi}));
  }

  // Hostile sizes typed into the window are the shell's hostile tests; here,
  // the model's own band test: a band that is empty, no number or backwards
  // draws nothing and keeps the lines there are.
  const std::vector<double> kept[] = {lines(0), lines(1)};
  const std::pair<const char*, const char*> bands[] = {
      {"", ""}, {"1", ""}, {"", "3"}, {"2", "2"}, {"3", "1"}, {"abc", "3"}, {"1", "NaN"}};
  for (auto [lo, hi] : bands) {
    EXPECT_EQ(run({30, 40, 1.6, 4.4, 0, lo, hi}), 1) << "band '" << lo << "' to '" << hi << "'";
    EXPECT_TRUE(lines(0) == kept[0] && lines(1) == kept[1]);
  }
}

}  // namespace

// The impedance model, run on real controls and axes and checked through the
// lines it draws, and its row computation checked on its named quantities.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "model/model_test.h"
#include "model/offset_impedance.h"
#include "support/guihandles.h"
#include "support/iskeyword.h"
#include "support/isvarname.h"
#include "support/labels.h"

namespace {

using namespace model_test;

// A patch design as the window holds it: sizes in mm, band limits as text.
struct Design {
  double W, L, H, er, offset;
  const char* fmin;
  const char* fmax;
};
constexpr Design kWide{30, 40, 1.6, 4.4, 10, "1", "3"};
constexpr Design kWideEdgeFed{30, 40, 1.6, 4.4, 0, "1", "3"};
constexpr Design kNarrow{1, 40, 1.6, 4.4, 0, "1", "3"};

class Impedance : public ModelTest {
 protected:
  Impedance()
      : ModelTest({{guihandles::initialize, guihandles::terminate},
                   {isvarname::initialize, isvarname::terminate},
                   {iskeyword::initialize, iskeyword::terminate},
                   {offset_impedance::initialize, offset_impedance::terminate},
                   {ylabel::initialize, ylabel::terminate}}) {}
  void TearDown() override {
    fig_ = ax1_ = ax2_ = rt::Array();
    controls_.clear();
    ModelTest::TearDown();
  }

  // The controls the model reads and the two axes it draws into, as in the
  // main window (minus what the model does not touch).
  void openWindow(const char* nextPlot = "replacechildren") {
    fig_ = rt::figure();
    for (const char* tag : {"slider1", "slider2", "slider3", "slider4", "slider5"})
      controls_.push_back(slider(tag));
    for (const char* tag : {"edit5", "edit6"})
      controls_.push_back(rt::uicontrol({S("Style"), S("edit"), S("Tag"), S(tag)}));
    ax1_ = rt::axes({S("Tag"), S("axes1"), S("NextPlot"), S(nextPlot)});
    ax2_ = rt::axes({S("Tag"), S("axes2"), S("NextPlot"), S(nextPlot)});
  }

  void setDesign(const Design& d) {
    const double sliders[] = {d.W, d.L, d.H, d.er, d.offset};
    for (int i = 0; i < 5; ++i) rt::set(controls_[i], {S("Value"), num(sliders[i])});
    rt::set(controls_[5], {S("String"), S(d.fmin)});
    rt::set(controls_[6], {S("String"), S(d.fmax)});
  }

  // offset_impedance(guihandles(fig)); returns pon.
  double run() {
    rt::Array pon = offset_impedance::call(guihandles::call(fig_));
    EXPECT_TRUE(pon.isScalar() && pon.isNumeric());
    return pon.scalar();
  }

  static std::vector<double> lines(const rt::Array& ax) { return ofType(ax.scalar(), "line"); }
  // The one line of the axes.
  static double line(const rt::Array& ax) {
    std::vector<double> l = lines(ax);
    EXPECT_EQ(l.size(), 1u);
    return l.empty() ? NAN : l.front();
  }
  static std::vector<double> data(double h, const char* name) {
    return values(rt::gfx::prop(h, name));
  }
  static std::string text(const rt::Array& h, const char* name) { return rt::get(h, name).text(); }
  static std::string labelOf(const rt::Array& ax) {
    return rt::get(rt::get(ax, "YLabel"), "String").text();
  }

  // The rows of one design, from the band to Zin, on the named quantities.
  static void computeRows(offset_impedance::Locals& v, const Design& d) {
    v.fmin = rt::str2double(S(d.fmin));
    v.fmax = rt::str2double(S(d.fmax));
    v.wp = num(d.W / 1000);
    v.lp = num(d.L / 1000);
    v.h = num(d.H / 1000);
    v.er = num(d.er);
    v.offset = num(d.offset / 1000);
    offset_impedance::impedance(v);
  }

  rt::Array fig_, ax1_, ax2_;
  std::vector<rt::Array> controls_;
};

TEST_F(Impedance, WideStripWorkedExampleDrawsResistanceAndReactance) {
  openWindow();
  setDesign(kWide);
  EXPECT_EQ(run(), 0);

  const double r = line(ax1_), x = line(ax2_);
  const std::vector<double> f = data(r, "XData"), R = data(r, "YData"), X = data(x, "YData");
  ASSERT_EQ(f.size(), 1000u);
  ASSERT_EQ(R.size(), 1000u);
  ASSERT_EQ(X.size(), 1000u);
  EXPECT_EQ(data(x, "XData"), f);
  EXPECT_DOUBLE_EQ(f.front(), 1.0);
  EXPECT_DOUBLE_EQ(f.back(), 3.0);

  EXPECT_NEAR(R.front(), 0.054189, 1e-6);
  EXPECT_NEAR(X.front(), -2.118359, 1e-6);
  EXPECT_NEAR(R.back(), 0.139802, 1e-6);
  EXPECT_NEAR(X.back(), -1.741541, 1e-6);

  const auto peak = std::max_element(R.begin(), R.end());
  const std::size_t k = static_cast<std::size_t>(peak - R.begin());
  EXPECT_EQ(k + 1, 407u);  // the 407th of the 1000 points
  EXPECT_NEAR(*peak, 159.3132, 1e-4);
  EXPECT_NEAR(f[k], 1.8128128, 1e-7);
  EXPECT_NEAR(X[k], -2.5818, 1e-4);

  EXPECT_EQ(labelOf(ax1_), "Resistance (Ohms)");
  EXPECT_EQ(labelOf(ax2_), "Reactance (Ohms)");
  for (const rt::Array& ax : {ax1_, ax2_}) {
    EXPECT_EQ(text(ax, "XGrid"), "on");
    EXPECT_EQ(text(ax, "YGrid"), "on");
  }
  EXPECT_EQ(rt::gca().scalar(), ax2_.scalar()) << "the reactance axes end as current";
}

TEST_F(Impedance, LineQuantitiesOfTheWorkedExamples) {
  // With er = 1 and W = H the line sees free space: ereff = 1, and the
  // narrow-strip Zc = Z0/(2 pi) ln(8 + 1/4); the wide-strip one would differ by 0.4 %.
  const struct {
    Design design;
    double ereff, Zc;
  } rows[] = {
      {kWide, 4.0728738502, 8.4286530342},
      {kNarrow, 3.1123105626, 87.0605640543},
      {{1.6, 40, 1.6, 1, 0, "1", "3"},
       1,
       376.73430918211017 / (2 * std::numbers::pi) * std::log(8.25)},
  };
  for (const auto& r : rows) {
    offset_impedance::Locals v;
    computeRows(v, r.design);
    EXPECT_NEAR(v.ereff.get().scalar(), r.ereff, 1e-10) << r.design.W;
    EXPECT_NEAR(v.Zc.get().scalar(), r.Zc, 1e-9) << r.design.W;
  }
}

TEST_F(Impedance, EdgeFedPatchFitsBothAxesTightly) {
  openWindow();
  for (const rt::Array& ax : {ax1_, ax2_})
    rt::set(ax, {S("XLim"), rt::row({0, 10}), S("YLim"), rt::row({-1000, 1000})});
  setDesign(kWideEdgeFed);
  EXPECT_EQ(run(), 0);

  const std::vector<double> R = data(line(ax1_), "YData"), X = data(line(ax2_), "YData");
  EXPECT_NEAR(R.front(), 0.062188, 1e-6);
  EXPECT_NEAR(X.front(), 1.231802, 1e-6);
  EXPECT_NEAR(*std::max_element(R.begin(), R.end()), 330.4448, 1e-4);

  for (auto [ax, y] : {std::pair{ax1_, R}, std::pair{ax2_, X}}) {
    EXPECT_EQ(values(rt::get(ax, "XLim")), (std::vector<double>{1, 3}));
    EXPECT_EQ(values(rt::get(ax, "YLim")),
              (std::vector<double>{*std::min_element(y.begin(), y.end()),
                                   *std::max_element(y.begin(), y.end())}));
  }
}

TEST_F(Impedance, BandThatIsEmptyOrNoNumberDrawsNothing) {
  openWindow();
  const std::pair<const char*, const char*> bands[] = {
      {"", ""}, {"1", ""}, {"", "3"}, {"2", "2"}, {"3", "1"}, {"abc", "3"}, {"1", "NaN"}};
  for (auto [lo, hi] : bands) {
    setDesign({30, 40, 1.6, 4.4, 0, lo, hi});
    EXPECT_EQ(run(), 1) << "band '" << lo << "' to '" << hi << "'";
    EXPECT_TRUE(lines(ax1_).empty());
    EXPECT_TRUE(lines(ax2_).empty());
  }
}

TEST_F(Impedance, AxesThatResetOnPlottingGetTheirTagsBack) {
  // Plain axes (NextPlot "replace") lose their properties to a new plot; the
  // model puts the tags back, so the next call finds the same axes again.
  openWindow("replace");
  setDesign(kWide);
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(text(ax1_, "Tag"), "axes1");
  EXPECT_EQ(text(ax2_, "Tag"), "axes2");
  EXPECT_EQ(labelOf(ax1_), "Resistance (Ohms)");
  EXPECT_EQ(labelOf(ax2_), "Reactance (Ohms)");
  // The narrow-strip worked example, drawn into the same axes.
  setDesign(kNarrow);
  ASSERT_EQ(run(), 0);
  EXPECT_NEAR(data(line(ax1_), "YData").front(), 0.213493, 1e-6);
  EXPECT_NEAR(data(line(ax2_), "YData").front(), -7.300437, 1e-6);
}

TEST_F(Impedance, HostileDesignsRunThroughTheFormulas) {
  openWindow();
  const Design designs[] = {
      {0, 40, 1.6, 4.4, 0, "1", "3"},      // no width
      {30, 40, 0, 4.4, 0, "1", "3"},       // no height
      {30, 0, 1.6, 4.4, 0, "1", "3"},      // no length
      {30, 40, 1.6, 0, 10, "1", "3"},      // er = 0
      {30, 40, 1.6, -4.4, 10, "1", "3"},   // negative permittivity
      {30, 40, -1.6, 4.4, 10, "1", "3"},   // negative height
      {-30, 40, 1.6, 4.4, 0, "1", "3"},    // negative width
      {30, 40, 1.6, 4.4, -10, "1", "3"},   // feed beyond the edge
      {30, 40, 1.6, 4.4, 0, "0", "3"},     // band from 0 Hz
      {30, 40, 1.6, 4.4, 10, "-3", "-1"},  // negative band
      {30, 40, 1.6, 4.4, 0, "-inf", "1"},  // unbounded band
      {NAN, 40, 1.6, 4.4, 0, "1", "3"},
  };
  int drawn = 0;
  for (const Design& d : designs) {
    setDesign(d);
    failsOnlyWithAMessage([&] {
      if (run() == 0) {
        ++drawn;
        EXPECT_EQ(data(line(ax1_), "YData").size(), 1000u);
        EXPECT_EQ(data(line(ax2_), "YData").size(), 1000u);
      }
    });
    EXPECT_EQ(rt::contextDepth(), 0u);
    EXPECT_EQ(rt::currentLocalFunctionTable(), nullptr);
  }
  EXPECT_GT(drawn, 0);
}

}  // namespace

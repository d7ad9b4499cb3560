// The Match figure in a whole run of the program: it follows the window's
// impedance lines through user acts, keeps its last data while the band
// draws nothing, refuses a bad Z0 in the figure, and lets go when closed;
// and its readout of sweeps whose resonance, match and bandwidth are known
// in closed form.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "rf/design_io.h"
#include "rf/match_figure.h"
#include "rf/readout.h"
#include "shell/test_window_session.h"

namespace {

using namespace session;

std::vector<double> controlsOf(double fig, std::string_view style) {
  std::vector<double> all, out;
  below(fig, all);
  for (double h : all)
    if (rt::gfx::type(h) == "uicontrol" && rt::gfx::prop(h, "Style").text() == style)
      out.push_back(h);
  return out;
}

// Whether the figure's texts show `what`.
bool shows(double fig, const std::string& what) {
  std::string all;
  for (double h : controlsOf(fig, "text")) {
    const rt::Array& s = rt::gfx::prop(h, "String");
    if (s.isCell())
      for (const rt::Array& c : s.cells()) all += c.text() + "\n";
    else
      all += s.text() + "\n";
  }
  return all.find(what) != std::string::npos;
}

// The R at resonance the figure holds for the model's lines.
std::optional<double> shownR() {
  return rf::matchReadouts().model->rAtResonance;
}

TEST(MatchFigure, FollowsTheWindowRefusesABadZ0AndStartsAfreshOnceClosed) {
  EXPECT_EQ(
      run([] {
        play(kWorkedExampleScript);
        const double fig = rf::openMatchFigure();
        EXPECT_EQ(rf::openMatchFigure(), fig) << "a second figure was opened";
        EXPECT_EQ(rt::gfx::figures().size(), 2u);
        EXPECT_TRUE(shows(fig, "R at resonance: 159.3 Ohm"));

        // A slider act redraws it from the new lines.
        slide("slider5", 5);
        EXPECT_EQ(shownR(), rf::computeReadout(*rf::shownImpedance(), 50).rAtResonance);
        EXPECT_NE(*shownR(), 159.3132);

        // An empty band draws nothing: the last data stay, and it says so.
        const auto before = shownR();
        type("edit6", "0.5");
        EXPECT_EQ(shownR(), before);
        EXPECT_TRUE(shows(fig, "The band draws nothing"));
        type("edit6", "3");
        EXPECT_FALSE(shows(fig, "The band draws nothing"));

        // A bad Z0 typed into the figure is refused there.
        const std::vector<double> edits = controlsOf(fig, "edit");
        ASSERT_EQ(edits.size(), 1u);
        for (const char* typed : {" 75 ", "-3", "0", "abc", "inf", "", "nan", "50 ohm", "1e999"}) {
          rt::gfx::userAct(edits[0], {{"String", rt::str(typed)}});
          EXPECT_TRUE(rf::matchZ0() == 75 && rf::matchReadouts().model->z0 == 75) << typed;
          EXPECT_EQ(rt::gfx::prop(edits[0], "String").text(), "75");
          EXPECT_EQ(shows(fig, "Z0 must be a finite positive number"),
                    std::string_view(typed) != " 75 ");
        }
        EXPECT_THROW(rf::setMatchZ0(-1), std::invalid_argument);
        EXPECT_EQ(rf::matchZ0(), 75);

        // Closed, it stops following; opened again, it starts afresh.
        rt::gfx::closeRequest(fig);
        EXPECT_FALSE(rf::matchFigureOpen());
        slide("slider5", 4);  // no figure to redraw, no error
        EXPECT_EQ(rt::gfx::figures().size(), 1u);
        EXPECT_EQ(rf::matchZ0(), 50);
        rf::openMatchFigure();
        EXPECT_EQ(shownR(), rf::computeReadout(*rf::shownImpedance(), 50).rAtResonance);
      }),
      0);
}

constexpr double kTwoPi = 2 * std::numbers::pi;

// A parallel R, L, C resonator: R peaks and X falls through zero at f0,
// where Z = R.
struct Parallel {
  double r, l = 2e-9, c = 5e-12;
  double f0Ghz() const { return 1 / (kTwoPi * std::sqrt(l * c)) / 1e9; }
  std::complex<double> z(double ghz) const {
    const double w = kTwoPi * ghz * 1e9;
    return 1.0 / std::complex<double>(1 / r, w * c - 1 / (w * l));
  }
  // Sampled at n points from lo to hi GHz.
  rf::Sweep sweep(double lo, double hi, int n) const {
    rf::Sweep s;
    for (int k = 0; k < n; ++k) {
      s.ghz.push_back(lo + k * (hi - lo) / (n - 1));
      s.r.push_back(z(s.ghz.back()).real());
      s.x.push_back(z(s.ghz.back()).imag());
    }
    return s;
  }
};

TEST(Readout, ResonanceMatchAndBandwidthOrWhyThereIsNoneToFourDigits) {
  const Parallel p{60};  // f0 = 1.5915 GHz
  const rf::Readout r = rf::computeReadout(p.sweep(1, 2.5, 4001), 50);
  // The R peak (a sample) first, then the X crossing (interpolated).
  ASSERT_EQ(r.resonanceGhz.size(), 2u);
  const double step = 1.5 / 4000;
  EXPECT_NEAR(r.resonanceGhz[0], p.f0Ghz(), step / 2);
  EXPECT_NEAR(r.resonanceGhz[1], p.f0Ghz(), 1e-6);
  EXPECT_NEAR(*r.rAtResonance, 60, 1e-3);
  EXPECT_NEAR(*r.vswrAtResonance, 1.2, 1e-3);
  EXPECT_NEAR(r.s11MinDb, 20 * std::log10(10.0 / 110), 1e-3);
  EXPECT_NEAR(r.s11MinGhz, p.f0Ghz(), step);

  // Its band edges are where |S11| is -10 dB, on either side of f0.
  ASSERT_TRUE(r.bandwidthGhz);
  const auto [lo, hi] = *r.bandwidthGhz;
  EXPECT_TRUE(lo < p.f0Ghz() && p.f0Ghz() < hi);
  for (double edge : {lo, hi})
    EXPECT_NEAR(20 * std::log10(std::abs((p.z(edge) - 50.0) / (p.z(edge) + 50.0))), -10, 1e-5);
  EXPECT_NEAR(*r.bandwidthPercent, 100 * (hi - lo) / ((hi + lo) / 2), 1e-9);

  // Out of the band, never matched, or cut short by the band: said so.
  const rf::Readout outside = rf::computeReadout(Parallel{60}.sweep(0.5, 1.2, 1000), 50);
  EXPECT_TRUE(outside.resonanceGhz.empty() && !outside.rAtResonance && !outside.vswrAtResonance);
  EXPECT_DOUBLE_EQ(outside.s11MinGhz, 1.2);  // the match improves towards f0
  EXPECT_EQ(rf::readoutLines(outside).front(), "Resonance: no resonance in the band");

  // R = 100 against 50 ohm: |S11| at best 1/3, -9.542 dB.
  const rf::Sweep mismatched = Parallel{100}.sweep(1, 2.5, 1000);
  const rf::Readout never = rf::computeReadout(mismatched, 50);
  EXPECT_NEAR(never.s11MinDb, 20 * std::log10(1.0 / 3), 1e-3);
  EXPECT_TRUE(!never.bandwidthGhz && !never.bandwidthPercent);
  EXPECT_NEAR(*never.vswrAtResonance, 2, 1e-3);
  EXPECT_EQ(rf::readoutLines(never).back(), "-10 dB band: never below -10 dB");
  EXPECT_TRUE(rf::computeReadout(mismatched, 100).bandwidthGhz) << "Z0 is taken as given";

  const rf::Readout cut = rf::computeReadout(Parallel{50}.sweep(1.58, 1.6, 101), 50);
  ASSERT_TRUE(cut.bandwidthGhz);
  EXPECT_EQ(*cut.bandwidthGhz, (std::pair{1.58, 1.6}));

  // The panel shows four significant digits and units.
  const rf::Readout shown{50,  {1.8128128, 2.45678}, 159.3132, 3.18734, -12.34567,
                          1.9, {{1.81234, 1.95678}}, 7.6543};
  const std::vector<std::string> expected = {
      "Resonance: 1.813 GHz, 2.457 GHz", "R at resonance: 159.3 Ohm", "VSWR at resonance: 3.187",
      "Smallest |S11|: -12.35 dB at 1.9 GHz", "-10 dB band: 1.812 GHz to 1.957 GHz (7.654 %)"};
  EXPECT_EQ(rf::readoutLines(shown), expected);
}

}  // namespace

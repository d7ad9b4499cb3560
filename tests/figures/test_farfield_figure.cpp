// The Far-field figure and the pattern windows' captions and data cursor
// reading, in a whole run of the program on the README's 2.4 GHz FR-4 patch.

#include "antenna/patch_pattern.h"
#include "antenna/refined_model.h"
#include "design/main_window.h"
#include "figures/farfield_figure.h"
#include "figures/pattern_windows.h"
#include "fullwave/check.h"
#include "script/farfield_json.h"
#include "window/window_session.h"

namespace {

using namespace session;

constexpr double kRad = std::numbers::pi / 180;

const char* const kFr4Script =
    "type edit1 38\ntype edit2 29.5\ntype edit3 1.6\ntype edit4 4.4\ntype edit7 5\n"
    "type edit5 1.5\ntype edit6 3\n";

// The colours of the model's lines and of a solver's.
const std::vector<double> kModel = {0, 0.447, 0.741}, kSolver = {0.85, 0.325, 0.098};

// The lines of axes `ax` drawn in `colour` that hold data.
int drawnLines(double ax, const std::vector<double>& colour) {
  int n = 0;
  for (double l : rt::gfx::children(ax)) {
    if (rt::gfx::type(l) != "line" || rt::gfx::prop(l, "XData").numel() == 0) continue;
    const rt::Array& c = rt::gfx::prop(l, "Color");
    n += std::equal(colour.begin(), colour.end(), c.re().begin());
  }
  return n;
}

std::size_t blocks(const std::string& csv) {
  std::size_t n = 1;
  for (std::size_t at = csv.find("\n\n"); at != std::string::npos; at = csv.find("\n\n", at + 1))
    ++n;
  return n;
}

TEST(FarFieldFigure, ShowsTheModelAndASolversCutsOpensAtTheResonanceAndGivesTheGain) {
  inProgram([] {
    play(kFr4Script);
    EXPECT_THROW(figures::windowFarFieldCase(0.0), std::invalid_argument);
    const figures::FarFieldCase c = figures::windowFarFieldCase(2.4);
    EXPECT_NEAR(c.field.directivityDbi, 6.09, 0.01);
    EXPECT_NEAR(c.field.hpbwHDeg.value_or(0), 81.9, 0.1);
    EXPECT_FALSE(c.field.hpbwEDeg);
    EXPECT_FALSE(c.gainDbi()) << "the classic model is lossless";

    // A solver's result: a narrower beam of its own (cos^3 of the angle
    // in field, half power at 2^(-1/6)), cut from -180 to 180 degrees with a
    // lobe behind its finite board; the plots keep it all, floored.
    std::vector<double> angles, levels;
    for (int a = -180; a <= 180; a += 2) {
      angles.push_back(a);
      levels.push_back(std::abs(a) < 90 ? 60 * std::log10(std::cos(a * kRad))
                                        : (std::abs(a) >= 150 ? -18 : -300));
    }
    const figures::FullWaveCuts fw =
        figures::fullWaveCutsFrom(7.5, angles, levels, levels, "test solver");
    EXPECT_EQ(fw.field.ePlane.angleDeg.front(), -180);
    EXPECT_EQ(fw.field.hPlane.levelDb.at(140), antenna::kCutFloorDb);  // at 100 degrees
    EXPECT_NEAR(fw.field.hpbwEDeg.value_or(0), 2 * std::acos(std::pow(2, -1.0 / 6)) / kRad, 0.5);
    EXPECT_EQ(fw.field.maxThetaDeg, 0);
    EXPECT_THROW(figures::fullWaveCutsFrom(7.5, angles, levels, {}, ""), std::invalid_argument);
    const double fig = figures::showFarField(c, fw);
    EXPECT_TRUE(figures::isFarFieldFigure(fig));
    EXPECT_TRUE(shows(fig, "Behind the board (theta 180 deg): -18 dB"));
    const std::vector<double> axes = gtest_graphics::ofType(fig, "axes");
    ASSERT_EQ(axes.size(), 2u);
    EXPECT_EQ(drawnLines(axes[0], kModel), 1) << "the E-plane cut, no -3 dB marks";
    EXPECT_EQ(drawnLines(axes[1], kModel), 2) << "the H-plane cut and its marks";
    for (double ax : axes) EXPECT_EQ(drawnLines(ax, kSolver), 2);
    EXPECT_EQ(blocks(figures::shownCutsCsv()), 4u);

    // Shown again without one, in the same figure: the solver's go.
    EXPECT_EQ(figures::showFarField(c), fig);
    for (double ax : axes) EXPECT_EQ(drawnLines(ax, kSolver), 0);
    EXPECT_EQ(blocks(figures::shownCutsCsv()), 2u);
    rt::gfx::deleteObject(fig);
    EXPECT_THROW(figures::shownCutsCsv(), std::runtime_error);

    // Typing a band left the pattern slider at Fmin; a far field asked for
    // without a frequency is then at the resonance, and at the pattern
    // frequency once the user moves it.
    ASSERT_EQ(design::windowDesign().patternGhz, design::windowDesign().fminGhz);
    const double resonance = antenna::ghzFromHz(
        antenna::computeReadout(*design::shownImpedance(), 50).resonanceHz.front());
    EXPECT_EQ(figures::windowFarFieldCase().ghz, resonance);
    slide("slider6", 2.2);
    EXPECT_EQ(figures::windowFarFieldCase().ghz, 2.2);

    // Gain under the refined model is directivity less its losses; the open figure's readout
    // follows the choice of model.
    const double open = figures::showFarField(figures::windowFarFieldCase(2.4));
    EXPECT_TRUE(shows(open, "Gain: lossless") && shows(open, "Behind the board: nothing"));
    design::chooseModel(*antenna::impedanceModelNamed("refined"));
    EXPECT_TRUE(shows(open, " dBi (efficiency "));
    const figures::FarFieldCase refined = figures::windowFarFieldCase(2.4);
    design::chooseModel(antenna::ImpedanceModel());
    EXPECT_TRUE(shows(open, "Gain: lossless"));
    const double hz[] = {2.4e9};
    const double eff =
        antenna::refinedImpedance(refined.patch, design::chosenBoard(), hz).efficiency[0];
    ASSERT_TRUE(refined.efficiency && refined.gainDbi());
    EXPECT_EQ(*refined.efficiency, eff);
    EXPECT_TRUE(eff > 0.3 && eff < 1) << eff;
    EXPECT_NEAR(*refined.gainDbi(), refined.field.directivityDbi + 10 * std::log10(eff), 1e-12);
  });
}

// A solver's result is kept for the design it ran: shown beside the model's
// and printed under "fullwave" near its frequency, never for another design.
TEST(FarFieldFigure, ShowsTheKeptSolversResultForItsOwnDesignOnly) {
  inProgram([] {
    play(kFr4Script);
    fullwave::Result r;
    r.request.patch = design::windowDesign().patch;
    r.farField = fullwave::FarField{
        2.35e9, 4.2, 6.2, {-90, -45, 0, 45, 90}, {-20, -6, 0, -6, -20}, {-20, -2, 0, -2, -20}};
    figures::keepFullWaveResult(r);
    const figures::FarFieldCase c = figures::windowFarFieldCase();
    EXPECT_EQ(c.ghz, 2.35) << "the solver's frequency when none is asked";
    const std::string json = script::farFieldJson(c, figures::keptFullWaveCuts(c.patch, c.ghz));
    EXPECT_NE(json.find(", \"fullwave\": {\"frequency_ghz\": 2.35, \"model\": \"openEMS\", "
                        "\"directivity_dbi\": 6.2, \"gain_dbi\": null, \"efficiency\": null, "
                        "\"hpbw_e_deg\": 45, \"hpbw_h_deg\": 95, \"max_theta_deg\": 0, "
                        "\"max_phi_deg\": 0}}"),
              std::string::npos)
        << json;
    EXPECT_FALSE(figures::keptFullWaveCuts(c.patch, 2.4)) << "beyond the solver's dump step";
    const double fig = figures::showFarField(c);
    for (double ax : gtest_graphics::ofType(fig, "axes")) EXPECT_EQ(drawnLines(ax, kSolver), 2);

    fullwave::Result other = r;
    other.request.patch.length *= 1.01;
    figures::keepFullWaveResult(other);
    EXPECT_EQ(script::farFieldJson(c, figures::keptFullWaveCuts(c.patch, c.ghz)).find("fullwave"),
              std::string::npos);
    figures::showFarField(c);
    for (double ax : gtest_graphics::ofType(fig, "axes")) EXPECT_EQ(drawnLines(ax, kSolver), 0);

    // Opened for the window's design, the figure follows it to the design
    // the solver ran (as after a trim), with its cuts.
    figures::showWindowFarField(c, std::nullopt);
    type("edit2", "29.795");  // the length the solver ran, 1% longer
    for (double ax : gtest_graphics::ofType(fig, "axes")) EXPECT_EQ(drawnLines(ax, kSolver), 2);
  });
}

TEST(PatternWindows, NameTheirDesignAndReadTheCursorAsDirectionAndLevel) {
  inProgram([] {
    play(kFr4Script);
    type("edit8", "2.4");
    EXPECT_TRUE(figures::notePatternFigures());
    type("edit8", "2.5");
    EXPECT_TRUE(figures::notePatternFigures());
    EXPECT_FALSE(figures::notePatternFigures());
    const std::vector<double> figs = rt::gfx::figures();
    ASSERT_EQ(figs.size(), 3u);
    EXPECT_EQ(figures::patternCaption(mainWindow()), "");
    EXPECT_EQ(figures::patternCaption(figs[1]), "2.4 GHz, W 38 L 29.5 H 1.6 mm, er 4.4");
    EXPECT_EQ(figures::patternCaption(figs[2]), "2.5 GHz, W 38 L 29.5 H 1.6 mm, er 4.4");
    // A closed figure's number taken by a new pattern: no old caption.
    const double reused = figs[2];
    rt::gfx::deleteObject(reused);
    type("edit8", "2.6");
    ASSERT_TRUE(rt::gfx::exists(reused));
    EXPECT_EQ(figures::patternCaption(reused), "");
    figures::notePatternFigures();
    EXPECT_EQ(figures::patternCaption(reused).substr(0, 8), "2.6 GHz,");

    const std::vector<double> surfaces =
        gtest_graphics::ofType(gtest_graphics::ofType(figs[1], "axes").at(0), "surface");
    ASSERT_EQ(surfaces.size(), 1u);
    const double s = surfaces[0];
    // A grid point of the model's (theta, phi) = (60, 30) degrees
    // and the broadside one (90, 0), on the 91 x 91 grid.
    auto at = [s](const char* p, std::size_t row, std::size_t col) {
      return rt::gfx::prop(s, p).re()[col * 91 + row];
    };
    auto read = [&](std::size_t row, std::size_t col) {
      return figures::patternPoint(s, at("XData", row, col), at("YData", row, col),
                                   at("ZData", row, col), at("CData", row, col));
    };
    const auto p = read(60, 30), broadside = read(45, 45);
    ASSERT_TRUE(p && broadside);
    EXPECT_NEAR(broadside->thetaDeg, 0, 1e-9);
    EXPECT_NEAR(broadside->levelDb, 0, 1e-9);
    // The library's pattern at the direction read agrees with the
    // surface's amplitude there.
    const antenna::PatchPattern lib(
        {.width = 38e-3, .length = 29.5e-3, .height = 1.6e-3, .er = 4.4}, 2.4e9);
    EXPECT_NEAR(p->amplitude / broadside->amplitude,
                lib(p->thetaDeg * kRad, p->phiDeg * kRad) / lib(0, 0), 1e-4);
    EXPECT_NEAR(p->levelDb, 20 * std::log10(p->amplitude / broadside->amplitude), 1e-9);
    EXPECT_TRUE(p->phiDeg > 0 && p->phiDeg < 90) << p->phiDeg;
  });
}

}  // namespace

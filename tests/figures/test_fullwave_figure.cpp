// The Full-wave figure on a stand-in solver: a result is shown, in the
// Match figure too, from memory (its folder need not hold it), and the
// figure's trim, driven by the front end's ticker, runs until the target is
// met and types the trimmed design into the window; a large run is asked
// about before it starts.

#include <chrono>
#include <thread>

#include "design/commands.h"
#include "design/main_window.h"
#include "figures/fullwave_figure.h"
#include "figures/match_figure.h"
#include "fullwave/check.h"
#include "fullwave/fake_solver.h"
#include "window/window_session.h"

namespace {

using namespace session;

const char* const kFr4Script =
    "type edit1 38\ntype edit2 29.5\ntype edit3 1.6\ntype edit4 4.4\ntype edit7 9\n"
    "type edit5 1.68\ntype edit6 3.12\n";

// The front end's ticker, run at once until the figure's work is done.
void tickAtOnce() {
  figures::setFullWaveTicker([](int, std::function<bool()> tick) {
    while (tick()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  });
}

// The pushbutton of figure `fig` labelled `label`.
double button(double fig, const std::string& label) {
  for (double c : rt::gfx::children(fig))
    if (rt::gfx::type(c) == "uicontrol" && rt::gfx::prop(c, "String").text() == label) return c;
  return -1;
}

class FullWaveFigure : public fake_solver::FakeSolverTest {};

// The check of a large run says its size and asks; Check again for the same
// design is the yes, and the run starts.
TEST_F(FullWaveFigure, ALargeRunIsAskedAboutFirst) {
  inProgram([this] {
    play(std::string(kFr4Script) + "type edit6 300\n");
    tickAtOnce();
    const double fig = figures::checkWindowWithFullWave(fullwave::SolverQuality::Quick);
    EXPECT_TRUE(shows(fig, "million cells") && shows(fig, "Click Check again to run it anyway"));
    EXPECT_EQ(runs(), 0);
    rt::gfx::userAct(button(fig, "Check again"), {});
    figures::setFullWaveTicker(nullptr);
    EXPECT_TRUE(shows(fig, "done in"));
  });
  EXPECT_EQ(runs(), 1);
}

// A result is shown from memory, labelled with its design; once the
// window's design differs it is said to be of an earlier one, and Trim
// refuses to act on it.
TEST_F(FullWaveFigure, ShowsAResultFromMemoryTiedToItsDesign) {
  inProgram([] {
    play(kFr4Script);
    fullwave::Result r;
    r.request = design::windowRequest(fullwave::SolverQuality::Quick);
    r.folder = "/nonexistent/tessivar";
    r.solver = {{2.3e9, 2.4e9, 2.5e9}, {20, 50, 20}, {-20, 0, 20}};
    r.s11.hz = r.solver.hz;
    r.s11.s11 = {{-0.4, -0.3}, {0.01, 0}, {-0.4, 0.3}};
    figures::showFullWaveResult(r);
    const figures::MatchReadouts m = figures::matchReadouts();
    ASSERT_TRUE(m.overlay);
    EXPECT_NEAR(m.overlay->s11MinDb, -40, 1e-9);
    const auto figs = rt::gfx::figures();
    const double fig = *std::find_if(figs.begin(), figs.end(), figures::isFullWaveFigure);
    // The model's readout has the match figures the solver's has.
    EXPECT_TRUE(shows(fig,
                      "Model (classic)\nresonance 2.4257 GHz\nR there 61.22 Ohm\n"
                      "|S11| min -19.8 dB\n-10 dB band 38.2 MHz\n"));
    const std::string design = "W 38 mm, L 29.5 mm, feed 9 mm";
    EXPECT_TRUE(shows(fig, "0 cells) of " + design));
    EXPECT_EQ(rt::gfx::prop(fig, "Name").text(), "Full-wave check: " + design);
    EXPECT_EQ(m.overlayMatchesDesign, true);

    type("edit2", "29");
    EXPECT_TRUE(shows(fig, "has changed since this check"));
    EXPECT_EQ(figures::matchReadouts().overlayMatchesDesign, false);
    EXPECT_TRUE(shows(figures::openMatchFigure(), "Of an earlier design"));
    rt::gfx::userAct(button(fig, "Trim"), {});
    EXPECT_FALSE(bool(shows(fig, "running"))) << "a trim of a design the window no longer holds";
    type("edit2", "29.5");
    EXPECT_EQ(figures::matchReadouts().overlayMatchesDesign, true);
    EXPECT_FALSE(bool(shows(fig, "has changed since")));
  });
  EXPECT_EQ(runs(), 0);
}

TEST_F(FullWaveFigure, ItsTrimRunsUntilMetAndTypesTheDesign) {
  // The check answers 2% low; the trim's first run is that check again,
  // found kept, and its second the target.
  fake_solver::answerFromAList(dir_, {{2.35e9, 40}, {2.4e9, 50}});
  inProgram([] {
    play(kFr4Script);
    tickAtOnce();
    const double fig = figures::checkWindowWithFullWave(fullwave::SolverQuality::Draft);
    EXPECT_TRUE(shows(fig, "done in"));
    figures::trimInFullWaveFigure(2.4e9, 50);
    figures::setFullWaveTicker(nullptr);
    EXPECT_TRUE(shows(fig, "run 1: L 29.5000 mm, feed 9.0000 mm -> resonance 2.3") &&
                shows(fig, "trimmed; typed into the window"));
    EXPECT_NE(design::windowDesign().patch.length, 29.5e-3);
    // Typed as a board holds it, to a micrometre, which the box
    // shows whole and the slider keeps.
    const std::string typed = design::boxText(design::Quantity::length);
    EXPECT_LE(typed.size(), typed.find('.') + 4) << typed;
    EXPECT_EQ(design::windowDesign().patch.length, std::stod(typed) / 1000);
    // The last run's result is of the design the trim typed.
    EXPECT_EQ(figures::matchReadouts().overlayMatchesDesign, true);
    EXPECT_FALSE(bool(shows(fig, "has changed since")));
  });
  EXPECT_EQ(runs(), 2);
}

}  // namespace

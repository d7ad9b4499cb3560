// The Full-wave figure on a stand-in solver: a result is shown, in the
// Match figure too, from memory (its folder need not hold it), and the
// figure's trim, driven by the front end's ticker, runs until the target is
// met and types the trimmed design into the window; a large run is asked
// about before it starts.
#include <gtest/gtest.h>

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

// Every line of the text controls of figure `fig`.
std::string shownText(double fig) {
  std::string all;
  for (double c : rt::gfx::children(fig)) {
    if (rt::gfx::type(c) != "uicontrol") continue;
    const rt::Array& s = rt::gfx::prop(c, "String");
    if (s.isCell())
      for (const rt::Array& l : s.cells()) all += l.text() + "\n";
    else
      all += s.text() + "\n";
  }
  return all;
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
  EXPECT_EQ(
      run([this] {
        play(std::string(kFr4Script) + "type edit6 300\n");
        figures::setFullWaveTicker([](int, std::function<bool()> tick) {
          while (tick()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        });
        const double fig = figures::checkWindowWithFullWave(fullwave::SolverQuality::Quick);
        EXPECT_NE(shownText(fig).find("million cells"), std::string::npos) << shownText(fig);
        EXPECT_NE(shownText(fig).find("Click Check again to run it anyway"), std::string::npos)
            << shownText(fig);
        EXPECT_EQ(runs(), 0);
        rt::gfx::userAct(button(fig, "Check again"), {});
        figures::setFullWaveTicker(nullptr);
        EXPECT_NE(shownText(fig).find("done in"), std::string::npos) << shownText(fig);
      }),
      0);
  EXPECT_EQ(runs(), 1);
}

// A result is shown from memory, labelled with its design, and once the
// window's design differs it is said to be of an earlier one, and Trim
// refuses to act on it.
TEST_F(FullWaveFigure, ShowsAResultFromMemoryTiedToItsDesign) {
  EXPECT_EQ(run([] {
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
              // The model's readout has the match figures the solver's has.
              const auto figs = rt::gfx::figures();
              const double fig = *std::find_if(figs.begin(), figs.end(), figures::isFullWaveFigure);
              std::string text = shownText(fig);
              EXPECT_NE(text.find("Model (classic)\nresonance 2.4257 GHz\nR there 61.22 Ohm\n"
                                  "|S11| min -19.8 dB\n-10 dB band 38.2 MHz\n"),
                        std::string::npos)
                  << text;
              const std::string design = "W 38 mm, L 29.5 mm, feed 9 mm";
              EXPECT_NE(text.find("0 cells) of " + design), std::string::npos) << text;
              EXPECT_EQ(rt::gfx::prop(fig, "Name").text(), "Full-wave check: " + design);
              EXPECT_EQ(m.overlayMatchesDesign, true);

              type("edit2", "29");
              text = shownText(fig);
              EXPECT_NE(text.find("has changed since this check"), std::string::npos) << text;
              EXPECT_EQ(figures::matchReadouts().overlayMatchesDesign, false);
              EXPECT_NE(controlText(figures::openMatchFigure()).find("Of an earlier design"),
                        std::string::npos);
              rt::gfx::userAct(button(fig, "Trim"), {});
              EXPECT_EQ(shownText(fig).find("running"), std::string::npos) << "a stale trim ran";
              type("edit2", "29.5");
              EXPECT_EQ(figures::matchReadouts().overlayMatchesDesign, true);
              EXPECT_EQ(shownText(fig).find("has changed since"), std::string::npos);
            }),
            0);
  EXPECT_EQ(runs(), 0);
}

TEST_F(FullWaveFigure, ItsTrimRunsUntilMetAndTypesTheDesign) {
  // The check answers 2% low; the trim's first run is that check again,
  // found kept, and its second the target.
  fake_solver::answerFromAList(dir_, {{2.35e9, 40}, {2.4e9, 50}});
  EXPECT_EQ(run([] {
              play(kFr4Script);
              figures::setFullWaveTicker([](int, std::function<bool()> tick) {
                while (tick()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
              });
              const double fig = figures::checkWindowWithFullWave(fullwave::SolverQuality::Draft);
              EXPECT_NE(shownText(fig).find("done in"), std::string::npos) << shownText(fig);
              figures::trimInFullWaveFigure(2.4e9, 50);
              figures::setFullWaveTicker(nullptr);
              const std::string text = shownText(fig);
              EXPECT_NE(text.find("run 1: L 29.5000 mm, feed 9.0000 mm -> resonance 2.3"),
                        std::string::npos)
                  << text;
              EXPECT_NE(text.find("trimmed; typed into the window"), std::string::npos) << text;
              EXPECT_NE(design::windowDesign().patch.length, 29.5e-3);
              // Typed as a board holds it, to a micrometre, which the box
              // shows whole and the slider keeps.
              const std::string typed = design::boxText(design::Quantity::length);
              EXPECT_LE(typed.size(), typed.find('.') + 4) << typed;
              EXPECT_EQ(design::windowDesign().patch.length, std::stod(typed) / 1000);
              // The last run's result is of the design the trim typed.
              EXPECT_EQ(figures::matchReadouts().overlayMatchesDesign, true);
              EXPECT_EQ(text.find("has changed since"), std::string::npos) << text;
            }),
            0);
  EXPECT_EQ(runs(), 2);
}

}  // namespace

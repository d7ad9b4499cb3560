// The chosen impedance model end to end: the window's lines follow the
// refined model (a resonance where the cavity puts it, moving with the
// patch's length and feed) and give back exactly the classic ones, design searches the
// chosen model, the board dialog refuses nonsense, and saved designs, the
// board command and the match readout carry the model.

#include "design/commands.h"
#include "design/model_view.h"
#include "figures/board_dialog.h"
#include "window/window_session.h"

namespace {

using namespace session;

// The frequency (GHz) and value of the largest Y of the axes' line.
std::pair<double, double> peakOf(const char* axes) {
  const std::vector<double> f = data(axes, "XData"), y = data(axes, "YData");
  const auto k = std::max_element(y.begin(), y.end()) - y.begin();
  return {f.at(k), y.at(k)};
}

TEST(ModelView, RefinedCurvesInTheWindowTheClassicOnesBackExactlyAndDesignOnTheChosenOne) {
  design::followChosenModel();
  inProgram([] {
    play(kWorkedExampleScript);
    slide("slider4", 4.4);  // a fitting act
    const auto classicR = data("axes1", "YData"), classicX = data("axes2", "YData");
    const auto limitsR = limits("axes1", "YLim"), limitsX = limits("axes2", "YLim");

    design::chooseModel(*antenna::impedanceModelNamed("refined"));
    const auto r = data("axes1", "YData"), x = data("axes2", "YData");
    ASSERT_EQ(r.size(), classicR.size());
    EXPECT_NE(r, classicR);
    EXPECT_GE(*std::min_element(r.begin(), r.end()), 0);
    // The cavity's resonance by hand: Hammerstad's ee 4.03 and
    // fringe 0.736 mm give c / (2 (40 + 1.47) mm sqrt(ee)) = 1.80 GHz;
    // there R peaks and X falls through the resonance.
    const auto [f0, r0] = peakOf("axes1");
    EXPECT_NEAR(f0, 1.80, 0.03);
    const auto ghz = data("axes1", "XData");
    const auto k = std::find(ghz.begin(), ghz.end(), f0) - ghz.begin();
    EXPECT_GT(x.at(k - 20), x.at(k + 20));
    expectFitted();
    EXPECT_NE(rt::gfx::prop(tagged("tessivar:model"), "String")
                  .text()
                  .find("refined (loss tangent 0.02, copper thickness 35 um, "),
              std::string::npos);
    // An act draws the refined curve of the new design: 2 mm longer
    // lowers the resonance as the effective length grows, to 41.47 /
    // 43.47 of it; the feed 5 mm from the edge raises the peak R by
    // cos^2(pi 5 / 40) / cos^2(pi 10 / 40) = 1.71.
    slide("slider2", 42);
    EXPECT_NEAR(peakOf("axes1").first / f0, 41.47 / 43.47, 0.01);
    slide("slider2", 40);
    slide("slider5", 5);
    EXPECT_NEAR(peakOf("axes1").second / r0, 1.71, 0.17);
    slide("slider5", 10);
    EXPECT_EQ(data("axes1", "YData"), r);

    // Board and feed...: nonsense is refused in the dialog, a board is
    // taken and redraws.
    const double dialog = figures::openBoardDialog();
    const double tand = rt::findByTag(dialog, "board_tand").value();
    const double apply = rt::findByTag(dialog, figures::kBoardApply).value();
    for (const char* bad : {"0.5", "-1", "x", ""}) {
      rt::gfx::userAct(tand, {{"String", rt::str(bad)}});
      rt::gfx::userAct(apply, {});
      EXPECT_EQ(design::chosenBoard().lossTangent, 0.02) << bad;
      EXPECT_TRUE(shows(dialog, "Not applied"));
    }
    rt::gfx::userAct(tand, {{"String", rt::str("0.001")}});
    rt::gfx::userAct(apply, {});
    EXPECT_FALSE(rt::gfx::exists(dialog));
    EXPECT_EQ(design::chosenBoard().lossTangent, 0.001);
    EXPECT_GT(range(data("axes1", "YData"))[1], range(r)[1]);
    design::chooseBoard({});

    design::chooseModel(antenna::ImpedanceModel());
    EXPECT_EQ(data("axes1", "YData"), classicR);
    EXPECT_EQ(data("axes2", "YData"), classicX);
    EXPECT_EQ(limits("axes1", "YLim"), limitsR);
    EXPECT_EQ(limits("axes2", "YLim"), limitsX);
    EXPECT_EQ(tagged("tessivar:model"), -1) << "a classic curve captioned as refined";

    // Design searches the chosen model: on the refined one it peaks at F0
    // with Z0.
    design::chooseModel(*antenna::impedanceModelNamed("refined"));
    const antenna::Design d = design::designFor({2.4e9, 4.4, 1.6e-3, 50});
    design::chooseModel(antenna::ImpedanceModel());
    // The peak the window drew, in the refined model.
    EXPECT_NEAR(d.peakHz, 2.4e9, 2.4e6);
    EXPECT_NEAR(d.peakOhm, 50, 0.5);
    // The classic model puts the same target elsewhere.
    EXPECT_GT(std::abs(design::propose({2.4e9, 4.4, 1.6e-3, 50}).patch.length - d.patch.length),
              0.2e-3);
  });
}

class ModelScript : public ScriptTest {};

TEST_F(ModelScript, SavedDesignsCarryTheModelAndTheBoard) {
  Outcome saved = run("model refined\nboard tand=0.01 pin_mm=1\n" +
                      std::string(kWorkedExampleScript) + "save d.txt\ntouchstone t.s1p\n");
  ASSERT_EQ(saved.status, 0) << saved.err;
  EXPECT_NE(read("t.s1p").find("! model: refined, board tand=0.01 "), std::string::npos);
  const std::string file = read("d.txt");
  EXPECT_NE(file.find("\nmodel refined\nboard tand=0.01 copper_um=35 sigma=5.8e+07 pin_mm=1\n"),
            std::string::npos)
      << file;
  Outcome opened = run("open d.txt\nmatch\n");
  ASSERT_EQ(opened.status, 0) << opened.err;
  EXPECT_NE(opened.out.find("\"model\": \"refined\""), std::string::npos) << opened.out;
  const double efficiency = numbersAfter(opened.out, "efficiency").at(0);
  EXPECT_TRUE(efficiency > 0.2 && efficiency < 1) << opened.out;
  EXPECT_GT(numbersAfter(opened.out, "q").at(0), 5);

  // Without those lines a file is a classic design.
  std::ofstream(dir_ / "old.txt") << std::string(kWorkedExampleScript).replace(0, 0, "# old\n");
  Outcome old = run("model refined\nopen old.txt\nmatch\n");
  ASSERT_EQ(old.status, 0) << old.err;
  EXPECT_NE(old.out.find("\"model\": \"classic\", \"efficiency\": null, \"q\": null"),
            std::string::npos)
      << old.out;

  // Boards that make no sense are refused, naming why.
  Outcome refused = run(std::string(kWorkedExampleScript) +
                        "board tand=0.5\nboard pin_mm=0\nboard sigma=1\nboard foo=1\nboard "
                        "tand=x\nboard pin_mm=35\nmodel best\n");
  EXPECT_EQ(refused.status, 2);
  for (const char* why : {"loss tangent must lie between 0 and 0.1", "pin diameter must be",
                          "between 1e6 and 1e8 S/m", "not KEY=VALUE", "must be a number",
                          "smaller than the patch", "classic or refined"})
    EXPECT_NE(refused.err.find(why), std::string::npos) << why << "\n" << refused.err;
}

}  // namespace

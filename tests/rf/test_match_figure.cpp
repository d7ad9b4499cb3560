// The Match figure in a whole run of the program: it follows the window's
// impedance lines through user acts, keeps its last data while the band
// draws nothing, refuses a bad Z0 in the figure, and lets go when closed.
#include <gtest/gtest.h>

#include "rf/design_io.h"
#include "rf/match_figure.h"
#include "shell/test_window_session.h"

namespace {

using namespace session;

std::vector<double> objectsOf(double fig, std::string_view style) {
  std::vector<double> all, out;
  below(fig, all);
  for (double h : all)
    if (rt::gfx::type(h) == "uicontrol" && rt::gfx::prop(h, "Style").text() == style)
      out.push_back(h);
  return out;
}

// Every text the figure's controls show, one string.
std::string shownText(double fig) {
  std::string all;
  for (double h : objectsOf(fig, "text")) {
    const rt::Array& s = rt::gfx::prop(h, "String");
    if (s.isCell())
      for (const rt::Array& c : s.cells()) all += c.text() + "\n";
    else
      all += s.text() + "\n";
  }
  return all;
}

TEST(MatchFigure, FollowsTheWindowThroughUserActs) {
  EXPECT_EQ(run([] {
              play(kWorkedExampleScript);
              const double fig = rf::openMatchFigure();
              EXPECT_EQ(rf::openMatchFigure(), fig) << "a second figure was opened";
              EXPECT_EQ(rt::gfx::figures().size(), 2u);

              auto r = rf::matchReadouts().model;
              ASSERT_TRUE(r);
              ASSERT_FALSE(r->resonanceGhz.empty());
              EXPECT_NEAR(r->resonanceGhz[0], 1.8128128, 1e-7);
              EXPECT_NEAR(*r->rAtResonance, 159.3132, 1e-4);
              EXPECT_NE(shownText(fig).find("R at resonance: 159.3 Ohm"), std::string::npos);

              // A slider act redraws it from the new lines.
              slide("slider5", 5);
              const auto shown = rf::shownImpedance();
              ASSERT_TRUE(shown);
              EXPECT_EQ(rf::matchReadouts().model->rAtResonance,
                        rf::computeReadout(*shown, 50).rAtResonance);
              EXPECT_NE(*rf::matchReadouts().model->rAtResonance, 159.3132);

              // An empty band draws nothing: the last data stay, and it says so.
              const auto before = rf::matchReadouts().model->rAtResonance;
              type("edit6", "0.5");
              EXPECT_EQ(rf::matchReadouts().model->rAtResonance, before);
              EXPECT_NE(shownText(fig).find("The band draws nothing"), std::string::npos);
              type("edit6", "3");
              EXPECT_EQ(shownText(fig).find("The band draws nothing"), std::string::npos);
            }),
            0);
}

TEST(MatchFigure, RefusesABadZ0InTheFigureAndStartsAfreshOnceClosed) {
  EXPECT_EQ(run([] {
              play(kWorkedExampleScript);
              const double fig = rf::openMatchFigure();
              const std::vector<double> edits = objectsOf(fig, "edit");
              ASSERT_EQ(edits.size(), 1u);
              rt::gfx::userAct(edits[0], {{"String", rt::str("75")}});
              EXPECT_EQ(rf::matchZ0(), 75);
              EXPECT_EQ(rf::matchReadouts().model->z0, 75);
              for (const char* bad : {"-3", "0", "abc", "inf", ""}) {
                rt::gfx::userAct(edits[0], {{"String", rt::str(bad)}});
                EXPECT_EQ(rf::matchZ0(), 75) << bad;
                EXPECT_NE(shownText(fig).find("Z0 must be a finite positive number"),
                          std::string::npos);
                EXPECT_EQ(rt::gfx::prop(edits[0], "String").text(), "75");
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
              EXPECT_EQ(rf::matchReadouts().model->rAtResonance,
                        rf::computeReadout(*rf::shownImpedance(), 50).rAtResonance);
            }),
            0);
}

}  // namespace

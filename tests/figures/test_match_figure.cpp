// The Match figure in a whole run of the program: it follows the window's
// impedance lines through user acts, keeps its last data while the band
// draws nothing, refuses a bad Z0 in the figure, and lets go when closed.

#include "antenna/network.h"
#include "design/main_window.h"
#include "figures/match_figure.h"
#include "formats/touchstone.h"
#include "window/window_session.h"

namespace {

using namespace session;

// The objects below `fig` of a type, and of a style when one is given.
std::vector<double> objectsOf(double fig, std::string_view type, std::string_view style = "") {
  std::vector<double> all, out;
  below(fig, all);
  for (double h : all)
    if (rt::gfx::type(h) == type && (style.empty() || rt::gfx::prop(h, "Style").text() == style))
      out.push_back(h);
  return out;
}

// The R at resonance the figure holds for the model's lines.
std::optional<double> shownR() {
  return figures::matchReadouts().model->rAtResonance;
}

TEST(MatchFigure, FollowsTheWindowRefusesABadZ0StartsAfreshOnceClosedAndListsMarkers) {
  inProgram([] {
    play(kWorkedExampleScript);
    const double fig = figures::openMatchFigure();
    EXPECT_EQ(figures::openMatchFigure(), fig) << "a second figure was opened";
    EXPECT_EQ(rt::gfx::figures().size(), 2u);
    EXPECT_TRUE(shows(fig, "R at resonance: 159.3 Ohm"));

    // A slider act redraws it from the new lines.
    slide("slider5", 5);
    EXPECT_FALSE(shows(fig, "R at resonance: 159.3 Ohm"));

    // An empty band draws nothing: the last data stay, and it says so; so
    // do letters in W, which leave the window's lines without numbers.
    const char* const unusable[][4] = {
        {"edit6", "0.5", "3", "The band draws nothing"},
        {"edit1", "abc", "30", "The band draws nothing (W: 'abc' is not a number)"}};
    for (const auto& [tag, bad, good, said] : unusable) {
      const auto kept = shownR();
      type(tag, bad);
      EXPECT_EQ(shownR(), kept) << tag;
      EXPECT_TRUE(shows(fig, said));
      type(tag, good);
      EXPECT_FALSE(shows(fig, "The band draws nothing"));
    }

    // A bad Z0 typed into the figure is refused there.
    const std::vector<double> edits = objectsOf(fig, "uicontrol", "edit");
    ASSERT_EQ(edits.size(), 1u);
    for (const char* typed : {" 75 ", "-3", "0", "abc", "inf", "", "nan", "50 ohm", "1e999"}) {
      rt::gfx::userAct(edits[0], {{"String", rt::str(typed)}});
      EXPECT_TRUE(figures::matchZ0() == 75 && figures::matchReadouts().model->z0 == 75) << typed;
      EXPECT_EQ(rt::gfx::prop(edits[0], "String").text(), "75");
      EXPECT_EQ(bool(shows(fig, "Z0 must be a finite positive number")),
                std::string_view(typed) != " 75 ");
    }
    EXPECT_THROW(figures::setMatchZ0(-1), std::invalid_argument);
    EXPECT_EQ(figures::matchZ0(), 75);

    // Closed, it stops following; opened again, it starts afresh.
    rt::gfx::closeRequest(fig);
    EXPECT_FALSE(figures::matchFigureOpen());
    slide("slider5", 4);  // no figure to redraw, no error
    EXPECT_EQ(rt::gfx::figures().size(), 1u);
    EXPECT_EQ(figures::matchZ0(), 50);
    slide("slider5", 10);
    const double again = figures::openMatchFigure();
    EXPECT_TRUE(shows(again, "R at resonance: 159.3 Ohm"));

    // Markers are listed in the readout, the band ends named on the chart,
    // and the figure says why it stops following the window.
    figures::addMatchMarker(2.0);
    figures::addMatchMarker(2.5);
    EXPECT_TRUE(shows(again, "Marker 1: 2 GHz, Z = ") && shows(again, "Marker 2: 2.5 GHz"));
    // Named once, and across the room the empty panels leave.
    EXPECT_TRUE(shows(again, "Model: classic transmission line, Z0 = 50 Ohm"));
    EXPECT_FALSE(shows(again, "Model, Z0"));
    double modelPanelWidth = 0;
    for (double h : objectsOf(again, "uicontrol", "text")) {
      const rt::Array& lines = rt::gfx::prop(h, "String");
      if (lines.isCell() && !lines.cells().empty() && lines.cells()[0].text().starts_with("Model:"))
        modelPanelWidth = rt::gfx::prop(h, "Position").re()[2];
    }
    EXPECT_GT(modelPanelWidth, 0.9);
    auto texts = [again] {
      std::string said;
      for (double h : objectsOf(again, "text")) said += rt::gfx::prop(h, "String").text() + ";";
      return said;
    };
    EXPECT_NE(texts().find("  1 GHz;  3 GHz;"), std::string::npos) << texts();
    // A file of the same band beside: its end labels would lie on the
    // model's, which name them too.
    const antenna::Sweep m = *design::shownImpedance();
    formats::OnePort file{m.hz, {}, 50};
    for (std::size_t i = 0; i < m.hz.size(); ++i)
      file.s11.push_back(antenna::sFromZ({m.r[i], m.x[i] + 1}, 50));
    figures::overlayOnePort(file, "File", std::nullopt);
    EXPECT_EQ(texts().find("GHz", texts().find("3 GHz") + 3), std::string::npos) << texts();

    type("edit5", "4");
    EXPECT_TRUE(shows(again, "(Fmin is above Fmax"));
    rt::gfx::closeRequest(mainWindow());
    EXPECT_TRUE(shows(again, "The main window is closed"));
  });
}

}  // namespace

// The callbacks of the main window, driven as user acts (rt::gfx::userAct)
// on the real window of a headless run, grouped by the control acted on.

#include "window/window_session.h"

namespace {

using namespace session;
using Strings = std::vector<std::string>;

// A design with a band, so that the model draws: W 30, L 40, H 1.6, er 4.4,
// band 1 to 3 GHz.
const char* const kWideDesign =
    "type edit1 30\ntype edit2 40\ntype edit3 1.6\ntype edit4 4.4\ntype edit5 1\ntype edit6 3\n";

// Runs a session that must end with status 0 and report nothing.
void inSession(const std::function<void()>& steps) {
  EXPECT_EQ(messagesOf([&] { EXPECT_EQ(run(steps), 0); }), Strings{});
}

TEST(Partners, SliderAndEditMirrorEachOtherAndTextThatIsNoNumberDrawsNaN) {
  inSession([] {
    for (int i = 1; i <= 5; ++i) {
      const std::string slider = "slider" + std::to_string(i);
      const std::string edit = "edit" + std::to_string(i < 5 ? i : 7);
      SCOPED_TRACE(slider);
      slide(slider, 4.4);
      EXPECT_EQ(text(edit), "4.4");
      type(edit, "2.25");
      EXPECT_EQ(number(slider), 2.25);
    }
    EXPECT_EQ(lineCount("axes1") + lineCount("axes2"), 0u) << "drawn without a band";
    play(kWideDesign);
    // Text that is no number reaches the slider as NaN; the box keeps it.
    type("edit3", "thick");
    EXPECT_TRUE(std::isnan(number("slider3")));
    EXPECT_EQ(text("edit3"), "thick");
    const std::vector<double> y = data("axes1", "YData");
    ASSERT_EQ(y.size(), 1000u);
    EXPECT_TRUE(std::all_of(y.begin(), y.end(), [](double v) { return std::isnan(v); }));
    slide("slider3", 1.6);
    EXPECT_FALSE(std::isnan(data("axes1", "YData")[0]));
  });
}

TEST(PatchSize, TheLengthSetsTheFeedOffsetRangeAndTheWidthRedrawsAndFitsBothAxes) {
  inSession([] {
    slide("slider2", 29.5);
    EXPECT_EQ(number("slider5", "Max"), 14.75);
    EXPECT_EQ(text("text27"), "14.75");
    play(kWideDesign);
    // A non-zero offset redraws the curves without fitting the axes.
    const std::vector<double> fitted = limits("axes1", "YLim"), y = data("axes1", "YData");
    type("edit7", "12");
    EXPECT_NE(data("axes1", "YData"), y) << "the curve was not redrawn";
    EXPECT_EQ(limits("axes1", "YLim"), fitted) << "the offset's callback fitted the axes";
    EXPECT_NE(range(data("axes1", "YData")), fitted);
    type("edit2", "20");
    EXPECT_EQ(number("slider5", "Max"), 10);
    EXPECT_EQ(text("text27"), "10");
    // The offset stays, even above the new maximum, and is not clamped when typed.
    EXPECT_EQ(number("slider5"), 12);
    expectFitted();
    type("edit7", "70");
    EXPECT_EQ(number("slider5"), 70);
    // The width redraws and fits both axes: with a non-zero offset the model
    // leaves the limits alone; the width's callback fits them all the same.
    play(kWideDesign);
    const std::vector<double> before = data("axes1", "YData");
    slide("slider1", 100);
    EXPECT_EQ(text("edit1"), "100");
    EXPECT_NE(data("axes1", "YData"), before) << "the resistance was not recomputed";
    expectFitted();
    EXPECT_EQ(number("figure1", "CurrentAxes"), tagged("axes2"))
        << "axes2 ends as the current axes";
    type("edit7", "10");
    slide("slider1", 60);
    expectFitted();
  });
}

TEST(Band, ItsEndsSetThePatternSliderItsPatternsLeaveTheCurvesAndAnEmptyOneKeepsThem) {
  inSession([] {
    type("edit5", "1");
    EXPECT_EQ((std::vector{number("slider6", "Min"), number("slider6"), number("slider6", "Max")}),
              (std::vector<double>{1, 1, 0}));
    EXPECT_EQ(text("edit8") + text("text30") + text("text30", "Visible"), "11off");
    EXPECT_EQ(lineCount("axes1"), 0u);
    EXPECT_EQ(rt::gfx::figures().size(), 1u) << "the pattern is not run";

    type("edit6", "3");
    EXPECT_EQ(number("slider6", "Max"), 3);
    EXPECT_EQ(number("slider6"), 1) << "Fmax leaves the pattern frequency";
    for (const char* label : {"text30", "text31"}) EXPECT_EQ(text(label, "Visible"), "on");
    EXPECT_EQ(text("text31"), "3");
    EXPECT_EQ(range(data("axes1", "XData")), (std::vector<double>{1, 3}));
    expectFitted();
    // Each pattern frequency opens a pattern and leaves the impedance alone.
    play(kWideDesign);  // the pattern slider is at 1 on the band 1 to 3
    const std::vector<double> y = data("axes1", "YData"), lim = limits("axes2", "YLim");
    const double current = number("figure1", "CurrentAxes");
    slide("slider6", 2.4);
    EXPECT_EQ(text("edit8"), "2.4");
    ASSERT_EQ(rt::gfx::figures().size(), 2u);
    EXPECT_EQ(data("axes1", "YData"), y);
    EXPECT_EQ(limits("axes2", "YLim"), lim);
    EXPECT_EQ(number("figure1", "CurrentAxes"), current);
    type("edit8", "2");
    EXPECT_EQ(number("slider6"), 2);
    EXPECT_EQ(rt::gfx::figures().size(), 3u) << "each pattern opens its own figure";
    // No pattern below 0 GHz: refused as text that is no number is.
    EXPECT_EQ(
        messagesOf([] { type("edit8", "-1"); }),
        Strings{"The radiation pattern frequency cannot be below 0 GHz (0 draws no pattern)."});
    EXPECT_EQ(number("slider6"), 2);
    EXPECT_EQ(rt::gfx::figures().size(), 3u);
    type("edit8", "0");  // a pattern frequency of 0 draws nothing
    EXPECT_EQ(number("slider6"), 0);
    EXPECT_EQ(rt::gfx::figures().size(), 3u);
    // The impedance callbacks find their axes while a pattern is current.
    slide("slider1", 40);
    EXPECT_NE(data("axes1", "YData"), y);
    expectFitted();
  });
  // Fmax alone, or a band that is empty, keeps the curves and the limits.
  inSession([] {
    type("edit6", "3");
    EXPECT_EQ(lineCount("axes1"), 0u);
    EXPECT_EQ(text("text31", "Visible"), "on");
    type("edit5", "2");
    EXPECT_EQ(data("axes2", "XData").front(), 2);
    play(kWideDesign);
    const std::vector<double> y = data("axes1", "YData"), lim = limits("axes1", "YLim");
    for (auto [edit, typed] : {std::pair{"edit6", "0.5"}, {"edit6", "1"}, {"edit5", "oops"}}) {
      SCOPED_TRACE(typed);
      type(edit, typed);
      EXPECT_EQ(data("axes1", "YData"), y);
      EXPECT_EQ(limits("axes1", "YLim"), lim);
    }
    EXPECT_EQ(text("text31"), "1");
    EXPECT_TRUE(std::isnan(number("slider6", "Min")));
    EXPECT_EQ(text("edit8"), "NaN");
  });
}

}  // namespace

// The callbacks of the main window, driven as user acts (rt::gfx::userAct)
// on the real window of a headless run, grouped by the control acted on.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "shell/test_window_session.h"

namespace {

using namespace session;

double currentAxes() {
  return rt::gfx::prop(session::mainWindow(), "CurrentAxes").scalar();
}

// A design with a band, so that the model draws: W 30, L 40, H 1.6, er 4.4,
// band 1 to 3 GHz, offset 0.
void wideDesign() {
  play(
      "type edit1 30\ntype edit2 40\ntype edit3 1.6\ntype edit4 4.4\ntype edit5 1\ntype edit6 3\n");
}

// Runs a session that must end with status 0; gives what it reported.
std::string sessionErrors(const std::function<void()>& steps) {
  testing::internal::CaptureStderr();
  int status = session::run(steps);
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 0);
  return errors;
}
void inSession(const std::function<void()>& steps) {
  EXPECT_EQ(sessionErrors(steps), "") << "the session reported errors";
}

// ------------------------------------------------------------ W, H and er

// Each slider writes its partner edit box, and each box its slider.
TEST(Partners, SliderAndEditMirrorEachOther) {
  inSession([] {
    const std::pair<const char*, const char*> partners[] = {{"slider1", "edit1"},
                                                            {"slider2", "edit2"},
                                                            {"slider3", "edit3"},
                                                            {"slider4", "edit4"},
                                                            {"slider5", "edit7"}};
    for (auto [slider, edit] : partners) {
      SCOPED_TRACE(slider);
      slide(slider, 4.4);
      EXPECT_EQ(text(edit), "4.4");
      type(edit, "2.25");
      EXPECT_EQ(number(slider), 2.25);
      EXPECT_EQ(text(edit), "2.25");
    }
    // Typed text that is no number reaches the slider as NaN; the box keeps it.
    type("edit3", "thick");
    EXPECT_TRUE(std::isnan(number("slider3")));
    EXPECT_EQ(text("edit3"), "thick");
    // Without a band the model draws nothing, and nothing fails.
    EXPECT_EQ(lineCount("axes1"), 0u);
    EXPECT_EQ(lineCount("axes2"), 0u);
  });
}

TEST(PatchWidth, SliderAndEditRedrawAndFitBothAxes) {
  inSession([] {
    wideDesign();
    std::vector<double> before = data("axes1", "YData");
    slide("slider1", 100);
    EXPECT_EQ(text("edit1"), "100");
    ASSERT_EQ(data("axes1", "YData").size(), 1000u);
    EXPECT_NE(data("axes1", "YData"), before) << "the resistance was not recomputed";
    EXPECT_EQ(data("axes1", "XData").front(), 1);
    EXPECT_EQ(data("axes1", "XData").back(), 3);
    expectFitted();
    EXPECT_EQ(currentAxes(), tagged("axes2")) << "axes2 ends as the current axes";
    // edit1's callback carries a trailing semicolon and still runs; the model
    // reads the slider, so either control draws the same curve.
    std::vector<double> slid = data("axes2", "YData");
    type("edit1", "50");
    type("edit1", "100");
    EXPECT_EQ(number("slider1"), 100);
    EXPECT_EQ(lineCount("axes1"), 1u) << "replacechildren keeps one line per axes";
    EXPECT_EQ(data("axes2", "YData"), slid);
    // With a non-zero offset the model leaves the limits alone; the width's
    // callback fits them all the same.
    type("edit7", "10");
    slide("slider1", 60);
    expectFitted();
  });
}

TEST(SubstrateHeight, TextThatIsNoNumberDrawsNaNUntilASoundValue) {
  inSession([] {
    wideDesign();
    type("edit3", "thick");
    std::vector<double> y = data("axes1", "YData");
    ASSERT_EQ(y.size(), 1000u);
    EXPECT_TRUE(std::all_of(y.begin(), y.end(), [](double v) { return std::isnan(v); }));
    slide("slider3", 1.6);
    EXPECT_FALSE(std::isnan(data("axes1", "YData")[0]));
  });
}

// ------------------------------------------------------ length and offset

TEST(PatchLength, SetsTheFeedOffsetRangeToHalfTheLengthButNotTheOffset) {
  inSession([] {
    slide("slider2", 29.5);
    EXPECT_EQ(number("slider5", "Max"), 14.75);
    EXPECT_EQ(text("text27"), "14.75");
    EXPECT_EQ(number("slider5"), 0);
    wideDesign();
    type("edit7", "12");
    type("edit2", "20");
    EXPECT_EQ(number("slider5", "Max"), 10);
    EXPECT_EQ(text("text27"), "10");
    // The offset stays, even above the new maximum.
    EXPECT_EQ(number("slider5"), 12);
    EXPECT_EQ(text("edit7"), "12");
    expectFitted();
    // Typed, the offset is not clamped to its slider's range either.
    type("edit7", "70");
    EXPECT_EQ(number("slider5"), 70);
  });
}

TEST(FeedOffset, NonZeroOffsetRedrawsWithoutFittingTheAxes) {
  inSession([] {
    wideDesign();  // offset 0: the axes are fitted
    std::vector<double> fitted = limits("axes1", "YLim");
    std::vector<double> before = data("axes1", "YData");
    slide("slider5", 10);
    EXPECT_NE(data("axes1", "YData"), before) << "the curve was not redrawn";
    EXPECT_EQ(limits("axes1", "YLim"), fitted) << "the offset's callback fitted the axes";
    EXPECT_NE(range(data("axes1", "YData")), fitted);
  });
}

// --------------------------------------------------------------- the band

TEST(Band, FminAloneMovesThePatternSliderAndFmaxShowsTheRange) {
  inSession([] {
    type("edit5", "1");
    EXPECT_EQ(number("slider6", "Min"), 1);
    EXPECT_EQ(number("slider6", "Value"), 1);
    EXPECT_EQ(number("slider6", "Max"), 0);
    EXPECT_EQ(text("edit8"), "1");
    EXPECT_EQ(text("text30"), "1");
    EXPECT_EQ(prop("text30", "Visible").text(), "off");
    EXPECT_EQ(lineCount("axes1"), 0u);
    EXPECT_EQ(rt::gfx::figures().size(), 1u) << "the pattern is not run";

    type("edit6", "3");
    EXPECT_EQ(number("slider6", "Max"), 3);
    EXPECT_EQ(number("slider6", "Value"), 1) << "Fmax leaves the pattern frequency";
    for (const char* label : {"text30", "text31"}) EXPECT_EQ(text(label, "Visible"), "on");
    EXPECT_EQ(text("text31"), "3");
    std::vector<double> x = data("axes1", "XData");
    ASSERT_EQ(x.size(), 1000u);
    EXPECT_EQ(x.front(), 1);
    EXPECT_EQ(x.back(), 3);
    expectFitted();
  });
}

TEST(Band, FmaxFirstThenFmin) {
  inSession([] {
    type("edit6", "3");
    EXPECT_EQ(lineCount("axes1"), 0u);
    EXPECT_EQ(prop("text31", "Visible").text(), "on");
    type("edit5", "2");
    EXPECT_EQ(data("axes2", "XData").front(), 2);
    expectFitted();
  });
}

TEST(Band, EmptyBandKeepsTheCurvesAndTheLimits) {
  inSession([] {
    wideDesign();
    std::vector<double> y = data("axes1", "YData");
    std::vector<double> lim = limits("axes1", "YLim");
    type("edit6", "0.5");  // below Fmin
    EXPECT_EQ(text("text31"), "0.5");
    EXPECT_EQ(data("axes1", "YData"), y);
    EXPECT_EQ(limits("axes1", "YLim"), lim);
    type("edit6", "1");  // equal to Fmin
    EXPECT_EQ(data("axes1", "YData"), y);
    type("edit5", "oops");  // not a number
    EXPECT_TRUE(std::isnan(number("slider6", "Min")));
    EXPECT_EQ(text("edit8"), "NaN");
    EXPECT_EQ(data("axes1", "YData"), y);
  });
}

// ------------------------------------------------------- pattern frequency

TEST(PatternFrequency, EachValueOpensAPatternAndLeavesTheImpedanceAlone) {
  inSession([] {
    wideDesign();
    std::vector<double> y = data("axes1", "YData");
    std::vector<double> lim = limits("axes2", "YLim");
    double current = currentAxes();
    slide("slider6", 2.4);
    EXPECT_EQ(text("edit8"), "2.4");
    ASSERT_EQ(rt::gfx::figures().size(), 2u);
    EXPECT_EQ(data("axes1", "YData"), y);
    EXPECT_EQ(limits("axes2", "YLim"), lim);
    EXPECT_EQ(currentAxes(), current);
    type("edit8", "2");
    EXPECT_EQ(number("slider6"), 2);
    EXPECT_EQ(rt::gfx::figures().size(), 3u) << "each pattern opens its own figure";
    type("edit8", "0");  // a pattern frequency of 0 draws nothing
    EXPECT_EQ(number("slider6"), 0);
    EXPECT_EQ(rt::gfx::figures().size(), 3u);
    // The impedance callbacks find their axes while a pattern is current.
    slide("slider1", 40);
    EXPECT_NE(data("axes1", "YData"), y);
    expectFitted();
  });
}

TEST(PatternFrequency, TextThatIsNotOneNumberIsRefusedWithAMessage) {
  std::string errors = sessionErrors([] {
    wideDesign();  // the pattern slider is at 1 on the band 1 to 3
    for (const char* typed : {"fast", "1 2", ""}) {
      SCOPED_TRACE(typed);
      type("edit8", typed);
      EXPECT_EQ(prop("slider6", "Value").numel(), 1u);
      EXPECT_EQ(number("slider6"), 1) << "the slider lost its value";
      EXPECT_EQ(rt::gfx::figures().size(), 1u) << "the pattern ran";
    }
  });
  const std::string m = "The radiation pattern frequency must be one number (in GHz).\n";
  EXPECT_EQ(errors, m + m + m);
}

// ------------------------------------------------------------- failures

TEST(Failures, AnErrorEndsTheCallbackAndKeepsTheWritesBeforeIt) {
  std::string errors = sessionErrors([] {
    wideDesign();
    std::vector<double> y = data("axes1", "YData");
    // Without the feed-offset slider, the length's callback fails at its
    // third write; its first write stays and the model does not run.
    rt::gfx::deleteObject(tagged("slider5"));
    type("edit2", "30");
    EXPECT_EQ(number("slider2"), 30);
    EXPECT_EQ(text("text27"), "20") << "a write after the failing step was made";
    EXPECT_EQ(data("axes1", "YData"), y) << "the model ran after the failure";
    // Callbacks that do not need the missing slider go on working.
    type("edit8", "2");
    EXPECT_EQ(rt::gfx::figures().size(), 2u);
  });
  EXPECT_NE(errors.find("slider5"), std::string::npos) << errors;
}

// ------------------------------------------------------------ a session

TEST(Session, ADozenActsThenClosingLeavesNothingAlive) {
  const std::size_t live = rt::liveArrays();
  inSession([] {
    play(
        "type edit5 2\ntype edit6 3\nslide slider1 38\ntype edit2 29.5\nslide slider3 1.6\n"
        "type edit4 4.4\nslide slider5 9\ntype edit7 8\nslide slider2 30\ntype edit3 1.5\n"
        "slide slider6 2.4\ntype edit8 2.45\ntype edit1 37\n");
    EXPECT_EQ(rt::gfx::figures().size(), 3u);
    EXPECT_EQ(data("axes1", "XData").size(), 1000u);
  });
  EXPECT_EQ(rt::liveArrays(), live) << "arrays outlived the session";
}

}  // namespace

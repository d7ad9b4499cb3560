// The main window as the program opens it: run headless through rt::runMain
// with the real start-up record, and inspected before any user act.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "shell/test_window_session.h"

namespace {

using session::number;
using session::prop;
using session::text;

// Runs the program and checks the window with `check` while it is open.
void atStartUp(const std::function<void()>& check) {
  ASSERT_EQ(session::run([&] {
              ASSERT_GE(session::mainWindow(), 0) << "the main window did not open";
              check();
            }),
            0);
}

TEST(WindowAtStartUp, NothingIsComputedYet) {
  atStartUp([] {
    for (const char* ax : {"axes1", "axes2"}) {
      SCOPED_TRACE(ax);
      EXPECT_EQ(session::lineCount(ax), 0u) << "an axes holds a line before any callback";
      EXPECT_EQ(text(ax, "XGrid"), "on");
      EXPECT_EQ(text(ax, "YGrid"), "on");
      EXPECT_EQ(text(ax, "NextPlot"), "replacechildren");
    }
    EXPECT_EQ(text("edit5"), "");
    EXPECT_EQ(text("edit6"), "");
    // The pattern frequency has an empty range and hidden range labels.
    EXPECT_EQ(number("slider6", "Min"), 0);
    EXPECT_EQ(number("slider6", "Max"), 0);
    EXPECT_EQ(number("slider6", "Value"), 0);
    for (const char* label : {"text30", "text31"}) {
      EXPECT_EQ(text(label, "Visible"), "off") << label;
      EXPECT_EQ(text(label), "0") << label;
    }
    // The feed offset's range is half the initial length, and so is its label.
    EXPECT_EQ(number("slider5", "Min"), 0);
    EXPECT_EQ(number("slider5", "Max"), 0.5);
    EXPECT_EQ(text("text27"), "0.5");
    EXPECT_EQ(rt::gfx::figures().size(), 1u) << "a pattern was opened";
  });
}

TEST(WindowAtStartUp, ControlsAndTheirCallbacks) {
  atStartUp([] {
    // edit1 alone carries a trailing semicolon; the callbacks tests drive
    // every other control through its callback string.
    EXPECT_EQ(text("edit1", "Callback"), "inter_func_e1;");
    EXPECT_EQ(text("slider6", "CreateFcn"), "warning off");
    EXPECT_FALSE(rt::warningsEnabled()) << "slider6's creation function did not run";

    std::map<std::string, int> styles;
    for (double c : rt::gfx::children(session::mainWindow()))
      if (rt::gfx::type(c) == "uicontrol") ++styles[rt::gfx::prop(c, "Style").text()];
    EXPECT_EQ(styles,
              (std::map<std::string, int>{{"edit", 8}, {"frame", 8}, {"slider", 6}, {"text", 30}}));
    EXPECT_EQ(session::tagged("text22"), -1) << "there is no text22";

    // The window is reached only by callbacks.
    EXPECT_EQ(rt::gfx::prop(session::mainWindow(), "HandleVisibility").text(), "callback");
    EXPECT_EQ(rt::findobj({rt::str("Tag"), rt::str("figure1")}).numel(), 0u);
  });
}

}  // namespace

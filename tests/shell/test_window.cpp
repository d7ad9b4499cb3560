// The main window as the program opens it: run headless through rt::runMain
// with the real start-up record, and inspected before any user act.
#include <gtest/gtest.h>

#include "shell/test_window_session.h"

namespace {

using session::number;
using session::text;

TEST(WindowAtStartUp, NothingIsComputedAndOnlyCallbacksReachTheWindow) {
  ASSERT_EQ(session::run([] {
              ASSERT_GE(session::mainWindow(), 0) << "the main window did not open";
              for (const char* ax : {"axes1", "axes2"})
                EXPECT_EQ(session::lineCount(ax), 0u) << ax << " holds a line before any callback";
              EXPECT_EQ(rt::gfx::figures().size(), 1u) << "a pattern was opened";
              // The pattern frequency has an empty range and hidden range labels.
              for (const char* p : {"Min", "Max", "Value"}) EXPECT_EQ(number("slider6", p), 0) << p;
              for (const char* label : {"text30", "text31"}) {
                EXPECT_EQ(text(label, "Visible"), "off") << label;
                EXPECT_EQ(text(label), "0") << label;
              }
              // The feed offset's range is half the initial length, and so is its label.
              EXPECT_EQ(number("slider5", "Max"), 0.5);
              EXPECT_EQ(text("text27"), "0.5");
              EXPECT_FALSE(rt::warningsEnabled()) << "slider6's creation function did not run";
              EXPECT_EQ(rt::gfx::prop(session::mainWindow(), "HandleVisibility").text(),
                        "callback");
              EXPECT_EQ(rt::findobj({rt::str("Tag"), rt::str("figure1")}).numel(), 0u);
            }),
            0);
}

}  // namespace

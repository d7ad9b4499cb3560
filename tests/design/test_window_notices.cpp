// The main window's standing notice on the real window without a display:
// each cause named with its box and value, and gone with its cause.
#include <gtest/gtest.h>

#include "design/window_notices.h"
#include "shell/test_window_session.h"

namespace {

using namespace session;

std::string notice() {
  return design::windowNotice(mainWindow());
}

TEST(WindowNotices, EachCauseIsNamedAndGoesWithIt) {
  EXPECT_EQ(
      run([] {
        // At start the band comes first.
        EXPECT_NE(notice().find("Type a band in Fmin and Fmax"), std::string::npos);
        play(kWorkedExampleScript);
        EXPECT_EQ(notice(), "");

        type("edit1", "abc");
        EXPECT_EQ(notice(), "W: 'abc' is not a number");
        type("edit1", "30");
        EXPECT_EQ(notice(), "");

        // The pattern box's "NaN" is the window's echo of Fmin.
        type("edit5", "2,4");
        EXPECT_EQ(notice(), "Fmin: '2,4' is not a number");
        type("edit5", "1");

        type("edit5", "4");
        EXPECT_EQ(notice(), "Fmin is above Fmax: the curves are from the last valid band");
        type("edit5", "-1");
        EXPECT_EQ(notice(), "a band below 0 GHz has no physical meaning (Fmin -1 GHz, Fmax 3 GHz)");
        type("edit5", "1");

        type("edit4", "0.5");
        EXPECT_EQ(notice(),
                  "er 0.5 is below the slider's range 1 to 20: the thumb is drawn orange "
                  "at its end");
        type("edit4", "4.4");
        type("edit1", "1e9");
        EXPECT_NE(notice().find("W 1e+09 is above the slider's range 1 to 300"), std::string::npos);
        type("edit1", "30");
        EXPECT_EQ(notice(), "");
      }),
      0);
}

}  // namespace

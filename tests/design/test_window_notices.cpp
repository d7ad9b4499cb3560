// The main window's standing notice on the real window without a display:
// each cause named with its box and value, and gone with its cause.

#include "design/window_notices.h"
#include "window/window_session.h"

namespace {

using namespace session;

// One act a row, in order: the box, the text typed, and the whole notice
// after it.
constexpr const char* kSteps[][3] = {
    {"edit1", "abc", "W: 'abc' is not a number"},
    {"edit1", "30", ""},
    {"edit2", "4\xc2\x9bJ", "L: '4\\x9bJ' is not a number"},  // C1: CSI, escaped
    {"edit2", "30", ""},
    // The pattern box's "NaN" is the window's echo of Fmin: named at Fmin.
    {"edit5", "2,4", "Fmin: '2,4' is not a number"},
    {"edit5", "4", "Fmin is above Fmax: the curves are from the last valid band"},
    {"edit5", "-1", "a band below 0 GHz has no physical meaning (Fmin -1 GHz, Fmax 3 GHz)"},
    {"edit5", "1", ""},
    {"edit4", "0.5",
     "er 0.5 is below the slider's range 1 to 20: the thumb is drawn orange at its end"},
    {"edit4", "4.4", ""},
    {"edit1", "1e9",
     "W 1e+09 is above the slider's range 1 to 300: the thumb is drawn orange at its end"},
};

TEST(WindowNotices, EachCauseIsNamedAndGoesWithIt) {
  inProgram([] {
    const auto notice = [] { return design::windowNotice(mainWindow()); };
    EXPECT_EQ(notice().rfind("Type a band in Fmin and Fmax", 0), 0u) << notice();
    play(kWorkedExampleScript);
    EXPECT_EQ(notice(), "");
    for (const auto& [box, text, said] : kSteps) {
      type(box, text);
      EXPECT_EQ(notice(), said) << box << " " << text;
    }
  });
}

}  // namespace

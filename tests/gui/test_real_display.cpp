// The program on a real X display (Xvfb; skipped without it, failed without
// it under CI): windows that
// open without taking the keyboard, which the offscreen platform cannot
// show, and a display that goes away under the program (a logout, a dropped
// remote session), after which it ends with one line on standard error and
// a failure status, not with a crash.

#include "required_tool.h"
#include "window/window_session.h"

namespace {

class RealDisplay : public session::ScriptTest {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    TESSIVAR_REQUIRE_TOOL("Xvfb", "command -v Xvfb", "Xvfb is not installed", "xvfb");
  }
  // Runs `commands` in a shell on an X server of their own, on a display
  // the server picks itself, and ends the server with them; $x is the
  // server's process and $build the build folder. The server keeps running
  // between the clients of one run (-noreset: no reset as the last goes).
  Outcome onDisplay(const std::string& commands) {
    std::ofstream(dir_ / "display.sh")
        << "build='" << program_.parent_path().string() << "'\n"
        << "Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>display 2>xvfb.txt & "
           "x=$!\n"
           "trap 'kill $x 2>/dev/null' EXIT\n"
           "for i in $(seq 100); do [ -s display ] && break; sleep 0.1; done\n"
           "export DISPLAY=:$(cat display) QT_QPA_PLATFORM=xcb\n"
        << commands;
    return shell("sh display.sh");
  }
};

// What the offscreen platform cannot show: the keyboard stays with the
// pattern slider as its windows open (a bare X server moves focus only on
// request), letters typed into W are named in the notice bar, and the mouse
// over the Smith chart's locus reads its frequency.
TEST_F(RealDisplay, FocusNoticesAndTheSmithChartsHoverOnAServer) {
  // What the X libraries keep until exit is no finding here.
  Outcome r = onDisplay(
      "ASAN_OPTIONS=detect_leaks=0 \"$build/test_gui\" "
      "--gtest_filter='DesktopWindow.PatternWindowsCascadeAndTheKeysKeepStepping:"
      "WindowAids.TypingLettersInWShowsTheNotice:"
      "WindowAids.HoveringTheSmithLocusReadsTheFrequency' 2>&1\n");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("[  PASSED  ] 3 tests."), std::string::npos) << r.out;
}

TEST_F(RealDisplay, ALostDisplayEndsTheProgramWithOneLineAndAFailureStatus) {
  // Time to open the window and wait for the user (longer under sanitizers);
  // then the server goes, and the program has 30 s to end.
  Outcome r = onDisplay(
      "\"$build/tessivar\" </dev/null >/dev/null 2>app.txt & app=$!\n"
      "sleep 4\n"
      "kill -0 $app || { echo ended before the display went; exit; }\n"
      "kill $x\n"
      "(sleep 30; kill -9 $app) >/dev/null 2>&1 & watch=$!\n"
      "wait $app; echo $?; kill $watch\n");
  const std::vector<std::string> err = messages(read("app.txt"));
  ASSERT_EQ(session::lines(r.out).size(), 1u) << r.out << read("app.txt");
  const int status = std::stoi(r.out);
  EXPECT_TRUE(status > 0 && status < 128) << "ended by signal " << status - 128;
  ASSERT_EQ(err.size(), 1u) << read("app.txt");
  EXPECT_NE(err[0].find("display"), std::string::npos) << err[0];
}

}  // namespace

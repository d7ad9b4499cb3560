// The two programs as a desktop starts them: --help and --version answer
// without a window, and tessivar without a display says so instead of
// aborting.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "shell/test_window_session.h"

namespace {

class Desktop : public session::ScriptTest {
 protected:
  // Runs a built program with `args`, without any display or platform
  // choice but those `env` names.
  Outcome start(const std::string& program, const std::string& args, const std::string& env = "") {
    return shell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + env + " '" +
                 (program_.parent_path() / program).string() + "' " + args + " </dev/null");
  }
};

TEST_F(Desktop, HelpAndVersionAnswerWithoutADisplay) {
  for (const std::string program : {"tessivar", "tessivar-script"}) {
    SCOPED_TRACE(program);
    Outcome version = start(program, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex(program + " [0-9]+\\.[0-9]+.*\n")))
        << version.out;
    for (const char* help : {"--help", "-h"}) {
      Outcome r = start(program, help);
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.out.rfind("usage: " + program, 0), 0u) << help << ": " << r.out;
    }
  }
  EXPECT_EQ(start("tessivar-script", "a b").status, 2);
}

TEST_F(Desktop, WithoutADisplayTessivarSaysSoAndPointsToTheScript) {
  // No display named, and one named that no server answers.
  for (const char* env : {"", "DISPLAY=:9917", "QT_QPA_PLATFORM=xcb DISPLAY=:9917"}) {
    SCOPED_TRACE(env);
    Outcome r = start("tessivar", "", env);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("tessivar: no graphical display"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("tessivar-script"), std::string::npos);
    EXPECT_EQ(r.err.find("Reinstalling"), std::string::npos) << r.err;
  }
}

}  // namespace

// The two programs as a desktop starts them: --help and --version answer
// without a window, and tessivar without a display says so instead of
// aborting.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string output;  // standard output and error together
};

// Runs a built program with `args`, in an environment without any display
// or platform choice, after `env` (more `env` arguments, such as DISPLAY=:1).
Outcome run(const std::string& program, const std::string& args, const std::string& env = "") {
  const char* dir = std::getenv("TESSIVAR_BUILD_DIR");
  fs::path path = fs::path(dir ? dir : ".") / program;
  EXPECT_TRUE(fs::exists(path)) << path << " is not built";
  std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + env +
                    " timeout 60 '" + path.string() + "' " + args + " 2>&1 </dev/null";
  Outcome r;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.output.append(buf, n);
  int raw = ::pclose(p);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

TEST(Desktop, HelpAndVersionAnswerWithoutADisplay) {
  for (const char* program : {"tessivar", "tessivar-script"}) {
    SCOPED_TRACE(program);
    Outcome version = run(program, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(
        std::regex_match(version.output, std::regex(std::string(program) + " [0-9]+\\.[0-9]+.*\n")))
        << version.output;
    Outcome help = run(program, "--help");
    EXPECT_EQ(help.status, 0) << help.output;
    EXPECT_EQ(help.output.rfind(std::string("usage: ") + program, 0), 0u) << help.output;
  }
  EXPECT_EQ(run("tessivar-script", "-h").output.rfind("usage: tessivar-script", 0), 0u);
  EXPECT_EQ(run("tessivar-script", "a b").status, 2);
}

TEST(Desktop, WithoutADisplayTessivarSaysSoAndPointsToTheScript) {
  // No display named, and one named that no server answers.
  for (const char* env : {"", "DISPLAY=:9917", "QT_QPA_PLATFORM=xcb DISPLAY=:9917"}) {
    SCOPED_TRACE(env);
    Outcome r = run("tessivar", "", env);
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("tessivar: no graphical display"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("tessivar-script"), std::string::npos);
    EXPECT_EQ(r.output.find("Reinstalling"), std::string::npos) << r.output;
  }
}

}  // namespace

// Tests that need an outside program (the solver, an X server, scikit-rf)
// skip where it is not installed, and fail under CI (CI=true, as CI services
// set it), which installs them all: a skip there would pass a run that
// tested nothing. The failure names the tool and its Debian package.
// TESSIVAR_TEST_HIDE_TOOLS="Xvfb skrf" counts the named tools as missing, so
// the failing path can be tried on a machine that has them.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace required_tool {

inline std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// Whether the tool `name` is there: not hidden, and the shell command
// `probe` succeeds.
inline bool present(const std::string& name, const std::string& probe) {
  std::istringstream hidden(env("TESSIVAR_TEST_HIDE_TOOLS"));
  for (std::string w; hidden >> w;)
    if (w == name) return false;
  return std::system((probe + " > /dev/null 2>&1").c_str()) == 0;
}

inline bool underCi() {
  const std::string ci = env("CI");
  return !ci.empty() && ci != "false" && ci != "0";
}

// A file beside the test's source (`file` is its __FILE__): the script or
// table it hands the tool. The source path is as the compiler saw it,
// relative to the build folder the tests run in.
inline std::filesystem::path besideSource(const char* file, const char* name) {
  const char* build = std::getenv("TESSIVAR_BUILD_DIR");
  return std::filesystem::path(build ? build : ".") / std::filesystem::path(file).parent_path() /
         name;
}

}  // namespace required_tool

// Ends the test when the tool is missing, naming `why` and the package: a
// skip, or under CI a failure. A macro, as both return from the test itself.
#define TESSIVAR_REQUIRE_TOOL(name, probe, why, package)                                       \
  do {                                                                                         \
    if (required_tool::present(name, probe)) break;                                            \
    const std::string missing_ = why " (Debian package " package ", apt install " package ")"; \
    if (required_tool::underCi()) FAIL() << missing_ << "; CI must run this test";             \
    GTEST_SKIP() << missing_;                                                                  \
  } while (0)

// The program on a real X display (Xvfb; skipped without it): windows that
// open without taking the keyboard, which the offscreen platform cannot
// show, and a display that goes away under the program (a logout, a dropped
// remote session), after which it ends with one line on standard error and
// a failure status, not with a crash.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Starts `argv` with `env` added to this process's environment (a name given
// there replaces the inherited one) and both outputs sent to `out`.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const fs::path& out) {
  std::vector<std::string> vars(env);
  for (char** e = environ; *e; ++e) {
    std::string var(*e);
    std::string name = var.substr(0, var.find('='));
    bool replaced = false;
    for (const std::string& v : env) replaced |= v.rfind(name + "=", 0) == 0;
    if (!replaced) vars.push_back(var);
  }
  std::vector<char*> args, envp;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& v : vars) envp.push_back(const_cast<char*>(v.c_str()));
  args.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&files, 1, 2);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, args[0], &files, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&files);
  return rc == 0 ? pid : -1;
}

// The status of `pid` once it ends within `limit`; none when it is still
// running then.
std::optional<int> waitFor(pid_t pid, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  do {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(50ms);
  } while (std::chrono::steady_clock::now() < end);
  return std::nullopt;
}

// A display number that no server on this machine uses.
int freeDisplay() {
  for (int i = 0; i < 400; ++i) {
    int n = 100 + (getpid() + i) % 400;
    std::string id = std::to_string(n);
    if (!fs::exists("/tmp/.X11-unix/X" + id) && !fs::exists("/tmp/.X" + id + "-lock")) return n;
  }
  return -1;
}

std::vector<std::string> linesOf(const fs::path& p) {
  std::vector<std::string> v;
  std::ifstream in(p);
  // Qt's note about a runtime folder that root lacks says nothing about us.
  for (std::string l; std::getline(in, l);)
    if (!l.empty() && l.rfind("QStandardPaths:", 0) != 0) v.push_back(l);
  return v;
}

// An X server of its own on a free display, ended with the test.
class RealDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v Xvfb > /dev/null 2>&1") != 0)
      GTEST_SKIP() << "Xvfb is not installed";
    const char* dir = std::getenv("TESSIVAR_BUILD_DIR");
    build = fs::path(dir ? dir : ".");
    int display = freeDisplay();
    ASSERT_GE(display, 0);
    tmp = fs::temp_directory_path() / ("tessivar-x-" + std::to_string(getpid()));
    fs::create_directories(tmp);
    name = ":" + std::to_string(display);
    server = spawn({"Xvfb", name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {},
                   tmp / "xvfb.txt");
    ASSERT_GT(server, 0);
    fs::path socket = "/tmp/.X11-unix/X" + std::to_string(display);
    for (int i = 0; i < 200 && !fs::exists(socket); ++i) std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(fs::exists(socket)) << "Xvfb did not start";
  }
  void TearDown() override {
    endServer();
    if (!tmp.empty()) fs::remove_all(tmp);
  }
  void endServer() {
    if (server <= 0) return;
    kill(server, SIGTERM);
    if (!waitFor(server, 10s)) kill(server, SIGKILL), waitpid(server, nullptr, 0);
    server = -1;
  }
  // Starts a program of the build on the display, its output to `out`.
  pid_t start(const std::vector<std::string>& argv, const std::string& out,
              std::vector<std::string> env = {}) {
    std::vector<std::string> args(argv);
    args[0] = (build / args[0]).string();
    env.push_back("DISPLAY=" + name);
    env.push_back("QT_QPA_PLATFORM=xcb");
    return spawn(args, env, tmp / out);
  }

  fs::path build, tmp;
  std::string name;
  pid_t server = -1;
};

// The keyboard stays with the pattern slider as its windows open: nothing
// asks the server to move it (a bare X server moves focus only on request).
TEST_F(RealDisplay, PatternWindowsLeaveTheKeyboardWithTheSlider) {
  pid_t run = start(
      {"test_gui", "--gtest_filter=DesktopWindow.PatternWindowsCascadeAndTheKeysKeepStepping"},
      "run.txt",
      // What the X libraries keep until exit is no finding here.
      {"ASAN_OPTIONS=detect_leaks=0"});
  ASSERT_GT(run, 0);
  std::optional<int> status = waitFor(run, 120s);
  if (!status) kill(run, SIGKILL), waitpid(run, nullptr, 0);
  ASSERT_TRUE(status.has_value());
  std::vector<std::string> out = linesOf(tmp / "run.txt");
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << testing::PrintToString(out);
  EXPECT_NE(std::find(out.begin(), out.end(), "[  PASSED  ] 1 test."), out.end())
      << testing::PrintToString(out);
}

TEST_F(RealDisplay, ALostDisplayEndsTheProgramWithOneLineAndAFailureStatus) {
  ASSERT_TRUE(fs::exists(build / "tessivar")) << "tessivar is not built";
  pid_t app = start({"tessivar"}, "err.txt");
  ASSERT_GT(app, 0);
  // Time to open its window and wait for the user (longer under sanitizers).
  std::optional<int> early = waitFor(app, 4s);
  endServer();
  ASSERT_FALSE(early.has_value()) << "ended before the display went: "
                                  << testing::PrintToString(linesOf(tmp / "err.txt"));
  std::optional<int> status = waitFor(app, 30s);
  if (!status) kill(app, SIGKILL), waitpid(app, nullptr, 0);
  ASSERT_TRUE(status.has_value()) << "still running without its display";
  std::vector<std::string> err = linesOf(tmp / "err.txt");
  EXPECT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
  EXPECT_NE(WEXITSTATUS(*status), 0);
  ASSERT_EQ(err.size(), 1u) << testing::PrintToString(err);
  EXPECT_NE(err[0].find("display"), std::string::npos) << err[0];
}

}  // namespace

// The solver runner on stand-in solvers (a shell reading the "input" as its
// script), so every way a run can end is reached in a second: progress read
// without blocking, a cancel that escalates to signals and leaves no folder,
// a truncated run, a missing program (a crash is met through the script);
// and on the real solver, a bad input and a finished run's result kept as
// Touchstone.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "antenna/touchstone.h"
#include "rf/design_io.h"
#include "rf/fake_solver.h"
#include "rf/fullwave_run.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using rf::FullwaveRun;

fs::path runFolder(const char* name) {
  return fs::temp_directory_path() / ("tessivar_run_test_" + std::to_string(::getpid())) / name;
}

TEST(FullwaveRun, ProgressIsReadAndAFinishedRunIsFinished) {
  FullwaveRun run(runFolder("ok").string(),
                  "echo '[@        4s] Timestep:   170 || Energy: ~5.57e-22 (- 0.00dB)'\n"
                  "echo '[@     1m02s] Timestep:  8364 || Energy: ~1.49e-18 (-36.67dB)'\n",
                  1, "sh");
  EXPECT_EQ(run.wait(10s), FullwaveRun::State::Finished) << run.message();
  ASSERT_TRUE(run.progress());
  EXPECT_EQ(run.progress()->timestep, 8364);
  EXPECT_TRUE(fs::exists(run.folder()));
}

TEST(FullwaveRun, EveryFailureIsSaidPlainly) {
  FullwaveRun truncated(runFolder("cut").string(),
                        "echo 0 1 > port_ut1; echo 0 1 > port_it1; echo x > result.s1p\n"
                        "echo 'Max. number of timesteps was reached before the end-criteria' >&2\n",
                        1, "sh");
  EXPECT_EQ(truncated.wait(10s), FullwaveRun::State::Failed);
  EXPECT_NE(truncated.message().find("time-step limit"), std::string::npos);
  EXPECT_FALSE(fs::exists(fs::path(truncated.folder()) / "port_ut1"));
  EXPECT_FALSE(fs::exists(fs::path(truncated.folder()) / rf::kFullwaveResultFile));

  FullwaveRun status(runFolder("status").string(), "exit 255\n", 1, "sh");
  EXPECT_EQ(status.wait(10s), FullwaveRun::State::Failed);
  EXPECT_NE(status.message().find("could not read its input"), std::string::npos);

  FullwaveRun missing(runFolder("missing").string(), "", 1, "tessivar-no-such-solver");
  EXPECT_EQ(missing.state(), FullwaveRun::State::Failed);
  EXPECT_NE(missing.message().find("apt install openems"), std::string::npos);
  EXPECT_FALSE(fs::exists(missing.folder()));

  // An ABORT file left in the folder by an earlier run does not stop this
  // one: the folder is cleared first.
  const fs::path stale = runFolder("stale");
  fs::create_directories(stale);
  std::ofstream(stale / "ABORT") << "";
  FullwaveRun fresh(stale.string(), "test ! -e ABORT\n", 1, "sh");
  EXPECT_EQ(fresh.wait(10s), FullwaveRun::State::Finished) << fresh.message();
}

TEST(FullwaveRun, CancelEscalatesToSignalsAndLeavesNoFolder) {
  // A solver that ignores both the ABORT file and SIGTERM.
  FullwaveRun run(runFolder("stubborn").string(), "trap '' TERM\nwhile :; do sleep 0.05; done\n", 1,
                  "sh");
  EXPECT_EQ(run.poll(), FullwaveRun::State::Running);
  const auto t0 = std::chrono::steady_clock::now();
  run.cancel(200ms);
  EXPECT_TRUE(fs::exists(fs::path(run.folder()) / "ABORT"));
  EXPECT_EQ(run.wait(10s), FullwaveRun::State::Cancelled);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
  EXPECT_FALSE(fs::exists(run.folder()));
}

TEST(FullwaveRun, ResultIsKeptAsTouchstoneAndZeroSignalsAreRefused) {
  const fs::path dir = runFolder("result");
  fake_solver::writeFakeSolver(dir);  // the signals of a 37 ohm resistor
  std::string error;
  const auto r = rf::readFullwaveResult(dir.string(), {2e9, 2.5e9}, error);
  ASSERT_TRUE(r) << error;
  const auto kept = rf::readTouchstone((dir / rf::kFullwaveResultFile).string());
  ASSERT_EQ(kept.ghz.size(), 2u);
  EXPECT_NEAR(std::abs(kept.s11[0]), 13.0 / 87, 1e-3);

  std::ofstream(dir / "port_ut1") << "0 0\n1e-11 0\n";
  EXPECT_FALSE(rf::readFullwaveResult(dir.string(), {2e9}, error));
  EXPECT_NE(error.find("no energy"), std::string::npos);
  fs::remove_all(dir.parent_path());
}

TEST(FullwaveRun, TheRealSolverRefusesABadInput) {
  if (std::system("command -v openEMS > /dev/null 2>&1") != 0) {
    if (std::getenv("CI")) FAIL() << "openEMS is not installed (apt install openems)";
    GTEST_SKIP() << "openEMS is not installed";
  }
  std::string error;
  EXPECT_EQ(rf::installedSolverVersion(error).rfind("v", 0), 0u) << error;
  FullwaveRun run(runFolder("bad").string(), "<x/>", 1);
  EXPECT_EQ(run.wait(20s), FullwaveRun::State::Failed);
  EXPECT_NE(run.message().find("255"), std::string::npos) << run.message();
}

}  // namespace

// The solver runner on stand-in solvers (a shell reading the "input" as its
// script), so every way a run can end is reached in a second (its progress,
// read without blocking, is the check's tests'): a cancel that escalates to
// signals and leaves no folder,
// a truncated run, a missing program (a crash is met through the script);
// and on the real solver, a bad input and a finished run's result kept as
// Touchstone.
#include <chrono>

#include "design/design_io.h"
#include "fullwave/fake_solver.h"
#include "fullwave/run.h"
#include "required_tool.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using fullwave::Run;

// The runs' folders, in one that goes when the test ends, whatever it left.
class FullWaveRun : public ::testing::Test {
 protected:
  void TearDown() override { fs::remove_all(root_); }
  fs::path runFolder(const char* name) const { return root_ / name; }
  const fs::path root_ =
      fs::temp_directory_path() / ("tessivar_run_test_" + std::to_string(::getpid()));
};

TEST_F(FullWaveRun, EveryFailureIsSaidPlainly) {
  fullwave::Run truncated(
      runFolder("cut").string(),
      "echo 0 1 > port_ut1; echo 0 1 > port_it1; echo x > result.s1p\n"
      "echo 'Max. number of timesteps was reached before the end-criteria' >&2\n",
      1, "sh");
  EXPECT_EQ(truncated.wait(10s), fullwave::Run::State::Failed);
  EXPECT_NE(truncated.message().find("time-step limit"), std::string::npos);
  EXPECT_FALSE(fs::exists(fs::path(truncated.folder()) / fullwave::run_folder::kPortVoltage));
  EXPECT_FALSE(fs::exists(fs::path(truncated.folder()) / fullwave::run_folder::kResult));

  fullwave::Run status(runFolder("status").string(), "exit 255\n", 1, "sh");
  EXPECT_EQ(status.wait(10s), fullwave::Run::State::Failed);
  EXPECT_NE(status.message().find("could not read its input"), std::string::npos);

  fullwave::Run missing(runFolder("missing").string(), "", 1, "tessivar-no-such-solver");
  EXPECT_EQ(missing.state(), fullwave::Run::State::Failed);
  EXPECT_NE(missing.message().find("apt install openems"), std::string::npos);
  EXPECT_FALSE(fs::exists(missing.folder()));

  // An ABORT file left in the folder by an earlier run does not stop this
  // one: the folder is cleared first.
  const fs::path stale = runFolder("stale");
  fs::create_directories(stale);
  std::ofstream(stale / fullwave::run_folder::kAbort) << "";
  fullwave::Run fresh(stale.string(), "test ! -e ABORT\n", 1, "sh");
  EXPECT_EQ(fresh.wait(10s), fullwave::Run::State::Finished) << fresh.message();
}

TEST_F(FullWaveRun, CancelEscalatesToSignalsAndLeavesNoFolder) {
  // A solver that ignores both the ABORT file and SIGTERM.
  fullwave::Run run(runFolder("stubborn").string(), "trap '' TERM\nwhile :; do sleep 0.05; done\n",
                    1, "sh");
  EXPECT_EQ(run.poll(), fullwave::Run::State::Running);
  const auto t0 = std::chrono::steady_clock::now();
  run.cancel(200ms);
  EXPECT_TRUE(fs::exists(fs::path(run.folder()) / fullwave::run_folder::kAbort));
  EXPECT_EQ(run.wait(10s), fullwave::Run::State::Cancelled);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
  EXPECT_FALSE(fs::exists(run.folder()));
}

TEST_F(FullWaveRun, ResultIsKeptAsTouchstoneAndZeroSignalsAreRefused) {
  const fs::path dir = runFolder("result");
  fake_solver::writeFakeSolver(dir);  // the signals of a 37 ohm resistor
  std::string error;
  const auto r = fullwave::readResult(dir.string(), {2e9, 2.5e9}, error);
  ASSERT_TRUE(r) << error;
  const auto kept = design::readTouchstone((dir / fullwave::run_folder::kResult).string());
  ASSERT_EQ(kept.hz.size(), 2u);
  EXPECT_NEAR(std::abs(kept.s11[0]), 13.0 / 87, 1e-3);

  std::ofstream(dir / fullwave::run_folder::kPortVoltage) << "0 0\n1e-11 0\n";
  EXPECT_FALSE(fullwave::readResult(dir.string(), {2e9}, error));
  EXPECT_NE(error.find("no energy"), std::string::npos);
}

TEST_F(FullWaveRun, TheRealSolverRefusesABadInput) {
  TESSIVAR_REQUIRE_TOOL("openEMS", "command -v openEMS", "openEMS is not installed", "openems");
  std::string error;
  EXPECT_EQ(fullwave::installedSolverVersion(error).rfind("v", 0), 0u) << error;
  fullwave::Run run(runFolder("bad").string(), "<x/>", 1);
  EXPECT_EQ(run.wait(20s), fullwave::Run::State::Failed);
  EXPECT_NE(run.message().find("255"), std::string::npos) << run.message();
}

}  // namespace

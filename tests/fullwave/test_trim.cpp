// The trim's runs on a stand-in solver that answers each run from a list
// of resonances and resistances: the first answer is off, the second on
// target, so
// the trim takes two runs and ends met; a run that fails or is cancelled
// ends the trim with the run's own message.
#include "antenna/units.h"
#include "fullwave/fake_solver.h"
#include "fullwave/trim.h"

namespace {

namespace fs = std::filesystem;
using State = fullwave::Trim::State;

const antenna::Patch kFr4{38e-3, 29.5e-3, 1.6e-3, 4.4, 9e-3};

class FullWaveTrimRuns : public fake_solver::FakeSolverTest {
 protected:
  fullwave::Request request() const {
    return {kFr4, {}, {1.68e9, 3.12e9}, fullwave::SolverQuality::Draft};
  }
  static State wait(fullwave::Trim& trim, std::vector<fullwave::Result>& taken,
                    std::vector<std::string>& steps) {
    for (;;) {
      const State s = trim.poll();
      if (trim.taken()) taken.push_back(*trim.taken());
      if (!trim.stepText().empty()) steps.push_back(trim.stepText());
      if (s != State::Running) return s;
    }
  }
};

TEST_F(FullWaveTrimRuns, TwoRunsReachTheTarget) {
  fake_solver::answerFromAList(dir_, {{2.35e9, 40}, {2.4e9, 50}});
  fullwave::Trim trim(request(), fullwave::ImpedanceModel(), 2.4e9, 50, 1);
  std::vector<fullwave::Result> taken;
  std::vector<std::string> steps;
  ASSERT_EQ(wait(trim, taken, steps), State::Finished) << trim.message();
  EXPECT_TRUE(trim.met());
  EXPECT_EQ(runs(), 2);
  ASSERT_EQ(taken.size(), 2u);
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].rfind("run 1: L 29.5000 mm, feed 9.0000 mm -> resonance ", 0), 0u) << steps[0];
  EXPECT_NEAR(trim.trimmer().steps()[0].resonanceHz, 2.35e9, 1e6);
  EXPECT_NEAR(trim.trimmer().steps()[0].r, 40, 0.1);
  EXPECT_NE(steps[1].find("run 2:"), std::string::npos) << steps[1];
  EXPECT_EQ(taken[0].request.patch.length, kFr4.length);
  // The second run is of the trimmed patch: its request, the trimmer's
  // second step and the trim's request agree.
  const antenna::Patch second = trim.trimmer().steps().back().patch;
  EXPECT_NE(second.length, kFr4.length);
  EXPECT_EQ(second.length, antenna::onBoardGrid(second.length)) << "a size a board can hold";
  EXPECT_EQ(second.feedOffset, antenna::onBoardGrid(second.feedOffset));
  EXPECT_EQ(taken[1].request.patch.length, second.length);
  EXPECT_EQ(trim.request().patch.feedOffset, second.feedOffset);
  EXPECT_NEAR(trim.trimmer().steps().back().resonanceHz, 2.4e9, 0.002 * 2.4e9);
  // The result in memory is the one the folder keeps.
  EXPECT_EQ(taken[1].s11.hz, taken[1].solver.hz);
  EXPECT_TRUE(fs::exists(fs::path(taken[1].folder) / fullwave::run_folder::kResult));
  EXPECT_EQ(trim.poll(), State::Finished);
  EXPECT_FALSE(trim.taken()) << "a poll after the end takes nothing";
}

TEST_F(FullWaveTrimRuns, ARunThatFailsOrIsCancelledEndsTheTrim) {
  fake_solver::writeFakeSolver(dir_, "kill -SEGV $$\n");
  fullwave::Trim crashed(request(), fullwave::ImpedanceModel(), 2.4e9, 50, 1);
  std::vector<fullwave::Result> taken;
  std::vector<std::string> steps;
  EXPECT_EQ(wait(crashed, taken, steps), State::Failed);
  EXPECT_NE(crashed.message().find("signal 11"), std::string::npos) << crashed.message();
  EXPECT_TRUE(taken.empty());
  EXPECT_TRUE(crashed.trimmer().steps().empty());

  fs::remove_all(dir_ / "bin");
  fake_solver::writeFakeSolver(dir_, "while [ ! -f ABORT ]; do sleep 0.02; done; exit 0\n");
  fullwave::Trim cancelled(request(), fullwave::ImpedanceModel(), 2.4e9, 50, 1);
  EXPECT_EQ(cancelled.poll(), State::Running);
  cancelled.cancel();
  EXPECT_EQ(wait(cancelled, taken, steps), State::Cancelled);
  EXPECT_EQ(cancelled.message(), "The full-wave run was cancelled.");
  EXPECT_TRUE(taken.empty());
}

}  // namespace

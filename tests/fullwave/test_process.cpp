// The one launcher the driver starts its programs with: what a program
// prints comes back through pipes or lands in a file, it runs in its folder
// and its own process group, a program that cannot start is told by its
// reason, no program outlives the one that started it, and the far-field
// program's absence or crash is said plainly through it (its failure with
// the real program: test_nf2ff.cpp).
#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "fullwave/fake_solver.h"
#include "fullwave/nf2ff.h"
#include "fullwave/process.h"

namespace {

namespace fs = std::filesystem;
using fake_solver::readFile;
using fullwave::Process;

// A folder of the test's own (with the stand-in solver, which nothing here runs).
using Launching = fake_solver::FakeSolverTest;

TEST_F(Launching, WhatItPrintsAndHowItEndedComeBack) {
  Process p({{"sh", "-c", "pwd; echo complaint >&2; exit 3"}, dir_.string()});
  ASSERT_TRUE(p.started()) << p.startError();
  std::string out, err;
  const auto status = p.wait(out, err);
  ASSERT_TRUE(status);
  EXPECT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 3);
  EXPECT_EQ(out, fs::canonical(dir_).string() + "\n");
  EXPECT_EQ(err, "complaint\n");
  EXPECT_FALSE(p.running());
  EXPECT_FALSE(p.wait(out, err)) << "its status was given once";

  // Both streams into one file, made anew.
  const fs::path log = dir_ / "log";
  std::ofstream(log) << "an earlier run's words\n";
  Process logged({{"sh", "-c", "echo said; echo complained >&2"}, dir_.string(), log.string()});
  ASSERT_TRUE(logged.started());
  EXPECT_EQ(logged.wait(out, err), 0);
  EXPECT_EQ(readFile(log), "said\ncomplained\n");
}

TEST_F(Launching, AProgramThatCannotStartIsToldByItsReason) {
  Process missing({{"tessivar-no-such-program"}, dir_.string()});
  EXPECT_FALSE(missing.started());
  EXPECT_EQ(missing.startError(), ENOENT);
  EXPECT_FALSE(missing.running());
  std::string out, err;
  EXPECT_FALSE(missing.poll());
  EXPECT_FALSE(missing.wait(out, err));

  Process nowhere({{"sh", "-c", "true"}, (dir_ / "nowhere").string()});
  EXPECT_EQ(nowhere.startError(), ENOENT);
  Process noLog({{"sh", "-c", "true"}, dir_.string(), (dir_ / "nowhere" / "log").string()});
  EXPECT_EQ(noLog.startError(), ENOENT);
  std::ofstream(dir_ / "not-a-program") << "#!/bin/sh\n";
  Process refused({{(dir_ / "not-a-program").string()}, dir_.string()});
  EXPECT_EQ(refused.startError(), EACCES);
}

// A signal reaches what the program started too: the shell's own child
// holds the pipes, and they close at once.
TEST_F(Launching, PollingNeverBlocksAndASignalReachesTheWholeGroup) {
  const auto t0 = std::chrono::steady_clock::now();
  Process p({{"sh", "-c", "sleep 30 & wait"}, dir_.string()});
  ASSERT_TRUE(p.started());
  std::string out, err;
  p.read(out, err);
  EXPECT_FALSE(p.poll());
  EXPECT_TRUE(p.running());
  p.signal(SIGTERM);
  const auto status = p.wait(out, err);
  ASSERT_TRUE(status);
  EXPECT_TRUE(WIFSIGNALED(*status));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
  {
    Process dropped({{"sh", "-c", "sleep 30 & wait"}, dir_.string()});
    ASSERT_TRUE(dropped.started());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
}

// Whether process `pid` has ended (gone, or a zombie no one has reaped yet).
bool ended(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string all;
  if (!std::getline(stat, all)) return true;
  const auto close = all.rfind(')');
  return close != std::string::npos && all.compare(close + 1, 3, " Z ") == 0;
}

// A program started by a process that is interrupted, terminated or killed
// dies with it, and with an interrupt or a termination what the program
// started goes too; the process still ends by the signal it got.
TEST_F(Launching, NoProgramOutlivesItsStarter) {
  for (const int sig : {SIGINT, SIGTERM, SIGKILL}) {
    const fs::path pidFile = dir_ / ("pid" + std::to_string(sig));
    // Killed, a process can only take its own child with it (as openEMS is).
    const std::string script = sig == SIGKILL
                                   ? "echo $$ > '" + pidFile.string() + "'; exec sleep 60"
                                   : "sleep 60 & echo $! > '" + pidFile.string() + "'; wait";
    const pid_t starter = fork();
    if (starter == 0) {
      Process p({{"sh", "-c", script}, dir_.string()});
      for (;;) pause();
    }
    ASSERT_GT(starter, 0);
    pid_t program = 0;
    for (int i = 0; i < 500 && program == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      std::ifstream(pidFile) >> program;
    }
    ASSERT_GT(program, 0) << "the program never started";
    kill(starter, sig);
    int status = 0;
    ASSERT_EQ(waitpid(starter, &status, 0), starter);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig;
    bool gone = false;
    for (int i = 0; i < 250 && !gone; ++i) {
      gone = ended(program);
      if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(gone) << "signal " << sig << " left program " << program << " running";
    if (!gone) kill(program, SIGKILL);
  }
}

// A run's folder with near fields on all six faces (empty files: nf2ff
// never reads them here).
void writeDumps(const fs::path& dir) {
  std::ofstream(dir / fullwave::run_folder::kInput) << "<FD_Samples>2.4e9</FD_Samples>\n";
  for (const char* face : fullwave::run_folder::kNearFieldFaces)
    for (bool magnetic : {false, true})
      std::ofstream(dir / fullwave::run_folder::nearFieldFile(magnetic, face)) << "";
}

TEST_F(Launching, TheFarFieldProgramMissingOrCrashingIsSaidPlainly) {
  writeDumps(dir_);
  const std::string path = std::getenv("PATH");
  std::string error;
  setenv("PATH", (dir_ / "bin").c_str(), 1);
  EXPECT_FALSE(fullwave::farFieldOf(dir_.string(), 2.4e9, error));
  EXPECT_NE(error.find("(nf2ff) could not be run; it comes with openEMS"), std::string::npos)
      << error;

  fs::create_directories(dir_ / "bin");
  // A crash (on a damaged dump, say) is told by its signal.
  std::ofstream(dir_ / "bin" / "nf2ff") << "#!/bin/sh\necho \"cannot read $1\"\nkill -SEGV $$\n";
  fs::permissions(dir_ / "bin" / "nf2ff", fs::perms::owner_all);
  setenv("PATH", ((dir_ / "bin").string() + ":" + path).c_str(), 1);
  EXPECT_FALSE(fullwave::farFieldOf(dir_.string(), 2.4e9, error));
  setenv("PATH", path.c_str(), 1);
  EXPECT_NE(error.find("(nf2ff) was stopped by signal 11"), std::string::npos) << error;
}

}  // namespace

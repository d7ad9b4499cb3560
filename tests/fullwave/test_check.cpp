// The full-wave check around the solver, on a stand-in openEMS on the PATH
// that answers with prepared port signals (a resistor), so each case takes
// a fraction of a second: a kept result found again without a run, two
// checks of one design at once, a run stopped early, a full disk, the
// cache's bound and a large run, an exported folder read back, the script's
// JSON and its failures; and the trim against a "solver" that is the model
// with a longer patch.
#include "fullwave/check.h"
#include "fullwave/fake_solver.h"
#include "fullwave/run_folder.h"
#include "fullwave/trim.h"
#include "refusal.h"
#include "window/window_session.h"
#include "within_time.h"

namespace {

namespace fs = std::filesystem;
using fake_solver::writeFakeSolver;
using State = fullwave::Check::State;

const antenna::Patch kFr4{38e-3, 29.5e-3, 1.6e-3, 4.4, 9e-3};

class FullWaveCheck : public fake_solver::FakeSolverTest {
 protected:
  fullwave::Request request() const {
    return {kFr4, {}, {1.68e9, 3.12e9}, fullwave::SolverQuality::Draft};
  }
  std::unique_ptr<fullwave::Check> finished(const fullwave::Request& r) const {
    auto check = std::make_unique<fullwave::Check>(r, 1);
    while (check->poll() == State::Running) continue;
    return check;
  }
  std::unique_ptr<fullwave::Check> finished() const { return finished(request()); }
};

TEST_F(FullWaveCheck, TheSameCheckAgainIsFoundWithoutARun) {
  const auto first = finished();
  ASSERT_EQ(first->state(), State::Finished) << first->message();
  EXPECT_NEAR(first->result()->solver.r[300], 37, 1e-3);
  EXPECT_EQ(first->result()->stats.timesteps, 900);
  // The stand-in keeps no near fields: no far field, and a reason.
  EXPECT_FALSE(first->result()->farField);
  EXPECT_NE(first->result()->farFieldError.find("near-field"), std::string::npos);

  fullwave::Check again(request(), 1);
  ASSERT_EQ(again.state(), State::Finished);
  EXPECT_TRUE(again.result()->fromCache);
  auto other = request();
  other.quality = fullwave::SolverQuality::Quick;
  EXPECT_FALSE(fullwave::keptResult(other));
  EXPECT_NEAR(again.result()->solver.r[300], 37, 1e-3);
  EXPECT_EQ(runs(), 1);

  // Another design is another folder; a folder left with an ABORT file is
  // no result and is run again.
  std::ofstream(fs::path(first->folder()) / fullwave::run_folder::kAbort) << "x";
  fullwave::Check stale(request(), 1);
  EXPECT_EQ(stale.state(), State::Running);
  while (stale.poll() == State::Running) continue;
  EXPECT_EQ(runs(), 2);
}

// A second check of a design under way waits for the first and takes its
// result, one run for both; neither clears the other's folder, and one
// dropped while waiting leaves the first's run alone.
TEST_F(FullWaveCheck, TwoChecksOfOneDesignShareOneRun) {
  writeFakeSolver(dir_, "while [ ! -e '" + (dir_ / "go").string() + "' ]; do sleep 0.02; done\n");
  fullwave::Check first(request(), 1);
  fullwave::Check second(request(), 1);
  { fullwave::Check dropped(request(), 1); }
  EXPECT_TRUE(second.waiting());
  EXPECT_NE(second.progressText().find("being checked by another"), std::string::npos);
  EXPECT_EQ(second.poll(), State::Running);
  EXPECT_TRUE(fs::exists(fs::path(first.folder()) / fullwave::run_folder::kInput));
  std::ofstream(dir_ / "go") << "";
  for (fullwave::Check* c : {&first, &second})
    while (c->poll() == State::Running) continue;
  ASSERT_EQ(first.state(), State::Finished) << first.message();
  ASSERT_EQ(second.state(), State::Finished) << second.message();
  EXPECT_TRUE(second.result()->fromCache);
  EXPECT_NEAR(second.result()->solver.r[300], 37, 1e-3);
  EXPECT_EQ(runs(), 1);
}

// A run that ended above its end criterion says so, run, kept or imported.
TEST_F(FullWaveCheck, ARunStoppedEarlyIsTruncatedWhereverItIsRead) {
  // The stand-in ends its run at -7.55 dB, far above any end criterion.
  writeFakeSolver(dir_, "echo '[@        1s] Timestep:   300 || Energy: ~1e-3 (-7.55dB)'\ncp '" +
                            (dir_ / fullwave::run_folder::kPortVoltage).string() + "' '" +
                            (dir_ / fullwave::run_folder::kPortCurrent).string() +
                            "' .\necho 'Time for 300 ...'\nexit 0\n");
  const auto run = finished();
  ASSERT_EQ(run->state(), State::Finished) << run->message();
  EXPECT_TRUE(run->result()->stats.truncated);
  EXPECT_NE(run->message().find("-7.55 dB, above its end criterion of -25 dB"), std::string::npos)
      << run->message();
  const auto kept = fullwave::keptResult(request());
  ASSERT_TRUE(kept);
  EXPECT_TRUE(kept->stats.truncated);
  const fs::path out = dir_ / "cluster";
  const std::string command = fullwave::exportRun(request(), out.string());
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_TRUE(fullwave::importRun(out.string()).stats.truncated);

  // An |S11| above 0 dB is said too, beside the truncation; rounding is not.
  fullwave::Result r = *kept;
  r.s11.s11 = {{0.5, 0}, {1.0005, 0}};
  EXPECT_EQ(fullwave::cautionNote(r).find("above 0 dB"), std::string::npos);
  r.s11.s11.push_back({0, 1.01});
  EXPECT_NE(fullwave::cautionNote(r).find("its end criterion of -25 dB: its figures may be off. "
                                          "Its |S11| reaches 0.086 dB, above 0 dB"),
            std::string::npos)
      << fullwave::cautionNote(r);
}

// A solver that meets a full disk is said to have, not by the signal it
// died of, and what it left goes.
TEST_F(FullWaveCheck, AFullDiskIsSaidAndItsDumpsGo) {
  writeFakeSolver(dir_,
                  "echo partial > nf2ff_E_xn.h5\ndd if=/dev/zero of=/dev/full bs=1k count=1\n"
                  "kill -SEGV $$\n");
  const auto full = finished();
  EXPECT_EQ(full->state(), State::Failed);
  EXPECT_NE(full->message().find("is full (No space left on device)"), std::string::npos)
      << full->message();
  EXPECT_EQ(full->message().find("signal"), std::string::npos) << full->message();
  EXPECT_FALSE(fs::exists(full->folder()));
}

// Past its bound the cache lets its least recently used results go, and
// what a stopped run left goes at the next run; a bound that is no number
// is refused by name.
TEST_F(FullWaveCheck, TheCacheKeepsWithinItsBound) {
  setenv("TESSIVAR_FULLWAVE_CACHE_MB", "0", 1);
  auto other = request();
  other.patch.length *= 1.01;
  const std::string a = finished()->folder(), b = finished(other)->folder();
  EXPECT_FALSE(fs::exists(a));
  EXPECT_TRUE(fs::exists(fs::path(b) / fullwave::run_folder::kResult));
  setenv("TESSIVAR_FULLWAVE_CACHE_MB", "lots", 1);
  EXPECT_NE(refusal::of<std::invalid_argument>([&] {
              fullwave::Check(request(), 1);
            }).find("TESSIVAR_FULLWAVE_CACHE_MB"),
            std::string::npos);
  unsetenv("TESSIVAR_FULLWAVE_CACHE_MB");
  const fs::path stopped = fs::path(b).parent_path() / "stopped";
  fs::create_directories(stopped);
  std::ofstream(stopped / fullwave::run_folder::kInput) << "<openEMS/>";
  EXPECT_EQ(finished()->state(), State::Finished);
  EXPECT_FALSE(fs::exists(stopped));
  EXPECT_TRUE(fs::exists(b));
}

// A run far past the usual size is said with its size and started only
// when asked for; the usual quick check is not large, and its estimate is
// near what the solver took (10,602 steps for this patch).
TEST_F(FullWaveCheck, ALargeRunStartsOnlyWhenAskedFor) {
  auto huge = request();
  huge.band.fmax = 300e9;
  huge.quality = fullwave::SolverQuality::Quick;
  try {
    fullwave::Check refused(huge, 1);
    ADD_FAILURE() << "a large run started unasked";
  } catch (const fullwave::LargeRun& e) {
    EXPECT_NE(std::string(e.what()).find("million cells, about"), std::string::npos) << e.what();
    EXPECT_GT(e.size.bytes, 2e9);
  }
  EXPECT_EQ(runs(), 0);
  fullwave::Check asked(huge, 1, true);
  EXPECT_NE(asked.state(), State::Failed) << asked.message();
  auto quick = request();
  quick.quality = fullwave::SolverQuality::Quick;
  const fullwave::RunSize size = fullwave::runSize(fullwave::solverJob(quick));
  EXPECT_FALSE(fullwave::isLarge(size));
  EXPECT_NEAR(static_cast<double>(size.timesteps), 10602, 3000);
}

// A file of the cache that meets a full device (here check.txt at the run's
// end) shows no result and keeps none; the next check runs afresh. A kept
// file cut short, or the solver's input gone, is no result either.
TEST_F(FullWaveCheck, AFullCacheShowsAndKeepsNothing) {
  writeFakeSolver(dir_, "rm check.txt; ln -s /dev/full check.txt\n");
  const auto full = finished();
  EXPECT_EQ(full->state(), State::Failed);
  EXPECT_NE(full->message().find("check.txt: No space left on device"), std::string::npos);
  EXPECT_FALSE(fs::exists(full->folder()));
  for (const char* file : {fullwave::run_folder::kResult, fullwave::run_folder::kRequest,
                           fullwave::run_folder::kInput}) {
    writeFakeSolver(dir_);
    const auto later = finished();
    ASSERT_EQ(later->state(), State::Finished) << later->message();
    const fs::path kept = fs::path(later->folder()) / file;
    if (file == std::string(fullwave::run_folder::kInput))
      fs::remove(kept);
    else
      fs::resize_file(kept, fs::file_size(kept) - 1);
    EXPECT_FALSE(fullwave::keptResult(request())) << file;
  }
  EXPECT_EQ(runs(), 4);
}

// A cancelled run is met by the runner's test and the window's Cancel.
TEST_F(FullWaveCheck, ADroppedRunLeavesNoFolder) {
  writeFakeSolver(dir_, "while [ ! -f ABORT ]; do sleep 0.02; done; exit 0\n");
  auto dropped = std::make_unique<fullwave::Check>(request(), 1);
  const std::string folder = dropped->folder();
  dropped.reset();
  EXPECT_FALSE(fs::exists(folder));
}

TEST_F(FullWaveCheck, AnExportedFolderRunElsewhereIsReadBack) {
  const fs::path out = dir_ / "cluster";
  const std::string command = fullwave::exportRun(request(), out.string());
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const fullwave::Result r = fullwave::importRun(out.string());
  EXPECT_EQ(r.request.patch.length, kFr4.length);
  EXPECT_EQ(r.stats.timesteps, 900);
  EXPECT_TRUE(fs::exists(out / fullwave::run_folder::kResult));
  EXPECT_NEAR(r.solver.r.front(), 37, 1e-3);

  // A request changed after the run no longer matches the solver's input.
  std::ofstream(out / fullwave::run_folder::kRequest, std::ios::app) << "length 0.03\n";
  EXPECT_THROW(fullwave::importRun(out.string()), std::runtime_error);
  EXPECT_THROW(fullwave::importRun((dir_ / "nowhere").string()), std::runtime_error);
  // Exported again, the folder holds no earlier run's signals to be taken
  // for this one's.
  fullwave::exportRun(request(), out.string());
  EXPECT_THROW(fullwave::importRun(out.string()), std::runtime_error);
}

// An export replaces what holds its files' names and removes only what an
// earlier export's run left, by exact name: links planted in the folder
// never make it write (or make executable) another file, and the user's
// own files stay.
TEST_F(FullWaveCheck, AnExportNeitherWritesThroughLinksNorRemovesTheUsersFiles) {
  namespace rf = fullwave::run_folder;
  const fs::path out = dir_ / "cluster", outside = dir_ / "outside";
  std::ofstream(outside) << "the user's";
  fs::permissions(outside, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_directories(out);
  fs::create_symlink(outside, out / rf::kInput);
  // A folder no export made: its files of a run's names are the user's.
  EXPECT_THROW(fullwave::exportRun(request(), out.string()), std::runtime_error);
  EXPECT_TRUE(fs::is_symlink(out / rf::kInput));
  fs::remove(out / rf::kInput);
  fullwave::exportRun(request(), out.string());
  for (const char* name : {rf::kInput, rf::kScript, rf::kResult, rf::kSolverLog, rf::kFarFieldInput,
                           rf::kPortVoltage}) {
    fs::remove(out / name);
    fs::create_symlink(outside, out / name);
  }
  std::ofstream(out / "farfield.png") << "kept";
  std::ofstream(out / "nf2ff_notes.txt") << "kept";
  const std::string command = fullwave::exportRun(request(), out.string());
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const fullwave::Result r = fullwave::importRun(out.string());
  EXPECT_NEAR(r.solver.r.front(), 37, 1e-3);
  for (const auto& entry : fs::directory_iterator(out))
    EXPECT_FALSE(fs::is_symlink(entry.symlink_status())) << entry.path();
  EXPECT_EQ(fake_solver::readFile(outside), "the user's");
  EXPECT_EQ(fs::status(outside).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(fs::exists(out / "farfield.png") && fs::exists(out / "nf2ff_notes.txt"));
}

// The command an export prints is one word for the shell whatever the
// folder's name, and run.sh runs the solver in its own folder from
// anywhere: nothing in a name runs, nothing lands in the caller's folder.
TEST_F(FullWaveCheck, ThePrintedCommandRunsTheSolverInTheFolderWhateverItsName) {
  const fs::path from = dir_ / "caller";
  fs::create_directories(from);
  const fs::path before = fs::current_path();
  fs::current_path(from);
  int run = 0;
  for (const std::string name : {"$(touch ran)", "a`touch ran`b", "a;touch ran", "a&b", "<in",
                                 "with space", "-x", "it's", "line\nbreak\n", "R&D \"q\""}) {
    SCOPED_TRACE(name);
    const std::string command = fullwave::exportRun(request(), name);
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(runs(), ++run);
    EXPECT_TRUE(fs::exists(from / name / fullwave::run_folder::kPortVoltage));
  }
  ASSERT_EQ(std::system("sh -- -x/run.sh"), 0);
  EXPECT_EQ(runs(), ++run);
  fs::current_path(before);
  EXPECT_FALSE(fs::exists(from / fullwave::run_folder::kPortVoltage));
  EXPECT_FALSE(fs::exists(from / "ran"));
}

// A folder's files that are pipes, devices or far too large are refused
// with the reason, never waited for or read without end.
TEST_F(FullWaveCheck, AnImportRefusesPipesDevicesAndHugeFilesAtOnce) {
  namespace rf = fullwave::run_folder;
  const fs::path out = dir_ / "cluster";
  ASSERT_EQ(std::system(fullwave::exportRun(request(), out.string()).c_str()), 0);
  const auto importing = [&] { return refusal::of([&] { fullwave::importRun(out.string()); }); };
  struct Case {
    const char* name;
    std::string plant, reason;
  } cases[] = {
      {rf::kPortVoltage, "fifo", "port_ut1 is unusable: is not a regular file"},
      {rf::kPortCurrent, "/dev/zero", "port_it1 is unusable: is not a regular file"},
      {rf::kPortVoltage, "huge", "port_ut1 is unusable: is larger than 64 MiB"},
      {rf::kPortCurrent, "none", "cluster/port_it1 is unusable: No such file or directory"},
      {rf::kInput, "fifo", rf::kInput + std::string(": is not a regular file")},
      {rf::kRequest, "/dev/zero", rf::kRequest + std::string(": is not a regular file")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + (" as " + c.plant));
    const fs::path file = out / c.name, kept = dir_ / "kept";
    fs::rename(file, kept);
    if (c.plant == "fifo")
      ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    else if (c.plant == "huge")
      std::ofstream(file).close(), fs::resize_file(file, std::uintmax_t{80} << 20);
    else if (c.plant != "none")
      fs::create_symlink(c.plant, file);
    const std::string said = within_time::outcome(importing);
    EXPECT_NE(said.find(c.reason), std::string::npos) << said;
    fs::remove(file);
    fs::rename(kept, file);
  }
  // A run under way tells no end in a fresh log; a killed run's log goes stale.
  std::ofstream(out / rf::kSolverLog) << "[@        1s] Timestep:   300\n";
  EXPECT_NE(importing().find("still under way: its solver.log was written 0 s"), std::string::npos);
  fs::last_write_time(out / rf::kSolverLog,
                      fs::file_time_type::clock::now() - std::chrono::hours(1));
  EXPECT_EQ(within_time::outcome(importing), "accepted");
}

// A minute of set-up, then a fall of 2 dB a second to the -40 dB end: the
// time left is the fall's, not the minute's, and none is guessed before the
// fall is seen.
TEST(FullWaveProgress, TheTimeLeftFollowsTheFallNotTheSetUp) {
  fullwave::RingDownClock clock(-40);
  for (int t = 0; t <= 60; t += 10) clock.note(t, 0);
  EXPECT_FALSE(clock.secondsLeft());
  for (int t = 61; t <= 79; ++t) {
    clock.note(t, -2.0 * (t - 60));
    EXPECT_NEAR(clock.secondsLeft().value_or(-1), t > 61 ? 80 - t : -1, 1e-9) << t;
  }
}

TEST(FullWaveTrim, ASolverWithALongerPatchIsTrimmedWithinTolerance) {
  // The "solver" is the classic model of a patch 2% longer and a feed
  // moved: the trim must find the length and feed that undo both.
  const antenna::Board board;
  const auto solver = [&](antenna::Patch p) {
    p.length *= 1.02;
    p.feedOffset *= 0.9;
    return *fullwave::modelResonance(p, board, antenna::ImpedanceModel(), 2.4e9);
  };
  const double f0 = 2.4e9, z0 = 50;
  fullwave::Trimmer t(kFr4, board, antenna::ImpedanceModel(), f0, z0);
  for (bool again = true; again;) {
    const fullwave::Resonance r = solver(t.current());
    again = t.take(r.hz, r.r);
  }
  ASSERT_TRUE(t.met()) << t.stepText(t.steps().back());
  EXPECT_LE(t.steps().size(), 5u);
  const fullwave::Resonance last = solver(t.steps().back().patch);
  EXPECT_NEAR(last.hz, f0, 0.002 * f0);
  EXPECT_NEAR(last.r, z0, 0.05 * z0);
  EXPECT_THROW(fullwave::Trimmer(kFr4, board, antenna::ImpedanceModel(), 0, 50),
               std::invalid_argument);
}

class FullWaveScript : public session::ScriptTest {
 protected:
  Outcome withPath(const std::string& path, const std::string& script) {
    std::ofstream(dir_ / "script.txt") << session::kWorkedExampleScript << script;
    // No step of a check needs TMPDIR.
    return shell("env TMPDIR=/nonexistent PATH='" + path + "' XDG_CACHE_HOME='" +
                 (dir_ / "cache").string() + "' '" + program_.string() + "' script.txt");
  }
};

TEST_F(FullWaveScript, PrintsItsFiguresAndSaysWhyItCannot) {
  writeFakeSolver(dir_);
  const std::string fake = (dir_ / "bin").string() + ":/usr/bin:/bin";
  // The Match figure's overlay says whether it is of the window's design.
  Outcome ok = withPath(fake, "fullwave draft\nmatch\ntype edit2 31\nmatch\n");
  ASSERT_EQ(ok.status, 0) << ok.err;
  const std::size_t matches = ok.out.find("\"matches_design\": true");
  EXPECT_NE(matches, std::string::npos) << ok.out;
  EXPECT_NE(ok.out.find("\"matches_design\": false", matches), std::string::npos) << ok.out;
  for (const char* key : {"resonance_ghz", "shift_percent", "folder"})
    EXPECT_NE(ok.out.find("\"" + std::string(key) + "\": "), std::string::npos) << key;
  // The band's edges under one key, in the check's line and the Match figure's.
  std::size_t bands = 0;
  for (std::size_t at = 0; (at = ok.out.find("\"band_ghz\": ", at)) != std::string::npos; ++at)
    ++bands;
  EXPECT_GE(bands, 3u) << ok.out;
  EXPECT_NE(ok.out.find("\"timesteps\": 900"), std::string::npos) << ok.out;

  Outcome missing = withPath("/nonexistent", "fullwave\n");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("apt install openems"), std::string::npos) << missing.err;

  fs::remove_all(dir_ / "bin");
  writeFakeSolver(dir_, "kill -SEGV $$\n");
  Outcome crash = withPath(fake, "type edit7 9\nfullwave draft\n");
  EXPECT_EQ(crash.status, 2);
  EXPECT_NE(crash.err.find("signal 11"), std::string::npos) << crash.err;
  Outcome bad = withPath(fake, "fullwave coarse\n");
  EXPECT_NE(bad.err.find("quick, standard or fine"), std::string::npos) << bad.err;

  // A large run is refused with its size until the script says yes.
  writeFakeSolver(dir_);
  Outcome large = withPath(fake, "type edit6 300\nfullwave quick\n");
  EXPECT_EQ(large.status, 2);
  EXPECT_NE(large.err.find("million cells"), std::string::npos) << large.err;
  EXPECT_NE(large.err.find("\"fullwave quick large=yes\""), std::string::npos) << large.err;
  Outcome yes = withPath(fake, "type edit6 300\nfullwave quick large=yes\n");
  EXPECT_EQ(yes.status, 0) << yes.err;
}

}  // namespace

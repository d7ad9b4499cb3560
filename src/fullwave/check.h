// The full-wave check of a design as the window and the script use it: the
// request (patch, board, band, quality) becomes a kept run folder under the
// user's cache, found again when the same check is asked twice, started in
// the background otherwise and read back into R and X beside the model's.
// The same folder can be written without running (for a cluster) and read
// back when a solver elsewhere has filled it. Its files are named in
// run_folder.h; the trim that runs one check after another is in trim.h.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "antenna/models.h"
#include "antenna/readout.h"
#include "fullwave/cache.h"
#include "fullwave/nf2ff.h"
#include "fullwave/openems_model.h"
#include "fullwave/run.h"

namespace fullwave {

using antenna::ImpedanceModel;

// "draft", "quick", "standard", "fine".
std::string_view solverQualityName(SolverQuality q);
std::optional<SolverQuality> solverQualityNamed(std::string_view name);

// The solver's threads for a mesh of `cells` on a machine with `cores` cores
// at `loadAverage`. Below some 300,000 cells one thread is faster even on an
// idle machine (the mesh fits the cache and a second thread only adds
// waiting); above it two win when the other core is free, and one when it is
// busy (measured in bench/fullwave.md).
int solverThreadsFor(double loadAverage, int cores, long cells);
int defaultSolverThreads(long cells);

struct Request {
  antenna::Patch patch;
  antenna::Board board;
  antenna::Band band;
  SolverQuality quality = SolverQuality::Quick;
};

// The frequencies the solver's result is read at (Hz).
std::vector<double> resultFrequencies(antenna::Band band);

// A request with what the solver makes of it, each worked out once: the
// layout (mesh, cells, end criterion) and the solver's input, the model
// with near-field dumps around the classic model's resonance for the far
// field. Throws std::invalid_argument for a design the solver cannot take.
struct SolverJob {
  Request request;
  SolverLayout layout;
  std::string input;
};
SolverJob solverJob(const Request& request);

// What a run of a job will take, judged before it starts from its layout:
// the mesh's cells, the time steps (the excitation's length and the ring-down
// to the end criterion, at the Courant step of the smallest cells), the
// solver's memory (about 50 bytes a cell beside some 40 MB of its own,
// measured on openEMS 0.0.35) and its time at some 50 million cell-steps a
// second (bench/fullwave.md). A guide to the order of a run, not a promise:
// a thin board rings longer.
struct RunSize {
  long long cells = 0, timesteps = 0;
  double bytes = 0, seconds = 0;
};
RunSize runSize(const SolverJob& job);
// A run above 2 GB of memory (or half of this machine's) or an hour: one
// that is not started without the user's yes.
bool isLarge(const RunSize& size);
// "289 million cells, about 14 GB of memory and some 40 h".
std::string sizeText(const RunSize& size);

// Thrown by a Check of a large run that the user has not confirmed; what()
// says its size.
class LargeRun : public std::invalid_argument {
 public:
  explicit LargeRun(const RunSize& size);
  RunSize size;
};

// What a finished run measured, kept in its folder beside the result.
struct Stats {
  long long cells = 0, timesteps = 0;
  double seconds = 0, endDb = 0;
  bool truncated = false;  // stopped above its end criterion
};

// What a check gives, in memory: the figures show it from here, without
// reading back the folder's files.
struct Result {
  std::string folder;
  Request request;
  Stats stats;
  antenna::Sweep solver;  // at resultFrequencies
  bool fromCache = false;
  std::optional<FarField> farField{};  // at the dump nearest the resonance
  std::string farFieldError{};         // why there is none
  formats::OnePort s11{};              // as the folder's run_folder::kResult holds it
};

// The peak of R of an impedance sweep, placed between samples.
struct Resonance {
  double hz = 0, r = 0;
};
std::optional<Resonance> resonanceOf(const antenna::Sweep& s);

// The chosen model's impedance at the result's frequencies.
antenna::Sweep modelSweep(const Request& r, ImpedanceModel model);

// The figures a script reads (and the figure shows) of a result against
// the model; NaN where there is none.
struct Summary {
  double resonanceHz = NAN, rAtResonance = NAN, modelResonanceHz = NAN, modelR = NAN;
  double shiftPercent = NAN, shiftHz = NAN, s11MinDb = NAN, bandwidthHz = NAN;
  double bandFromHz = NAN, bandToHz = NAN;  // the solver's -10 dB band's edges
  double modelS11MinDb = NAN, modelBandwidthHz = NAN;
  double directivityDbi = NAN;
};
Summary summarise(const Result& result, const antenna::Sweep& model);

// Why a result's figures may be off, in sentences: it stopped above its end
// criterion, or its |S11| rises above 0 dB, which no passive antenna gives
// (a mesh too coarse for it); empty when neither.
std::string cautionNote(const Result& result);

// The kept result of a request, with its far field, when the same check
// has run before with the installed solver; nothing otherwise, and nothing
// while another check or lookup holds its folder (it runs no solver, only
// the far field's transform).
std::optional<Result> keptResult(const Request& request);

// The time a run has left, from how fast its energy falls. Once the
// pulse has passed, the energy falls about linearly in dB, at a rate that
// settles as the pulse leaves: the rate since the level was half what it is
// now (in dB) gives the time to the end. The rate since the start would
// count the solver's set-up and the pulse's passage, and promise minutes
// that end in seconds.
class RingDownClock {
 public:
  // For a run that ends at `endDb` (its end criterion, below 0).
  explicit RingDownClock(double endDb) : endDb_(endDb) {}
  // The run's best level so far (dB, 0 or below) at `seconds` since it began.
  void note(double seconds, double levelDb);
  // None until the level has fallen a dB in a while.
  std::optional<double> secondsLeft() const;

 private:
  std::vector<std::pair<double, double>> fall_;  // seconds and dB, as the level went down
  double endDb_, seconds_ = 0, levelDb_ = 0;
};

// A check: a kept result found at once, or a run started in the background
// that poll() follows without blocking. Throws std::invalid_argument for a
// design the solver cannot take, LargeRun for a large run unless `large`
// says the user wants it, and std::runtime_error when the solver is not
// installed (the message says how to install it).
//
// A check holds its folder's lock from its look-up to its end. One that
// finds the same design under way elsewhere (another window or script)
// waits for it, Running, and takes its result from the cache; when that run
// gives none, it runs the solver itself.
class Check {
 public:
  using State = Run::State;
  explicit Check(const Request& request, int threads = 0, bool large = false);
  // A check dropped while its solver runs (its figure closed) stops it and
  // leaves no folder behind.
  ~Check();
  Check(const Check&) = delete;
  Check& operator=(const Check&) = delete;
  State poll();
  void cancel();
  State state() const { return state_; }
  const std::string& message() const { return message_; }
  const std::string& folder() const { return folder_; }
  const std::optional<Result>& result() const { return result_; }
  // Waiting for another check of the same design.
  bool waiting() const { return waiting_; }

  // Progress from 0 to 1: the energy's best decay against the end
  // criterion, or the time steps against their limit, whichever is further.
  double fraction() const;
  double elapsedSeconds() const;
  // The time left, judged from the progress so far; none before any.
  std::optional<double> remainingSeconds() const;
  std::string progressText() const;

 private:
  void startRun();
  void fromCache(Result kept);
  void collect();
  void fail(const std::string& message);

  SolverJob job_;
  RingDownClock clock_;
  int threads_;
  std::string folder_;
  std::uintmax_t cacheBound_;
  std::optional<FolderLock> lock_;  // let go after the run (declared before it)
  bool waiting_ = false;
  std::unique_ptr<Run> run_;
  State state_ = State::Running;
  std::string message_;
  std::optional<Result> result_;
  double bestDb_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Writes a run's folder into `dir` without running it: the solver's input,
// the request it answers and run.sh, which runs the solver in its own
// folder from wherever it is called. Gives the command that runs it, quoted
// for the shell whatever the folder's name. The files are replaced, never
// written through (a link planted there stays pointing at an untouched
// file). What an earlier export's run left (run_folder::leftByARun, by exact
// name) is removed; a folder that holds files of those names or of the
// exported ones without an earlier export's request is refused, as they
// are the user's. Throws std::runtime_error with the reason.
std::string exportRun(const Request& request, const std::string& dir);
// Reads a folder that export wrote and a solver has run: checks its input
// is the request's, reads the port's signals and writes the result there.
// Every file is read through the bounded reader: a pipe, a device or a
// file beyond kMaxRunFileBytes is refused with the reason, as is a signal
// whose time does not increase.
Result importRun(const std::string& dir);

// The chosen model's resonance and R there for a patch, searched around
// `nearHz` (none when the model has no R peak there).
std::optional<Resonance> modelResonance(const antenna::Patch& p, const antenna::Board& board,
                                        ImpedanceModel model, double nearHz);

}  // namespace fullwave

// Runs the openEMS solver as a child process in a folder of its own, reads
// its progress without blocking, stops it on request and turns what it left
// into the port's impedance, kept as a Touchstone file in the same folder.
// Plain C++ and POSIX, so a test drives it directly and a window drives it
// from a timer by calling poll().
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "formats/touchstone.h"
#include "fullwave/port_signals.h"
#include "fullwave/process.h"

namespace fullwave {

// Where finished runs are kept: $XDG_CACHE_HOME/tessivar/fullwave/<key>,
// or ~/.cache/... when XDG_CACHE_HOME is not an absolute folder. Throws
// std::runtime_error, saying so, when HOME is not one either.
std::string cacheFolder(const std::string& key);

// The installed solver's version, or an empty string with `error` filled
// (not installed, or not runnable).
std::string installedSolverVersion(std::string& error);

// The most bytes a file of a run's folder may hold: the port's signals of
// the longest run the input allows (a million time steps) take some 30 MB.
inline constexpr std::size_t kMaxRunFileBytes = std::size_t{64} << 20;

// The bytes of a file of a run's folder, read through the bounded reader:
// a pipe, a device or a file larger than kMaxRunFileBytes is refused, so a
// folder cannot make the program wait or grow without end. Nothing, with
// `why` (the reason alone), when it cannot be read.
std::optional<std::string> readRunFile(const std::string& path, std::string& why);
// The same, empty when it cannot be read (a missing file is one the run has
// not written yet).
std::string readRunFile(const std::string& path);

// A file the run's folder gets beside the solver's input.
struct RunFile {
  std::string name, bytes;
};

class Run {
 public:
  enum class State { Running, Finished, Cancelled, Failed };

  // Clears `folder`, writes `solverInput` (as run_folder::kInput) and
  // `alongside` there, each whole, and starts the solver on it. A file that
  // cannot be written (a full disk) or a start that fails leaves the run
  // Failed with a message naming the file and the reason, nothing started
  // and no folder.
  Run(std::string folder, const std::string& solverInput, int threads,
      std::string program = "openEMS", const std::vector<RunFile>& alongside = {});
  ~Run();
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  // Reads what the solver printed, notices its end and, after a cancel,
  // escalates to signals when it does not stop. Never blocks. A run that
  // met a full disk (the solver said so, or failed with next to no room
  // left) fails saying that, whatever signal or status it ended with.
  State poll();
  // Asks the solver to stop (run_folder::kAbort in its folder); a solver
  // that is still running after `grace` is terminated, then killed. The
  // folder is removed once the process is gone.
  void cancel(std::chrono::milliseconds grace = std::chrono::milliseconds(3000));
  // Waits (polling) until the run ends or `limit` passes; returns the state.
  State wait(std::chrono::milliseconds limit);

  State state() const { return state_; }
  const std::optional<SolverProgress>& progress() const { return progress_; }
  const std::string& message() const { return message_; }
  const std::string& folder() const { return folder_; }

 private:
  void readOutput();
  void finish(int status);

  std::string folder_;
  std::optional<Process> solver_;
  std::string outPending_, errText_;
  std::optional<SolverProgress> progress_;
  State state_ = State::Running;
  std::string message_;
  bool saidFull_ = false;  // a line of its output told of a full disk
  bool cancelling_ = false;
  int signalsSent_ = 0;
  std::chrono::steady_clock::time_point cancelAt_;
  std::chrono::milliseconds grace_{0};
};

// Reads the port's signals from a finished run's folder, computes Zin and
// S11 at `frequencies` and writes them as run_folder::kResult in the
// folder. Returns nothing and fills `error` when the run left no usable
// result.
std::optional<PortResponse> readResult(const std::string& folder,
                                       const std::vector<double>& frequencies, std::string& error);

// The port's S11 as the result file holds it (at 50 ohm).
formats::OnePort onePortOf(const PortResponse& response);

// A kept run's result, when its folder holds one that a finished run wrote
// whole (ending with its last line) and no ABORT file: what a cache lookup
// may show.
std::optional<formats::OnePort> cachedResult(const std::string& folder);

}  // namespace fullwave

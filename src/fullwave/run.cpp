// The solver as a child process (a Process). Its stdout and stderr come
// through non-blocking pipes. The solver stops on an ABORT file at its next
// progress check; a solver that ignores it gets SIGTERM, then SIGKILL.
#include "fullwave/run.h"

#include <signal.h>
#include <sys/statvfs.h>
#include <sys/wait.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "formats/touchstone.h"
#include "fullwave/openems_model.h"
#include "fullwave/run_folder.h"
#include "platform/files/atomic_file.h"
#include "platform/files/bounded_file.h"
#include "platform/files/user_folders.h"

namespace fullwave {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSolverProgram = "openEMS";
constexpr const char* kInstallHint = "install it with: apt install openems";
constexpr size_t kStderrKept = 64 * 1024;

std::string notStarted(int e, const std::string& program) {
  if (e == ENOENT)
    return "The full-wave solver (" + program + ") is not installed; " + kInstallHint + ".";
  return "The full-wave solver (" + program + ") could not be started: " + std::strerror(e) + ".";
}

// Whether the file system holding `folder` has next to no room left for
// the user (what a solver that died writing its dumps leaves behind).
bool diskFull(const std::string& folder) {
  struct statvfs fs {};
  if (statvfs(folder.c_str(), &fs) != 0) return false;
  return static_cast<double>(fs.f_bavail) * static_cast<double>(fs.f_frsize) < 1024.0 * 1024;
}

// Whether the solver complained of a full disk, in the C locale's words or
// in ours.
bool saidDiskFull(std::string_view text) {
  return text.find("No space left on device") != std::string::npos ||
         text.find(std::strerror(ENOSPC)) != std::string::npos;
}

}  // namespace

std::optional<std::string> readRunFile(const std::string& path, std::string& why) {
  return rt::readBoundedFile(path, kMaxRunFileBytes, why);
}

std::string readRunFile(const std::string& path) {
  std::string why;
  return readRunFile(path, why).value_or(std::string());
}

std::string cacheFolder(const std::string& key) {
  const std::string base = rt::userFolder("XDG_CACHE_HOME", ".cache");
  if (base.empty())
    throw std::runtime_error(
        "The full-wave check keeps its runs under XDG_CACHE_HOME or HOME, and neither is set to "
        "an absolute folder: set one and check again.");
  return (fs::path(base) / "tessivar" / "fullwave" / key).string();
}

std::string installedSolverVersion(std::string& error) {
  // The solver prints its banner, then refuses "--help" as an input file.
  // Run in the root folder, which every process has: the query needs no
  // folder of its own, and an unusable TMPDIR must not fail the check.
  Process query({{kSolverProgram, "--help"}, "/"});
  if (!query.started()) {
    error = notStarted(query.startError(), kSolverProgram);
    return {};
  }
  std::string text, complaints;
  query.wait(text, complaints);
  std::string v = solverVersion(text);
  if (v.empty())
    error = std::string("The program named ") + kSolverProgram + " did not tell its version.";
  return v;
}

Run::Run(std::string folder, const std::string& solverInput, int threads, std::string program,
         const std::vector<RunFile>& alongside)
    : folder_(std::move(folder)) {
  std::error_code ec;
  // A folder left by an earlier run (an ABORT file, old probes) is cleared so
  // that nothing of it is read as this run's result.
  fs::remove_all(folder_, ec);
  fs::create_directories(folder_, ec);
  if (ec) {
    state_ = State::Failed;
    message_ = "Cannot make the run's folder " + folder_ + ": " + ec.message() + ".";
    return;
  }
  std::vector<RunFile> files = {{run_folder::kInput, solverInput}};
  files.insert(files.end(), alongside.begin(), alongside.end());
  for (const RunFile& f : files) {
    const std::string failure =
        rt::writeFileAtomically((fs::path(folder_) / f.name).string(), f.bytes);
    if (!failure.empty()) {
      state_ = State::Failed;
      message_ = "The full-wave run did not start: " + failure + ".";
      fs::remove_all(folder_, ec);
      return;
    }
  }
  solver_.emplace(
      Launch{{program, run_folder::kInput, "--numThreads=" + std::to_string(threads)}, folder_});
  if (!solver_->started()) {
    state_ = State::Failed;
    message_ = notStarted(solver_->startError(), program);
    fs::remove_all(folder_, ec);
  }
}

Run::~Run() = default;

void Run::readOutput() {
  solver_->read(outPending_, errText_);
  if (errText_.size() > kStderrKept) errText_.erase(0, errText_.size() - kStderrKept);
  size_t nl;
  while ((nl = outPending_.find('\n')) != std::string::npos) {
    const std::string_view line = std::string_view(outPending_).substr(0, nl);
    if (auto p = parseSolverProgress(line)) progress_ = p;
    saidFull_ = saidFull_ || saidDiskFull(line);
    outPending_.erase(0, nl + 1);
  }
}

Run::State Run::poll() {
  if (!solver_ || !solver_->running()) return state_;
  readOutput();
  if (const std::optional<int> status = solver_->poll()) {
    readOutput();
    finish(*status);
    return state_;
  }
  if (cancelling_ && std::chrono::steady_clock::now() - cancelAt_ > grace_ * (signalsSent_ + 1)) {
    solver_->signal(signalsSent_ == 0 ? SIGTERM : SIGKILL);
    ++signalsSent_;
  }
  return state_;
}

void Run::cancel(std::chrono::milliseconds grace) {
  if (state_ != State::Running || cancelling_) return;
  cancelling_ = true;
  cancelAt_ = std::chrono::steady_clock::now();
  grace_ = grace;
  std::ofstream(fs::path(folder_) / run_folder::kAbort) << "cancelled\n";
}

Run::State Run::wait(std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (poll() == State::Running && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return state_;
}

void Run::finish(int status) {
  std::error_code ec;
  if (cancelling_) {
    state_ = State::Cancelled;
    message_ = "The full-wave run was cancelled.";
    fs::remove_all(folder_, ec);
    return;
  }
  state_ = State::Failed;
  const bool failed = WIFSIGNALED(status) || WEXITSTATUS(status) != 0;
  // A full disk first: the solver that meets one crashes or fails (or goes
  // on with its files cut short), and its signal would hide the reason.
  if (saidFull_ || saidDiskFull(errText_) || saidDiskFull(outPending_) ||
      (failed && diskFull(folder_))) {
    message_ = "The disk holding " + folder_ +
               " is full (No space left on device); the full-wave run stopped. Free space and "
               "check again.";
  } else if (WIFSIGNALED(status)) {
    message_ = std::string("The full-wave solver was stopped by signal ") +
               std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ").";
  } else if (WEXITSTATUS(status) != 0) {
    message_ = "The full-wave solver failed (exit status " + std::to_string(WEXITSTATUS(status)) +
               (WEXITSTATUS(status) == 255 ? ": it could not read its input" : "") + ").";
  } else if (errText_.find("Max. number of timesteps was reached") != std::string::npos) {
    message_ =
        "The full-wave run was cut off at its time-step limit before its energy fell "
        "far enough; its result would not be trustworthy.";
  } else if (fs::exists(fs::path(folder_) / run_folder::kAbort)) {
    message_ = "The full-wave run was stopped by an ABORT file it did not ask for.";
  } else {
    state_ = State::Finished;
    message_.clear();
    return;
  }
  // A failed run's folder holds nothing to show: its signals go too, so that
  // no later read takes them for a result.
  for (const char* f : {run_folder::kResult, run_folder::kPortVoltage, run_folder::kPortCurrent})
    fs::remove(fs::path(folder_) / f, ec);
}

formats::OnePort onePortOf(const PortResponse& response) {
  formats::OnePort port;
  port.hz = response.frequency;
  port.s11 = response.s11;
  return port;
}

std::optional<formats::OnePort> cachedResult(const std::string& folder) {
  const fs::path dir(folder);
  std::error_code ec;
  if (fs::exists(dir / run_folder::kAbort, ec) || !fs::exists(dir / run_folder::kResult, ec))
    return std::nullopt;
  // A file that does not end with its last line was cut short.
  const std::string path = (dir / run_folder::kResult).string();
  std::string why;
  const auto text = rt::readBoundedFile(path, formats::kMaxTouchstoneBytes, why);
  if (!text || text->empty() || text->back() != '\n') return std::nullopt;
  try {
    return formats::parseTouchstone(*text, path);
  } catch (const formats::TouchstoneError&) {
    return std::nullopt;
  }
}

std::optional<PortResponse> readResult(const std::string& folder,
                                       const std::vector<double>& frequencies, std::string& error) {
  const fs::path dir(folder);
  if (fs::exists(dir / run_folder::kAbort)) {
    error = "The run in " + folder + " was aborted; it holds no result.";
    return std::nullopt;
  }
  // A failure names the file: an import may be of any folder.
  const auto signal = [&](const char* what, const char* name) {
    std::string why;
    const auto text = readRunFile(dir / name, why);
    auto read = text ? parseProbeSignal(*text, why) : std::nullopt;
    if (!read)
      error = std::string("The port ") + what + " file " + (dir / name).string() +
              " is unusable: " + why + ".";
    return read;
  };
  const auto v = signal("voltage", run_folder::kPortVoltage);
  if (!v) return std::nullopt;
  const auto c = signal("current", run_folder::kPortCurrent);
  if (!c) return std::nullopt;
  double peakV = 0, peakI = 0;
  for (double x : v->value) peakV = std::max(peakV, std::abs(x));
  for (double x : c->value) peakI = std::max(peakI, std::abs(x));
  if (peakV == 0 || peakI == 0) {
    error = "The run put no energy into the port (its signals are zero).";
    return std::nullopt;
  }
  auto r = portResponse(*v, *c, frequencies);
  for (const auto& z : r.zin)
    if (!std::isfinite(z.real()) || !std::isfinite(z.imag())) {
      error = "The run's impedance is not a number at some frequency.";
      return std::nullopt;
    }
  // A link planted in the folder is replaced, never written through.
  const std::string failure = rt::replaceFileAtomically(
      (dir / run_folder::kResult).string(),
      formats::formatTouchstone(onePortOf(r), {"openEMS full-wave run: S11 at the lumped port"}));
  if (!failure.empty()) {
    error = "The run's result could not be kept: " + failure + ".";
    return std::nullopt;
  }
  return r;
}

}  // namespace fullwave

// The solver as a child process. Its stdout and stderr come through
// non-blocking pipes; a failed exec is reported through a third pipe closed
// on exec, so "not installed" is told apart from a solver that ran and
// failed. The solver stops on an ABORT file at its next progress check; a
// solver that ignores it gets SIGTERM, then SIGKILL.
#include "fullwave/run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "formats/touchstone.h"
#include "fullwave/openems_model.h"
#include "platform/files/atomic_file.h"
#include "platform/files/bounded_file.h"

namespace fullwave {

namespace fs = std::filesystem;

namespace {

constexpr const char* kInputFile = "model.xml";
constexpr const char* kInstallHint = "install it with: apt install openems";
constexpr size_t kStderrKept = 64 * 1024;

// Starts `argv` in `dir` with stdout and stderr on pipes. Returns the pid, or
// -1 with errno set to why exec failed.
pid_t spawnIn(const std::string& dir, const std::vector<std::string>& argv, int& out, int& err) {
  int po[2], pe[2], px[2];
  if (pipe(po) != 0) return -1;
  if (pipe(pe) != 0) {
    close(po[0]), close(po[1]);
    return -1;
  }
  if (pipe2(px, O_CLOEXEC) != 0) {
    close(po[0]), close(po[1]), close(pe[0]), close(pe[1]);
    return -1;
  }
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    // The child: only async-signal-safe calls until exec.
    setpgid(0, 0);
    dup2(po[1], 1);
    dup2(pe[1], 2);
    close(po[0]), close(pe[0]), close(px[0]);
    int e = 0;
    if (chdir(dir.c_str()) != 0) e = errno;
    if (e == 0) {
      execvp(args[0], args.data());
      e = errno;
    }
    (void)!write(px[1], &e, sizeof e);
    _exit(127);
  }
  // Set from both sides, so a signal to the group cannot come before it exists.
  if (pid > 0) setpgid(pid, pid);
  close(po[1]), close(pe[1]), close(px[1]);
  if (pid < 0) {
    const int e = errno;
    close(po[0]), close(pe[0]), close(px[0]);
    errno = e;
    return -1;
  }
  int e = 0;
  ssize_t n;
  do n = read(px[0], &e, sizeof e);
  while (n < 0 && errno == EINTR);
  close(px[0]);
  if (n == static_cast<ssize_t>(sizeof e)) {
    waitpid(pid, nullptr, 0);
    close(po[0]), close(pe[0]);
    errno = e;
    return -1;
  }
  fcntl(po[0], F_SETFL, fcntl(po[0], F_GETFL) | O_NONBLOCK);
  fcntl(pe[0], F_SETFL, fcntl(pe[0], F_GETFL) | O_NONBLOCK);
  out = po[0];
  err = pe[0];
  return pid;
}

std::string notStarted(int e, const std::string& program) {
  if (e == ENOENT)
    return "The full-wave solver (" + program + ") is not installed; " + kInstallHint + ".";
  return "The full-wave solver (" + program + ") could not be started: " + std::strerror(e) + ".";
}

}  // namespace

std::string readRunFile(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string cacheFolder(const std::string& key) {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  fs::path base = xdg && *xdg ? fs::path(xdg) : fs::path(home && *home ? home : "/tmp") / ".cache";
  return (base / "tessivar" / "fullwave" / key).string();
}

std::string installedSolverVersion(std::string& error) {
  // The solver prints its banner, then refuses "--help" as an input file.
  const fs::path dir = fs::temp_directory_path();
  int out = -1, err = -1;
  const pid_t pid = spawnIn(dir.string(), {"openEMS", "--help"}, out, err);
  if (pid < 0) {
    error = notStarted(errno, "openEMS");
    return {};
  }
  fcntl(out, F_SETFL, fcntl(out, F_GETFL) & ~O_NONBLOCK);
  std::string text;
  char buf[4096];
  ssize_t n;
  while ((n = read(out, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
    if (n > 0) text.append(buf, static_cast<size_t>(n));
  close(out), close(err);
  waitpid(pid, nullptr, 0);
  std::string v = solverVersion(text);
  if (v.empty()) error = "The program named openEMS did not tell its version.";
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
  std::vector<RunFile> files = {{kInputFile, solverInput}};
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
  pid_ = spawnIn(folder_, {program, kInputFile, "--numThreads=" + std::to_string(threads)}, out_,
                 err_);
  if (pid_ < 0) {
    state_ = State::Failed;
    message_ = notStarted(errno, program);
    fs::remove_all(folder_, ec);
  }
}

Run::~Run() {
  if (pid_ > 0) {
    kill(-pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_ >= 0) close(out_);
  if (err_ >= 0) close(err_);
}

void Run::readPipe(int& fd, std::string& pending, bool isStdout) {
  if (fd < 0) return;
  char buf[4096];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
      pending.append(buf, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) {
      close(fd);
      fd = -1;
    }
    break;
  }
  if (!isStdout) {
    if (pending.size() > kStderrKept) pending.erase(0, pending.size() - kStderrKept);
    return;
  }
  size_t nl;
  while ((nl = pending.find('\n')) != std::string::npos) {
    if (auto p = parseSolverProgress(std::string_view(pending).substr(0, nl))) progress_ = p;
    pending.erase(0, nl + 1);
  }
}

Run::State Run::poll() {
  if (pid_ <= 0) return state_;
  readPipe(out_, outPending_, true);
  readPipe(err_, errText_, false);
  int status = 0;
  const pid_t r = waitpid(pid_, &status, WNOHANG);
  if (r == pid_) {
    readPipe(out_, outPending_, true);
    readPipe(err_, errText_, false);
    pid_ = -1;
    finish(status);
    return state_;
  }
  if (cancelling_ && std::chrono::steady_clock::now() - cancelAt_ > grace_ * (signalsSent_ + 1)) {
    kill(-pid_, signalsSent_ == 0 ? SIGTERM : SIGKILL);
    ++signalsSent_;
  }
  return state_;
}

void Run::cancel(std::chrono::milliseconds grace) {
  if (state_ != State::Running || cancelling_) return;
  cancelling_ = true;
  cancelAt_ = std::chrono::steady_clock::now();
  grace_ = grace;
  std::ofstream(fs::path(folder_) / "ABORT") << "cancelled\n";
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
  if (WIFSIGNALED(status)) {
    message_ = std::string("The full-wave solver was stopped by signal ") +
               std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ").";
  } else if (WEXITSTATUS(status) != 0) {
    message_ = "The full-wave solver failed (exit status " + std::to_string(WEXITSTATUS(status)) +
               (WEXITSTATUS(status) == 255 ? ": it could not read its input" : "") + ").";
  } else if (errText_.find("Max. number of timesteps was reached") != std::string::npos) {
    message_ =
        "The full-wave run was cut off at its time-step limit before its energy fell "
        "far enough; its result would not be trustworthy.";
  } else if (fs::exists(fs::path(folder_) / "ABORT")) {
    message_ = "The full-wave run was stopped by an ABORT file it did not ask for.";
  } else {
    state_ = State::Finished;
    message_.clear();
    return;
  }
  // A failed run's folder holds nothing to show: its signals go too, so that
  // no later read takes them for a result.
  for (const char* f : {kResultFile, kPortVoltageFile, kPortCurrentFile})
    fs::remove(fs::path(folder_) / f, ec);
}

std::optional<formats::OnePort> cachedResult(const std::string& folder) {
  const fs::path dir(folder);
  std::error_code ec;
  if (fs::exists(dir / "ABORT", ec) || !fs::exists(dir / kResultFile, ec)) return std::nullopt;
  // A file that does not end with its last line was cut short.
  const std::string path = (dir / kResultFile).string();
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
  if (fs::exists(dir / "ABORT")) {
    error = "The run in " + folder + " was aborted; it holds no result.";
    return std::nullopt;
  }
  std::string why;
  const auto v = parseProbeSignal(readRunFile(dir / kPortVoltageFile), why);
  if (!v) {
    error = "The port voltage file is unusable: " + why + ".";
    return std::nullopt;
  }
  const auto c = parseProbeSignal(readRunFile(dir / kPortCurrentFile), why);
  if (!c) {
    error = "The port current file is unusable: " + why + ".";
    return std::nullopt;
  }
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
  formats::OnePort port;
  for (size_t i = 0; i < r.frequency.size(); ++i) {
    port.ghz.push_back(r.frequency[i] / 1e9);
    port.s11.push_back(r.s11[i]);
  }
  const std::string failure = rt::writeFileAtomically(
      (dir / kResultFile).string(),
      formats::formatTouchstone(port, {"openEMS full-wave run: S11 at the lumped port"}));
  if (!failure.empty()) {
    error = "The run's result could not be kept: " + failure + ".";
    return std::nullopt;
  }
  return r;
}

}  // namespace fullwave

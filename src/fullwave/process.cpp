// fork and exec, with every pipe and file opened close-on-exec so that the
// program keeps only its standard streams; between fork and exec the child
// makes async-signal-safe calls only.
//
// No program outlives us: the child asks the kernel to kill it when its
// parent dies (however it dies, SIGKILL included), and an interrupt, a
// termination or a hang-up of ours first kills the groups of the programs
// still running (what they started too), then ends us as it would have.
#include "fullwave/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <iterator>
#include <mutex>

namespace fullwave {

namespace {

void closeFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Appends what `fd` holds now; closes it at its end.
void readSome(int& fd, std::string& into) {
  if (fd < 0) return;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      into.append(buf, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) closeFd(fd);
    return;
  }
}

// In the child: `fd` becomes standard stream `target`, kept across exec
// (a stream that already is `target` only loses its close-on-exec).
void becomeStream(int fd, int target) {
  if (fd == target)
    fcntl(fd, F_SETFD, 0);
  else
    dup2(fd, target);
}

// The process groups of the programs running, for the signal handler:
// lock-free slots, as a handler may read them at any moment.
constexpr int kSlots = 64;
std::atomic<pid_t> gRunning[kSlots];
static_assert(std::atomic<pid_t>::is_always_lock_free);

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gBefore[std::size(kEndingSignals)];

void remember(pid_t pid) {
  for (auto& slot : gRunning) {
    pid_t none = 0;
    if (slot.compare_exchange_strong(none, pid)) return;
  }
}

void forget(pid_t pid) {
  for (auto& slot : gRunning) {
    pid_t p = pid;
    if (slot.compare_exchange_strong(p, 0)) return;
  }
}

// Kills what runs, then hands the signal on: to the handler there was
// before, or to its default action (the program ends by it).
void onEndingSignal(int sig, siginfo_t* info, void* context) {
  const int saved = errno;
  for (auto& slot : gRunning)
    if (const pid_t p = slot.load(); p > 0) kill(-p, SIGKILL), kill(p, SIGKILL);
  for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
    if (kEndingSignals[i] != sig) continue;
    const struct sigaction& before = gBefore[i];
    if (before.sa_flags & SA_SIGINFO) {
      before.sa_sigaction(sig, info, context);
    } else if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN) {
      before.sa_handler(sig);
    } else {
      signal(sig, SIG_DFL);
      raise(sig);  // delivered once this handler returns
    }
  }
  errno = saved;
}

// Once, before the first program starts. A signal the program ignores
// (started under nohup) stays ignored.
void watchEndingSignals() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
      if (sigaction(kEndingSignals[i], nullptr, &gBefore[i]) != 0) continue;
      if (!(gBefore[i].sa_flags & SA_SIGINFO) && gBefore[i].sa_handler == SIG_IGN) continue;
      struct sigaction mine {};
      mine.sa_sigaction = onEndingSignal;
      sigemptyset(&mine.sa_mask);
      mine.sa_flags = SA_SIGINFO | SA_RESTART;
      sigaction(kEndingSignals[i], &mine, nullptr);
    }
  });
}

}  // namespace

Process::Process(const Launch& launch) {
  startError_ = start(launch);
  started_ = startError_ == 0;
}

int Process::start(const Launch& launch) {
  int po[2] = {-1, -1}, pe[2] = {-1, -1}, px[2] = {-1, -1};
  int file = -1;
  const auto fail = [&](int e) {
    for (int* fd : {&po[0], &po[1], &pe[0], &pe[1], &px[0], &px[1], &file}) closeFd(*fd);
    return e;
  };
  if (launch.argv.empty()) return ENOENT;
  if (launch.outputFile.empty()) {
    if (pipe2(po, O_CLOEXEC) != 0 || pipe2(pe, O_CLOEXEC) != 0) return fail(errno);
  } else {
    file = open(launch.outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0) return fail(errno);
  }
  if (pipe2(px, O_CLOEXEC) != 0) return fail(errno);
  std::vector<char*> args;
  for (const auto& a : launch.argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const char* folder = launch.folder.empty() ? nullptr : launch.folder.c_str();
  const int outFd = file >= 0 ? file : po[1], errFd = file >= 0 ? file : pe[1];

  watchEndingSignals();
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    // Killed with its parent; a parent already gone before the request was
    // made would never send it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    becomeStream(outFd, 1);
    becomeStream(errFd, 2);
    int e = 0;
    if (folder && chdir(folder) != 0) e = errno;
    if (e == 0) {
      execvp(args[0], args.data());
      e = errno;
    }
    (void)!write(px[1], &e, sizeof e);
    _exit(127);
  }
  const int forkError = errno;
  // Set from both sides, so a signal to the group cannot come before it exists.
  if (pid > 0) {
    setpgid(pid, pid);
    remember(pid);
  }
  closeFd(po[1]), closeFd(pe[1]), closeFd(px[1]), closeFd(file);
  if (pid < 0) return fail(forkError);
  int e = 0;
  ssize_t n;
  do n = ::read(px[0], &e, sizeof e);
  while (n < 0 && errno == EINTR);
  if (n == static_cast<ssize_t>(sizeof e)) {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    forget(pid);
    return fail(e);
  }
  closeFd(px[0]);
  for (int fd : {po[0], pe[0]})
    if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  out_ = po[0];
  err_ = pe[0];
  pid_ = pid;
  return 0;
}

Process::~Process() {
  if (pid_ > 0) {
    kill(-pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    forget(pid_);
  }
  closeFd(out_);
  closeFd(err_);
}

void Process::read(std::string& out, std::string& err) {
  readSome(out_, out);
  readSome(err_, err);
}

std::optional<int> Process::poll() {
  if (pid_ <= 0) return std::nullopt;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_) return std::nullopt;
  forget(pid_);
  pid_ = -1;
  return status;
}

std::optional<int> Process::wait(std::string& out, std::string& err) {
  while (out_ >= 0 || err_ >= 0) {
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
    read(out, err);
  }
  if (pid_ <= 0) return std::nullopt;
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0)
    if (errno != EINTR) return std::nullopt;
  forget(pid_);
  pid_ = -1;
  return status;
}

void Process::signal(int sig) {
  if (pid_ > 0) kill(-pid_, sig);
}

}  // namespace fullwave

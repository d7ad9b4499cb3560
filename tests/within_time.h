// For tests of what must never hang (a pipe or a device where a file was
// expected): the act runs in a child process of its own group, so that a
// fault makes the test fail, not wait, and whatever the act started goes
// with it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

namespace within_time {

// What `act` gave, run in a child process; "did not finish within N s"
// when it had to be killed.
inline std::string outcome(const std::function<std::string()>& act, int seconds = 20) {
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::setpgid(0, 0);
    ::close(pipe[0]);
    const std::string said = act();
    for (std::size_t at = 0; at < said.size();) {
      const ssize_t n = ::write(pipe[1], said.data() + at, said.size() - at);
      if (n <= 0) break;
      at += static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::setpgid(child, child);
  ::close(pipe[1]);
  std::string said;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  bool ended = false;
  while (!ended) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    pollfd p{pipe[0], POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) == 0) break;
    char buffer[4096];
    const ssize_t n = ::read(pipe[0], buffer, sizeof buffer);
    if (n > 0) said.append(buffer, static_cast<std::size_t>(n));
    ended = n == 0;
  }
  ::close(pipe[0]);
  ::kill(-child, SIGKILL);  // and whatever it left running
  int status = 0;
  ::waitpid(child, &status, 0);
  return ended ? said : "did not finish within " + std::to_string(seconds) + " s";
}

}  // namespace within_time

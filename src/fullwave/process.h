// The one way the driver starts a program: the solver, its version query
// and the far-field program all run as a Process. It is forked and exec'd
// in a folder of its choosing, in a process group of its own (so a stop
// reaches whatever it started too), with the program's environment and its
// standard output and error on non-blocking pipes, or both in a file. A
// failed exec is reported through a third pipe closed on exec, so a program
// that is not there is told apart from one that ran and failed. A program
// started dies with us, however we end (an interrupt, a termination, a
// kill): start it from the thread that lives as long as it, the main one,
// as the kernel's "parent died" signal follows the thread that forked.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace fullwave {

struct Launch {
  std::vector<std::string> argv;  // the program (looked up on PATH) and its arguments
  std::string folder;             // where it runs
  // When set, standard output and error both go to this file (made anew)
  // instead of the pipes.
  std::string outputFile{};
};

class Process {
 public:
  // Starts the program; started() tells whether it did, startError() why
  // not (the errno of the pipe, fork, chdir, file or exec that failed).
  explicit Process(const Launch& launch);
  // A process still running is killed, with its group, and reaped.
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool started() const { return started_; }
  int startError() const { return startError_; }
  // Whether it has not been seen to end yet.
  bool running() const { return pid_ > 0; }

  // Appends what its pipes hold now to `out` and `err`, never blocking; a
  // pipe at its end is closed.
  void read(std::string& out, std::string& err);
  // Its wait status once it has ended, reaped without blocking; nothing
  // while it runs (or after its status was given).
  std::optional<int> poll();
  // Reads its pipes to their end and waits for it; its wait status, or
  // nothing when it was not started or has been reaped.
  std::optional<int> wait(std::string& out, std::string& err);
  // Sends `signal` to its process group while it runs.
  void signal(int signal);

 private:
  int start(const Launch& launch);  // 0, or the errno of what failed

  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  bool started_ = false;
  int startError_ = 0;
};

}  // namespace fullwave

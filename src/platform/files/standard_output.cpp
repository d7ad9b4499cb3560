// std::cout is kept in step with the C stream (the default), so a failed
// write shows in both: in the stream's state and in the C stream's error
// flag; the system's reason is known only at the write that failed.
#include "platform/files/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace rt {

std::string standardOutputFailure() {
  errno = 0;
  std::cout.flush();  // what is still held goes now, and may fail here
  int err = errno;
  if (std::fflush(stdout) != 0 && err == 0) err = errno;
  if (!std::ferror(stdout) && std::cout.good()) return {};
  return std::string("cannot write the standard output: ") +
         (err != 0 ? std::strerror(err) : "a write to it failed");
}

}  // namespace rt

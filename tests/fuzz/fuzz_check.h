// How a fuzz target fails: what did not hold, after the target's name, on
// standard error, then an abort, which the fuzzer reports with its input.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

[[noreturn]] inline void fail(const std::string& what) {
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, what.c_str());
  std::abort();
}

inline void check(bool ok, const std::string& what) {
  if (!ok) fail(what);
}

}  // namespace fuzz

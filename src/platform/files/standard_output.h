// Whether what a program printed reached its standard output: a full disk
// or a device that takes nothing (a redirect to /dev/full) fails the
// writes quietly, and a program that then exits 0 reports its lost output
// as a success.
#pragma once

#include <string>

namespace rt {

// Flushes standard output (std::cout and the C stream under it); "" when
// every byte written to it arrived, else "cannot write the standard
// output: REASON".
std::string standardOutputFailure();

}  // namespace rt

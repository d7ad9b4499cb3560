// The script's full-wave command: a check of the window's design that
// blocks until the solver is done (its progress on the error stream), a
// trim, and the export and import of run folders for other machines.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace script {

// Carries out "fullwave ..." (what follows the command word) and gives the
// line to print. Throws std::exception with the whole message on failure.
std::string fullWaveCommand(std::string_view rest, std::ostream& progress);

}  // namespace script

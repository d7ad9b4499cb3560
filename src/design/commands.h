// The design entry points that the script, the command line and the
// window's menus call: design for a target, save the window's design to a
// file, open a design file into the window.
#pragma once

#include <string>

#include "design/synthesis.h"

namespace design {

// Synthesises a design for the target within the window's slider ranges
// and, when there is one, types it into the window. A refusal changes
// nothing.
Synthesis designFor(const Target& target);

// Empty on success, else one message; a failed save leaves no file behind
// and a failed open changes nothing.
std::string saveDesign(const std::string& path);
std::string openDesign(const std::string& path);

}  // namespace design

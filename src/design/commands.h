// The design entry points that the script, the command line and the
// window's menus call: design for a target, save the window's design to a
// file, open a design file into the window.
#pragma once

#include <string>

#include "design/main_window.h"
#include "design/model_choice.h"
#include "fullwave/check.h"

namespace design {

// A design for the target within the window's slider ranges on `model`
// (with the chosen board), not yet typed (for showing the numbers before
// the user applies them). A target that cannot be met raises
// std::invalid_argument saying why.
Design propose(const Target& target, ImpedanceModel model = chosenModel());
// How far to trust a design for the target on `model`, with where a
// classic design's patch will resonate.
std::string trustFor(const Target& target, ImpedanceModel model = chosenModel());
// Types a design into the window's edit boxes, through their callbacks.
void apply(const Design& design);
// Both at once; a refusal changes nothing.
Design designFor(const Target& target);

// A failure raises std::runtime_error with one message; a failed save
// leaves no file behind and a failed open changes nothing.
void saveDesign(const std::string& path);
void openDesign(const std::string& path);

// The check of the design the window holds, with the chosen board.
// Throws std::invalid_argument when the window's design cannot be run.
fullwave::Request windowRequest(fullwave::SolverQuality quality);

// Types a trimmed patch into the window, its band unchanged.
void typeTrimmedDesign(const antenna::Patch& p);

}  // namespace design

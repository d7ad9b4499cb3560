// What the RF tools take from the main window beyond its impedance lines
// (which the window's adapter reads): whether the band currently draws
// anything, the design's sizes for a file's header, and the Touchstone file
// of the design, written and read.
#pragma once

#include <string>

#include "antenna/patch.h"
#include "formats/touchstone.h"

namespace design {

// Whether the band limits in the window fail the model's band test (the
// upper limit must exceed the lower), so that nothing is drawn.
bool bandDrawsNothing();

// "W = 30 mm, L = 40 mm, ..." read from the window's sliders.
std::string designSummary();

// A solver's result belongs to the design it was run on: designLabel names
// that design ("W 38.01 mm, L 28.446 mm, feed 7.648 mm"), and windowHolds
// says whether the main window still holds it (the same design, and the
// chosen board); false when the window is closed.
std::string designLabel(const antenna::Patch& p);
bool windowHolds(const antenna::Patch& p, const antenna::Board& board);

// Writes the shown impedance as S11 referred to z0 to a Touchstone file,
// whole or not at all. Raises std::runtime_error with a message for the
// user.
void saveTouchstone(const std::string& path, double z0);

// The one-port Touchstone file at `path`, read through the bounded reader;
// what keeps it from being read or taken is raised as formats::TouchstoneError.
formats::OnePort readTouchstone(const std::string& path);

}  // namespace design

// The Full-wave figure: the model's R and X and the solver's on one axes,
// the readout of both, a progress bar with the time spent and left while the
// solver runs in the background, Cancel and Trim, and a Quality popup (quick,
// standard, fine) with Check again, which checks the window's design as it
// is now at the chosen level. The front end drives
// the run through a ticker it provides (a timer calling back every few
// tenths of a second); the script drives it by waiting.
#pragma once

#include <functional>
#include <string>

#include "rf/fullwave_check.h"

namespace rf {

// The check of the design the window holds, with the chosen board.
// Throws std::invalid_argument when the window's design cannot be run.
FullwaveRequest windowRequest(antenna::SolverQuality quality);

// Types a trimmed patch into the window, its band unchanged.
void typeTrimmedDesign(const antenna::Patch& p);

// How the front end calls `tick` every `ms` milliseconds until it returns
// false. Without one, a started run advances only through waitFullwaveFigure.
using FullwaveTicker = std::function<void(int ms, std::function<bool()> tick)>;
void setFullwaveTicker(FullwaveTicker ticker);

// Opens the Full-wave figure (or makes the open one current) and starts the
// check of the window's design; gives the figure's handle. Throws as
// FullwaveCheck does (not installed, a design the solver cannot take).
double checkWindowWithFullwave(antenna::SolverQuality quality);
// Starts the trim towards f0 (Hz) and z0 (ohm) in the figure.
void trimInFullwaveFigure(double f0Hz, double z0);
bool isFullwaveFigure(double fig);

// Shows a finished result (the script's, or an imported one) in the figure,
// opened when needed, and loads its S11 into the Match figure.
void showFullwaveResult(const FullwaveResult& result);

}  // namespace rf

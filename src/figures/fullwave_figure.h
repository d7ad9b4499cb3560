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

#include "fullwave/check.h"

namespace figures {

// How the front end calls `tick` every `ms` milliseconds until it returns
// false. Without one, a started run is polled once, as it starts: a kept
// result shows at once, a run is not followed.
using FullWaveTicker = std::function<void(int ms, std::function<bool()> tick)>;
void setFullWaveTicker(FullWaveTicker ticker);

// Opens the Full-wave figure (or makes the open one current) and starts the
// check of the window's design; gives the figure's handle. Throws as
// fullwave::Check does (not installed, a design the solver cannot take).
double checkWindowWithFullWave(fullwave::SolverQuality quality);
// Starts the trim towards f0 (Hz) and z0 (ohm) in the figure.
void trimInFullWaveFigure(double f0Hz, double z0);
bool isFullWaveFigure(double fig);

// Shows a finished result (the script's, or an imported one) in the figure,
// opened when needed, and loads its S11 into the Match figure.
void showFullWaveResult(const fullwave::Result& result);

}  // namespace figures

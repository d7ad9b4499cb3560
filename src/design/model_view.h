// The main window's impedance in the chosen model. The window's own model
// draws the classic curves after every act; when the refined model is
// chosen, an act observer replaces the Y data of the two lines just drawn
// with the refined model's values at the same frequencies and fits the axes
// as the window's callbacks do, so that the Match figure, Touchstone export,
// CSV and design all read the refined curves. A caption in the window says
// which model it shows while the refined one is chosen.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "antenna/patch.h"
#include "antenna/readout.h"
#include "design/model_choice.h"

namespace design {

using design::ImpedanceModel;

// "classic transmission line" or "refined", for captions and headers.
std::string modelTitle(ImpedanceModel m);

// The design the window's lines were last drawn for (none before the
// window drew).
struct DrawnDesign {
  antenna::Patch patch;
  double fminGhz = 0, fmaxGhz = 0;
};
std::optional<DrawnDesign> drawnDesign();

// The model the window's lines hold: the chosen one, or the classic one
// while the refined model cannot take the design or board.
ImpedanceModel shownModel();

// The impedance of a design in model `m` at the window's 1000 frequencies.
// The refined model raises std::invalid_argument for a design or board it
// cannot take.
antenna::Sweep sweepIn(ImpedanceModel m, const DrawnDesign& d);

// Radiation efficiency and total Q of the drawn design at `hz` in model
// `m`; none for the classic model, which has no losses.
struct Losses {
  double efficiency = 0, q = 0;
};
std::optional<Losses> lossesAt(ImpedanceModel m, double hz);

// Starts following the chosen model (once; both programs call it at start,
// before any figure adds an act observer of its own).
void followChosenModel();

// Chooses the board after checking it against the window's patch; raises
// std::invalid_argument saying what makes no sense.
void chooseCheckedBoard(const antenna::Board& board);

}  // namespace design

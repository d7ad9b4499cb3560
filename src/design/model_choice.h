// Which impedance model the program shows and the board and feed the refined
// model takes: program state beside the main window, not in it, so the
// described window and callbacks stay as they are. The classic
// transmission-line model is the default; a new program starts with it and
// the default board.
#pragma once

#include <functional>
#include <string_view>

#include "antenna/models.h"
#include "antenna/patch.h"

namespace design {

using antenna::ImpedanceModel;
using antenna::modelName;

ImpedanceModel chosenModel();
// The model shown beside `m` where one is shown beside another: the next
// one the registry offers.
ImpedanceModel otherModel(ImpedanceModel m);
const antenna::Board& chosenBoard();

// Each change runs the observers (in the order they were added), so that
// whatever shows the model's numbers can redraw.
void chooseModel(ImpedanceModel m);
void chooseBoard(const antenna::Board& board);
int addModelObserver(std::function<void()> fn);
void removeModelObserver(int id);

}  // namespace design

// The board and feed as words, "tand=0.02 copper_um=35 sigma=5.8e7
// pin_mm=1.27", as the script command, saved designs and the board dialog
// take and show them, with the refusals of values that make no sense.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "antenna/patch.h"

namespace formats {

// One quantity of the board: its word, what it means for messages, its unit
// in words and in SI, and where it is kept.
struct BoardField {
  std::string_view key, meaning, unit;
  double toSi;  // the word's unit in SI units
  double antenna::Board::*value;
};
std::span<const BoardField> boardFields();

// `base` with the values the words give (any subset of the keys, each
// once); std::invalid_argument saying what is wrong with a word, or with the
// board it makes.
antenna::Board boardFromWords(std::string_view words, const antenna::Board& base);

// All four keys with their values, as boardFromWords reads them back.
std::string boardWords(const antenna::Board& board);
// The board as a caption reads it: "loss tangent 0.02, copper thickness 35
// um, conductivity 5.8e+07 S/m, probe pin diameter 1.27 mm".
std::string boardReading(const antenna::Board& board);

// Why the board makes no sense, for this patch when one is given; empty when
// it does.
std::string boardProblem(const antenna::Board& board, const antenna::Patch* patch = nullptr);

}  // namespace formats

// The board's words in the units a board maker quotes (micrometres of
// copper, millimetres of pin); the model takes SI units.
#include "formats/board_text.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "antenna/numbers.h"
#include "antenna/refined_model.h"
#include "antenna/units.h"

namespace formats {
namespace {

constexpr BoardField kFields[] = {
    {"tand", "loss tangent", "", 1, &antenna::Board::lossTangent},
    {"copper_um", "copper thickness", "um", 1e-6, &antenna::Board::copperThickness},
    {"sigma", "conductivity", "S/m", 1, &antenna::Board::conductivity},
    {"pin_mm", "probe pin diameter", "mm", 1e-3, &antenna::Board::pinDiameter},
};

bool blank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::vector<std::string_view> words(std::string_view text) {
  std::vector<std::string_view> out;
  while (!text.empty()) {
    const auto start = std::find_if_not(text.begin(), text.end(), blank);
    const auto end = std::find_if(start, text.end(), blank);
    if (start != end) out.emplace_back(&*start, static_cast<std::size_t>(end - start));
    text.remove_prefix(static_cast<std::size_t>(end - text.begin()));
  }
  return out;
}

}  // namespace

std::span<const BoardField> boardFields() {
  return kFields;
}

antenna::Board boardFromWords(std::string_view text, const antenna::Board& base) {
  antenna::Board board = base;
  std::vector<std::string_view> seen;
  for (std::string_view w : words(text)) {
    const std::size_t eq = w.find('=');
    const std::string_view key = w.substr(0, eq);
    const auto field = std::find_if(std::begin(kFields), std::end(kFields),
                                    [&](const BoardField& f) { return f.key == key; });
    if (eq == std::string_view::npos || field == std::end(kFields))
      throw std::invalid_argument("\"" + std::string(w) +
                                  "\" is not KEY=VALUE with KEY one of tand, copper_um, sigma, "
                                  "pin_mm");
    if (std::find(seen.begin(), seen.end(), key) != seen.end())
      throw std::invalid_argument(std::string(key) + " is given twice");
    seen.push_back(key);
    const std::optional<double> v = antenna::parseNumber(w.substr(eq + 1));
    if (!v)
      throw std::invalid_argument("the " + std::string(field->meaning) + " " + std::string(key) +
                                  " must be a number, not \"" + std::string(w.substr(eq + 1)) +
                                  "\"");
    board.*(field->value) = *v * field->toSi;
  }
  if (seen.empty())
    throw std::invalid_argument("board needs KEY=VALUE words (" + boardWords(base) + ")");
  if (std::string problem = boardProblem(board); !problem.empty())
    throw std::invalid_argument(problem);
  return board;
}

std::string boardWords(const antenna::Board& board) {
  std::string out;
  for (const BoardField& f : kFields)
    out += (out.empty() ? "" : " ") + std::string(f.key) + "=" +
           antenna::formatNumber(board.*(f.value) / f.toSi, antenna::kShortest);
  return out;
}

std::string boardReading(const antenna::Board& board) {
  std::string out;
  for (const BoardField& f : kFields)
    out += (out.empty() ? "" : ", ") + std::string(f.meaning) + " " +
           antenna::formatNumber(board.*(f.value) / f.toSi, antenna::kShortest) +
           (f.unit.empty() ? "" : " ") + std::string(f.unit);
  return out;
}

std::string boardProblem(const antenna::Board& board, const antenna::Patch* patch) {
  // A patch and band the model surely takes, so that only the board speaks.
  const antenna::Patch plain{0.03, 0.03, 1e-3, 4, 0};
  const double hz[] = {1e9};
  if (std::string why = antenna::refinedInputProblem(plain, board, hz); !why.empty()) return why;
  if (patch && !(board.pinDiameter < std::min(patch->width, patch->length)))
    return "The probe pin diameter (" +
           antenna::formatNumber(antenna::mmFromMetres(board.pinDiameter), 4) +
           " mm) must be smaller than the patch (" +
           antenna::formatNumber(antenna::mmFromMetres(std::min(patch->width, patch->length)), 4) +
           " mm).";
  return {};
}

}  // namespace formats

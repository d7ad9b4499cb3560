// Apply reads every box, refuses the whole board with the reason when a value
// makes no sense (the dialog stays open and nothing changes), else chooses it
// and closes.
#include "figures/board_dialog.h"

#include <cctype>
#include <stdexcept>
#include <string>

#include "antenna/numbers.h"
#include "design/model_view.h"
#include "figures/figure_parts.h"
#include "formats/board_text.h"
#include "platform/graphics/graphics.h"

namespace figures {
namespace {

constexpr const char* kFigureTag = "tessivar_board";

// Layout in pixels.
constexpr Box kFigurePos{180, 180, 520, 230};
constexpr double kFieldTop = 186, kFieldStep = 32;
constexpr Box kMessagePos{15, 50, 490, 36};
constexpr double kButtonsBottom = 12;

std::string tagOf(const formats::BoardField& f) {
  return "board_" + std::string(f.key);
}

// The boxes as board words, "tand=0.02 copper_um=35 ...".
std::string wordsIn(double dialog) {
  std::string words;
  for (const formats::BoardField& f : formats::boardFields()) {
    const double box = rt::findByTag(dialog, tagOf(f)).value();
    const std::string text = rt::gfx::prop(box, "String").text();
    if (!antenna::parseNumber(text))
      throw std::invalid_argument("the " + std::string(f.meaning) + " must be a number, not \"" +
                                  text + "\"");
    words += std::string(f.key) + "=" + text + " ";
  }
  return words;
}

bool apply(double dialog) {
  design::chooseCheckedBoard(formats::boardFromWords(wordsIn(dialog), design::chosenBoard()));
  return true;
}

// A box a field, top to bottom, showing the chosen board.
void makeFields(double dialog) {
  const antenna::Board board = design::chosenBoard();
  double bottom = kFieldTop;
  for (const formats::BoardField& f : formats::boardFields()) {
    std::string label =
        std::string(f.meaning) + (f.unit.empty() ? "" : " (" + std::string(f.unit) + ")");
    label[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(label[0])));
    makeControl(dialog, {"text", {15, bottom, 200, 22}, label + ":"});
    makeControl(dialog, {"edit",
                         {220, bottom, 110, 24},
                         antenna::formatNumber(board.*(f.value) / f.toSi, antenna::kShortest),
                         tagOf(f),
                         "",
                         {},
                         kColours.panel});
    bottom -= kFieldStep;
  }
}

}  // namespace

double openBoardDialog() {
  static OneFigure<Dialog> dialog;
  return dialog
      .ensureOpen(DialogDescription{
          .figure = {"Board and feed (refined model)", kFigureTag, kFigurePos},
          .message = {"text", kMessagePos, "", kBoardMessage, "", kColours.message},
          .buttonsBottom = kButtonsBottom,
          .applyTag = kBoardApply,
          .cancelTag = kBoardCancel,
          .fields = makeFields,
          .apply = apply,
      })
      .handle();
}

}  // namespace figures

// Apply reads every box, refuses the whole board with the reason when a value
// makes no sense (the dialog stays open and nothing changes), else chooses it
// and closes.
#include "figures/board_dialog.h"

#include <cctype>
#include <optional>
#include <stdexcept>
#include <string>

#include "antenna/numbers.h"
#include "design/model_view.h"
#include "figures/figure_parts.h"
#include "formats/board_text.h"
#include "platform/graphics/graphics.h"

namespace figures {
namespace {

using design::chosenBoard;
using rt::Array;

constexpr const char* kFigureTag = "tessivar_board";
constexpr const char* kApplyCallback = "tessivar_board_apply";
constexpr const char* kCancelCallback = "tessivar_board_cancel";

// Layout in pixels.
constexpr Box kFigurePos{180, 180, 520, 230};
constexpr double kFieldTop = 186, kFieldStep = 32;
constexpr Box kMessagePos{15, 50, 490, 36};
constexpr Box kApplyPos{315, 12, 90, 28};
constexpr Box kCancelPos{415, 12, 90, 28};

std::optional<double> openDialog() {
  return findFigure(kFigureTag);
}

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

void apply(double dialog) {
  try {
    design::chooseCheckedBoard(formats::boardFromWords(wordsIn(dialog), design::chosenBoard()));
  } catch (const std::invalid_argument& e) {
    rt::set(rt::scalar(rt::findByTag(dialog, kBoardMessage).value()),
            {rt::str("String"), rt::str(std::string("Not applied: ") + e.what())});
    return;
  }
  rt::gfx::deleteObject(dialog);
}

void registerCallbacks() {
  static bool done = false;
  if (done) return;
  done = true;
  registerFigureCallback(kApplyCallback, kFigureTag, apply);
  registerFigureCallback(kCancelCallback, kFigureTag, [](double d) { rt::gfx::deleteObject(d); });
}

}  // namespace

double openBoardDialog() {
  if (std::optional<double> d = openDialog()) return *d;
  registerCallbacks();
  const antenna::Board board = design::chosenBoard();
  const double dialog =
      makeFigure({"Board and feed (refined model)", kFigureTag, kFigurePos, /*menuBar=*/false});
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
                         Rgb{1, 1, 1}});
    bottom -= kFieldStep;
  }
  makeControl(dialog, {"text", kMessagePos, "", kBoardMessage, "", Rgb{0.75, 0, 0}});
  makeControl(dialog, {"pushbutton", kApplyPos, "Apply", kBoardApply, kApplyCallback});
  makeControl(dialog, {"pushbutton", kCancelPos, "Cancel", kBoardCancel, kCancelCallback});
  return dialog;
}

}  // namespace figures

// Reads the main window through the graphics runtime by tag, as the
// program's own callbacks do.
#include "design/design_io.h"

#include <cmath>
#include <complex>
#include <stdexcept>

#include "antenna/network.h"
#include "antenna/numbers.h"
#include "design/main_window.h"
#include "design/model_view.h"
#include "formats/board_text.h"
#include "platform/files/atomic_file.h"
#include "platform/files/bounded_file.h"
#include "platform/graphics/graphics.h"

namespace design {

using design::chosenBoard;
using design::ImpedanceModel;
namespace {

// Metres as millimetres for the summary.
std::string mm(double metres) {
  return antenna::formatNumber(antenna::mmFromMetres(metres), 6) + " mm";
}

// The model the lines were drawn in, with the board for one that takes it.
std::string modelSummary() {
  const ImpedanceModel m = shownModel();
  std::string text = "model: " + modelTitle(m);
  if (m->takesBoard()) text += ", board " + formats::boardWords(chosenBoard());
  return text;
}

}  // namespace

bool bandDrawsNothing() {
  return !design::findMainFigure() || !design::windowDesign().unusable.empty();
}

std::string designSummary() {
  const antenna::Patch p = design::windowDesign().patch;
  return "W = " + mm(p.width) + ", L = " + mm(p.length) + ", H = " + mm(p.height) +
         ", er = " + antenna::formatNumber(p.er, 6) + ", offset = " + mm(p.feedOffset);
}

std::string designLabel(const antenna::Patch& p) {
  return "W " + mm(p.width) + ", L " + mm(p.length) + ", feed " + mm(p.feedOffset);
}

bool windowHolds(const antenna::Patch& p, const antenna::Board& board) {
  if (!design::findMainFigure()) return false;
  return antenna::sameDesign(design::windowDesign().patch, p) && chosenBoard() == board;
}

void saveTouchstone(const std::string& path, double z0) {
  antenna::checkedReferenceImpedance(z0);
  const std::optional<antenna::Sweep> s = design::shownImpedance();
  if (!s) throw std::runtime_error("no impedance has been computed yet: set a band first");
  formats::OnePort data{s->hz, {}, z0};
  for (std::size_t i = 0; i < s->hz.size(); ++i)
    data.s11.push_back(antenna::sFromZ({s->r[i], s->x[i]}, z0));
  std::string text;
  try {
    text = formats::formatTouchstone(
        data, {"tessivar: rectangular microstrip patch, S11 from the input impedance",
               designSummary(), modelSummary()});
  } catch (const std::invalid_argument& e) {
    throw std::runtime_error("cannot write \"" + path + "\": " + e.what() + "; nothing written");
  }
  const std::string failure = rt::writeFileAtomically(path, text, "\"" + path + "\"");
  if (!failure.empty()) throw std::runtime_error(failure);
}

formats::OnePort readTouchstone(const std::string& path) {
  std::string why;
  const std::optional<std::string> text =
      rt::readBoundedFile(path, formats::kMaxTouchstoneBytes, why);
  if (!text) throw formats::TouchstoneError(path, 0, why);
  return formats::parseTouchstone(*text, path);
}

}  // namespace design

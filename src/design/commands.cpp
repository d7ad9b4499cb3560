// Each entry gathers what it needs from the window first, so that a refusal
// or a failure happens before any control is touched.
#include "design/commands.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>

#include "antenna/refined_model.h"
#include "design/design_file.h"
#include "design/main_window.h"
#include "design/model_choice.h"
#include "fullwave/openems_model.h"
#include "platform/files/atomic_file.h"

namespace design {
namespace {

std::string nowUtc() {
  const std::time_t t = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
  return text;
}

}  // namespace

Design propose(const Target& target, ImpedanceModel model) {
  return antenna::synthesiseOn(target, sliderLimits(), model, design::chosenBoard());
}

std::string trustFor(const Target& target, ImpedanceModel model) {
  return model->trust(target.f0, target.er, target.height);
}

void apply(const Design& design) {
  perform(actsOf(design));
}

Design designFor(const Target& target) {
  Design d = propose(target);
  apply(d);
  // The peak as the window drew it, where the user sees it.
  if (const std::optional<antenna::Sweep> s = shownImpedance(); s && !s->r.empty()) {
    const std::size_t k = std::max_element(s->r.begin(), s->r.end()) - s->r.begin();
    d.peakHz = s->hz[k];
    d.peakOhm = s->r[k];
  }
  return d;
}

// What is saved must open: the text is read back and checked as a file
// would be before it is written.
void saveDesign(const std::string& path) {
  const std::string shownAs = "\"" + path + "\"";
  std::string text;
  try {
    const DesignFile design{design::chosenModel(), design::chosenBoard(), presentActs()};
    text = designText(design, nowUtc());
    parseDesign(text, path);
    if (const std::optional<Refusal> r = refusal(design.acts)) throw std::runtime_error(r->why);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("cannot save " + shownAs + ": " + e.what());
  }
  const std::string failure = rt::writeFileAtomically(path, text, shownAs);
  if (!failure.empty()) throw std::runtime_error(failure);
}

void openDesign(const std::string& path) {
  std::vector<std::size_t> lines;
  const DesignFile design = readDesign(path, &lines);
  if (const std::optional<Refusal> r = refusal(design.acts))
    throw std::runtime_error(path + " line " + std::to_string(lines[r->act]) + ": " + r->why);
  mainFigure();  // the window is open before the model changes
  design::chooseBoard(design.board);
  design::chooseModel(design.model);
  perform(design.acts);
}

fullwave::Request windowRequest(fullwave::SolverQuality quality) {
  const WindowDesign d = windowDesign();
  if (!d.unusable.empty()) throw std::invalid_argument(d.unusable.front());
  fullwave::Request r{d.patch, chosenBoard(), d.band(), quality};
  const std::string why = fullwave::solverInputError(r.patch, r.board, r.band);
  if (!why.empty()) throw std::invalid_argument(why);
  return r;
}

void typeTrimmedDesign(const antenna::Patch& p) {
  const WindowDesign d = windowDesign();
  perform(actsOf(p, d.fminGhz, d.fmaxGhz));
}

}  // namespace design

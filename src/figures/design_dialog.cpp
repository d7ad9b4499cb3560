// The dialog keeps nothing of its own: every callback reads the target from
// its edit boxes, so what the user sees is what Apply types. It remembers
// only its last proposal with what that was asked for, so that Apply after
// it does not design again (a design on the refined model takes a good part
// of a second).
#include "figures/design_dialog.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "antenna/models.h"
#include "antenna/numbers.h"
#include "antenna/units.h"
#include "design/commands.h"
#include "design/main_window.h"
#include "design/model_choice.h"
#include "figures/figure_parts.h"
#include "platform/graphics/graphics.h"

namespace figures {
namespace {

using rt::Array;

constexpr const char* kFigureTag = "tessivar_design";
constexpr const char* kProposeCallback = "tessivar_design_propose";
constexpr double kDefaultF0GHz = 2.4;
// Characters a line of the dialog's texts holds.
constexpr std::size_t kTextWidth = 72;

// Layout in pixels: the Model choice across the top, the target's boxes
// below it on the left, the proposal on the right.
constexpr Box kFigurePos{160, 160, 640, 250};
constexpr double kFieldTop = 180, kFieldStep = 34;
constexpr double kLabelLeft = 15, kLabelWidth = 80, kEditLeft = 100, kEditWidth = 80;
constexpr Box kModelLabelPos{kLabelLeft, 216, kLabelWidth, 22};
constexpr Box kModelPos{kEditLeft, 214, 250, 24};
constexpr Box kProposalPos{200, 50, 425, 150};
constexpr double kButtonsBottom = 14;

std::string number(double v) {
  return antenna::formatNumber(v, 5);
}

double numberIn(const std::string& text) {
  return rt::str2double(rt::str(text)).scalar();
}

double control(double dialog, const char* tag) {
  return rt::findByTag(dialog, tag).value();
}

// The target the boxes hold; std::invalid_argument naming a box whose text
// is no number.
design::Target targetIn(double dialog) {
  auto value = [dialog](const char* tag, const char* name) {
    const std::string text = rt::gfx::prop(control(dialog, tag), "String").text();
    const double v = numberIn(text);
    if (std::isnan(v))
      throw std::invalid_argument(std::string(name) + ": '" + text + "' is not a number");
    return v;
  };
  return {antenna::hzFromGhz(value(kDialogF0, "F0")), value(kDialogEr, "er"),
          antenna::metresFromMm(value(kDialogH, "H")), value(kDialogZ0, "Z0")};
}

// The model the Model choice names: the registry's models in its order.
antenna::ImpedanceModel modelIn(double dialog) {
  const auto models = antenna::impedanceModels();
  const double at = rt::gfx::prop(control(dialog, kDialogModel), "Value").scalar();
  if (!(at >= 1 && at <= static_cast<double>(models.size()))) return antenna::mostTrustedModel();
  return models[static_cast<std::size_t>(at) - 1];
}

// What Apply would type, on which model, or why there is nothing to apply.
struct Proposal {
  std::optional<design::Design> design;
  antenna::ImpedanceModel model;
  std::string refusal;
};

std::vector<std::string> linesOf(const Proposal& s, const design::Target& target) {
  std::vector<std::string> lines;
  if (!s.design) {
    for (std::string& l : wrappedLines("No design: " + s.refusal, kTextWidth))
      lines.push_back(std::move(l));
    return lines;
  }
  const design::Design& d = *s.design;
  const auto mm = [](double metres) { return number(antenna::boardMm(metres)) + " mm"; };
  const auto ghz = [](double hz) { return number(antenna::ghzFromHz(hz)); };
  lines = {"W = " + mm(d.patch.width) + ", L = " + mm(d.patch.length) +
               ", feed offset = " + mm(d.patch.feedOffset),
           "band " + ghz(d.band.fmin) + " to " + ghz(d.band.fmax) + " GHz",
           "the resistance peaks at " + ghz(d.peakHz) + " GHz with " + number(d.peakOhm) + " Ohm",
           ""};
  for (std::string& l : wrappedLines(design::trustFor(target, s.model), kTextWidth))
    lines.push_back(std::move(l));
  return lines;
}

// What a proposal was asked for: the target, on a model, for the window's
// board and slider ranges.
struct Asked {
  design::Target target;
  antenna::ImpedanceModel model;
  antenna::Board board;
  design::Limits limits;
  friend bool operator==(const Asked&, const Asked&) = default;
};

// The design for what was asked, the last one again when asked again.
design::Design proposed(const Asked& asked) {
  static std::optional<std::pair<Asked, design::Design>> last;
  if (!last || !(last->first == asked))
    last.emplace(asked, design::propose(asked.target, asked.model));
  return last->second;
}

// Shows what Apply would type, or why there is nothing to apply.
Proposal showProposal(double dialog) {
  Proposal s;
  design::Target target;  // only read where a design stands, which needs a target
  try {
    s.model = modelIn(dialog);
    target = targetIn(dialog);
    s.design = proposed({target, s.model, design::chosenBoard(), design::sliderLimits()});
  } catch (const std::exception& e) {
    s.refusal = e.what();
  }
  setTextLines(control(dialog, kDialogProposal), linesOf(s, target));
  // Nothing to apply after a refusal.
  rt::set(rt::scalar(control(dialog, kDialogApply)),
          {rt::str("Enable"), rt::str(s.design ? "on" : "off")});
  return s;
}

// The window's band centre, when its band draws.
double startingF0() {
  const design::WindowDesign d = design::windowDesign();
  return d.unusable.empty() && d.fminGhz > 0 ? (d.fminGhz + d.fmaxGhz) / 2 : kDefaultF0GHz;
}

// The window's substrate, or FR-4 (er 4.4, H 1.6 mm, the common board) while
// its er and H sliders still sit at their minima, which no real board has
// (no permittivity of vacuum at a tenth of a millimetre).
std::string startingBoard(design::Quantity q) {
  const design::Limits limits = design::sliderLimits();
  const antenna::Patch p = design::windowDesign().patch;
  if (p.er <= limits.er.min && p.height <= limits.h.min)
    return q == design::Quantity::er ? "4.4" : "1.6";
  return design::boxText(q);
}

// The target's edit boxes, top to bottom, with what each shows at first:
// the window's substrate and band, and the usual 50 ohm.
struct Field {
  const char* tag;
  const char* label;
  std::string (*start)();
};
constexpr Field kFields[] = {
    {kDialogF0, "F0 (GHz):", [] { return number(startingF0()); }},
    {kDialogEr, "er:", [] { return startingBoard(design::Quantity::er); }},
    {kDialogH, "H (mm):", [] { return startingBoard(design::Quantity::height); }},
    {kDialogZ0, "Z0 (Ohm):", [] { return std::string("50"); }},
};

}  // namespace

double openDesignDialog() {
  static OneFigure<Dialog> dialog;
  if (const Dialog* d = dialog.open()) return d->handle();
  // Read before anything is made: without the main window this throws and
  // leaves no half-built dialog.
  std::vector<std::string> starting;
  for (const Field& f : kFields) starting.push_back(f.start());
  // Any edit shows the proposal anew.
  registerFigureCallback(kProposeCallback, kFigureTag, [](double d) { showProposal(d); });
  auto fields = [starting](double d) {
    makeControl(d, {"text", kModelLabelPos, "Model:"});
    const double model = makeControl(
        d, {"popupmenu", kModelPos, "", kDialogModel, kProposeCallback, {}, kColours.panel});
    std::vector<std::string> labels;
    double trusted = 1;
    for (const antenna::ImpedanceModel m : antenna::impedanceModels()) {
      labels.emplace_back(m->label());
      if (m == antenna::mostTrustedModel()) trusted = static_cast<double>(labels.size());
    }
    rt::set(rt::scalar(model),
            {rt::str("String"), textLines(labels), rt::str("Value"), rt::scalar(trusted)});
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
      const double bottom = kFieldTop - kFieldStep * static_cast<double>(i);
      makeControl(d, {"text", {kLabelLeft, bottom, kLabelWidth, 22}, kFields[i].label});
      makeControl(d, {"edit",
                      {kEditLeft, bottom, kEditWidth, 24},
                      starting[i],
                      kFields[i].tag,
                      kProposeCallback,
                      {},
                      kColours.panel});
    }
  };
  // A refusal keeps the dialog open with its reason; a design is typed into
  // the window (after the callback, as queued acts) and the dialog goes.
  auto apply = [](double d) {
    const Proposal s = showProposal(d);
    if (!s.design) return false;
    if (design::chosenModel() != s.model) design::chooseModel(s.model);
    design::apply(*s.design);
    return true;
  };
  return dialog
      .ensureOpen(DialogDescription{
          .figure = {"Design for a resonance", kFigureTag, kFigurePos},
          .message = {"text", kProposalPos, "", kDialogProposal},
          .buttonsBottom = kButtonsBottom,
          .applyTag = kDialogApply,
          .cancelTag = kDialogCancel,
          .fields = fields,
          .apply = apply,
          .opened = [](double d) { showProposal(d); },
      })
      .handle();
}

}  // namespace figures

// The act observer and the model observer that keep the window's impedance
// lines in the chosen model. The classic Y data the window drew are kept, so
// that choosing the classic model again puts back exactly what the window's
// own model drew.
#include "design/model_view.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

#include "antenna/classic_model.h"
#include "antenna/numbers.h"
#include "antenna/refined_model.h"
#include "design/main_window.h"
#include "formats/board_text.h"
#include "platform/graphics/graphics.h"

namespace design {

using design::addModelObserver;
using design::chooseBoard;
using design::chosenBoard;
using design::chosenModel;
using design::ImpedanceModel;
namespace {

using rt::Array;

// Not a variable name, so the window's handles record leaves it out.
constexpr const char* kCaptionTag = "tessivar:model";
constexpr double kCaptionBox[] = {0.42, 0.962, 0.56, 0.032};  // normalized, top right

// The finite range of the axes' lines' data; none when it is a point.
std::optional<std::pair<double, double>> dataRange(double ax, const char* data) {
  double lo = INFINITY, hi = -INFINITY;
  for (double c : rt::gfx::children(ax)) {
    if (rt::gfx::type(c) != "line") continue;
    for (double v : rt::gfx::prop(c, data).re())
      if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
  }
  if (!(lo < hi)) return std::nullopt;
  return std::pair(lo, hi);
}

// Whether the axes' Y limits are the tight fit of their lines' data, as the
// callbacks leave them after fitting.
bool fittedTight(double ax) {
  const auto y = dataRange(ax, "YData");
  const Array& lim = rt::gfx::prop(ax, "YLim");
  return y && rt::gfx::prop(ax, "YLimMode").text() == "manual" && lim.numel() == 2 &&
         lim.re()[0] == y->first && lim.re()[1] == y->second;
}

// Both axes fitted to their data as "axis tight" fits them. Done on the
// properties: outside a callback the window is not the current figure.
void fitTight(const design::ImpedanceAxes& axes) {
  for (double ax : {axes.resistance, axes.reactance}) {
    const auto x = dataRange(ax, "XData"), y = dataRange(ax, "YData");
    if (!x || !y) continue;
    rt::set(rt::scalar(ax),
            {rt::str("XLim"), rt::row({x->first, x->second}), rt::str("YLim"),
             rt::row({y->first, y->second}), rt::str("XLimMode"), rt::str("manual"),
             rt::str("YLimMode"), rt::str("manual"), rt::str("ZLimMode"), rt::str("manual")});
  }
}

class ModelView {
 public:
  void afterAct() {
    if (!design::findMainFigure()) return;
    const design::ShownData now = design::shownData();
    if (now == written_) return;
    // New lines from the window's model: the design they belong to and
    // their classic data.
    written_ = now;
    shown_ = ImpedanceModel();
    classicR_ = classicX_ = Array();
    drawn_.reset();
    if (now.lineR != 0 && now.lineX != 0) {
      const design::WindowDesign w = design::windowDesign();
      if (w.unusable.empty()) drawn_ = DrawnDesign{w.patch, w.fminGhz, w.fmaxGhz};
      classicR_ = rt::gfx::prop(now.lineR, "YData");
      classicX_ = rt::gfx::prop(now.lineX, "YData");
    }
    show();
  }

  // The model or the board changed.
  void modelChosen() {
    if (!design::findMainFigure()) return;
    if (design::shownData() != written_) afterAct();
    show();
  }

  const std::optional<DrawnDesign>& drawn() const { return drawn_; }
  ImpedanceModel shown() const { return shown_; }

 private:
  void show() {
    problem_.clear();
    const ImpedanceModel want = chosenModel();
    if (drawn_ && (want != shown_ || !want.isDefault())) draw(want);
    caption();
  }

  // Writes the model's Y data into the window's lines and refits the axes
  // that the window had fitted.
  void draw(ImpedanceModel m) {
    Array r = classicR_, x = classicX_;
    if (!m.isDefault()) {
      try {
        if (m->takesBoard())
          if (std::string why = formats::boardProblem(chosenBoard(), &drawn_->patch); !why.empty())
            throw std::invalid_argument(why);
        const antenna::Sweep s = sweepIn(m, *drawn_);
        r = rt::row(s.r);
        x = rt::row(s.x);
      } catch (const std::invalid_argument& e) {
        problem_ = e.what();
        m = ImpedanceModel();
      }
    }
    if (m == shown_ && m.isDefault()) return;
    const design::ImpedanceAxes axes = design::impedanceAxes();
    const bool fitted = fittedTight(axes.resistance) || fittedTight(axes.reactance);
    rt::set(rt::scalar(written_.lineR), {rt::str("YData"), r});
    rt::set(rt::scalar(written_.lineX), {rt::str("YData"), x});
    if (fitted) fitTight(axes);
    written_ = design::shownData();
    shown_ = m;
  }

  // Shown only while another model than the window's own is chosen, so
  // that the window stays as its callbacks draw it.
  void caption() {
    const double main = design::mainFigure();
    const std::optional<double> h = rt::findByTag(main, kCaptionTag);
    const ImpedanceModel chosen = chosenModel();
    if (chosen.isDefault()) {
      if (h) rt::gfx::deleteObject(*h);
      return;
    }
    std::string text = "Model: " + std::string(chosen->title());
    if (chosen->takesBoard()) text += " (" + formats::boardReading(chosenBoard()) + ")";
    if (!problem_.empty()) {
      std::string name(chosen->title());
      name.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(name.front())));
      text = name + " model cannot draw this design: " + problem_ + " Showing the " +
             std::string(ImpedanceModel()->name()) + " model.";
    }
    if (h) {
      rt::set(rt::scalar(*h), {rt::str("String"), rt::str(text)});
      return;
    }
    rt::uicontrol({rt::str("Parent"), rt::scalar(main), rt::str("Style"), rt::str("text"),
                   rt::str("Tag"), rt::str(kCaptionTag), rt::str("Units"), rt::str("normalized"),
                   rt::str("Position"), rt::row(std::span<const double>(kCaptionBox)),
                   rt::str("String"), rt::str(text), rt::str("HorizontalAlignment"),
                   rt::str("left"), rt::str("ForegroundColor"), rt::row({0.0, 0.35, 0.1})});
  }

  design::ShownData written_;
  ImpedanceModel shown_{};
  Array classicR_, classicX_;
  std::optional<DrawnDesign> drawn_;
  std::string problem_;
};

// Never destroyed: its arrays would outlive the runtime that made them.
ModelView& view() {
  static ModelView& v = *new ModelView;
  return v;
}

}  // namespace

std::string modelTitle(ImpedanceModel m) {
  return std::string(m->title());
}

std::optional<DrawnDesign> drawnDesign() {
  return view().drawn();
}

ImpedanceModel shownModel() {
  return view().shown();
}

antenna::Sweep sweepIn(ImpedanceModel m, const DrawnDesign& d) {
  antenna::Sweep s;
  s.hz = antenna::classic::bandFrequencies(d.fminGhz, d.fmaxGhz);
  const std::vector<std::complex<double>> z = m->impedance(d.patch, chosenBoard(), s.hz);
  antenna::requireFiniteImpedance(z, s.hz);
  for (const std::complex<double>& v : z) {
    s.r.push_back(v.real());
    s.x.push_back(v.imag());
  }
  return s;
}

std::optional<Losses> lossesAt(ImpedanceModel m, double frequency) {
  const std::optional<DrawnDesign> d = drawnDesign();
  if (!m->hasLosses() || !d) return std::nullopt;
  const double hz[] = {frequency};
  try {
    const std::optional<antenna::ModelLosses> s = m->losses(d->patch, chosenBoard(), hz);
    if (!std::isfinite(s->efficiency[0]) || !std::isfinite(s->q[0])) return std::nullopt;
    return Losses{s->efficiency[0], s->q[0]};
  } catch (const std::invalid_argument&) {
    return std::nullopt;
  }
}

void followChosenModel() {
  static bool started = false;
  if (started) return;
  started = true;
  rt::gfx::addActObserver([] { view().afterAct(); });
  addModelObserver([] { view().modelChosen(); });
}

void chooseCheckedBoard(const antenna::Board& board) {
  // The pin is held against the patch the window draws; a window that draws
  // nothing yet (a script setting the board first) has no patch to speak of.
  std::optional<antenna::Patch> patch;
  if (design::findMainFigure()) {
    const design::WindowDesign w = design::windowDesign();
    if (w.unusable.empty()) patch = w.patch;
  }
  if (std::string why = formats::boardProblem(board, patch ? &*patch : nullptr); !why.empty())
    throw std::invalid_argument(why);
  chooseBoard(board);
}

}  // namespace design

// The Full-wave figure and the run it follows. One figure at a time; its
// check (or trim) lives beside it and is advanced by the front end's
// ticker, so the window stays live. A figure closed while its solver runs
// cancels the run. A large run is not started at once: the figure says its
// size and asks, and the same button clicked again for the same design
// starts it.
#include "figures/fullwave_figure.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "antenna/numbers.h"
#include "antenna/units.h"
#include "design/commands.h"
#include "design/design_io.h"
#include "design/main_window.h"
#include "figures/farfield_figure.h"
#include "figures/figure_parts.h"
#include "figures/match_figure.h"
#include "fullwave/trim.h"
#include "platform/graphics/graphics.h"

namespace figures {

using design::chosenBoard;
using design::chosenModel;
using design::modelName;
namespace {

using rt::Array;

constexpr const char* kFigureTag = "tessivar_fullwave";
constexpr const char* kCancelCallback = "tessivar_fullwave_cancel";
constexpr const char* kTrimCallback = "tessivar_fullwave_trim";
constexpr const char* kAgainCallback = "tessivar_fullwave_again";

// The levels the figure offers, in its Quality popup's order.
constexpr fullwave::SolverQuality kOfferedLevels[] = {fullwave::SolverQuality::Quick,
                                                      fullwave::SolverQuality::Standard,
                                                      fullwave::SolverQuality::Fine};

constexpr Box kFigurePos{100, 100, 900, 640};
constexpr Box kAxesPos{70, 290, 800, 300};
constexpr Box kLegendModelPos{70, 605, 300, 18};
constexpr Box kLegendSolverPos{380, 605, 300, 18};
constexpr Box kTroughPos{20, 225, 560, 18};
constexpr Box kProgressTextPos{590, 225, 300, 18};
constexpr Box kCancelPos{20, 190, 90, 26};
constexpr Box kTrimPos{120, 190, 90, 26};
constexpr Box kQualityPos{220, 190, 100, 26};
constexpr Box kAgainPos{330, 190, 100, 26};
constexpr Box kMessagePos{440, 192, 450, 22};
// The model's readout is a few short lines; the solver's holds the trim's
// steps too, one line each.
constexpr Box kModelPanelPos{20, 20, 250, 160};
constexpr Box kSolverPanelPos{280, 20, 600, 160};
constexpr size_t kPanelChars = 92;  // what a solver panel's line holds
constexpr const char* kChangedSince =
    "The window's design has changed since this check: Check again checks it.";

FullWaveTicker& ticker() {
  static FullWaveTicker t;
  return t;
}

std::string number(double v, int digits, std::string_view unit = {}) {
  return std::isfinite(v) ? antenna::formatNumber(v, digits, unit) : "none";
}

std::string ghz(double hz, int digits) {
  return number(antenna::ghzFromHz(hz), digits, "GHz");
}

std::string mhz(double hz) {
  return number(antenna::mhzFromHz(hz), 3, "MHz");
}

class FullWaveFigure {
 public:
  FullWaveFigure() {
    fig_ = makeFigure({"Full-wave check", kFigureTag, kFigurePos});
    buildAxes();
    buildControls();
    observer_ = rt::gfx::addActObserver([] {
      if (auto* f = open()) f->followWindow();
    });
    rt::gfx::registerFunction(kCancelCallback, [](std::span<const Array>) {
      if (auto* f = open()) f->cancel();
      return Array();
    });
    rt::gfx::registerFunction(kTrimCallback, [](std::span<const Array>) {
      if (auto* f = open()) f->startTrimFromButton();
      return Array();
    });
    rt::gfx::registerFunction(kAgainCallback, [](std::span<const Array>) {
      if (auto* f = open()) f->checkAgainFromButton();
      return Array();
    });
  }
  ~FullWaveFigure() {
    rt::gfx::removeActObserver(observer_);
    cancel();
    rt::gfx::registerFunction(kCancelCallback, nullptr);
    rt::gfx::registerFunction(kTrimCallback, nullptr);
    rt::gfx::registerFunction(kAgainCallback, nullptr);
  }
  FullWaveFigure(const FullWaveFigure&) = delete;
  FullWaveFigure& operator=(const FullWaveFigure&) = delete;

  static FullWaveFigure* open();
  double handle() const { return fig_; }
  bool alive() const { return isFullWaveFigure(fig_); }

  // A check of `request`; a large one only when the user said yes to it
  // (asked by the last start of a check).
  void start(const fullwave::Request& request) {
    refuseWhileRunning();
    request_ = request;
    showLevel(request.quality);
    const bool large = confirmed(Asked::Check, request);
    try {
      check_ = std::make_unique<fullwave::Check>(request, 0, large);
    } catch (const fullwave::LargeRun& e) {
      return ask(Asked::Check, request, e, "Check again");
    }
    trim_.reset();
    trimLines_.clear();
    began();
  }

  void startTrim(double f0Hz, double z0) {
    if (!request_) throw std::invalid_argument("Check a design before trimming it.");
    refuseWhileRunning();
    const bool large = confirmed(Asked::Trim, *request_);
    std::unique_ptr<fullwave::Trim> trim;
    try {
      trim = std::make_unique<fullwave::Trim>(*request_, chosenModel(), f0Hz, z0, 0, large);
    } catch (const fullwave::LargeRun& e) {
      return ask(Asked::Trim, *request_, e, "Trim again");
    }
    trimLines_.clear();
    check_.reset();
    trim_ = std::move(trim);
    showLevel(request_->quality);
    began();
  }

  void startTrimFromButton() {
    try {
      if (!request_) throw std::invalid_argument("Check a design before trimming it.");
      if (!design::windowHolds(request_->patch, request_->board))
        throw std::invalid_argument(kChangedSince);
      const auto m = fullwave::modelResonance(request_->patch, request_->board, chosenModel(),
                                              0.5 * (request_->band.fmin + request_->band.fmax));
      if (!m) throw std::invalid_argument("The model shows no resonance to trim towards.");
      startTrim(m->hz, 50);
    } catch (const std::exception& e) {
      setMessage(e.what());
    }
  }

  // The window's design as it is now, at the level the popup shows.
  void checkAgainFromButton() {
    try {
      const auto chosen = static_cast<size_t>(rt::gfx::prop(quality_, "Value").scalar());
      if (chosen < 1 || chosen > std::size(kOfferedLevels))
        throw std::invalid_argument("Choose a quality level first.");
      refuseWhileRunning();
      trimLines_.clear();
      start(design::windowRequest(kOfferedLevels[chosen - 1]));
    } catch (const std::exception& e) {
      setMessage(e.what());
    }
  }

  void cancel() {
    if (check_) check_->cancel();
    if (trim_) trim_->cancel();
  }

  void show(const fullwave::Result& r) {
    request_ = r.request;
    showLevel(r.request.quality);
    drawResult(r);
  }

 private:
  // The run under way or the last one: the check's, or the trim's.
  const fullwave::Check* current() const { return trim_ ? &trim_->check() : check_.get(); }

  // The question a large run put, and what it was about.
  enum class Asked { Nothing, Check, Trim };
  void ask(Asked what, const fullwave::Request& request, const fullwave::LargeRun& e,
           const char* button) {
    asked_ = what;
    askedInput_ = fullwave::solverJob(request).input;
    const std::string question = std::string(e.what()) + " Click " + button + " to run it anyway.";
    setMessage(question);
    std::vector<std::string> lines = {"Solver (openEMS): not started"};
    for (std::string& l : wrappedLines(question, kPanelChars)) lines.push_back(std::move(l));
    setTextLines(solverPanel_, lines);
  }
  // Whether the user has said yes to `what` for this very run; the question
  // is answered either way.
  bool confirmed(Asked what, const fullwave::Request& request) {
    const bool yes = asked_ == what && askedInput_ == fullwave::solverJob(request).input;
    asked_ = Asked::Nothing;
    return yes;
  }

  void refuseWhileRunning() const {
    if (const fullwave::Check* c = current(); c && c->state() == fullwave::Check::State::Running)
      throw std::invalid_argument("A full-wave run is under way; cancel it first.");
  }

  // A check or trim has started: the last result goes, so that a run that
  // fails leaves nothing stale, and the run is followed until it ends.
  void began() {
    setMessage("");
    const antenna::Sweep none;
    for (double l : {solverR_, solverX_}) setData(l, none, true);
    if (request_) {
      const antenna::Sweep model = fullwave::modelSweep(*request_, chosenModel());
      drawModel(*request_, model, fullwave::summarise(fullwave::Result{}, model));
    }
    setTextLines(solverPanel_, {"Solver (openEMS): running"});
    if (!settle()) follow();
  }

  // Starts the ticker; the figure's run is followed until it ends.
  void follow() {
    if (!ticker()) return;
    ticker()(250, [] {
      try {
        FullWaveFigure* f = open();
        return f != nullptr && !f->settle();
      } catch (const std::exception& e) {
        if (FullWaveFigure* f = open()) f->setMessage(e.what());
        return false;
      }
    });
  }

  // Polls the check or trim and shows where it is; true once it has ended.
  // Cancel acts only on a run under way, Trim and Check again only between
  // runs.
  bool settle() {
    const bool ended = trim_ ? settleTrim() : settleCheck();
    showRunning(!ended);
    return ended;
  }

  void showRunning(bool running) {
    for (const auto& [button, on] : {std::pair{cancel_, running}, std::pair{trimButton_, !running},
                                     std::pair{again_, !running}})
      rt::set(rt::scalar(button), {rt::str("Enable"), rt::str(on ? "on" : "off")});
  }

  bool settleCheck() {
    if (!check_) return true;
    const auto state = check_->poll();
    showProgress(*check_);
    if (state == fullwave::Check::State::Running) return false;
    if (state != fullwave::Check::State::Finished) {
      showNoResult(check_->message());
      return true;
    }
    drawResult(*check_->result());
    if (!check_->message().empty()) setMessage(check_->message());
    return true;
  }

  // A trim's runs: each result drawn as it comes, its step listed, and a
  // run the cache answers at once taken at once.
  bool settleTrim() {
    for (;;) {
      const auto state = trim_->poll();
      showProgress(trim_->check());
      const std::optional<fullwave::Result>& taken = trim_->taken();
      if (!taken) {
        if (state == fullwave::Check::State::Running) return false;
        showNoResult(trim_->message());
        return true;
      }
      drawResult(*taken);
      if (!trim_->stepText().empty()) trimLines_.push_back(trim_->stepText());
      request_ = trim_->request();
      if (state == fullwave::Check::State::Running) {
        setMessage(trimLines_.back());
        if (trim_->check().state() == fullwave::Check::State::Running) return false;
        continue;
      }
      if (state == fullwave::Check::State::Finished) {
        trimLines_.push_back(trim_->met() ? "trimmed; typed into the window"
                                          : "not within tolerance after the runs allowed");
        if (design::findMainFigure())
          design::typeTrimmedDesign(trim_->trimmer().steps().back().patch);
        setMessage(trimLines_.back());
      } else if (!trim_->message().empty()) {
        setMessage(trim_->message());
      }
      return true;
    }
  }

  // A run that ended without a result: the message line cuts a long reason
  // (a path) short; the panel has room for all of it.
  void showNoResult(const std::string& why) {
    setMessage(why);
    std::vector<std::string> lines = {"Solver (openEMS): no result"};
    for (std::string& l : wrappedLines(why, kPanelChars)) lines.push_back(std::move(l));
    setTextLines(solverPanel_, lines);
  }

  void buildAxes() {
    axes_ = makeAxes(fig_, kAxesPos);
    rt::grid(rt::scalar(axes_), rt::str("on"));
    setLabel("XLabel", "Frequency (GHz)");
    setLabel("YLabel", "R and X (Ohm)");
    modelR_ = line(kColours.model, "-");
    modelX_ = line(kColours.model, "--");
    solverR_ = line(kColours.solver, "-");
    solverX_ = line(kColours.solver, "--");
  }

  void buildControls() {
    makeControl(fig_,
                {"text", kLegendModelPos, "model: R solid, X dashed", "", "", kColours.model});
    makeControl(fig_,
                {"text", kLegendSolverPos, "solver: R solid, X dashed", "", "", kColours.solver});
    makeControl(fig_, {"text", kTroughPos, "", "", "", {}, kColours.trough});
    bar_ = makeControl(fig_, {"text", barBox(0), "", "", "", {}, kColours.within});
    progressText_ = makeControl(fig_, {"text", kProgressTextPos, ""});
    cancel_ = makeControl(fig_, {"pushbutton", kCancelPos, "Cancel", "", kCancelCallback});
    trimButton_ = makeControl(fig_, {"pushbutton", kTrimPos, "Trim", "", kTrimCallback});
    std::vector<std::string> levels;
    for (const auto q : kOfferedLevels) levels.emplace_back(fullwave::solverQualityName(q));
    quality_ = makeControl(fig_, {"popupmenu", kQualityPos});
    setTextLines(quality_, levels);
    showLevel(fullwave::SolverQuality::Quick);
    again_ = makeControl(fig_, {"pushbutton", kAgainPos, "Check again", "", kAgainCallback});
    showRunning(false);
    message_ = makeControl(fig_, {"text", kMessagePos, "", "", "", kColours.message});
    modelPanel_ = makeControl(fig_, {"text", kModelPanelPos, "", "", "", kColours.model});
    solverPanel_ = makeControl(fig_, {"text", kSolverPanelPos, "", "", "", kColours.solver});
  }

  static Box barBox(double fraction) {
    Box b = kTroughPos;
    b.width = std::max(1.0, fraction * b.width);
    return b;
  }

  double line(Rgb colour, const char* style) {
    rt::axes(rt::scalar(axes_));
    const Array h = rt::plot(rt::row({}), rt::row({}));
    rt::set(h, {rt::str("Color"), colour.array(), rt::str("LineStyle"), rt::str(style)});
    return h.scalar();
  }

  void setLabel(const char* which, const std::string& text) {
    rt::set(rt::get(rt::scalar(axes_), which), {rt::str("String"), rt::str(text)});
  }

  void setData(double line, const antenna::Sweep& s, bool resistance) {
    setLineData(line, antenna::ghzFromHz(s.hz), resistance ? s.r : s.x);
  }

  void setMessage(const std::string& text) {
    setTextLines(message_, {text});
    sayingChanged_ = text == kChangedSince;
  }

  // The popup follows the level of what the figure shows (a draft level,
  // which it does not offer, leaves it as it is).
  void showLevel(fullwave::SolverQuality q) {
    const auto* at = std::find(std::begin(kOfferedLevels), std::end(kOfferedLevels), q);
    if (at != std::end(kOfferedLevels))
      rt::set(rt::scalar(quality_),
              {rt::str("Value"), rt::scalar(static_cast<double>(at - kOfferedLevels + 1))});
  }

  void showProgress(const fullwave::Check& check) {
    placePart(bar_, fig_, barBox(check.fraction()));
    setTextLines(progressText_, {check.progressText()});
  }

  // The design the figure shows, in its title, and whether the window
  // still holds it: an act may change the window's design under a result.
  void followWindow() {
    if (!request_) return;
    const bool holds = design::windowHolds(request_->patch, request_->board);
    rt::set(rt::scalar(fig_),
            {rt::str("Name"), rt::str("Full-wave check: " + design::designLabel(request_->patch) +
                                      (holds ? "" : " (an earlier design)"))});
    if (!holds)
      setMessage(kChangedSince);
    else if (sayingChanged_)
      setMessage("");
  }

  // The model's curves and readout for a request (`s` summarises `model`,
  // the model's sweep of it), known before any run.
  void drawModel(const fullwave::Request& request, const antenna::Sweep& model,
                 const fullwave::Summary& s) {
    setData(modelR_, model, true);
    setData(modelX_, model, false);
    rt::set(rt::scalar(axes_), {rt::str("XLim"), rt::row({antenna::ghzFromHz(request.band.fmin),
                                                          antenna::ghzFromHz(request.band.fmax)})});
    setTextLines(modelPanel_, {"Model (" + std::string(modelName(chosenModel())) + ")",
                               "resonance " + ghz(s.modelResonanceHz, 5),
                               "R there " + number(s.modelR, 4, "Ohm"),
                               "|S11| min " + number(s.modelS11MinDb, 3, "dB"),
                               "-10 dB band " + mhz(s.modelBandwidthHz)});
    followWindow();
  }

  void drawResult(const fullwave::Result& r) {
    keepFullWaveResult(r);  // for the Far-field figure and "farfield"
    const antenna::Sweep model = fullwave::modelSweep(r.request, chosenModel());
    const fullwave::Summary s = fullwave::summarise(r, model);
    drawModel(r.request, model, s);
    setData(solverR_, r.solver, true);
    setData(solverX_, r.solver, false);
    placePart(bar_, fig_, barBox(1));
    setTextLines(progressText_, {r.fromCache ? "kept result (the same check ran before)"
                                             : "done in " + number(r.stats.seconds, 3, "s")});
    if (const std::string note = fullwave::cautionNote(r); !note.empty()) setMessage(note);
    std::vector<std::string> lines = {
        "Solver (openEMS, " + std::string(fullwave::solverQualityName(r.request.quality)) + ", " +
            std::to_string(r.stats.cells) + " cells) of " + design::designLabel(r.request.patch),
        "resonance " + ghz(s.resonanceHz, 5) + ", shift " + number(s.shiftPercent, 3, "%") + " = " +
            mhz(s.shiftHz),
        "R there " + number(s.rAtResonance, 4, "Ohm") + ", |S11| min " +
            number(s.s11MinDb, 3, "dB"),
        "-10 dB band " + mhz(s.bandwidthHz),
        r.farField ? "directivity " + number(r.farField->directivityDbi, 3, "dBi") + " at " +
                         ghz(r.farField->frequencyHz, 5)
                   : "directivity: none (" + r.farFieldError + ")",
    };
    for (const std::string& t : trimLines_) lines.push_back(t);
    setTextLines(solverPanel_, lines);
    try {
      overlayOnePort(r.s11,
                     "Solver (" + std::string(fullwave::solverQualityName(r.request.quality)) +
                         ") of " + design::designLabel(r.request.patch),
                     OverlayDesign{r.request.patch, r.request.board});
      rt::set(rt::scalar(0), {rt::str("CurrentFigure"), rt::scalar(fig_)});
    } catch (const std::exception& e) {
      setMessage(e.what());
    }
  }

  double fig_ = 0, axes_ = 0, modelR_ = 0, modelX_ = 0, solverR_ = 0, solverX_ = 0;
  double bar_ = 0, progressText_ = 0, message_ = 0, modelPanel_ = 0, solverPanel_ = 0;
  double cancel_ = 0, trimButton_ = 0, again_ = 0;
  int observer_ = 0;
  double quality_ = 0;
  std::unique_ptr<fullwave::Check> check_;  // a check, or
  std::unique_ptr<fullwave::Trim> trim_;    // a trim
  std::optional<fullwave::Request> request_;
  std::vector<std::string> trimLines_;
  bool sayingChanged_ = false;  // the message says the window's design has changed
  Asked asked_ = Asked::Nothing;
  std::string askedInput_;  // the solver's input of the run asked about
};

OneFigure<FullWaveFigure>& slot() {
  static OneFigure<FullWaveFigure> f;
  return f;
}

FullWaveFigure* FullWaveFigure::open() {
  return slot().open();
}

}  // namespace

void setFullWaveTicker(FullWaveTicker t) {
  ticker() = std::move(t);
}

double checkWindowWithFullWave(fullwave::SolverQuality quality) {
  const fullwave::Request request = design::windowRequest(quality);
  FullWaveFigure& f = slot().current();
  f.start(request);
  return f.handle();
}

void trimInFullWaveFigure(double f0Hz, double z0) {
  slot().current().startTrim(f0Hz, z0);
}

bool isFullWaveFigure(double fig) {
  return isFigureTagged(fig, kFigureTag);
}

void showFullWaveResult(const fullwave::Result& result) {
  slot().current().show(result);
}

}  // namespace figures

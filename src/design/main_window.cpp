// The main window's controls reached the way its callbacks reach them: the
// handles record of the figure, by tag. Acts go through the graphics
// runtime's user-act entry, the one the script and the front end use.
#include "design/main_window.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "antenna/numbers.h"
#include "formats/words.h"
#include "platform/graphics/data_export.h"
#include "platform/graphics/graphics.h"
#include "window/toolbox/guihandles.h"

namespace design {
namespace {

constexpr const char* kFigureTag = "figure1";
constexpr const char* kResistanceAxes = "axes1";
constexpr const char* kReactanceAxes = "axes2";

// The feed offset comes after the length, whose change sets its slider's
// Max; Fmax before Fmin, as Fmin moves the pattern slider's Min and Value up
// to it; the pattern frequency last, as its act opens a pattern figure.
constexpr Parameter kParameters[] = {
    {Quantity::height, "edit3", "slider3", "substrate height H (mm)", "H"},
    {Quantity::er, "edit4", "slider4", "relative permittivity er", "er"},
    {Quantity::width, "edit1", "slider1", "patch width W (mm)", "W"},
    {Quantity::length, "edit2", "slider2", "patch length L (mm)", "L"},
    {Quantity::offset, "edit7", "slider5", "feed point offset (mm)", "feed offset"},
    {Quantity::fmax, "edit6", "", "band end Fmax (GHz)", "Fmax"},
    {Quantity::fmin, "edit5", "", "band start Fmin (GHz)", "Fmin"},
    {Quantity::pattern, "edit8", "slider6", "radiation pattern frequency (GHz)",
     "pattern frequency"},
};

bool same(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

// The number an edit box's callback makes of its text.
double numberOf(const std::string& text) {
  return rt::str2double(rt::str(text)).scalar();
}

class Window {
 public:
  Window() : handles_(guihandles::call(rt::gfx::handleArray(mainFigure()))) {}

  double control(std::string_view tag) const {
    return rt::indexRef(handles_, "." + std::string(tag)).scalar();
  }
  std::string text(std::string_view tag) const {
    return rt::gfx::prop(control(tag), "String").text();
  }
  // NaN when the property holds no single number (an emptied pattern slider).
  double number(std::string_view tag, std::string_view property = "Value") const {
    const rt::Array& v = rt::gfx::prop(control(tag), property);
    return v.isNumeric() && v.numel() == 1 ? v.re()[0] : std::nan("");
  }
  double number(Quantity q) const {
    const Parameter& p = parameter(q);
    return p.slider.empty() ? numberOf(text(p.editBox)) : number(p.slider);
  }
  Range range(Quantity q) const {
    const std::string_view slider = parameter(q).slider;
    return {number(slider, "Min"), number(slider, "Max")};
  }

 private:
  rt::Array handles_;
};

// The number an act gives its parameter.
double valueOf(const Act& act) {
  return act.kind == Act::Kind::slide ? antenna::parseNumber(act.text).value_or(NAN)
                                      : numberOf(act.text);
}

auto forBox(std::string_view box) {
  return [box](const Act& a) { return parameterOf(a).editBox == box; };
}

const Act* lastFor(const std::vector<Act>& acts, std::string_view box) {
  const auto found = std::find_if(acts.rbegin(), acts.rend(), forBox(box));
  return found == acts.rend() ? nullptr : &*found;
}

// Moves the acts of one box ahead of those of another (which come first).
void moveBefore(std::vector<Act>& acts, std::string_view mover, std::string_view anchor) {
  const auto at = std::find_if(acts.begin(), acts.end(), forBox(anchor));
  std::stable_partition(at, acts.end(), forBox(mover));
}

Act typed(std::string_view box, double v) {
  return {Act::Kind::type, std::string(box), antenna::formatNumber(v, antenna::kShortest)};
}

// The newest line of the axes (NaN when none, or no axes).
double newestLine(double ax) {
  if (std::isnan(ax)) return NAN;
  double newest = NAN;
  for (double c : rt::gfx::children(ax))
    if (rt::gfx::type(c) == "line") newest = c;
  return newest;
}

std::vector<double> values(double h, const char* name) {
  const rt::Array& a = rt::gfx::prop(h, name);
  return {a.re().begin(), a.re().end()};
}

Act typed(Quantity q, double v) {
  return typed(parameter(q).editBox, v);
}

std::string shortNumber(double v) {
  return antenna::formatNumber(v, 6);
}

// Text that is no number, and sliders that hold a value beyond their range
// (drawn with an orange thumb at the end of their track).
void checkBoxes(const Window& w, WindowDesign& d) {
  for (const Parameter& p : kParameters) {
    const std::string text = w.text(p.editBox);
    // "NaN" is what the window itself writes in the pattern box when Fmin is
    // no number: the cause is named at Fmin.
    const bool echoed = p.quantity == Quantity::pattern && text == "NaN";
    if (!text.empty() && !echoed && std::isnan(numberOf(text)))
      d.unusable.push_back(std::string(p.name) + ": '" + text + "' is not a number");
    if (p.slider.empty()) continue;
    const double v = w.number(p.slider);
    const Range r = w.range(p.quantity);
    // A pattern slider whose Min passed its Max follows a band named below.
    if (!std::isfinite(v) || !(r.min <= r.max) || !(v < r.min || v > r.max)) continue;
    d.notes.push_back(std::string(p.name) + " " + shortNumber(v) + " is " +
                      (v < r.min ? "below" : "above") + " the slider's range " +
                      shortNumber(r.min) + " to " + shortNumber(r.max) +
                      ": the thumb is drawn orange at its end");
  }
}

// The model's own test (the upper limit must exceed the lower), worded for
// what the user sees, and a band no physical patch has.
void checkBand(const Window& w, WindowDesign& d) {
  const bool typed = !w.text(parameter(Quantity::fmin).editBox).empty() ||
                     !w.text(parameter(Quantity::fmax).editBox).empty();
  if (!typed) {
    d.unusable.push_back(
        "Type a band in Fmin and Fmax (GHz, under Frequency) to draw the impedance");
    return;
  }
  if (std::isnan(d.fminGhz) || std::isnan(d.fmaxGhz)) {
    // A box that holds no number is named above; an empty one here.
    for (Quantity q : {Quantity::fmin, Quantity::fmax})
      if (w.text(parameter(q).editBox).empty())
        d.unusable.push_back(std::string(parameter(q).name) + " is empty: type the band's " +
                             (q == Quantity::fmin ? "start" : "end") + " in GHz");
    return;
  }
  if (d.fminGhz > d.fmaxGhz)
    d.unusable.push_back("Fmin is above Fmax: the curves are from the last valid band");
  else if (d.fminGhz == d.fmaxGhz)
    d.unusable.push_back("Fmin equals Fmax: the curves are from the last valid band");
  if (d.fminGhz < 0 || d.fmaxGhz < 0)
    d.unusable.push_back("a band below 0 GHz has no physical meaning (Fmin " +
                         shortNumber(d.fminGhz) + " GHz, Fmax " + shortNumber(d.fmaxGhz) + " GHz)");
}

}  // namespace

std::span<const Parameter> parameters() {
  return kParameters;
}

const Parameter& parameter(Quantity q) {
  for (const Parameter& p : parameters())
    if (p.quantity == q) return p;
  throw std::logic_error("a quantity of no parameter");
}

const Parameter& parameterOf(const Act& act) {
  for (const Parameter& p : parameters())
    if (p.editBox == act.tag || p.slider == act.tag) return p;
  throw std::logic_error("an act names no parameter");
}

std::optional<double> findMainFigure() {
  for (double f : rt::gfx::figures())
    if (rt::gfx::prop(f, "Tag").text() == kFigureTag) return f;
  return std::nullopt;
}

double mainFigure() {
  if (std::optional<double> f = findMainFigure()) return *f;
  throw std::runtime_error("the main window is not open");
}

bool isImpedanceAxes(double ax) {
  const std::string tag = rt::gfx::prop(ax, "Tag").text();
  return (tag == kResistanceAxes || tag == kReactanceAxes) &&
         rt::gfx::prop(rt::gfx::parent(ax), "Tag").text() == kFigureTag;
}

ImpedanceAxes impedanceAxes() {
  ImpedanceAxes axes;
  if (std::optional<double> f = findMainFigure()) {
    axes.resistance = rt::findByTag(*f, kResistanceAxes).value_or(NAN);
    axes.reactance = rt::findByTag(*f, kReactanceAxes).value_or(NAN);
  }
  return axes;
}

std::optional<std::string> impedanceTip(double ax, double line, std::size_t index) {
  if (!isImpedanceAxes(ax) || rt::gfx::type(line) != "line") return std::nullopt;
  const std::vector<double> x = values(line, "XData"), y = values(line, "YData");
  if (index >= x.size() || index >= y.size()) return std::nullopt;
  // The callbacks label the y axis once the model draws; the frequency is
  // captioned by a control under the axes.
  std::string name = rt::gfx::labelText(ax, "YLabel");
  if (name.empty())
    name = rt::gfx::prop(ax, "Tag").text() == kResistanceAxes ? "R (Ohm)" : "X (Ohm)";
  return "Frequency (GHz): " + antenna::formatNumber(x[index], 5) + "\n" + name + ": " +
         antenna::formatNumber(y[index], 5);
}

std::optional<antenna::Sweep> shownImpedance() {
  const ImpedanceAxes axes = impedanceAxes();
  const double lr = newestLine(axes.resistance), lx = newestLine(axes.reactance);
  if (std::isnan(lr) || std::isnan(lx)) return std::nullopt;
  const std::vector<double> ghz = values(lr, "XData");
  antenna::Sweep s{antenna::hzFromGhz(ghz), values(lr, "YData"), values(lx, "YData")};
  if (ghz.empty() || s.r.size() != ghz.size() || s.x.size() != ghz.size() ||
      values(lx, "XData") != ghz)
    return std::nullopt;
  return s;
}

ShownData shownData() {
  ShownData d;
  const ImpedanceAxes axes = impedanceAxes();
  d.lineR = newestLine(axes.resistance);
  d.lineX = newestLine(axes.reactance);
  if (!std::isnan(d.lineR)) {
    d.xr = rt::gfx::prop(d.lineR, "XData").id();
    d.yr = rt::gfx::prop(d.lineR, "YData").id();
  }
  if (!std::isnan(d.lineX)) {
    d.xx = rt::gfx::prop(d.lineX, "XData").id();
    d.yx = rt::gfx::prop(d.lineX, "YData").id();
  }
  // NaN never compares equal: a missing line is kept as 0.
  if (std::isnan(d.lineR)) d.lineR = 0;
  if (std::isnan(d.lineX)) d.lineX = 0;
  return d;
}

WindowDesign windowDesign() {
  const Window w;
  WindowDesign d;
  using antenna::metresFromMm;
  d.patch = {metresFromMm(w.number(Quantity::width)), metresFromMm(w.number(Quantity::length)),
             metresFromMm(w.number(Quantity::height)), w.number(Quantity::er),
             metresFromMm(w.number(Quantity::offset))};
  d.fminGhz = w.number(Quantity::fmin);
  d.fmaxGhz = w.number(Quantity::fmax);
  d.patternGhz = w.number(Quantity::pattern);
  checkBoxes(w, d);
  checkBand(w, d);
  return d;
}

std::string boxText(Quantity q) {
  return Window().text(parameter(q).editBox);
}

Limits sliderLimits() {
  const Window w;
  const auto metres = [](Range mm) {
    return Range{antenna::metresFromMm(mm.min), antenna::metresFromMm(mm.max)};
  };
  return {metres(w.range(Quantity::width)), metres(w.range(Quantity::length)),
          metres(w.range(Quantity::height)), w.range(Quantity::er)};
}

std::vector<Act> actsOf(const Design& d) {
  return actsOf(d.patch, antenna::ghzFromHz(d.band.fmin), antenna::ghzFromHz(d.band.fmax));
}

std::vector<Act> actsOf(const antenna::Patch& p, double fminGhz, double fmaxGhz) {
  using antenna::boardMm;
  return {typed(Quantity::height, boardMm(p.height)),
          typed(Quantity::er, p.er),
          typed(Quantity::width, boardMm(p.width)),
          typed(Quantity::length, boardMm(p.length)),
          typed(Quantity::offset, boardMm(p.feedOffset)),
          typed(Quantity::fmax, fmaxGhz),
          typed(Quantity::fmin, fminGhz)};
}

std::vector<Act> presentActs() {
  const Window w;
  std::vector<Act> acts;
  for (const Parameter& p : parameters()) {
    const std::string text = w.text(p.editBox);
    if (p.slider.empty()) {
      // A band box that was never typed into stays empty; typing an empty
      // text would move the pattern slider to NaN.
      if (text.empty()) continue;
      if (!formats::carriesText(text))
        throw std::runtime_error("the text of " + std::string(p.editBox) +
                                 " does not fit on one line");
      acts.push_back({Act::Kind::type, std::string(p.editBox), text});
      continue;
    }
    const double value = w.number(p.slider);
    if (!std::isfinite(value))
      throw std::runtime_error(std::string(p.slider) + " holds no number (" +
                               std::string(p.editBox) + " reads \"" + formats::shown(text, 40) +
                               "\"): type a number into " + std::string(p.editBox) + " first");
    if (p.quantity == Quantity::pattern) {
      // Typing Fmin moves the pattern slider to it; only a pattern
      // frequency set apart from that needs its own act, which opens a
      // pattern figure.
      const std::string fmin = w.text(parameter(Quantity::fmin).editBox);
      if (same(value, fmin.empty() ? 0.0 : numberOf(fmin))) continue;
      const rt::Array typedValue = rt::str2num(rt::str(text));
      if (formats::carriesText(text) && typedValue.numel() == 1 && same(typedValue.re()[0], value))
        acts.push_back({Act::Kind::type, std::string(p.editBox), text});
      else
        acts.push_back({Act::Kind::slide, std::string(p.slider),
                        antenna::formatNumber(value, antenna::kShortest)});
      continue;
    }
    if (formats::carriesText(text) && same(numberOf(text), value))
      acts.push_back({Act::Kind::type, std::string(p.editBox), text});
    else
      acts.push_back({Act::Kind::slide, std::string(p.slider),
                      antenna::formatNumber(value, antenna::kShortest)});
  }
  return acts;
}

std::optional<Refusal> refusal(const std::vector<Act>& acts) {
  const Window w;
  // A box's value once all the acts are in, or its present one.
  auto last = [&](Quantity q, double present) {
    const Act* a = lastFor(acts, parameter(q).editBox);
    return a ? valueOf(*a) : present;
  };
  const Range band{last(Quantity::fmin, w.number(parameter(Quantity::pattern).slider, "Min")),
                   last(Quantity::fmax, w.number(parameter(Quantity::pattern).slider, "Max"))};
  for (std::size_t i = 0; i < acts.size(); ++i) {
    const Act& a = acts[i];
    if (a.kind != Act::Kind::slide) continue;
    const Parameter& p = parameterOf(a);
    Range r = p.quantity == Quantity::pattern ? band : w.range(p.quantity);
    if (p.quantity == Quantity::offset)
      r.max = last(Quantity::length, w.number(Quantity::length)) / 2;
    const double v = valueOf(a);
    if (!(r.min <= v && v <= r.max))
      return Refusal{i, "\"" + a.tag + "\" moves only from its Min " +
                            antenna::formatNumber(r.min, antenna::kShortest) + " to its Max " +
                            antenna::formatNumber(r.max, antenna::kShortest) + ", not " + a.text};
  }
  return std::nullopt;
}

std::vector<std::function<void(bool)>>& performWatches() {
  static std::vector<std::function<void(bool)>> watches;
  return watches;
}

void watchPerform(std::function<void(bool starting)> watch) {
  performWatches().push_back(std::move(watch));
}

void perform(std::vector<Act> acts) {
  const Window w;
  for (const auto& watch : performWatches()) watch(true);
  struct Done {
    ~Done() {
      for (const auto& watch : performWatches()) watch(false);
    }
  } done;
  std::stable_sort(acts.begin(), acts.end(), [](const Act& a, const Act& b) {
    return &parameterOf(a) < &parameterOf(b);  // rows of one table: its order
  });

  // An offset above half the new length goes in before the length, while
  // the old length still allows it; Fmin goes in before Fmax when it is not
  // above the pattern slider's present Max.
  const std::string_view lengthBox = parameter(Quantity::length).editBox;
  const std::string_view offsetBox = parameter(Quantity::offset).editBox;
  const std::string_view fminBox = parameter(Quantity::fmin).editBox;
  const Act* length = lastFor(acts, lengthBox);
  const Act* offset = lastFor(acts, offsetBox);
  if (length && offset && w.number(Quantity::offset) > valueOf(*length) / 2.0)
    moveBefore(acts, offsetBox, lengthBox);
  const Act* fmin = lastFor(acts, fminBox);
  if (fmin && valueOf(*fmin) <= w.number(parameter(Quantity::pattern).slider, "Max"))
    moveBefore(acts, fminBox, parameter(Quantity::fmax).editBox);

  for (const Act& a : acts) {
    const double h = w.control(a.tag);
    if (a.kind == Act::Kind::type)
      rt::gfx::userAct(h, {{"String", rt::str(a.text)}});
    else
      rt::gfx::userAct(h, {{"Value", rt::scalar(valueOf(a))}});
  }
}

namespace {

bool known(std::string_view Parameter::*control, std::string_view tag) {
  const std::span<const Parameter> all = parameters();
  return !tag.empty() &&
         std::any_of(all.begin(), all.end(), [&](const Parameter& p) { return p.*control == tag; });
}

std::string quoted(std::string_view s) {
  return "\"" + formats::shown(s, 80) + "\"";
}

bool control(char ch) {
  const auto c = static_cast<unsigned char>(ch);
  return (c < 0x20 && c != '\t') || c == 0x7f;
}

}  // namespace

std::optional<Act> parseAct(std::string_view text, std::string& why) {
  std::string_view rest = text;
  const std::string_view command = formats::word(rest);
  const std::string_view tag = formats::word(rest);
  if (command == "type") {
    if (!known(&Parameter::editBox, tag)) {
      why = quoted(tag) + " is not an edit box of the window";
      return std::nullopt;
    }
    // As the script types it: a CRLF line end is no part of the text.
    while (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
    if (std::any_of(rest.begin(), rest.end(), control)) {
      why = "the text " + quoted(rest) +
            " holds a control byte (a file with CR-only line ends reads as one line)";
      return std::nullopt;
    }
    return Act{Act::Kind::type, std::string(tag), std::string(rest)};
  }
  if (command == "slide") {
    if (!known(&Parameter::slider, tag)) {
      why = quoted(tag) + " is not a slider of the window";
      return std::nullopt;
    }
    const std::string_view value = formats::strip(rest);
    const std::optional<double> v = antenna::parseNumber(value);
    if (!v || !std::isfinite(*v)) {
      why = "the slider position must be a number, not " + quoted(value);
      return std::nullopt;
    }
    return Act{Act::Kind::slide, std::string(tag), std::string(value)};
  }
  why = quoted(command) + " is not an act of a design (type or slide)";
  return std::nullopt;
}

}  // namespace design

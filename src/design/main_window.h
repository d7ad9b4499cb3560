// The main window's meaning in one place: which control holds the width,
// length, height, permittivity, feed offset, band and pattern frequency, which
// axes show the impedance, and how the figure is found. Everything else
// (commands, dialogs, figures, the script) reads the design as numbers and
// types one in as user acts through here; only the window's own modules and
// callbacks name its controls besides.
#pragma once

#include <cmath>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "antenna/patch.h"
#include "antenna/readout.h"
#include "antenna/synthesis.h"
#include "antenna/units.h"
#include "design/acts.h"

namespace design {

using antenna::Design;
using antenna::Limits;
using antenna::Range;
using antenna::Target;

// What a parameter of the window holds.
enum class Quantity { width, length, height, er, offset, fmax, fmin, pattern };

// A parameter: its edit box, its slider (empty for the band limits, which
// have none), what it holds, and the box's short name, for messages.
struct Parameter {
  Quantity quantity;
  std::string_view editBox, slider, meaning, name;
};

// Every parameter, in an order whose acts are consistent when played on a
// new window: a slider's range is set before its value is.
std::span<const Parameter> parameters();
// The parameter holding `q`, and the one an act types into or slides.
const Parameter& parameter(Quantity q);
const Parameter& parameterOf(const Act& act);

// The main window's figure: none, or a std::runtime_error, when it is not
// open.
std::optional<double> findMainFigure();
double mainFigure();

// Whether `ax` is the main window's resistance or reactance axes, and those
// two axes (NaN where missing).
bool isImpedanceAxes(double ax);
struct ImpedanceAxes {
  double resistance = NAN, reactance = NAN;
};
ImpedanceAxes impedanceAxes();

// The data tip of point `index` of `line` in `ax` when `ax` is an impedance
// axes: the frequency (which a control under the axes captions, not the
// axes' own x label) and the resistance or reactance.
std::optional<std::string> impedanceTip(double ax, double line, std::size_t index);

// The newest lines of the main window's resistance and reactance axes: nothing
// when either axes has no line or their frequencies differ.
std::optional<antenna::Sweep> shownImpedance();

// Identity of the data those lines hold, cheap to compare: it changes
// whenever a line is replaced or its data is written.
struct ShownData {
  double lineR = 0, lineX = 0;
  const void *xr = nullptr, *yr = nullptr, *xx = nullptr, *yx = nullptr;
  bool operator==(const ShownData&) const = default;
};
ShownData shownData();

// The design the window holds, as numbers: the patch from the sliders (SI
// units), the band and the pattern frequency in GHz as the window samples
// them (NaN where the box or slider holds no number), and the band in Hz. `unusable` gives the
// reasons the window draws no impedance for it (or none that means anything), naming the box, its
// value and what is wrong; empty when it draws. `notes` says where a slider shows a value it cannot
// hold.
struct WindowDesign {
  antenna::Patch patch;
  double fminGhz = NAN, fmaxGhz = NAN, patternGhz = NAN;
  std::vector<std::string> unusable, notes;
  antenna::Band band() const { return {antenna::hzFromGhz(fminGhz), antenna::hzFromGhz(fmaxGhz)}; }
};
WindowDesign windowDesign();

// The act of a line; on failure, `why` says what is wrong with it. Only the
// tags of the window's edit boxes and sliders are known, a typed text holds
// no control byte (a carriage return inside a line is a file with CR-only
// line ends) and a slider position is a finite number.
std::optional<Act> parseAct(std::string_view line, std::string& why);

// Each of these throws std::runtime_error when the main window is not open.

// The ranges of the width, length, height (in metres) and permittivity
// sliders.
Limits sliderLimits();

// The text of the edit box that holds `q`.
std::string boxText(Quantity q);

// The acts that type a design into the window's edit boxes, its sizes as a
// board holds them (whole micrometres, three decimals of a mm).
std::vector<Act> actsOf(const Design& d);
std::vector<Act> actsOf(const antenna::Patch& p, double fminGhz, double fmaxGhz);

// The acts that rebuild the window's parameters on a new window: each box's
// text, or a slider position where the box's text does not carry the
// slider's exact value (a dragged slider shows a rounded number). A slider
// that holds no finite number (a box typed with what its callback could not
// read) is raised as std::runtime_error: no file could rebuild it.
std::vector<Act> presentActs();

// Why the window would refuse one of `acts` as the script refuses a line,
// checked before any is applied: a slider moved outside its Min and Max, as
// they will be when the act comes (the feed offset's Max follows the length,
// the pattern frequency's range the band). The index of the first refused
// act and the reason; nothing when every act would be taken.
struct Refusal {
  std::size_t act;
  std::string why;
};
std::optional<Refusal> refusal(const std::vector<Act>& acts);

// Performs the acts through the controls' callbacks, so that the window
// draws them. The feed offset and the band limits are ordered against the
// window's present state so that no callback sees an offset beyond half the
// length or a pattern slider whose Min is above its Max.
void perform(std::vector<Act> acts);

// Calls `watch(true)` as perform starts typing its acts in and
// `watch(false)` once it has typed them (or failed), so that a history of
// the design takes them as one change.
void watchPerform(std::function<void(bool starting)> watch);

}  // namespace design

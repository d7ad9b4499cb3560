// The callbacks of the edit boxes that are more than a slider's partner: the
// band limits set the pattern-frequency range, and the pattern frequency is
// checked before its slider takes it.
#include <cmath>

#include "platform/graphics/graphics.h"
#include "window/callbacks.h"
#include "window/model/offset_impedance.h"
#include "window/model/pattern.h"

// Band start: the pattern-frequency slider moves to it (its minimum and its
// value) and its edit box and minimum label show it. The axes are fitted only
// when the model drew.
namespace inter_func_e5 {
frame::ConstantTable Def::constants;
namespace {
const rt::Array& kString = Def::constants.string("String");
const rt::Array& kMin = Def::constants.string("Min");
const rt::Array& kValue = Def::constants.string("Value");
const rt::Array& kZero = Def::constants.number(0);
const callbacks::AxesFit kFit = callbacks::addAxesFit(Def::constants);
}  // namespace

void body() {
  frame::Var handles("handles"), fmin("fmin"), pon("pon");
  handles = callbacks::collectHandles();
  fmin = rt::str2double(rt::get(callbacks::control(handles, "edit5"), kString));
  rt::set(callbacks::control(handles, "slider6"), {kMin, fmin, kValue, fmin});
  rt::set(callbacks::control(handles, "edit8"), {kString, rt::num2str(fmin)});
  rt::set(callbacks::control(handles, "text30"), {kString, rt::num2str(fmin)});
  pon = offset_impedance::call(handles);
  if (rt::eqBool(pon, kZero)) callbacks::fitImpedanceAxes(kFit);
}
}  // namespace inter_func_e5

// Band end: only the maximum of the pattern-frequency slider follows it; both
// range labels are shown. The axes are fitted only when the model drew.
namespace inter_func_e6 {
frame::ConstantTable Def::constants;
namespace {
const rt::Array& kString = Def::constants.string("String");
const rt::Array& kMax = Def::constants.string("Max");
const rt::Array& kVisible = Def::constants.string("Visible");
const rt::Array& kOn = Def::constants.string("on");
const rt::Array& kZero = Def::constants.number(0);
const callbacks::AxesFit kFit = callbacks::addAxesFit(Def::constants);
}  // namespace

void body() {
  frame::Var handles("handles"), fmax("fmax"), pon("pon");
  handles = callbacks::collectHandles();
  fmax = rt::str2double(rt::get(callbacks::control(handles, "edit6"), kString));
  rt::set(callbacks::control(handles, "slider6"), {kMax, fmax});
  rt::set(callbacks::control(handles, "text30"), {kVisible, kOn});
  rt::set(callbacks::control(handles, "text31"), {kString, rt::num2str(fmax), kVisible, kOn});
  pon = offset_impedance::call(handles);
  if (rt::eqBool(pon, kZero)) callbacks::fitImpedanceAxes(kFit);
}
}  // namespace inter_func_e6

// Pattern frequency: the text is kept as it is and converted with the
// runtime's text-to-number conversion. Text that does not give one number
// (nothing, a word, a list) is refused with a message, the slider keeping
// its value: an empty or several-valued "Value" would leave the slider
// without a position and make the pattern model fail on an arithmetic error
// that says nothing about the typing mistake. NaN and infinite frequencies
// are refused the same way: their pattern is NaN at every point, and the
// window it opened would show nothing.
namespace inter_func_e8 {
frame::ConstantTable Def::constants;
namespace {
const rt::Array& kString = Def::constants.string("String");
const rt::Array& kValue = Def::constants.string("Value");
const rt::Array& kNotOneNumber =
    Def::constants.string("The radiation pattern frequency must be one number (in GHz).");
const rt::Array& kNegative = Def::constants.string(
    "The radiation pattern frequency cannot be below 0 GHz (0 draws no pattern).");
}  // namespace

void body() {
  frame::Var handles("handles"), f0p("f0p");
  handles = callbacks::collectHandles();
  f0p = rt::num2str(rt::get(callbacks::control(handles, "edit8"), kString));
  rt::Array frequency = rt::str2num(f0p);
  if (!frequency.isNumeric() || frequency.numel() != 1 || !std::isfinite(frequency.scalar()))
    rt::error(kNotOneNumber);
  // No pattern has a frequency below 0, and 0 is the window's "none": the
  // slider keeps its own.
  if (frequency.scalar() < 0) rt::error(kNegative);
  rt::set(callbacks::control(handles, "slider6"), {kValue, frequency});
  pattern::call(handles);
}
}  // namespace inter_func_e8

// The callbacks of the six sliders: the slider's value goes into its edit box
// as text, then the impedance model (or, for the pattern frequency, the
// pattern model) runs.
#include "model/offset_impedance.h"
#include "model/pattern.h"
#include "shell/callbacks.h"

namespace inter_func_s1 {
frame::ConstantTable Def::constants;
namespace {
const rt::Array& kValue = Def::constants.string("Value");
const rt::Array& kString = Def::constants.string("String");
const callbacks::AxesFit kFit = callbacks::addAxesFit(Def::constants);
}  // namespace

void body() {
  frame::Var handles("handles"), wp("wp"), pon("pon");
  handles = callbacks::collectHandles();
  callbacks::sliderToEdit(handles, "slider1", "edit1", wp, kValue, kString);
  pon = offset_impedance::call(handles);
  callbacks::fitImpedanceAxes(kFit);
}
}  // namespace inter_func_s1

namespace inter_func_s2 {
frame::ConstantTable Def::constants;
namespace {
const rt::Array& kValue = Def::constants.string("Value");
const rt::Array& kString = Def::constants.string("String");
const rt::Array& kMax = Def::constants.string("Max");
const rt::Array& kTwo = Def::constants.number(2.0);
const callbacks::AxesFit kFit = callbacks::addAxesFit(Def::constants);
}  // namespace

void body() {
  frame::Var handles("handles"), lp("lp"), pon("pon");
  handles = callbacks::collectHandles();
  callbacks::sliderToEdit(handles, "slider2", "edit2", lp, kValue, kString);
  callbacks::followLength(handles, lp, kMax, kTwo, kString);
  pon = offset_impedance::call(handles);
  callbacks::fitImpedanceAxes(kFit);
}
}  // namespace inter_func_s2

namespace inter_func_s3 {
frame::ConstantTable Def::constants;
namespace {
const rt::Array& kValue = Def::constants.string("Value");
const rt::Array& kString = Def::constants.string("String");
const callbacks::AxesFit kFit = callbacks::addAxesFit(Def::constants);
}  // namespace

void body() {
  frame::Var handles("handles"), h("h"), pon("pon");
  handles = callbacks::collectHandles();
  callbacks::sliderToEdit(handles, "slider3", "edit3", h, kValue, kString);
  pon = offset_impedance::call(handles);
  callbacks::fitImpedanceAxes(kFit);
}
}  // namespace inter_func_s3

namespace inter_func_s4 {
frame::ConstantTable Def::constants;
namespace {
const rt::Array& kValue = Def::constants.string("Value");
const rt::Array& kString = Def::constants.string("String");
const callbacks::AxesFit kFit = callbacks::addAxesFit(Def::constants);
}  // namespace

void body() {
  frame::Var handles("handles"), er("er"), pon("pon");
  handles = callbacks::collectHandles();
  callbacks::sliderToEdit(handles, "slider4", "edit4", er, kValue, kString);
  pon = offset_impedance::call(handles);
  callbacks::fitImpedanceAxes(kFit);
}
}  // namespace inter_func_s4

// The feed offset: the model fits the axes itself only for a zero offset, so
// this callback leaves the limits alone.
namespace inter_func_s5 {
frame::ConstantTable Def::constants;
namespace {
const rt::Array& kValue = Def::constants.string("Value");
const rt::Array& kString = Def::constants.string("String");
}  // namespace

void body() {
  frame::Var handles("handles"), offset("offset"), pon("pon");
  handles = callbacks::collectHandles();
  callbacks::sliderToEdit(handles, "slider5", "edit7", offset, kValue, kString);
  pon = offset_impedance::call(handles);
}
}  // namespace inter_func_s5

namespace inter_func_s6 {
frame::ConstantTable Def::constants;
namespace {
const rt::Array& kValue = Def::constants.string("Value");
const rt::Array& kString = Def::constants.string("String");
}  // namespace

void body() {
  frame::Var handles("handles"), f0p("f0p");
  handles = callbacks::collectHandles();
  callbacks::sliderToEdit(handles, "slider6", "edit8", f0p, kValue, kString);
  pattern::call(handles);
}
}  // namespace inter_func_s6

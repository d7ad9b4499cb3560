// The callbacks of the main window's controls: one module per control, named
// by the control's callback string. Each collects the window's handles,
// copies the changed value to its partner control, adjusts the ranges that
// depend on it and runs the impedance or the pattern model.
#pragma once

#include "frame/frame.h"

namespace callbacks {

// The steps that several callbacks share.

// The constants with which a callback fits the impedance axes: "Tag",
// "axes1", "axes2" and "tight", added to its table in this order.
struct AxesFit {
  const rt::Array& tag;
  const rt::Array& axes1;
  const rt::Array& axes2;
  const rt::Array& tight;
};
AxesFit addAxesFit(frame::ConstantTable& table);

// The handles record of the figure whose control's callback is running.
rt::Array collectHandles();

// The handle of the control tagged `tag`, the field of `handles` of that name.
rt::Array control(const frame::Var& handles, std::string_view tag);

// Finds the axes tagged "axes1" and "axes2" (both before either is used),
// then makes each current in turn and fits its limits to its data; the
// axes tagged "axes2" end as the current axes.
void fitImpedanceAxes(const AxesFit& k);

// A slider moved: `value` = its "Value", written into the edit box as text.
void sliderToEdit(const frame::Var& handles, std::string_view slider, std::string_view edit,
                  frame::Var& value, const rt::Array& kValue, const rt::Array& kString);

// An edit box changed: `value` = its "String" as a number, written into the
// slider's "Value" unchanged.
void editToSlider(const frame::Var& handles, std::string_view edit, std::string_view slider,
                  frame::Var& value, const rt::Array& kString, const rt::Array& kValue);

// The patch length changed: the feed-offset slider's "Max" and its right
// range label follow half of it.
void followLength(const frame::Var& handles, const frame::Var& lp, const rt::Array& kMax,
                  const rt::Array& kTwo, const rt::Array& kString);

}  // namespace callbacks

// The callback of the edit box `edit1` (patch width W).
namespace inter_func_e1 {
void body();
FRAME_MODULE(.name = "inter_func_e1");
}  // namespace inter_func_e1

// The callback of the edit box `edit2` (patch length L).
namespace inter_func_e2 {
void body();
FRAME_MODULE(.name = "inter_func_e2");
}  // namespace inter_func_e2

// The callback of the edit box `edit3` (substrate height H).
namespace inter_func_e3 {
void body();
FRAME_MODULE(.name = "inter_func_e3");
}  // namespace inter_func_e3

// The callback of the edit box `edit4` (relative permittivity er).
namespace inter_func_e4 {
void body();
FRAME_MODULE(.name = "inter_func_e4");
}  // namespace inter_func_e4

// The callback of the edit box `edit5` (band start Fmin).
namespace inter_func_e5 {
void body();
FRAME_MODULE(.name = "inter_func_e5");
}  // namespace inter_func_e5

// The callback of the edit box `edit6` (band end Fmax).
namespace inter_func_e6 {
void body();
FRAME_MODULE(.name = "inter_func_e6");
}  // namespace inter_func_e6

// The callback of the edit box `edit7` (feed point offset).
namespace inter_func_e7 {
void body();
FRAME_MODULE(.name = "inter_func_e7");
}  // namespace inter_func_e7

// The callback of the edit box `edit8` (pattern frequency).
namespace inter_func_e8 {
void body();
FRAME_MODULE(.name = "inter_func_e8");
}  // namespace inter_func_e8

// The callback of the slider `slider1` (patch width W).
namespace inter_func_s1 {
void body();
FRAME_MODULE(.name = "inter_func_s1");
}  // namespace inter_func_s1

// The callback of the slider `slider2` (patch length L).
namespace inter_func_s2 {
void body();
FRAME_MODULE(.name = "inter_func_s2");
}  // namespace inter_func_s2

// The callback of the slider `slider3` (substrate height H).
namespace inter_func_s3 {
void body();
FRAME_MODULE(.name = "inter_func_s3");
}  // namespace inter_func_s3

// The callback of the slider `slider4` (relative permittivity er).
namespace inter_func_s4 {
void body();
FRAME_MODULE(.name = "inter_func_s4");
}  // namespace inter_func_s4

// The callback of the slider `slider5` (feed point offset).
namespace inter_func_s5 {
void body();
FRAME_MODULE(.name = "inter_func_s5");
}  // namespace inter_func_s5

// The callback of the slider `slider6` (pattern frequency).
namespace inter_func_s6 {
void body();
FRAME_MODULE(.name = "inter_func_s6");
}  // namespace inter_func_s6

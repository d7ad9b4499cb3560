// The callbacks of the main window's controls: one module per control, named
// by the control's callback string. Each collects the window's handles,
// copies the changed value to its partner control, adjusts the ranges that
// depend on it and runs the impedance or the pattern model.
#pragma once

#include <optional>
#include <string_view>

#include "window/frame/frame.h"

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

// What the callback of one of a partner pair of controls does (a slider and
// the edit box beside it), in the order it does it: it copies `from` to `to`
// (a slider's "Value" into the edit box as text, or an edit box's "String"
// as a number into the slider's "Value"), holding the value in a variable
// named `variable`; when `followsLength`, moves the feed-offset range after
// the patch length; then runs `model`.
enum class Copy { sliderToEdit, editToSlider };
enum class Model {
  impedanceFitted,  // the impedance model, then both impedance axes fitted
  impedance,        // the impedance model alone: it fits the axes when it must
  patternModel,     // the pattern model
};
struct Partner {
  std::string_view from;
  std::string_view to;
  std::string_view variable;
  Copy copy;
  bool followsLength;
  Model model;
};

// A partner callback bound to its module's constant table, to which it adds
// the constants its steps use, in the order they use them.
class PartnerCallback {
 public:
  PartnerCallback(frame::ConstantTable& table, const Partner& partner);
  void run() const;

 private:
  void copy(const frame::Var& handles, frame::Var& value) const;

  Partner partner_;
  const rt::Array& source_;  // the property read from `from`
  const rt::Array& target_;  // the property written on `to`
  const rt::Array* max_ = nullptr;
  const rt::Array* two_ = nullptr;
  std::optional<AxesFit> fit_;
};

}  // namespace callbacks

// Defines the module of a partner callback from its row: the module's
// constant table, its callback and its body.
#define PARTNER_CALLBACK(module, ...)                                        \
  namespace module {                                                         \
  frame::ConstantTable Def::constants;                                       \
  namespace {                                                                \
  const callbacks::PartnerCallback kCallback(Def::constants, {__VA_ARGS__}); \
  }                                                                          \
  void body() {                                                              \
    kCallback.run();                                                         \
  }                                                                          \
  }

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

#include "shell/callbacks.h"

#include <string>

#include "support/guihandles.h"

namespace callbacks {

AxesFit addAxesFit(frame::ConstantTable& table) {
  const rt::Array& tag = table.string("Tag");
  const rt::Array& axes1 = table.string("axes1");
  const rt::Array& axes2 = table.string("axes2");
  const rt::Array& tight = table.string("tight");
  return {tag, axes1, axes2, tight};
}

rt::Array collectHandles() {
  return guihandles::call(rt::gcbo());
}

rt::Array control(const frame::Var& handles, std::string_view tag) {
  return rt::indexRef(handles, "." + std::string(tag));
}

void fitImpedanceAxes(const AxesFit& k) {
  frame::Var ha1("ha1"), ha2("ha2");
  ha1 = rt::findobj({k.tag, k.axes1});
  ha2 = rt::findobj({k.tag, k.axes2});
  rt::axes(ha1.get());
  rt::axis(k.tight);
  rt::axes(ha2.get());
  rt::axis(k.tight);
}

void sliderToEdit(const frame::Var& handles, std::string_view slider, std::string_view edit,
                  frame::Var& value, const rt::Array& kValue, const rt::Array& kString) {
  value = rt::get(control(handles, slider), kValue);
  rt::set(control(handles, edit), {kString, rt::num2str(value)});
}

void editToSlider(const frame::Var& handles, std::string_view edit, std::string_view slider,
                  frame::Var& value, const rt::Array& kString, const rt::Array& kValue) {
  value = rt::str2double(rt::get(control(handles, edit), kString));
  rt::set(control(handles, slider), {kValue, value});
}

void followLength(const frame::Var& handles, const frame::Var& lp, const rt::Array& kMax,
                  const rt::Array& kTwo, const rt::Array& kString) {
  rt::set(control(handles, "slider5"), {kMax, rt::mrdivide(lp, kTwo)});
  rt::set(control(handles, "text27"), {kString, rt::num2str(rt::mrdivide(lp, kTwo))});
}

}  // namespace callbacks

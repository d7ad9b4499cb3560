// The steps the main window's callbacks share, and the partner callbacks
// that copy a value between a slider and its edit box and run a model.
#include "window/callbacks.h"

#include <string>

#include "platform/graphics/graphics.h"
#include "window/model/offset_impedance.h"
#include "window/model/pattern.h"
#include "window/toolbox/guihandles.h"

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

namespace {

// The patch length changed: the feed-offset slider's "Max" and its right
// range label follow half of it.
void followLength(const frame::Var& handles, const frame::Var& lp, const rt::Array& kMax,
                  const rt::Array& kTwo, const rt::Array& kString) {
  rt::set(control(handles, "slider5"), {kMax, rt::mrdivide(lp, kTwo)});
  rt::set(control(handles, "text27"), {kString, rt::num2str(rt::mrdivide(lp, kTwo))});
}

}  // namespace

PartnerCallback::PartnerCallback(frame::ConstantTable& table, const Partner& partner)
    : partner_(partner),
      source_(table.string(partner.copy == Copy::sliderToEdit ? "Value" : "String")),
      target_(table.string(partner.copy == Copy::sliderToEdit ? "String" : "Value")) {
  if (partner.followsLength) {
    max_ = &table.string("Max");
    two_ = &table.number(2.0);
  }
  if (partner.model == Model::impedanceFitted) fit_.emplace(addAxesFit(table));
}

void PartnerCallback::run() const {
  frame::Var handles("handles"), value(partner_.variable), pon("pon");
  handles = collectHandles();
  copy(handles, value);
  if (partner_.followsLength) {
    const rt::Array& string = partner_.copy == Copy::sliderToEdit ? target_ : source_;
    followLength(handles, value, *max_, *two_, string);
  }
  if (partner_.model == Model::patternModel) {
    pattern::call(handles);
    return;
  }
  pon = offset_impedance::call(handles);
  if (fit_) fitImpedanceAxes(*fit_);
}

void PartnerCallback::copy(const frame::Var& handles, frame::Var& value) const {
  if (partner_.copy == Copy::sliderToEdit) {
    value = rt::get(control(handles, partner_.from), source_);
    rt::set(control(handles, partner_.to), {target_, rt::num2str(value)});
  } else {
    value = rt::str2double(rt::get(control(handles, partner_.from), source_));
    rt::set(control(handles, partner_.to), {target_, value});
  }
}

}  // namespace callbacks

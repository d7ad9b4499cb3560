#include "window/model/offset_impedance.h"

#include "platform/graphics/graphics.h"
#include "window/model/microstrip.h"
#include "window/toolbox/labels.h"

namespace offset_impedance {

frame::ConstantTable Def::constants;

namespace {

frame::ConstantTable& K = Def::constants;

// In table order; created by initialize(), destroyed in reverse by terminate().
const rt::Array& kMi0 = K.number(1.2566370614359173e-6);  // 4*pi*1e-7 H/m
const rt::Array& kEpsilon0 = K.number(8.854e-12);         // F/m, as the model has it
const rt::Array& k1000 = K.number(1000);
const rt::Array& k1e9 = K.number(1e9);
const rt::Array& kTwoPi = K.number(6.283185307179586);
const rt::Array& kOneOverTwoPi = K.number(0.15915494309189535);
const rt::Array& kPi = K.number(3.141592653589793);
const rt::Array& kOne = K.number(1);
const rt::Array& kTwo = K.number(2);
const rt::Array& kTen = K.number(10);
const rt::Array& kEight = K.number(8);
const rt::Array& kQuarter = K.number(0.25);
const rt::Array& k1_393 = K.number(1.393);
const rt::Array& k0_667 = K.number(0.667);
const rt::Array& k1_444 = K.number(1.444);
const rt::Array& kI = K.add([] { return rt::initializeComplex(0, 1); });
const rt::Array& kMinusTwoI = K.add([] { return rt::initializeComplex(0, -2); });
const rt::Array& kZero = K.number(0);
const rt::Array& kString = K.string("String");
const rt::Array& kValue = K.string("Value");
const rt::Array& kTag = K.string("Tag");
const rt::Array& kAxes1 = K.string("axes1");
const rt::Array& kAxes2 = K.string("axes2");
const rt::Array& kResistance = K.string("Resistance (Ohms)");
const rt::Array& kReactance = K.string("Reactance (Ohms)");
const rt::Array& kTight = K.string("tight");
const rt::Array& kOn = K.string("on");

// The locals are frame::Var, which argument lookup does not tie to rt.
using rt::operator+;
using rt::operator-;
using rt::operator*;
using rt::operator/;

// Impedance seen from the feed point through a line of impedance `Zc` whose
// far end reflects with `RC` carried to the feed point: Zc (1 + RC)/(1 - RC).
rt::Array seenImpedance(const rt::Array& Zc, const rt::Array& RC) {
  return Zc * (kOne + RC) / (kOne - RC);
}

}  // namespace

void impedance(Locals& v) {
  v.f = k1e9 * rt::linspace(v.fmin, v.fmax, k1000);
  v.a = rt::copyArray(v.wp);
  v.mi0 = rt::copyArray(kMi0);
  v.epsilon0 = rt::copyArray(kEpsilon0);
  v.c = kOne / rt::sqrt(v.mi0 * v.epsilon0);
  v.N = rt::size(v.f, kTwo);
  v.lambda0 = v.c / v.f;
  v.k0 = kTwoPi / v.lambda0;
  v.Z0 = rt::sqrt(v.mi0 / v.epsilon0);

  // Effective permittivity of the patch seen as a microstrip line.
  v.ereff = microstrip::effectivePermittivity<rt::Array>(v.er, v.h, v.wp, kOne, kTwo, kTen);

  // Characteristic impedance: narrow strip up to wp = h, wide strip beyond.
  if (rt::leBool(v.wp, v.h)) {
    v.Zc = kOneOverTwoPi * (v.Z0 / rt::sqrt(v.ereff)) *
           rt::log(kEight * v.h / v.wp + kQuarter * v.wp / v.h);
  } else {
    v.Zc = v.Z0 / rt::sqrt(v.ereff) / (v.wp / v.h + k1_393 + k0_667 * rt::log(v.wp / v.h + k1_444));
  }
  v.ws = rt::copyArray(v.h);

  // One radiating slot: G = pi a/(lambda0 Z0), B = G (1 - ln 2 ln(k0 ws)).
  v.Yslot =
      kPi * v.a * (kOne + kI * (kOne - rt::log(kTwo) * rt::log(v.k0 * v.ws))) / (v.lambda0 * v.Z0);
  v.Zslot = kOne / v.Yslot;
  v.beta = v.k0 * rt::sqrt(v.ereff);

  // Each slot's reflection carried to the feed point along its section.
  v.RCslot = (v.Zslot - v.Zc) / (v.Zslot + v.Zc);
  v.RCslot1 = v.RCslot * rt::exp(kMinusTwoI * v.beta * v.offset);
  v.RCslot2 = v.RCslot * rt::exp(kMinusTwoI * v.beta * (v.lp - v.offset));
  v.Zslot1 = seenImpedance(v.Zc, v.RCslot1);
  v.Zslot2 = seenImpedance(v.Zc, v.RCslot2);

  // The two sections in parallel at the feed point.
  v.Yslot1 = kOne / v.Zslot1;
  v.Yslot2 = kOne / v.Zslot2;
  v.Ytotal = v.Yslot1 + v.Yslot2;
  v.Zin = kOne / v.Ytotal;
}

rt::Array body(int /*nargout*/, const rt::Array& handlesIn) {
  frame::Var handles = frame::input("handles", handlesIn);
  Locals v;

  v.fmin = rt::str2double(rt::get(rt::indexRef(handles, ".edit5"), kString));
  v.fmax = rt::str2double(rt::get(rt::indexRef(handles, ".edit6"), kString));
  v.wp = rt::get(rt::indexRef(handles, ".slider1"), kValue);
  v.lp = rt::get(rt::indexRef(handles, ".slider2"), kValue);
  v.h = rt::get(rt::indexRef(handles, ".slider3"), kValue);
  v.er = rt::get(rt::indexRef(handles, ".slider4"), kValue);
  v.offset = rt::get(rt::indexRef(handles, ".slider5"), kValue);
  v.pon = rt::copyArray(kZero);

  // Millimetres to metres.
  v.h = v.h / k1000;
  v.lp = v.lp / k1000;
  v.wp = v.wp / k1000;
  v.offset = v.offset / k1000;

  // An empty band, or a limit that is no number, computes and draws nothing.
  if (!rt::gtBool(v.fmax, v.fmin)) {
    v.pon = rt::copyArray(kOne);
    return v.pon.take();
  }

  impedance(v);

  v.ha1 = rt::findobj({kTag, kAxes1});
  v.ha2 = rt::findobj({kTag, kAxes2});

  // Resistance against frequency in GHz. A plot may reset the axes, so the
  // tag is put back afterwards.
  rt::axes(v.ha1);
  rt::plot(v.f / k1e9, rt::real(v.Zin));
  ylabel::callN(0, {kResistance});
  rt::set(rt::gca(), {kTag, kAxes1});
  if (rt::eqBool(v.offset, kZero)) rt::axis(kTight);
  rt::grid(kOn);

  // Reactance against frequency in GHz.
  rt::axes(v.ha2);
  rt::plot(v.f / k1e9, rt::imag(v.Zin));
  rt::set(rt::gca(), {kTag, kAxes2});
  ylabel::callN(0, {kReactance});
  if (rt::eqBool(v.offset, kZero)) rt::axis(kTight);
  rt::grid(kOn);

  return v.pon.take();
}

}  // namespace offset_impedance

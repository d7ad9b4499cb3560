#include "window/model/pattern.h"

#include "platform/graphics/graphics.h"
#include "window/model/microstrip.h"
#include "window/toolbox/labels.h"
#include "window/toolbox/surf.h"

namespace pattern {

frame::ConstantTable Def::constants;

namespace {

frame::ConstantTable& K = Def::constants;

// In table order; created by initialize(), destroyed in reverse by terminate().
const rt::Array& kMi0 = K.number(1.2566370614359173e-6);  // 4*pi*1e-7 H/m
const rt::Array& kEpsilon0 = K.number(8.854e-12);         // F/m, as the model has it
const rt::Array& kZero = K.number(0);
const rt::Array& k1000 = K.number(1000);
const rt::Array& k1e9 = K.number(1e9);
const rt::Array& kOne = K.number(1);
const rt::Array& kTwo = K.number(2);
const rt::Array& kTen = K.number(10);
const rt::Array& kTwoPi = K.number(6.283185307179586);
const rt::Array& k0_412 = K.number(0.412);
const rt::Array& k0_3 = K.number(0.3);
const rt::Array& k0_264 = K.number(0.264);
const rt::Array& k0_258 = K.number(0.258);
const rt::Array& k0_8 = K.number(0.8);
const rt::Array& k91 = K.number(91);
const rt::Array& kPi = K.number(3.141592653589793);
const rt::Array& kMinusHalfPi = K.number(-1.5707963267948966);
const rt::Array& kHalfPi = K.number(1.5707963267948966);
const rt::Array& kAzimuth = K.number(95);
const rt::Array& kElevation = K.number(-45);
const rt::Array& kValue = K.string("Value");
const rt::Array& kOff = K.string("off");
const rt::Array& kX = K.string("X");
const rt::Array& kY = K.string("Y");
const rt::Array& kZ = K.string("Z");

// The locals are frame::Var, which argument lookup does not tie to rt.
using rt::operator+;
using rt::operator-;
using rt::operator*;
using rt::operator/;

}  // namespace

void field(Locals& v) {
  v.f0 = v.f0p * k1e9;
  v.mi0 = rt::copyArray(kMi0);
  v.epsilon0 = rt::copyArray(kEpsilon0);
  v.c = kOne / rt::sqrt(v.mi0 * v.epsilon0);
  v.lambda0 = v.c / v.f0;
  v.k0 = kTwoPi / v.lambda0;

  // Effective permittivity, and the fringing length at each radiating edge.
  v.ereff = microstrip::effectivePermittivity<rt::Array>(v.er, v.h, v.wp, kOne, kTwo, kTen);
  v.dlp = k0_412 * v.h * ((v.ereff + k0_3) * (v.wp / v.h + k0_264)) /
          ((v.ereff - k0_258) * (v.wp / v.h + k0_8));
  v.lpeff = v.lp + kTwo * v.dlp;

  // The first grid column (theta = 0) is 0/0 below.
  rt::warning(kOff);

  v.Ntheta = rt::copyArray(k91);
  v.Nphi = rt::copyArray(k91);
  v.theta = rt::linspace(kZero, kPi, v.Ntheta);
  v.phi = rt::linspace(kMinusHalfPi, kHalfPi, v.Nphi);
  auto [Th, Ph] = rt::meshgrid(v.theta, v.phi);
  v.Th = std::move(Th);
  v.Ph = std::move(Ph);

  // Arguments of the slot factor and of the patch-width factor.
  v.X = v.k0 * v.h / kTwo * rt::sin(v.Th) * rt::cos(v.Ph);
  v.Z = v.k0 * v.wp / kTwo * rt::cos(v.Th);

  // Element factor times the two-slot array factor.
  v.R = rt::sin(v.Th) * rt::sin(v.X) / v.X * rt::sin(v.Z) / v.Z *
        rt::cos(v.k0 * v.lpeff / kTwo * rt::sin(v.Th) * rt::sin(v.Ph));

  // The amplitude as the distance from the origin along each direction.
  v.x = v.R * rt::sin(v.Th) * rt::cos(v.Ph);
  v.y = v.R * rt::sin(v.Th) * rt::sin(v.Ph);
  v.z = v.R * rt::cos(v.Th);
}

void body(const rt::Array& handlesIn) {
  frame::Var handles = frame::input("handles", handlesIn);
  Locals v;

  // A pattern frequency of 0 (the window's initial state) reads and draws
  // nothing more.
  v.f0p = rt::get(rt::indexRef(handles, ".slider6"), kValue);
  if (rt::eqBool(v.f0p, kZero)) return;

  v.wp = rt::get(rt::indexRef(handles, ".slider1"), kValue);
  v.lp = rt::get(rt::indexRef(handles, ".slider2"), kValue);
  v.h = rt::get(rt::indexRef(handles, ".slider3"), kValue);
  v.er = rt::get(rt::indexRef(handles, ".slider4"), kValue);

  // Millimetres to metres.
  v.h = v.h / k1000;
  v.lp = v.lp / k1000;
  v.wp = v.wp / k1000;

  field(v);

  // Every pattern opens a window of its own, seen from below the x-y plane.
  rt::figure();
  surf::callN(0, {v.x, v.y, v.z, v.R});
  xlabel::callN(0, {kX});
  ylabel::callN(0, {kY});
  zlabel::callN(0, {kZ});
  rt::view(rt::Array(), kAzimuth, kElevation);
}

}  // namespace pattern

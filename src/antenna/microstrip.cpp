// Published closed forms for a microstrip line, each named after its source.
// The patch is a wide line (u from about 0.05 to 3000 over the window's
// ranges); the forms stay finite over all of it even where their stated
// accuracy ends (u <= 100).
#include "antenna/microstrip.h"

#include <cmath>

#include "antenna/patch.h"

namespace antenna {

namespace {

// Share of the field in the substrate, quasi-static (Hammerstad and Jensen
// 1980, eq. 4 written as (ee0 - 1)/(er - 1)).
double quasiStaticFilling(double u, double er) {
  const double u4 = std::pow(u, 4);
  const double a = 1 + std::log((u4 + std::pow(u / 52, 2)) / (u4 + 0.432)) / 49 +
                   std::log(1 + std::pow(u / 18.1, 3)) / 18.7;
  const double b = 0.564 * std::pow((er - 0.9) / (er + 3), 0.053);
  return (1 + std::pow(1 + 10 / u, -a * b)) / 2;
}

// The same strip in air (Hammerstad and Jensen 1980, eq. 1-2).
double airLineImpedance(double u) {
  const double f = 6 + (2 * kPi - 6) * std::exp(-std::pow(30.666 / u, 0.7528));
  return kEta0 / (2 * kPi) * std::log(f / u + std::sqrt(1 + 4 / (u * u)));
}

}  // namespace

LineState hammerstadJensenLine(double u, double er) {
  const double filling = quasiStaticFilling(u, er);
  const double ee = 1 + (er - 1) * filling;
  return {ee, filling, airLineImpedance(u) / std::sqrt(ee)};
}

// Kirschning and Jansen 1982, eq. 1-2, with fn = f h in GHz mm: ee(f) = er -
// (er - ee0)/(1 + P). The impedance keeps the quasi-TEM relation Zc = Z01 /
// sqrt(ee) at each frequency. Hammerstad and Jensen's power-current form
// (1980, eq. 12) has the further factor (ee - 1)/(ee0 - 1): on the patches
// of our full-wave comparison it raises Zc by 3-10% and the peak resistance
// by 1-7%, further from the full-wave runs on eight of nine; and for an air
// substrate it is 0/0, whose limit makes an air line dispersive.
DispersiveLine::DispersiveLine(double u, double er, double h)
    : quasiStatic_(hammerstadJensenLine(u, er)),
      er_(er),
      u_(u),
      h_(h),
      p2_(0.33622 * (1 - std::exp(-0.03442 * er))),
      p4_(1 + 2.751 * (1 - std::exp(-std::pow(er / 15.916, 8)))),
      p3Width_(0.0363 * std::exp(-4.6 * u)),
      p1Narrow_(0.065683 * std::exp(-8.7513 * u)) {}

LineState DispersiveLine::at(double hz) const {
  const double fn = hz * 1e-9 * h_ * 1e3;
  const double g = (1 + 0.0157 * fn) * (1 + 0.0157 * fn), g4 = g * g, g16 = g4 * g4 * g4 * g4;
  const double p1 = 0.27488 + (0.6315 + 0.525 / (g16 * g4)) * u_ - p1Narrow_;
  const double p3 = p3Width_ * -std::expm1(-std::pow(fn / 38.7, 4.97));
  const double p = p1 * p2_ * std::pow((0.1844 + p3 * p4_) * fn, 1.5763);
  // ee - 1 = (er - 1) - (er - ee0)/(1 + P), divided through by er - 1.
  const double filling = 1 - (1 - quasiStatic_.filling) / (1 + p);
  const double ee = 1 + (er_ - 1) * filling;
  return {ee, filling, quasiStatic_.zc * std::sqrt(quasiStatic_.ee / ee)};
}

// Kirschning, Jansen and Koster 1981, eq. 1-6: dL/h = x1 x3 x5 / x4, where
// only x1 and x3 depend on ee.
KirschningJansenKosterOpenEnd::KirschningJansenKosterOpenEnd(double u, double er) {
  const double u8544 = std::pow(u, 0.8544);
  widthTerm_ = 0.434907 * (u8544 + 0.236) / (u8544 + 0.87);
  const double x2 = 1 + std::pow(u, 0.371) / (2.358 * er + 1);
  x3Width_ = 0.5274 * std::atan(0.084 * std::pow(u, 1.9413 / x2));
  x4_ = 1 + 0.0377 * std::atan(0.067 * std::pow(u, 1.456)) * (6 - 5 * std::exp(0.036 * (1 - er)));
  x5_ = 1 - 0.218 * std::exp(-7.5 * u);
}

double KirschningJansenKosterOpenEnd::operator()(double ee) const {
  const double e81 = std::pow(ee, 0.81);
  const double x1 = widthTerm_ * (e81 + 0.26) / (e81 - 0.189);
  const double x3 = 1 + x3Width_ / std::pow(ee, 0.9236);
  return x1 * x3 * x5_ / x4_;
}

// Hammerstad 1975, "Equations for microstrip circuit design", Proc. 5th
// European Microwave Conference.
double hammerstadOpenEnd(double u, double ee) {
  return 0.412 * (ee + 0.3) * (u + 0.264) / ((ee - 0.258) * (u + 0.8));
}

// Skin-effect resistance sqrt(pi f mu0 / sigma), raised for copper only a
// few skin depths thick, whose current is confined to delta (1 - exp(-t /
// delta)). Infinite conductivity gives 0.
double surfaceResistance(double hz, double conductivity, double thickness) {
  const double rs = std::sqrt(kPi * hz * kMu0 / conductivity);
  const double skinDepth = 1 / std::sqrt(kPi * hz * kMu0 * conductivity);
  return rs / -std::expm1(-thickness / skinDepth);
}

// Parallel-plate line: the strip and the ground each carry the current over
// the width (Pozar, Microwave Engineering, parallel-plate guide).
double conductorAttenuation(double rs, double zc, double width) {
  return rs / (zc * width);
}

// Dielectric loss of a microstrip line, alpha_d = k0 er (ee - 1) tan_d /
// (2 sqrt(ee) (er - 1)) (Pucel, Masse and Hartwig 1968; Hammerstad and Jensen
// 1980), with (ee - 1)/(er - 1) as the filling.
double dielectricAttenuation(double hz, double er, const LineState& line, double lossTangent) {
  const double k0 = 2 * kPi * hz / kSpeedOfLight;
  return k0 * er * line.filling * lossTangent / (2 * std::sqrt(line.ee));
}

}  // namespace antenna

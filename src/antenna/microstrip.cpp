// Published closed forms for a microstrip line, each named after its source.
// The patch is a wide line (u from about 0.05 to 3000 over the window's
// ranges); the forms stay finite over all of it even where their stated
// accuracy ends (u <= 100).
#include "antenna/microstrip.h"

#include <cmath>
#include <numbers>

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

// Hammerstad and Jensen 1980, IEEE MTT-S Digest, their strip-thickness
// correction: Du1 = (t/pi) ln[1 + 4e / (t coth^2 sqrt(6.517 u))] with t over
// h, and Dur = Du1 (1 + sech sqrt(er - 1))/2, so that an air substrate
// widens both alike.
ThickStrip hammerstadJensenThickStrip(double u, double er, double tOverH) {
  if (tOverH == 0) return {u, u};
  const double tanhSquared = std::pow(std::tanh(std::sqrt(6.517 * u)), 2);
  const double du1 = tOverH / kPi * std::log(1 + 4 * std::numbers::e * tanhSquared / tOverH);
  return {u + du1, u + (1 + 1 / std::cosh(std::sqrt(er - 1))) / 2 * du1};
}

// Hammerstad and Jensen 1980, the thick strip's line: Zc = Z01(ur) /
// sqrt(ee(ur)) and ee = ee(ur) [Z01(u1) / Z01(ur)]^2, so that Zc sqrt(ee) is
// the air line of the thick strip, Z01(u1). The filling (ee - 1)/(er - 1) is
// written so that er = 1 (where u1 = ur and ee is 1) needs no 0/0; there it
// is the thin strip's, which nothing then multiplies.
LineState hammerstadJensenLine(double u, double er, double tOverH) {
  if (tOverH == 0) return hammerstadJensenLine(u, er);
  const ThickStrip strip = hammerstadJensenThickStrip(u, er, tOverH);
  const LineState thin = hammerstadJensenLine(strip.dielectric, er);
  const double airOfDielectric = airLineImpedance(strip.dielectric);
  const double q = std::pow(airLineImpedance(strip.air) / airOfDielectric, 2);
  const double filling = er == 1 ? thin.filling : thin.filling * q + (q - 1) / (er - 1);
  return {thin.ee * q, filling, airOfDielectric / std::sqrt(thin.ee)};
}

// Kirschning and Jansen 1982, eq. 1-2, with fn = f h in GHz mm: ee(f) = er -
// (er - ee0)/(1 + P). The impedance keeps the quasi-TEM relation Zc = Z01 /
// sqrt(ee) at each frequency. Hammerstad and Jensen's power-current form
// (1980, eq. 12) has the further factor (ee - 1)/(ee0 - 1): on the patches
// of our full-wave comparison it raises Zc by 3-10% and the peak resistance
// by 1-7%, further from the full-wave runs on eight of nine; and for an air
// substrate it is 0/0, whose limit makes an air line dispersive.
DispersiveLine::DispersiveLine(double u, double er, double h)
    : DispersiveLine(u, er, h, hammerstadJensenLine(u, er)) {}

DispersiveLine::DispersiveLine(double u, double er, double h, const LineState& quasiStatic)
    : quasiStatic_(quasiStatic),
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

// Kirschning and Jansen 1984, "Accurate wide-range design equations for the
// frequency-dependent characteristic of parallel coupled microstrip lines",
// IEEE Trans. MTT 32(1), the single line's Zc(f) = Zc0 (R13 / R14)^R17 with
// fn in GHz mm, fitted to their full-wave results for 0.1 <= u <= 10 and 1
// <= er <= 18. Like ee(f), it is the quasi-static line's at low fn.
LineState DispersiveLine::withKirschningJansenImpedance(double hz) const {
  LineState line = at(hz);
  const double fn = hz * 1e-9 * h_ * 1e3, u = u_, er = er_;
  const double r1 = 0.03891 * std::pow(er, 1.4);
  const double r2 = 0.267 * std::pow(u, 7.0);
  const double r3 = 4.766 * std::exp(-3.228 * std::pow(u, 0.641));
  const double r4 = 0.016 + std::pow(0.0514 * er, 4.524);
  const double r5 = std::pow(fn / 28.843, 12.0);
  const double r6 = 22.2 * std::pow(u, 1.92);
  const double r7 = 1.206 - 0.3144 * std::exp(-r1) * (1 - std::exp(-r2));
  const double r8 =
      1 +
      1.275 * (1 - std::exp(-0.004625 * r3 * std::pow(er, 1.674) * std::pow(fn / 18.365, 2.745)));
  const double e6 = std::pow(er - 1, 6);
  const double r9 = 5.086 * r4 * r5 / (0.3838 + 0.386 * r4) * std::exp(-r6) / (1 + 1.2992 * r5) *
                    e6 / (1 + 10 * e6);
  const double r10 = 0.00044 * std::pow(er, 2.136) + 0.0184;
  const double f6 = std::pow(fn / 19.47, 6);
  const double r11 = f6 / (1 + 0.0962 * f6);
  const double r12 = 1 / (1 + 0.00245 * u * u);
  const double r13 = 0.9408 * std::pow(line.ee, r8) - 0.9603;
  const double r14 = (0.9408 - r9) * std::pow(quasiStatic_.ee, r8) - 0.9603;
  const double r15 = 0.707 * r10 * std::pow(fn / 12.3, 1.097);
  const double r16 = 1 + 0.0503 * er * er * r11 * (1 - std::exp(-std::pow(u / 15, 6)));
  const double r17 = r7 * (1 - 1.1241 * r12 / r16 * std::exp(-0.026 * std::pow(fn, 1.15656) - r15));
  line.zc = quasiStatic_.zc * std::pow(r13 / r14, r17);
  return line;
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

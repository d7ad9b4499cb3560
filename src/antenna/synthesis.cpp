// Synthesis on the impedance model: the width from the textbook formula, then
// two nested bracketing searches on the model itself. The inner one finds,
// for a feed at a given fraction of the length, the length whose resistance
// peaks at F0; the outer one moves that fraction until the resistance at the
// peak is Z0. Each evaluation runs the model over the band the window will
// draw and refines the peak between grid points by zooming in on it.
#include "antenna/synthesis.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "antenna/classic_model.h"
#include "antenna/network.h"
#include "antenna/numbers.h"
#include "antenna/resonance.h"

namespace antenna {

const std::string_view trustNote =
    "Transmission-line model: against full-wave results on probe-fed patches its resonance runs "
    "about 1.4 x h sqrt(er)/lambda0 high (2-5% on thin boards) and its peak resistance is a "
    "rough guide (from 30% low to 4 times high); a patch built to this design will resonate "
    "that much below F0.";

const std::string_view refinedTrustNote =
    "Refined model: against full-wave results on ten probe-fed patches (er 2.2-10.2, h/lambda0 "
    "0.005-0.055) its resonance is within 1% on nine (from 0.3% low to 0.9% high) and 1.2% high "
    "on the tenth, and its peak resistance is within 16% on all of them.";

// The classic model leaves out most of the fringing field, so its resonance
// runs high by about 1.4 times the substrate's electrical thickness h / lambda
// in the substrate (h sqrt(er) / lambda0): a least-squares fit to the
// full-wave table in the README (fitted with an intercept, it comes out
// 0.003; every run within 1.5 points). The warning is given beyond kFarOff,
// the most the trust line states.
namespace {
constexpr double kShiftPerThickness = 1.40;
constexpr double kFarOff = 0.05;

double electricalThickness(double f0GHz, double er, double hMm) {
  return hMm * 1e-3 * f0GHz * 1e9 * std::sqrt(er) / kSpeedOfLight;
}
}  // namespace

double classicResonanceShift(double f0GHz, double er, double hMm) {
  return -kShiftPerThickness * electricalThickness(f0GHz, er, hMm);
}

std::string classicTrust(double f0GHz, double er, double hMm) {
  const double shift = classicResonanceShift(f0GHz, er, hMm);
  if (!(std::abs(shift) > kFarOff)) return std::string(trustNote);
  const double thickness = hMm * 1e-3 * f0GHz * 1e9 / kSpeedOfLight;
  return "Warning: at h/lambda0 = " + formatNumber(thickness, 2) + " on er " + formatNumber(er, 3) +
         " the classic model is far off: a patch built to it resonates about " +
         formatNumber(-100 * shift, 2) + "% below its F0 (near " +
         formatNumber(f0GHz * (1 + shift), 4) + " GHz); the refined model (Model > Refined) is " +
         "within 1% there.";
}

namespace {

constexpr double kBandBelow = 0.8, kBandAbove = 1.2;
// A design must land on its target on the drawn line by these margins.
constexpr double kPeakTolerance = 1e-3, kResistanceTolerance = 1e-2;
// Typed sizes are whole micrometres; the resonance moves by far less than
// the grid step of the drawn band when a length is rounded to one.
constexpr double kMicrometresPerMm = 1000.0;

struct Sizes {
  double w, l, h, er, offset;  // mm
};

struct Peak {
  double fGHz, rOhm;
};

// The resistance of the patch at the 1000 frequencies of [fmin, fmax], as
// the window's model computes and draws it.
struct Curve {
  std::vector<double> fGHz, r;
};

// A model answer that is no number ends the search there: no bracket
// closes on it, and the window would not draw it.
Curve resistance(const ImpedanceModelFn& model, const Sizes& s, double fmin, double fmax) {
  const Patch p{s.w / 1000, s.l / 1000, s.h / 1000, s.er, s.offset / 1000};
  const std::vector<double> hz = classic::bandFrequencies(fmin, fmax);
  const std::vector<std::complex<double>> z = model(p, hz);
  if (z.size() != hz.size())
    throw std::invalid_argument("the model gives " + std::to_string(z.size()) + " impedances for " +
                                std::to_string(hz.size()) + " frequencies");
  Curve c;
  for (std::size_t k = 0; k < hz.size(); ++k) {
    if (!std::isfinite(z[k].real()))
      throw std::invalid_argument(
          "the model gives no finite resistance at " + formatNumber(hz[k] / 1e9, 6) +
          " GHz for W " + formatNumber(s.w, 6) + " mm, L " + formatNumber(s.l, 6) + " mm, feed " +
          formatNumber(s.offset, 6) + " mm: check the board");
    c.fGHz.push_back(hz[k] / 1e9);
    c.r.push_back(z[k].real());
  }
  return c;
}

Peak gridPeak(const ImpedanceModelFn& model, const Sizes& p, double fmin, double fmax) {
  const Curve c = resistance(model, p, fmin, fmax);
  const std::size_t k = resistancePeakIndex(c.r);
  return {c.fGHz[k], c.r[k]};
}

// The peak between grid points: each zoom spans the neighbours of the
// previous grid's largest point, so three give a step near 1e-9 of F0.
Peak refinedPeak(const ImpedanceModelFn& model, const Sizes& p, double fmin, double fmax) {
  Peak best{};
  for (int zoom = 0; zoom < 3; ++zoom) {
    const Curve c = resistance(model, p, fmin, fmax);
    const std::size_t k = resistancePeakIndex(c.r);
    best = {c.fGHz[k], c.r[k]};
    fmin = c.fGHz[k == 0 ? 0 : k - 1];
    fmax = c.fGHz[std::min(k + 1, c.r.size() - 1)];
  }
  return best;
}

// Bisection of a decreasing function on [lo, hi] with fn(lo) > 0 > fn(hi).
double bisect(const std::function<double(double)>& fn, double lo, double hi, double tolerance) {
  while (hi - lo > tolerance) {
    const double mid = 0.5 * (lo + hi);
    (fn(mid) > 0 ? lo : hi) = mid;
  }
  return 0.5 * (lo + hi);
}

// Rounds to nine significant digits so that typed texts stay short.
double tidy(double x) {
  return parseNumber(formatNumber(x, 9)).value_or(x);
}

double toMicrometre(double mm) {
  return tidy(std::round(mm * kMicrometresPerMm) / kMicrometresPerMm);
}

std::string number(double x) {
  return formatNumber(x, 6);
}

std::string outside(std::string_view what, double value, std::string_view unit, Range r) {
  const std::string u(unit);
  return std::string(what) + " " + number(value) + u + " is outside the slider's range (" +
         number(r.min) + " to " + number(r.max) + u + ")";
}

bool within(double v, Range r) {
  return r.min <= v && v <= r.max;
}

[[noreturn]] void refuse(const std::string& why) {
  throw std::invalid_argument(why);
}

// The target's own numbers, before any model run.
void checkTarget(const Target& t, const Limits& limits) {
  auto positive = [](double v) { return std::isfinite(v) && v > 0; };
  if (!positive(t.f0GHz)) refuse("F0 must be a positive frequency in GHz, not " + number(t.f0GHz));
  if (!(std::isfinite(t.er) && t.er >= 1))
    refuse("er must be at least 1 (no substrate has less permittivity than vacuum), not " +
           number(t.er));
  if (!positive(t.hMm)) refuse("H must be a positive height in mm, not " + number(t.hMm));
  checkedReferenceImpedance(t.z0Ohm);
  if (!within(t.er, limits.er)) refuse(outside("er", t.er, "", limits.er));
  if (!within(t.hMm, limits.h)) refuse(outside("H", t.hMm, " mm", limits.h));
}

// The searches for one target; each step refuses with its reason.
class Synthesiser {
 public:
  Synthesiser(const Target& t, const Limits& limits, const ImpedanceModelFn& model)
      : t_(t),
        limits_(limits),
        model_(model),
        fmin_(tidy(kBandBelow * t.f0GHz)),
        fmax_(tidy(kBandAbove * t.f0GHz)) {}

  Design run() {
    checkTarget(t_, limits_);
    const double w = toMicrometre(textbookWidth());
    if (!within(w, limits_.w))
      refuse("the width for " + number(t_.f0GHz) + " GHz on er " + number(t_.er) + ", " +
             outside("W", w, " mm", limits_.w));
    patch_ = {w, 0, t_.hMm, t_.er, 0};
    if (!startLength()) refuse("the model shows no resonance near " + number(t_.f0GHz) + " GHz");

    const double edge = resistanceAtPeak(0);
    if (edge < t_.z0Ohm)
      refuse("Z0 " + number(t_.z0Ohm) + " ohm is above this patch's edge resistance " +
             number(edge) + " ohm, so no feed offset reaches it");
    std::optional<double> inner = innerFraction();
    if (!inner)
      refuse("Z0 " + number(t_.z0Ohm) +
             " ohm is below the resistance the model gives near the patch centre");
    const double u = bisect([&](double u) { return resistanceAtPeak(u) - t_.z0Ohm; }, 0, *inner,
                            kFractionTolerance);
    resistanceAtPeak(u);  // leaves the length that belongs to u

    Design d{w, toMicrometre(length_), t_.hMm, t_.er, 0, fmin_, fmax_, 0, 0};
    d.offsetMm = toMicrometre(u * length_);
    if (!within(d.lMm, limits_.l)) refuse(outside("the length L", d.lMm, " mm", limits_.l));
    return check(d);
  }

 private:
  static constexpr double kFractionTolerance = 1e-6;
  static constexpr double kLengthTolerance = 1e-7;  // relative
  static constexpr double kStep = 1.02;             // bracket widening factor

  double textbookWidth() const {
    return kSpeedOfLight / (2 * t_.f0GHz * 1e9) * std::sqrt(2 / (t_.er + 1)) * 1000;
  }

  // Where the peak of the resistance lies for this length, with the feed at
  // the fraction u of it, relative to F0 (positive: above F0).
  double peakAbove(double l, double u) {
    patch_.l = l;
    patch_.offset = u * l;
    return refinedPeak(model_, patch_, fmin_, fmax_).fGHz - t_.f0GHz;
  }

  // The half-wave length on the model's effective permittivity; the slots'
  // capacitance makes the true resonant length shorter.
  bool startLength() {
    const double ereff =
        classic::lineOf({patch_.w / 1000, 1e-3, patch_.h / 1000, patch_.er, 0}).ereff;
    length_ = kSpeedOfLight / (2 * t_.f0GHz * 1e9 * std::sqrt(ereff)) * 1000;
    return std::isfinite(length_) && length_ > 0;
  }

  // Solves for the length at fraction u, starting from the last length found
  // (the lengths of nearby fractions differ little), and gives the
  // resistance at the peak there.
  double resistanceAtPeak(double u) {
    double lo = length_ / kStep, hi = length_ * kStep;
    for (int i = 0; i < 200 && peakAbove(lo, u) <= 0; ++i) lo /= kStep;
    for (int i = 0; i < 200 && peakAbove(hi, u) >= 0; ++i) hi *= kStep;
    length_ = bisect([&](double l) { return peakAbove(l, u); }, lo, hi, kLengthTolerance * hi);
    patch_.l = length_;
    patch_.offset = u * length_;
    return refinedPeak(model_, patch_, fmin_, fmax_).rOhm;
  }

  // A feed fraction whose resistance is below Z0, nearest the edge first.
  // Close to the centre the largest resistance of the band stops being the
  // resonance, so the search stays short of it.
  std::optional<double> innerFraction() {
    for (double u : {0.25, 0.35, 0.42, 0.46})
      if (resistanceAtPeak(u) < t_.z0Ohm) return u;
    return std::nullopt;
  }

  // The design as typed, checked on the line the window will draw.
  Design check(Design d) const {
    const Peak drawn =
        gridPeak(model_, {d.wMm, d.lMm, d.hMm, d.er, d.offsetMm}, d.fminGHz, d.fmaxGHz);
    d.peakGHz = drawn.fGHz;
    d.peakOhm = drawn.rOhm;
    if (std::abs(drawn.fGHz - t_.f0GHz) > kPeakTolerance * t_.f0GHz ||
        std::abs(drawn.rOhm - t_.z0Ohm) > kResistanceTolerance * t_.z0Ohm)
      refuse("the window's drawn line would peak at " + number(drawn.rOhm) + " ohm at " +
             number(drawn.fGHz) + " GHz, not at the target " + number(t_.z0Ohm) + " ohm at " +
             number(t_.f0GHz) + " GHz: so sharp a resonance falls between the window's " +
             "frequency samples; choose a thicker board (a larger H, e.g. FR-4: er 4.4, " +
             "H 1.6 mm) or another er");
    return d;
  }

  const Target t_;
  const Limits limits_;
  const ImpedanceModelFn& model_;
  const double fmin_, fmax_;
  Sizes patch_{};
  double length_ = 0;
};

}  // namespace

std::vector<std::complex<double>> classicImpedance(const Patch& p, const std::vector<double>& hz) {
  return classic::inputImpedance(p, hz);
}

Design synthesise(const Target& target, const Limits& limits, const ImpedanceModelFn& model) {
  return Synthesiser(target, limits, model).run();
}

}  // namespace antenna

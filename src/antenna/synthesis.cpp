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

#include "antenna/band.h"
#include "antenna/classic_model.h"
#include "antenna/network.h"
#include "antenna/numbers.h"
#include "antenna/resonance.h"
#include "antenna/units.h"

namespace antenna {

const std::string_view refinedTrustNote =
    "Refined model: against full-wave results on ten probe-fed patches (er 2.2-10.2, h/lambda0 "
    "0.005-0.055) its resonance is within 1% on nine (from 0.3% low to 0.9% high) and 1.2% high "
    "on the tenth, and its peak resistance is within 16% on all of them.";

// The classic model leaves out most of the fringing field, so its resonance
// runs high by about 1.4 times the substrate's electrical thickness h / lambda
// in the substrate (h sqrt(er) / lambda0): a least-squares fit to the
// full-wave table in docs/trust.md (fitted with an intercept, it comes out
// 0.003; every run within 1.5 points). The warning is given beyond kFarOff,
// the most the trust line states.
namespace {
constexpr double kShiftPerThickness = 1.40;

constexpr std::string_view kTrustNote =
    "Transmission-line model: against full-wave results on probe-fed patches its resonance runs "
    "about 1.4 x h sqrt(er)/lambda0 high (2-5% on thin boards) and its peak resistance is a "
    "rough guide (from 30% low to 4 times high); a patch built to this design will resonate ";
constexpr double kFarOff = 0.05;

double electricalThickness(double f0, double er, double height) {
  return height * f0 * std::sqrt(er) / kSpeedOfLight;
}
}  // namespace

double classicResonanceShift(double f0, double er, double height) {
  return -kShiftPerThickness * electricalThickness(f0, er, height);
}

std::string classicTrust(double f0, double er, double height) {
  const double shift = classicResonanceShift(f0, er, height);
  // Where a built patch resonates, as a number: "below F0" alone left the
  // user to work out that the board misses its band.
  const std::string builtAt = "about " + formatNumber(-100 * shift, 2) + "% below its F0 (near " +
                              formatNumber(ghzFromHz(f0) * (1 + shift), 4) + " GHz)";
  if (!(std::abs(shift) > kFarOff)) return std::string(kTrustNote) + builtAt + ".";
  const double thickness = height * f0 / kSpeedOfLight;
  return "Warning: at h/lambda0 = " + formatNumber(thickness, 2) + " on er " + formatNumber(er, 3) +
         " the classic model is far off: a patch built to it resonates " + builtAt +
         "; the refined model (Model > Refined) is within 1% there.";
}

namespace {

constexpr double kBandBelow = 0.8, kBandAbove = 1.2;
// A design must land on its target on the drawn line by these margins.
constexpr double kPeakTolerance = 1e-3, kResistanceTolerance = 1e-2;
struct Peak {
  double hz, rOhm;
};

// The resistance of the patch at the 1000 frequencies of the band, as the
// window's model computes and draws it (the window samples its band in GHz).
struct Curve {
  std::vector<double> hz, r;
};

// A model answer that is no number ends the search there: no bracket
// closes on it, and the window would not draw it.
Curve resistance(const ImpedanceModelFn& model, const Patch& p, std::vector<double> hz) {
  Curve c;
  c.hz = std::move(hz);
  const std::vector<std::complex<double>> z = model(p, c.hz);
  if (z.size() != c.hz.size())
    throw std::invalid_argument("the model gives " + std::to_string(z.size()) + " impedances for " +
                                std::to_string(c.hz.size()) + " frequencies");
  for (std::size_t k = 0; k < c.hz.size(); ++k) {
    if (!std::isfinite(z[k].real()))
      throw std::invalid_argument(
          "the model gives no finite resistance at " + formatNumber(ghzFromHz(c.hz[k]), 6) +
          " GHz for W " + formatNumber(mmFromMetres(p.width), 6) + " mm, L " +
          formatNumber(mmFromMetres(p.length), 6) + " mm, feed " +
          formatNumber(mmFromMetres(p.feedOffset), 6) + " mm: check the board");
    c.r.push_back(z[k].real());
  }
  return c;
}

// On the band's 1000 frequencies, as the window draws it.
Curve windowCurve(const ImpedanceModelFn& model, const Patch& p, Band band) {
  return resistance(model, p, classic::bandFrequencies(ghzFromHz(band.fmin), ghzFromHz(band.fmax)));
}

Peak largest(const Curve& c) {
  const std::size_t k = resistancePeakIndex(c.r);
  return {c.hz[k], c.r[k]};
}

// The peak between grid points: the window's own grid first, so that the
// search follows the resonance the window draws, then four zooms of 41
// points across the neighbours of the last one's largest, each 20 times
// finer, to a step near 2e-9 of F0. (Zooms of the grid's 1000 points cost
// two and a half times as much for a precision the length's tolerance does
// not use.)
Peak refinedPeak(const ImpedanceModelFn& model, const Patch& p, Band band) {
  constexpr int kZooms = 4, kZoomPoints = 41;
  const Curve grid = windowCurve(model, p, band);
  Peak best = largest(grid);
  double step = grid.hz[1] - grid.hz[0];
  for (int zoom = 0; zoom < kZooms; ++zoom) {
    const Peak near =
        largest(resistance(model, p, linearBand(best.hz - step, best.hz + step, kZoomPoints)));
    if (near.rOhm > best.rOhm) best = near;
    step = 2 * step / (kZoomPoints - 1);
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

std::string number(double x) {
  return formatNumber(x, 6);
}

std::string outside(std::string_view what, double value, std::string_view unit, Range r) {
  const std::string u(unit);
  return std::string(what) + " " + number(value) + u + " is outside the slider's range (" +
         number(r.min) + " to " + number(r.max) + u + ")";
}

// The same for a size, in metres, shown in mm.
std::string outsideMm(std::string_view what, double metres, Range r) {
  return outside(what, mmFromMetres(metres), " mm", {mmFromMetres(r.min), mmFromMetres(r.max)});
}

std::string ghz(double hz) {
  return number(ghzFromHz(hz));
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
  if (!positive(t.f0)) refuse("F0 must be a positive frequency in GHz, not " + ghz(t.f0));
  if (!(std::isfinite(t.er) && t.er >= 1))
    refuse("er must be at least 1 (no substrate has less permittivity than vacuum), not " +
           number(t.er));
  if (!positive(t.height))
    refuse("H must be a positive height in mm, not " + number(mmFromMetres(t.height)));
  checkedReferenceImpedance(t.z0);
  if (!within(t.er, limits.er)) refuse(outside("er", t.er, "", limits.er));
  if (!within(t.height, limits.h)) refuse(outsideMm("H", t.height, limits.h));
}

// The searches for one target; each step refuses with its reason.
class Synthesiser {
 public:
  Synthesiser(const Target& t, const Limits& limits, const ImpedanceModelFn& model)
      : t_(t),
        limits_(limits),
        model_(model),
        band_{tidy(kBandBelow * t.f0), tidy(kBandAbove * t.f0)} {}

  Design run() {
    checkTarget(t_, limits_);
    const double w = onBoardGrid(textbookWidth());
    if (!within(w, limits_.w))
      refuse("the width for " + ghz(t_.f0) + " GHz on er " + number(t_.er) + ", " +
             outsideMm("W", w, limits_.w));
    patch_ = {w, 0, onBoardGrid(t_.height), t_.er, 0};
    if (!startLength()) refuse("the model shows no resonance near " + ghz(t_.f0) + " GHz");

    const double edge = resistanceAtPeak(0);
    if (edge < t_.z0)
      refuse("Z0 " + number(t_.z0) + " ohm is above this patch's edge resistance " + number(edge) +
             " ohm, so no feed offset reaches it");
    std::optional<double> inner = innerFraction();
    if (!inner)
      refuse("Z0 " + number(t_.z0) +
             " ohm is below the resistance the model gives near the patch centre");
    const double u = bisect([&](double u) { return resistanceAtPeak(u) - t_.z0; }, 0, *inner,
                            kFractionTolerance);
    resistanceAtPeak(u);  // leaves the length that belongs to u

    // Typed sizes are whole micrometres; the resonance moves by far less
    // than the grid step of the drawn band when a length is rounded to one.
    const Patch typed{w, onBoardGrid(length_), patch_.height, t_.er, onBoardGrid(u * length_)};
    if (!within(typed.length, limits_.l))
      refuse(outsideMm("the length L", typed.length, limits_.l));
    return check({typed, band_, 0, 0});
  }

 private:
  static constexpr double kFractionTolerance = 1e-6;
  static constexpr double kLengthTolerance = 1e-7;  // relative
  static constexpr double kStep = 1.02;             // bracket widening factor

  double textbookWidth() const { return kSpeedOfLight / (2 * t_.f0) * std::sqrt(2 / (t_.er + 1)); }

  // Where the peak of the resistance lies for this length, with the feed at
  // the fraction u of it, relative to F0 (positive: above F0).
  double peakAbove(double l, double u) {
    patch_.length = l;
    patch_.feedOffset = u * l;
    return refinedPeak(model_, patch_, band_).hz - t_.f0;
  }

  // The half-wave length on the model's effective permittivity; the slots'
  // capacitance makes the true resonant length shorter.
  bool startLength() {
    const double ereff = classic::lineOf({patch_.width, 1e-3, patch_.height, patch_.er, 0}).ereff;
    length_ = kSpeedOfLight / (2 * t_.f0 * std::sqrt(ereff));
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
    patch_.length = length_;
    patch_.feedOffset = u * length_;
    return refinedPeak(model_, patch_, band_).rOhm;
  }

  // A feed fraction whose resistance is below Z0, nearest the edge first.
  // Close to the centre the largest resistance of the band stops being the
  // resonance, so the search stays short of it.
  std::optional<double> innerFraction() {
    for (double u : {0.25, 0.35, 0.42, 0.46})
      if (resistanceAtPeak(u) < t_.z0) return u;
    return std::nullopt;
  }

  // The design as typed, checked on the line the window will draw.
  Design check(Design d) const {
    const Peak drawn = largest(windowCurve(model_, d.patch, d.band));
    d.peakHz = drawn.hz;
    d.peakOhm = drawn.rOhm;
    if (std::abs(drawn.hz - t_.f0) > kPeakTolerance * t_.f0 ||
        std::abs(drawn.rOhm - t_.z0) > kResistanceTolerance * t_.z0)
      refuse("the window's drawn line would peak at " + number(drawn.rOhm) + " ohm at " +
             ghz(drawn.hz) + " GHz, not at the target " + number(t_.z0) + " ohm at " + ghz(t_.f0) +
             " GHz: so sharp a resonance falls between the window's " +
             "frequency samples; choose a thicker board (a larger H, e.g. FR-4: er 4.4, " +
             "H 1.6 mm) or another er");
    return d;
  }

  const Target t_;
  const Limits limits_;
  const ImpedanceModelFn& model_;
  const Band band_;
  Patch patch_{};
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

// Synthesis on the impedance model: the width from the textbook formula, then
// two nested bracketing searches on the model itself. The inner one finds,
// for a feed at a given fraction of the length, the length whose resistance
// peaks at F0; the outer one moves that fraction until the resistance at the
// peak is Z0. Each evaluation runs the model over the band the window will
// draw and refines the peak between grid points by zooming in on it.
#include "design/synthesis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "model/offset_impedance.h"

namespace design {

const std::string_view trustNote =
    "Transmission-line model: against full-wave results on probe-fed patches its resonance runs "
    "about 2-4% high and its resistance is a rough guide (20-30% low); a patch built to this "
    "design will resonate that much below F0.";

namespace {

constexpr double kSpeedOfLight = 299792458.0;  // m/s
constexpr double kBandBelow = 0.8, kBandAbove = 1.2;
// A design must land on its target on the drawn line by these margins.
constexpr double kPeakTolerance = 1e-3, kResistanceTolerance = 1e-2;
// Typed sizes are whole micrometres; the resonance moves by far less than
// the grid step of the drawn band when a length is rounded to one.
constexpr double kMicrometresPerMm = 1000.0;

struct Patch {
  double w, l, h, er, offset;  // mm
};

struct Peak {
  double fGHz, rOhm;
};

// The resistance of the patch at the 1000 frequencies of [fmin, fmax], as
// the window's model computes and draws it.
struct Curve {
  std::vector<double> fGHz, r;
  double ereff;
};

Curve resistance(const Patch& p, double fmin, double fmax) {
  offset_impedance::Locals v;
  v.fmin = rt::scalar(fmin);
  v.fmax = rt::scalar(fmax);
  v.wp = rt::scalar(p.w / 1000);
  v.lp = rt::scalar(p.l / 1000);
  v.h = rt::scalar(p.h / 1000);
  v.er = rt::scalar(p.er);
  v.offset = rt::scalar(p.offset / 1000);
  offset_impedance::impedance(v);
  const rt::Array R = rt::real(v.Zin);
  const rt::Array& f = v.f;
  Curve c{{}, {R.re().begin(), R.re().end()}, v.ereff.get().scalar()};
  c.fGHz.reserve(f.numel());
  for (double hz : f.re()) c.fGHz.push_back(hz / 1e9);
  return c;
}

// Index of the largest resistance (the first of equals), NaN skipped.
std::size_t largest(const std::vector<double>& r) {
  std::size_t best = 0;
  for (std::size_t k = 1; k < r.size(); ++k)
    if (r[k] > r[best] || std::isnan(r[best])) best = k;
  return best;
}

Peak gridPeak(const Patch& p, double fmin, double fmax) {
  const Curve c = resistance(p, fmin, fmax);
  const std::size_t k = largest(c.r);
  return {c.fGHz[k], c.r[k]};
}

// The peak between grid points: each zoom spans the neighbours of the
// previous grid's largest point, so three give a step near 1e-9 of F0.
Peak refinedPeak(const Patch& p, double fmin, double fmax) {
  Peak best{};
  for (int zoom = 0; zoom < 3; ++zoom) {
    const Curve c = resistance(p, fmin, fmax);
    const std::size_t k = largest(c.r);
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
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", x);
  return std::strtod(text, nullptr);
}

double toMicrometre(double mm) {
  return tidy(std::round(mm * kMicrometresPerMm) / kMicrometresPerMm);
}

std::string number(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", x);
  return text;
}

std::string outside(std::string_view what, double value, std::string_view unit, Range r) {
  const std::string u(unit);
  return std::string(what) + " " + number(value) + u + " is outside the slider's range (" +
         number(r.min) + " to " + number(r.max) + u + ")";
}

bool within(double v, Range r) {
  return r.min <= v && v <= r.max;
}

// The target's own numbers, before any model run.
std::string refuseTarget(const Target& t, const Limits& limits) {
  auto positive = [](double v) { return std::isfinite(v) && v > 0; };
  if (!positive(t.f0GHz)) return "F0 must be a positive frequency in GHz, not " + number(t.f0GHz);
  if (!(std::isfinite(t.er) && t.er >= 1))
    return "er must be at least 1 (no substrate has less permittivity than vacuum), not " +
           number(t.er);
  if (!positive(t.hMm)) return "H must be a positive height in mm, not " + number(t.hMm);
  if (!positive(t.z0Ohm)) return "Z0 must be a positive resistance in ohm, not " + number(t.z0Ohm);
  if (!within(t.er, limits.er)) return outside("er", t.er, "", limits.er);
  if (!within(t.hMm, limits.h)) return outside("H", t.hMm, " mm", limits.h);
  return {};
}

// The searches for one target; each step refuses with its reason.
class Synthesiser {
 public:
  Synthesiser(const Target& t, const Limits& limits)
      : t_(t),
        limits_(limits),
        fmin_(tidy(kBandBelow * t.f0GHz)),
        fmax_(tidy(kBandAbove * t.f0GHz)) {}

  Synthesis run() {
    if (std::string why = refuseTarget(t_, limits_); !why.empty()) return {{}, why};
    const double w = toMicrometre(textbookWidth());
    if (!within(w, limits_.w))
      return {{},
              "the width for " + number(t_.f0GHz) + " GHz on er " + number(t_.er) + ", " +
                  outside("W", w, " mm", limits_.w)};
    patch_ = {w, 0, t_.hMm, t_.er, 0};
    if (!startLength())
      return {{}, "the model shows no resonance near " + number(t_.f0GHz) + " GHz"};

    const double edge = resistanceAtPeak(0);
    if (edge < t_.z0Ohm)
      return {{},
              "Z0 " + number(t_.z0Ohm) + " ohm is above this patch's edge resistance " +
                  number(edge) + " ohm, so no feed offset reaches it"};
    std::optional<double> inner = innerFraction();
    if (!inner)
      return {{},
              "Z0 " + number(t_.z0Ohm) +
                  " ohm is below the resistance the model gives near the patch centre"};
    const double u = bisect([&](double u) { return resistanceAtPeak(u) - t_.z0Ohm; }, 0, *inner,
                            kFractionTolerance);
    resistanceAtPeak(u);  // leaves the length that belongs to u

    Design d{w, toMicrometre(length_), t_.hMm, t_.er, 0, fmin_, fmax_, 0, 0};
    d.offsetMm = toMicrometre(u * length_);
    if (!within(d.lMm, limits_.l)) return {{}, outside("the length L", d.lMm, " mm", limits_.l)};
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
    return refinedPeak(patch_, fmin_, fmax_).fGHz - t_.f0GHz;
  }

  // The half-wave length on the model's effective permittivity; the slots'
  // capacitance makes the true resonant length shorter.
  bool startLength() {
    patch_.l = 1;
    const double ereff = resistance(patch_, fmin_, fmax_).ereff;
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
    return refinedPeak(patch_, fmin_, fmax_).rOhm;
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
  Synthesis check(Design d) const {
    const Peak drawn = gridPeak({d.wMm, d.lMm, d.hMm, d.er, d.offsetMm}, d.fminGHz, d.fmaxGHz);
    d.peakGHz = drawn.fGHz;
    d.peakOhm = drawn.rOhm;
    if (std::abs(drawn.fGHz - t_.f0GHz) > kPeakTolerance * t_.f0GHz ||
        std::abs(drawn.rOhm - t_.z0Ohm) > kResistanceTolerance * t_.z0Ohm)
      return {{},
              "the model's drawn line misses the target (peak " + number(drawn.rOhm) + " ohm at " +
                  number(drawn.fGHz) + " GHz)"};
    return {d, {}};
  }

  const Target t_;
  const Limits limits_;
  const double fmin_, fmax_;
  Patch patch_{};
  double length_ = 0;
};

}  // namespace

Synthesis synthesise(const Target& target, const Limits& limits) {
  return Synthesiser(target, limits).run();
}

}  // namespace design

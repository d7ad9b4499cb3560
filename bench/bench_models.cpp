// The two antenna models through the array runtime, against the same
// formulas as one fused C++ loop: the fused loops are the floor that the
// runtime path (one runtime operation per row or grid operation, plus the
// drawing) is measured against. The floors use the runtime's vector maths;
// the ...FusedScalar variants are the same loops with the scalar maths
// library, as the floors were before.
//
//   bench_models [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include "antenna/classic_model.h"
#include "bench_support.h"
#include "platform/array/vector_maths.h"
#include "window/model/microstrip.h"
#include "window/model/offset_impedance.h"
#include "window/model/pattern.h"
#include "window/toolbox/guihandles.h"
#include "window/toolbox/iskeyword.h"
#include "window/toolbox/isvarname.h"
#include "window/toolbox/labels.h"
#include "window/toolbox/surf.h"

namespace {

using bench::S;

// ------------------------------------------------------------ fused loops
using antenna::classic::kEpsilon0;
constexpr double kMi0 = antenna::classic::kMu0;

// The design of the worked example: sizes in metres, frequencies in GHz.
struct Design {
  double wp = 30e-3, lp = 40e-3, h = 1.6e-3, er = 4.4, offset = 10e-3;
  double fmin = 1, fmax = 3, f0p = 1.8;
};

double effectivePermittivity(const Design& d) {
  return microstrip::effectivePermittivity(d.er, d.h, d.wp, 1.0, 2.0, 10.0);
}

// Complex arithmetic written out, as the runtime does it: std::complex
// division and multiplication also guard against infinities (a library call
// per operation), which would make the floor slower than the runtime path.
struct Cx {
  double re, im;
};
Cx operator+(Cx a, Cx b) {
  return {a.re + b.re, a.im + b.im};
}
Cx operator-(Cx a, Cx b) {
  return {a.re - b.re, a.im - b.im};
}
Cx operator*(Cx a, Cx b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
Cx operator/(Cx a, Cx b) {
  const double den = b.re * b.re + b.im * b.im;
  return {(a.re * b.re + a.im * b.im) / den, (a.im * b.re - a.re * b.im) / den};
}

constexpr int kBand = 1000;  // frequencies of the band
constexpr int kAngles = 91;  // angles along each side of the pattern grid

// What the impedance depends on apart from the frequency.
struct Line {
  double c, Z0, Zc, sqrtEreff;
};

antenna::Patch patchOfDesign(const Design& d) {
  return {d.wp, d.lp, d.h, d.er, d.offset};
}

// The line from the antenna library's copy of the model.
Line lineOf(const Design& d) {
  const antenna::classic::Line l = antenna::classic::lineOf(patchOfDesign(d));
  return {1 / std::sqrt(kMi0 * kEpsilon0), std::sqrt(kMi0 / kEpsilon0), l.zc, std::sqrt(l.ereff)};
}

// The k-th frequency of the band and the arguments of the transcendental
// functions there: log(k0 h) and the phases -2 beta offset and
// -2 beta (lp - offset) of the two sections.
struct BandPoint {
  double fGHz, lambda0, k0h, phase1, phase2;
};

BandPoint bandPoint(const Design& d, const Line& l, int k) {
  const double g = k == kBand - 1 ? d.fmax : d.fmin + (k * (d.fmax - d.fmin)) / (kBand - 1);
  const double f = 1e9 * g;
  const double lambda0 = l.c / f;
  const double k0 = 2 * std::numbers::pi / lambda0;
  const double beta = k0 * l.sqrtEreff;
  return {f / 1e9, lambda0, k0 * d.h, -2 * beta * d.offset, -2 * beta * (d.lp - d.offset)};
}

// Zin at one frequency from log(k0 h) and exp(i phase) of the two sections.
Cx zinAt(const Design& d, const Line& l, const BandPoint& p, double logK0h, Cx e1, Cx e2) {
  const Cx one{1, 0}, zc{l.Zc, 0};
  const double G = std::numbers::pi * d.wp / (p.lambda0 * l.Z0);
  const Cx Yslot{G, G * (1 - std::numbers::ln2 * logK0h)};
  const Cx Zslot = one / Yslot;
  const Cx RCslot = (Zslot - zc) / (Zslot + zc);
  const Cx RCslot1 = RCslot * e1;
  const Cx RCslot2 = RCslot * e2;
  const Cx Zslot1 = zc * (one + RCslot1) / (one - RCslot1);
  const Cx Zslot2 = zc * (one + RCslot2) / (one - RCslot2);
  return one / (one / Zslot1 + one / Zslot2);
}

// Zin at the 1000 frequencies of the band as the antenna library computes
// it: one pass, std::complex and a call of the maths library per
// transcendental function (the floor before the runtime had vector maths).
void fusedImpedanceScalar(const Design& d, std::vector<double>& hz,
                          std::vector<std::complex<double>>& zin) {
  hz = antenna::classic::bandFrequencies(d.fmin, d.fmax, kBand);
  zin = antenna::classic::inputImpedance(patchOfDesign(d), hz);
}

// The same with the runtime's vector maths: the arguments of the whole band
// first, then each function over all of them, then the complex arithmetic.
struct BandScratch {
  std::vector<BandPoint> points;
  std::vector<double> k0h, phase1, phase2, logK0h, cos1, sin1, cos2, sin2;
};

void fusedImpedance(const Design& d, BandScratch& s, std::vector<double>& fGHz,
                    std::vector<Cx>& zin) {
  const Line l = lineOf(d);
  const rt::vec::Kernels& vk = rt::vec::kernels();
  for (auto* v :
       {&s.k0h, &s.phase1, &s.phase2, &s.logK0h, &s.cos1, &s.sin1, &s.cos2, &s.sin2, &fGHz})
    v->resize(kBand);
  s.points.resize(kBand);
  zin.resize(kBand);
  for (int k = 0; k < kBand; ++k) {
    const BandPoint p = bandPoint(d, l, k);
    s.points[k] = p;
    s.k0h[k] = p.k0h;
    s.phase1[k] = p.phase1;
    s.phase2[k] = p.phase2;
  }
  vk.log(kBand, s.k0h.data(), s.logK0h.data());
  vk.cos(kBand, s.phase1.data(), s.cos1.data());
  vk.sin(kBand, s.phase1.data(), s.sin1.data());
  vk.cos(kBand, s.phase2.data(), s.cos2.data());
  vk.sin(kBand, s.phase2.data(), s.sin2.data());
  for (int k = 0; k < kBand; ++k) {
    fGHz[k] = s.points[k].fGHz;
    zin[k] = zinAt(d, l, s.points[k], s.logK0h[k], {s.cos1[k], s.sin1[k]}, {s.cos2[k], s.sin2[k]});
  }
}

// R and the surface points on the 91 x 91 grid (rows follow phi, columns
// theta), stored column by column.
struct Grid {
  std::vector<double> R, x, y, z;
  // The arguments of the two functions that vary over the whole grid, and
  // their values (vector floor only).
  std::vector<double> X, S, sinX, cosS;
};

// What the pattern depends on apart from the angles: k0 h/2, k0 wp/2 and
// k0 lpeff/2.
struct Patch {
  double a, b, s;
};

Patch patchOf(const Design& d) {
  const double c = 1 / std::sqrt(kMi0 * kEpsilon0);
  const double lambda0 = c / (d.f0p * 1e9);
  const double k0 = 2 * std::numbers::pi / lambda0;
  const double ereff = effectivePermittivity(d);
  const double dlp = (0.412 * d.h) * ((ereff + 0.3) * (d.wp / d.h + 0.264)) /
                     ((ereff - 0.258) * (d.wp / d.h + 0.8));
  const double lpeff = d.lp + 2 * dlp;
  return {k0 * d.h / 2, k0 * d.wp / 2, k0 * lpeff / 2};
}

// Sines and cosines of the grid's angles: what depends on one angle alone is
// worked out once per row or column, as a hand-written loop would.
struct Angles {
  double sinPh[kAngles], cosPh[kAngles], sinTh[kAngles], cosTh[kAngles], slotWidth[kAngles];
};

void anglesOf(const Patch& p, Angles& g) {
  for (int r = 0; r < kAngles; ++r) {
    const double ph = r == kAngles - 1
                          ? std::numbers::pi / 2
                          : -std::numbers::pi / 2 + (r * std::numbers::pi) / (kAngles - 1);
    g.sinPh[r] = std::sin(ph);
    g.cosPh[r] = std::cos(ph);
  }
  for (int col = 0; col < kAngles; ++col) {
    const double th =
        col == kAngles - 1 ? std::numbers::pi : (col * std::numbers::pi) / (kAngles - 1);
    g.sinTh[col] = std::sin(th);
    g.cosTh[col] = std::cos(th);
    const double Z = p.b * g.cosTh[col];
    g.slotWidth[col] = std::sin(Z) / Z;
  }
}

// The point of the surface at row r, column col from sin X and cos S there.
void storePoint(const Angles& a, int r, int col, double X, double sinX, double cosS, Grid& g) {
  const double sinTh = a.sinTh[col];
  const double R = sinTh * sinX / X * a.slotWidth[col] * cosS;
  const int i = col * kAngles + r;
  g.R[i] = R;
  g.x[i] = R * sinTh * a.cosPh[r];
  g.y[i] = R * sinTh * a.sinPh[r];
  g.z[i] = R * a.cosTh[col];
}

// The patch's constants and angle tables for one pass over a grid sized
// for it.
struct Pass {
  Patch p;
  Angles a;
};
Pass startPass(const Design& d, Grid& g) {
  Pass pass{patchOf(d), {}};
  anglesOf(pass.p, pass.a);
  for (auto* v : {&g.R, &g.x, &g.y, &g.z, &g.X, &g.S, &g.sinX, &g.cosS})
    v->resize(kAngles * kAngles);
  return pass;
}

// One pass, a sine and a cosine of the maths library per element (the floor
// before the runtime had vector maths).
void fusedPatternScalar(const Design& d, Grid& g) {
  const auto [p, a] = startPass(d, g);
  for (int col = 0; col < kAngles; ++col)
    for (int r = 0; r < kAngles; ++r) {
      const double X = p.a * a.sinTh[col] * a.cosPh[r];
      const double S = p.s * a.sinTh[col] * a.sinPh[r];
      storePoint(a, r, col, X, std::sin(X), std::cos(S), g);
    }
}

// The same with the runtime's vector maths: the two arguments over the whole
// grid, a sine and a cosine over all of them, then the points.
void fusedPattern(const Design& d, Grid& g) {
  const auto [p, a] = startPass(d, g);
  for (int col = 0; col < kAngles; ++col)
    for (int r = 0; r < kAngles; ++r) {
      g.X[col * kAngles + r] = p.a * a.sinTh[col] * a.cosPh[r];
      g.S[col * kAngles + r] = p.s * a.sinTh[col] * a.sinPh[r];
    }
  const rt::vec::Kernels& vk = rt::vec::kernels();
  vk.sin(g.X.size(), g.X.data(), g.sinX.data());
  vk.cos(g.S.size(), g.S.data(), g.cosS.data());
  for (int col = 0; col < kAngles; ++col)
    for (int r = 0; r < kAngles; ++r) {
      const int i = col * kAngles + r;
      storePoint(a, r, col, g.X[i], g.sinX[i], g.cosS[i], g);
    }
}

// ---------------------------------------------------- the runtime path
// Libraries and the modules the models use, up for the whole run.
struct Runtime {
  Runtime() {
    rt::arrayLibraryInitialize();
    rt::graphicsLibraryInitialize();
    for (auto* init : {&guihandles::initialize, &isvarname::initialize, &iskeyword::initialize,
                       &offset_impedance::initialize, &pattern::initialize, &xlabel::initialize,
                       &ylabel::initialize, &zlabel::initialize, &surf::initialize})
      init();
  }
};

// A window holding the controls and axes the models read and draw into,
// set to `d`, and the `handles` record of it.
struct Window {
  rt::Array fig, handles;
  explicit Window(const Design& d) {
    static Runtime runtime;
    fig = rt::figure();
    auto slider = [](const char* tag, double v) {
      rt::uicontrol({S("Style"), S("slider"), S("Tag"), S(tag), S("Min"), rt::scalar(-1e6),
                     S("Max"), rt::scalar(1e6), S("Value"), rt::scalar(v)});
    };
    slider("slider1", d.wp * 1000);
    slider("slider2", d.lp * 1000);
    slider("slider3", d.h * 1000);
    slider("slider4", d.er);
    slider("slider5", d.offset * 1000);
    slider("slider6", d.f0p);
    rt::uicontrol({S("Style"), S("edit"), S("Tag"), S("edit5"), S("String"),
                   rt::num2str(rt::scalar(d.fmin))});
    rt::uicontrol({S("Style"), S("edit"), S("Tag"), S("edit6"), S("String"),
                   rt::num2str(rt::scalar(d.fmax))});
    for (const char* tag : {"axes1", "axes2"})
      rt::axes({S("Tag"), S(tag), S("NextPlot"), S("replacechildren")});
    handles = guihandles::call(fig);
  }
  ~Window() { rt::gfx::deleteObject(fig.scalar()); }
};

// The models' inputs, as the rows that read the controls leave them.
template <class Locals>
void setPatch(Locals& v, const Design& d) {
  v.wp = rt::scalar(d.wp);
  v.lp = rt::scalar(d.lp);
  v.h = rt::scalar(d.h);
  v.er = rt::scalar(d.er);
}
void setInputs(offset_impedance::Locals& v, const Design& d) {
  setPatch(v, d);
  v.fmin = rt::scalar(d.fmin);
  v.fmax = rt::scalar(d.fmax);
  v.offset = rt::scalar(d.offset);
}
void setInputs(pattern::Locals& v, const Design& d) {
  setPatch(v, d);
  v.f0p = rt::scalar(d.f0p);
}

// The largest difference relative to max(1, |b|); NaN in both is agreement.
double maxDifference(std::span<const double> a, std::span<const double> b) {
  double worst = a.size() == b.size() ? 0 : INFINITY;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (std::isnan(a[i]) && std::isnan(b[i])) continue;
    const double d = std::abs(a[i] - b[i]) / std::max(1.0, std::abs(b[i]));
    worst = std::isnan(d) ? INFINITY : std::max(worst, d);
  }
  return worst;
}

void BM_ImpedanceFused(benchmark::State& state) {
  Design d;
  BandScratch s;
  std::vector<double> f;
  std::vector<Cx> zin;
  for (auto _ : state) {
    fusedImpedance(d, s, f, zin);
    benchmark::DoNotOptimize(zin.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kBand);
  state.SetLabel(rt::vec::kernels().name);
}
BENCHMARK(BM_ImpedanceFused);

void BM_ImpedanceFusedScalar(benchmark::State& state) {
  Design d;
  std::vector<double> f;
  std::vector<std::complex<double>> zin;
  for (auto _ : state) {
    fusedImpedanceScalar(d, f, zin);
    benchmark::DoNotOptimize(zin.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kBand);
}
BENCHMARK(BM_ImpedanceFusedScalar);

// The rows from the band to Zin, without reading controls or drawing.
void BM_ImpedanceRuntimeRows(benchmark::State& state) {
  Design d;
  Window w(d);  // brings the runtime up
  for (auto _ : state) {
    offset_impedance::Locals v;
    setInputs(v, d);
    offset_impedance::impedance(v);
    benchmark::DoNotOptimize(v.Zin.raw().id());
  }
  state.SetItemsProcessed(state.iterations() * kBand);
}
BENCHMARK(BM_ImpedanceRuntimeRows);

// The whole model: controls read, rows computed, both axes drawn.
void BM_ImpedanceRuntimeCall(benchmark::State& state) {
  Design d;
  Window w(d);
  {
    // The runtime path and the fused loop must compute the same curve.
    rt::Array pon = offset_impedance::call(w.handles);
    BandScratch s;
    std::vector<double> f;
    std::vector<Cx> zin;
    fusedImpedance(d, s, f, zin);
    std::vector<double> r;
    for (auto z : zin) r.push_back(z.re);
    double worst = INFINITY;
    for (double h : rt::gfx::children(rt::findobj({S("Tag"), S("axes1")}).scalar()))
      if (rt::gfx::type(h) == "line") worst = maxDifference(rt::gfx::prop(h, "YData").re(), r);
    if (!(worst <= 1e-9)) {
      state.SkipWithError("runtime path and fused loop disagree");
      return;
    }
  }
  for (auto _ : state) {
    rt::Array pon = offset_impedance::call(w.handles);
    benchmark::DoNotOptimize(pon.id());
  }
  state.SetItemsProcessed(state.iterations() * kBand);
}
BENCHMARK(BM_ImpedanceRuntimeCall);

// The fused pattern on the vector kernels (labelled with the set chosen) or
// as the plain scalar loop.
template <void (*Pattern)(const Design&, Grid&), bool kOnKernels>
void patternFused(benchmark::State& state) {
  Design d;
  Grid g;
  for (auto _ : state) {
    Pattern(d, g);
    benchmark::DoNotOptimize(g.R.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kAngles * kAngles);
  if (kOnKernels) state.SetLabel(rt::vec::kernels().name);
}
BENCHMARK(patternFused<fusedPattern, true>)->Name("BM_PatternFused");
BENCHMARK(patternFused<fusedPatternScalar, false>)->Name("BM_PatternFusedScalar");

// The grids from the pattern frequency to R, x, y, z, without drawing.
void BM_PatternRuntimeGrids(benchmark::State& state) {
  Design d;
  Window w(d);
  {
    pattern::Locals v;
    setInputs(v, d);
    pattern::field(v);
    Grid g;
    fusedPattern(d, g);
    const double worst =
        std::max({maxDifference(v.R.get().re(), g.R), maxDifference(v.x.get().re(), g.x),
                  maxDifference(v.z.get().re(), g.z)});
    if (!(worst <= 1e-9)) {
      state.SkipWithError("runtime path and fused loop disagree");
      return;
    }
  }
  for (auto _ : state) {
    pattern::Locals v;
    setInputs(v, d);
    pattern::field(v);
    benchmark::DoNotOptimize(v.R.raw().id());
  }
  state.SetItemsProcessed(state.iterations() * kAngles * kAngles);
}
BENCHMARK(BM_PatternRuntimeGrids);

// The whole model: controls read, grids computed, a new figure drawn (and
// closed again outside the timing).
void BM_PatternRuntimeCall(benchmark::State& state) {
  Design d;
  Window w(d);
  for (auto _ : state) {
    pattern::call(w.handles);
    state.PauseTiming();
    rt::gfx::deleteObject(rt::gfx::figures().back());
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kAngles * kAngles);
}
BENCHMARK(BM_PatternRuntimeCall);

}  // namespace

BENCHMARK_MAIN();

// The two antenna models through the array runtime, against the same
// formulas as one fused C++ loop: the fused loops are the floor that the
// runtime path (one runtime operation per row or grid operation, plus the
// drawing) is measured against.
//
//   bench_models [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include "bench_support.h"
#include "model/microstrip.h"
#include "model/offset_impedance.h"
#include "model/pattern.h"
#include "support/guihandles.h"
#include "support/iskeyword.h"
#include "support/isvarname.h"
#include "support/labels.h"
#include "support/surf.h"

namespace {

using bench::S;

// ------------------------------------------------------------ fused loops
constexpr double kMi0 = 1.2566370614359173e-6;
constexpr double kEpsilon0 = 8.854e-12;

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
Cx expi(double x) {  // exp(i x)
  return {std::cos(x), std::sin(x)};
}

// Zin at the 1000 frequencies of the band, one pass.
void fusedImpedance(const Design& d, std::vector<double>& fGHz, std::vector<Cx>& zin) {
  constexpr int N = 1000;
  const double c = 1 / std::sqrt(kMi0 * kEpsilon0);
  const double Z0 = std::sqrt(kMi0 / kEpsilon0);
  const double ereff = effectivePermittivity(d);
  const double Zc = d.wp <= d.h ? (1 / (2 * std::numbers::pi)) * (Z0 / std::sqrt(ereff)) *
                                      std::log(8 * d.h / d.wp + 0.25 * d.wp / d.h)
                                : (Z0 / std::sqrt(ereff)) /
                                      (d.wp / d.h + 1.393 + 0.667 * std::log(d.wp / d.h + 1.444));
  const double sqrtEreff = std::sqrt(ereff);
  const double span = d.fmax - d.fmin;
  const Cx one{1, 0}, zc{Zc, 0};
  fGHz.resize(N);
  zin.resize(N);
  for (int k = 0; k < N; ++k) {
    const double g = k == N - 1 ? d.fmax : d.fmin + (k * span) / (N - 1);
    const double f = 1e9 * g;
    const double lambda0 = c / f;
    const double k0 = 2 * std::numbers::pi / lambda0;
    const double G = std::numbers::pi * d.wp / (lambda0 * Z0);
    const Cx Yslot{G, G * (1 - std::numbers::ln2 * std::log(k0 * d.h))};
    const Cx Zslot = one / Yslot;
    const double beta = k0 * sqrtEreff;
    const Cx RCslot = (Zslot - zc) / (Zslot + zc);
    const Cx RCslot1 = RCslot * expi(-2 * beta * d.offset);
    const Cx RCslot2 = RCslot * expi(-2 * beta * (d.lp - d.offset));
    const Cx Zslot1 = zc * (one + RCslot1) / (one - RCslot1);
    const Cx Zslot2 = zc * (one + RCslot2) / (one - RCslot2);
    fGHz[k] = f / 1e9;
    zin[k] = one / (one / Zslot1 + one / Zslot2);
  }
}

// R and the surface points on the 91 x 91 grid (rows follow phi, columns
// theta), stored column by column, one pass.
struct Grid {
  std::vector<double> R, x, y, z;
};

void fusedPattern(const Design& d, Grid& g) {
  constexpr int N = 91;
  const double c = 1 / std::sqrt(kMi0 * kEpsilon0);
  const double lambda0 = c / (d.f0p * 1e9);
  const double k0 = 2 * std::numbers::pi / lambda0;
  const double ereff = effectivePermittivity(d);
  const double dlp = (0.412 * d.h) * ((ereff + 0.3) * (d.wp / d.h + 0.264)) /
                     ((ereff - 0.258) * (d.wp / d.h + 0.8));
  const double lpeff = d.lp + 2 * dlp;
  const double a = k0 * d.h / 2, b = k0 * d.wp / 2, s = k0 * lpeff / 2;
  g.R.resize(N * N);
  g.x.resize(N * N);
  g.y.resize(N * N);
  g.z.resize(N * N);
  // What depends on phi alone is worked out once per row, as a hand-written
  // loop would: each element then costs one sine and one cosine.
  double sinPh[N], cosPh[N];
  for (int r = 0; r < N; ++r) {
    const double ph = r == N - 1 ? std::numbers::pi / 2
                                 : -std::numbers::pi / 2 + (r * std::numbers::pi) / (N - 1);
    sinPh[r] = std::sin(ph);
    cosPh[r] = std::cos(ph);
  }
  for (int col = 0; col < N; ++col) {
    const double th = col == N - 1 ? std::numbers::pi : (col * std::numbers::pi) / (N - 1);
    const double sinTh = std::sin(th), cosTh = std::cos(th);
    const double Z = b * cosTh;
    const double slotWidth = std::sin(Z) / Z;
    for (int r = 0; r < N; ++r) {
      const double X = a * sinTh * cosPh[r];
      const double R = sinTh * std::sin(X) / X * slotWidth * std::cos(s * sinTh * sinPh[r]);
      const int i = col * N + r;
      g.R[i] = R;
      g.x[i] = R * sinTh * cosPh[r];
      g.y[i] = R * sinTh * sinPh[r];
      g.z[i] = R * cosTh;
    }
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
  std::vector<double> f;
  std::vector<Cx> zin;
  for (auto _ : state) {
    fusedImpedance(d, f, zin);
    benchmark::DoNotOptimize(zin.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ImpedanceFused);

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
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ImpedanceRuntimeRows);

// The whole model: controls read, rows computed, both axes drawn.
void BM_ImpedanceRuntimeCall(benchmark::State& state) {
  Design d;
  Window w(d);
  {
    // The runtime path and the fused loop must compute the same curve.
    rt::Array pon = offset_impedance::call(w.handles);
    std::vector<double> f;
    std::vector<Cx> zin;
    fusedImpedance(d, f, zin);
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
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ImpedanceRuntimeCall);

void BM_PatternFused(benchmark::State& state) {
  Design d;
  Grid g;
  for (auto _ : state) {
    fusedPattern(d, g);
    benchmark::DoNotOptimize(g.R.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 91 * 91);
}
BENCHMARK(BM_PatternFused);

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
  state.SetItemsProcessed(state.iterations() * 91 * 91);
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
  state.SetItemsProcessed(state.iterations() * 91 * 91);
}
BENCHMARK(BM_PatternRuntimeCall);

}  // namespace

BENCHMARK_MAIN();

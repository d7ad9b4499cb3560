// The refined patch model's cost over the window's 1000 frequencies, beside
// the classic transmission-line model's formulas in one plain loop: what
// switching the window to the refined model adds to each slider act; and
// what a design on each model costs (the design dialog's wait after Enter).
//
//   bench_refined [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <vector>

#include "antenna/patch.h"
#include "antenna/refined_model.h"
#include "antenna/synthesis.h"

namespace {

using Complex = std::complex<double>;

// The worked FR-4 patch fed 9 mm in, over the window's band of 1 to 3 GHz.
const antenna::Patch kPatch{38e-3, 29.5e-3, 1.6e-3, 4.4, 9e-3};
const std::vector<double> kBand = antenna::linearBand(1e9, 3e9);

// The classic model's formulas (the window's impedance model) on plain
// numbers: quasi-static line, slot admittance pi W / (lambda0 Z0) (1 + j (1 -
// ln 2 ln(k0 h))), both sections' reflections carried to the feed.
std::vector<Complex> plainClassic(const antenna::Patch& p, const std::vector<double>& hz) {
  const double mu0 = 1.2566370614359173e-6, eps0 = 8.854e-12;
  const double c = 1 / std::sqrt(mu0 * eps0), z0 = std::sqrt(mu0 / eps0);
  const double u = p.width / p.height;
  const double ee = (p.er + 1) / 2 + (p.er - 1) / 2 / std::sqrt(1 + 10 / u);
  const double zc = u <= 1 ? z0 / std::sqrt(ee) / (2 * antenna::kPi) * std::log(8 / u + u / 4)
                           : z0 / std::sqrt(ee) / (u + 1.393 + 0.667 * std::log(u + 1.444));
  std::vector<Complex> zin(hz.size());
  for (size_t k = 0; k < hz.size(); ++k) {
    const double lambda0 = c / hz[k], k0 = 2 * antenna::kPi / lambda0, beta = k0 * std::sqrt(ee);
    const double g = antenna::kPi * p.width / (lambda0 * z0);
    const Complex zslot = 1.0 / Complex(g, g * (1 - std::log(2.0) * std::log(k0 * p.height)));
    const Complex rc = (zslot - zc) / (zslot + zc);
    const Complex rc1 = rc * std::polar(1.0, -2 * beta * p.feedOffset);
    const Complex rc2 = rc * std::polar(1.0, -2 * beta * (p.length - p.feedOffset));
    zin[k] = 1.0 / ((1.0 - rc1) / (zc * (1.0 + rc1)) + (1.0 - rc2) / (zc * (1.0 + rc2)));
  }
  return zin;
}

void BM_ClassicModel1000(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(plainClassic(kPatch, kBand));
}
BENCHMARK(BM_ClassicModel1000)->Unit(benchmark::kMicrosecond);

// The library's classic model, as the Python module calls it (its
// overhead is measured from Python by bench/python_module.py).
void BM_ClassicLibrary1000(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(antenna::classicImpedance(kPatch, kBand));
}
BENCHMARK(BM_ClassicLibrary1000)->Unit(benchmark::kMicrosecond);

void BM_RefinedModel1000(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(antenna::refinedImpedance(kPatch, antenna::Board{}, kBand));
}
BENCHMARK(BM_RefinedModel1000)->Unit(benchmark::kMicrosecond);

// A thick high-permittivity board, whose slots are no longer small.
void BM_RefinedModelThick1000(benchmark::State& state) {
  const antenna::Patch thick{20e-3, 14e-3, 6e-3, 10.2, 3e-3};
  const std::vector<double> band = antenna::linearBand(1e9, 8e9);
  for (auto _ : state)
    benchmark::DoNotOptimize(antenna::refinedImpedance(thick, antenna::Board{}, band));
}
BENCHMARK(BM_RefinedModelThick1000)->Unit(benchmark::kMicrosecond);

// A 2.4 GHz patch on 1.6 mm FR-4 designed within the window's slider
// ranges: Arg(0) on the classic model, Arg(1) on the refined one.
void BM_Synthesis(benchmark::State& state) {
  const antenna::Limits limits{{1e-3, 0.3}, {1e-3, 0.3}, {0.1e-3, 20e-3}, {1, 20}};
  const antenna::ImpedanceModelFn refined = [](const antenna::Patch& p,
                                               const std::vector<double>& hz) {
    return antenna::refinedImpedance(p, antenna::Board{}, hz).zin;
  };
  const antenna::ImpedanceModelFn model =
      state.range(0) ? refined : antenna::ImpedanceModelFn(antenna::classicImpedance);
  for (auto _ : state)
    benchmark::DoNotOptimize(antenna::synthesise({2.4e9, 4.4, 1.6e-3, 50}, limits, model));
}
BENCHMARK(BM_Synthesis)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The far-field analysis of the model's pattern for the README's 2.4 GHz
// FR-4 patch at its default grid: what the Far-field figure and report wait
// for. The goal is at most 5 ms. The counters give the numbers it finds and
// the settled grid, so a change of time can be told from a change of work.
//
//   bench_farfield [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include "antenna/farfield.h"
#include "antenna/patch_pattern.h"

namespace {

const antenna::PatchPattern kPatch({.width = 38e-3, .length = 29.5e-3, .height = 1.6e-3, .er = 4.4},
                                   2.4e9);

// Directivity, maximum, both cuts and their beamwidths, and the cuts as text.
void BM_PatchFarField(benchmark::State& state) {
  antenna::FarField ff;
  for (auto _ : state) {
    ff = antenna::analyseFarField(kPatch);
    benchmark::DoNotOptimize(antenna::cutsCsv(ff));
  }
  state.counters["directivity_dbi"] = ff.directivityDbi;
  state.counters["hpbw_h_deg"] = ff.hpbwHDeg.value_or(-1);
  state.counters["hpbw_e_deg"] = ff.hpbwEDeg.value_or(-1);  // -1: above half power everywhere
  state.counters["grid_theta"] = ff.thetaPoints;
  state.counters["grid_phi"] = ff.phiPoints;
}
BENCHMARK(BM_PatchFarField)->Unit(benchmark::kMillisecond);

// The directivity alone: the refined integral and the search for the maximum.
void BM_PatchDirectivity(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(antenna::directivity(kPatch).value);
}
BENCHMARK(BM_PatchDirectivity)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

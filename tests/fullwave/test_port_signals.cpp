// The port's signals to impedance on synthetic signals whose impedance is
// known in closed form, the progress parser on lines the solver printed, and
// the cache key.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "antenna/patch.h"
#include "fullwave/port_signals.h"

namespace {

using namespace antenna;
using namespace fullwave;

// A series RLC driven by the current i = dq/dt with q a Gaussian charge:
// v = R i + L di/dt + q / C in closed form. The current is sampled half a
// step after the voltage, as the solver does.
struct SeriesRlc {
  double r = 37, l = 4e-9, c = 1.2e-12;
  double t0 = 1.2e-9, tau = 0.12e-9;
  double q(double t) const { return 1e-12 * std::exp(-std::pow((t - t0) / tau, 2)); }
  double i(double t) const { return q(t) * (-2 * (t - t0) / (tau * tau)); }
  double di(double t) const {
    const double u = (t - t0) / (tau * tau);
    return q(t) * (4 * u * u - 2 / (tau * tau));
  }
  double v(double t) const { return r * i(t) + l * di(t) + q(t) / c; }
  std::complex<double> z(double f) const {
    const double w = 2 * kPi * f;
    return {r, w * l - 1 / (w * c)};
  }
};

std::pair<ProbeSignal, ProbeSignal> sampled(const SeriesRlc& rlc, double dt, bool halfStep) {
  ProbeSignal v, i;
  for (int k = 0; k < 600; ++k) {
    const double t = k * dt, ti = t + (halfStep ? dt / 2 : 0);
    v.time.push_back(t), v.value.push_back(rlc.v(t));
    i.time.push_back(ti), i.value.push_back(rlc.i(ti));
  }
  return {v, i};
}

TEST(PortSignals, ImpedanceOfASeriesRlcFromHalfStepOffsetSignals) {
  const SeriesRlc rlc;
  const double dt = 10e-12;
  auto [v, i] = sampled(rlc, dt, true);
  const std::vector<double> f{1.5e9, 2.297e9, 3.5e9};
  const auto r = portResponse(v, i, f);
  for (size_t k = 0; k < f.size(); ++k) {
    EXPECT_NEAR(std::abs(r.zin[k] - rlc.z(f[k])) / std::abs(rlc.z(f[k])), 0, 2e-3) << f[k];
    EXPECT_NEAR(std::abs(r.s11[k] - (rlc.z(f[k]) - 50.0) / (rlc.z(f[k]) + 50.0)), 0, 2e-3);
  }
  // Reading the current on the voltage's time column is a visible error.
  ProbeSignal shifted = i;
  shifted.time = v.time;
  const auto wrong = portResponse(v, shifted, f);
  EXPECT_GT(std::abs(wrong.zin[2] - rlc.z(f[2])) / std::abs(rlc.z(f[2])), 0.05);
}

TEST(PortSignals, ResistancePeakIsPlacedBetweenSamples) {
  PortResponse r;
  for (double f : {1.0, 1.5, 1.7, 2.6, 3.0}) {
    r.frequency.push_back(f);
    r.zin.push_back({80 - 20 * (f - 2.2) * (f - 2.2), 0});
  }
  const auto p = resistancePeak(r);
  ASSERT_TRUE(p);
  EXPECT_NEAR(p->frequency, 2.2, 1e-12);
  EXPECT_NEAR(p->resistance, 80, 1e-12);
  EXPECT_FALSE(resistancePeak(PortResponse{}));
}

TEST(PortSignals, ProbeFilesAreReadAndBadOnesRefused) {
  std::string error;
  const auto s = parseProbeSignal(
      "% time-domain voltage integration by openEMS v0.0.35\n% t/s\tvoltage\n0\t-0\n"
      "3.55e-11\t1.44e-07\r\n7.1e-11\t1.15e-07\n",
      error);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->time.size(), 3u);
  EXPECT_DOUBLE_EQ(s->value[1], 1.44e-07);
  for (const char* bad : {"0 1\n1 2 3\n", "0 1\n1 nan\n", "% only a header\n", "0 1\n1\n",
                          "0 1\n2 1\n1 1\n", "0 1\n0 2\n"}) {
    error.clear();
    EXPECT_FALSE(parseProbeSignal(bad, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(error, "line 2 holds a time that does not increase");
}

TEST(SolverProgress, RecordedLinesAreRead) {
  const auto a = parseSolverProgress(
      "[@        4s] Timestep:          170 || Speed:   11.9 MC/s (2.836e-02 s/TS) || Energy: "
      "~5.57e-22 (- 0.00dB)");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->elapsedSeconds, 4);
  EXPECT_EQ(a->timestep, 170);
  EXPECT_EQ(a->energyDb, 0);
  // Minutes and a negative level are read through the runner's test.
  const auto c = parseSolverProgress("[@ 2h00m05s] Timestep: 9 || Energy: ~1e-18 (-7.5dB)");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->elapsedSeconds, 7205);
  EXPECT_DOUBLE_EQ(c->energyDb, -7.5);
  for (const char* other :
       {"Running FDTD engine... this may take a while... grab a cup of coffee?!?",
        "Time for 11662 iterations with 336518.00 cells : 91.53 sec",
        "[@ 4x] Timestep: 1 || Energy: ~1 (-1dB)", ""})
    EXPECT_FALSE(parseSolverProgress(other)) << other;
}

TEST(FullWaveCache, KeyIsTheFnv1aHashOfTheVersionAndTheInput) {
  EXPECT_EQ(solverVersion(" | openEMS 64bit -- version v0.0.35\n | (C) 2010"), "v0.0.35");
  EXPECT_EQ(solverVersion("no banner"), "");
  // 64-bit FNV-1a of "v0.0.35\n\0<openEMS/>", worked out apart from the
  // program: a key that changed between builds would orphan every kept run.
  EXPECT_EQ(cacheKey("<openEMS/>", "v0.0.35"), "3af6a084c8c354b9");
  EXPECT_NE(cacheKey("<openEMS />", "v0.0.35"), cacheKey("<openEMS/>", "v0.0.35"));
  EXPECT_NE(cacheKey("<openEMS/>", "v0.0.36"), cacheKey("<openEMS/>", "v0.0.35"));
  // The version and the input cannot trade characters into the same key.
  EXPECT_NE(cacheKey("5<x/>", "v0.0.3"), cacheKey("<x/>", "v0.0.35"));
}

}  // namespace

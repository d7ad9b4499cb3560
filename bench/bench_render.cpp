// Rendering cost of the two kinds of figure the program draws: an axes with
// a 1000-point line (the impedance plots) and a 91 x 91 surface (the
// radiation pattern), each to a 1000 x 750 image.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/array/array.h"
#include "platform/graphics/graphics.h"
#include "platform/qt/interaction.h"
#include "platform/qt/renderer.h"

namespace {

const QSize kImageSize(1000, 750);

void BM_RenderLineAxes(benchmark::State& state) {
  rt::Array fig = rt::figure();
  rt::Array ax = rt::axes({rt::str("XGrid"), rt::str("on"), rt::str("YGrid"), rt::str("on")});
  std::vector<double> x(1000), y(1000);
  for (std::size_t k = 0; k < x.size(); ++k) {
    x[k] = 1 + 2.0 * static_cast<double>(k) / 999;
    y[k] = 150 * std::sin(3 * x[k]) / (1 + (x[k] - 1.8) * (x[k] - 1.8) * 20);
  }
  rt::plot(rt::row(x), rt::row(y));
  rt::set(ax, {rt::str("XGrid"), rt::str("on"), rt::str("YGrid"), rt::str("on")});
  rt::set(rt::get(ax, "YLabel"), {rt::str("String"), rt::str("Resistance (Ohms)")});
  for (auto _ : state) {
    QImage image = rt::qt::renderFigureImage(fig.scalar(), kImageSize);
    benchmark::DoNotOptimize(image.constBits());
  }
  rt::gfx::deleteObject(fig.scalar());
}
BENCHMARK(BM_RenderLineAxes)->Unit(benchmark::kMillisecond);

// A pattern-like closed surface on a 91 x 91 grid of angles, with the NaN
// column that the pattern has at theta = 0, in a new figure; gives its axes.
double patternLikeSurface() {
  constexpr std::size_t kN = 91;
  const double pi = std::numbers::pi;
  std::vector<double> xs(kN * kN), ys(kN * kN), zs(kN * kN), rs(kN * kN);
  for (std::size_t col = 0; col < kN; ++col) {
    for (std::size_t r = 0; r < kN; ++r) {
      double theta = pi * static_cast<double>(col) / (kN - 1);
      double phi = -pi / 2 + pi * static_cast<double>(r) / (kN - 1);
      double radius = col == 0 ? std::nan("") : std::sin(theta) * std::cos(phi / 2);
      std::size_t k = col * kN + r;
      rs[k] = radius;
      xs[k] = radius * std::sin(theta) * std::cos(phi);
      ys[k] = radius * std::sin(theta) * std::sin(phi);
      zs[k] = radius * std::cos(theta);
    }
  }
  rt::Array fig = rt::figure();
  rt::Array ax = rt::axes({});
  std::vector<rt::Array> args = {rt::matrix(kN, kN, xs), rt::matrix(kN, kN, ys),
                                 rt::matrix(kN, kN, zs), rt::matrix(kN, kN, rs)};
  rt::surface(args);
  rt::grid(ax, rt::str("on"));
  return ax.scalar();
}

void BM_RenderSurface(benchmark::State& state) {
  double ax = patternLikeSurface();
  double fig = rt::gfx::parent(ax);
  rt::view(rt::scalar(ax), rt::scalar(state.range(0)), rt::scalar(state.range(1)));
  for (auto _ : state) {
    QImage image = rt::qt::renderFigureImage(fig, kImageSize);
    benchmark::DoNotOptimize(image.constBits());
  }
  rt::gfx::deleteObject(fig);
}
BENCHMARK(BM_RenderSurface)
    ->Args({95, -45})  // the pattern's view
    ->Args({-37, 30})  // close to the default 3-D view
    ->Unit(benchmark::kMillisecond);

// One frame of a user's drag on the pattern: the view turned a degree
// through the object system as the mouse writes it, then the figure drawn.
// 60 frames a second leave at most 16 ms a frame; the goal is 8.
void BM_RotatedPatternFrame(benchmark::State& state) {
  double ax = patternLikeSurface();
  double fig = rt::gfx::parent(ax);
  double azimuth = 95;
  for (auto _ : state) {
    azimuth += 1;
    rt::qt::rotateTo(ax, azimuth, -45 + 30 * std::sin(azimuth / 20));
    QImage image = rt::qt::renderFigureImage(fig, kImageSize);
    benchmark::DoNotOptimize(image.constBits());
  }
  rt::gfx::deleteObject(fig);
}
BENCHMARK(BM_RotatedPatternFrame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);  // fonts for the tick labels
  rt::arrayLibraryInitialize();
  rt::graphicsLibraryInitialize();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  rt::graphicsLibraryTerminate();
  rt::arrayLibraryTerminate();
  return 0;
}

// The cost of pattern windows left open: what one painted pattern window
// keeps in memory, and whether a session with many of them open makes the
// main window's slider acts slower.
//
//   BM_PatternWindowMemory       opens 20 pattern windows (slider6 acts),
//                                each painted; counters: heap and resident
//                                memory per window, and the time to open one
//   BM_SliderActWithWindows/N    a step of slider1 (patch width) and the
//                                main window rendered to an image, as
//                                bench_session's BM_SliderAct, with N
//                                pattern windows open
//   BM_SliderActRepaintWithWindows/N
//                                the same act, then the event loop until the
//                                shown main window has repainted (every
//                                window's pending work included)
//
//   bench_windows [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "bench_program.h"
#include "bench_support.h"

namespace {

using bench::Program;

int gArgc = 1;
char gName[] = "bench_windows";
char* gArgv[] = {gName, nullptr};

using bench::session;

// Bytes the heap has handed out (small blocks and mapped ones alike).
double heapBytes() {
  struct mallinfo2 m = mallinfo2();
  return static_cast<double>(m.uordblks + m.hblkhd);
}

double residentBytes() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

std::vector<double> patternFigures(const Program& p) {
  std::vector<double> out;
  for (double f : rt::gfx::figures())
    if (f != p.mainFigure()) out.push_back(f);
  return out;
}

// A pattern window opened by a step of the pattern-frequency slider and
// painted; false when none opened or it did not paint.
bool openPatternWindow(Program& p, double f0) {
  rt::gfx::userAct(bench::tagged("slider6"), {{"Value", rt::scalar(f0)}});
  const double fig = rt::gfx::figures().back();
  QWidget* w = fig == p.mainFigure() ? nullptr : p.qt().window(fig);
  return w != nullptr && bench::PaintWatch(w).wait();
}

// Opens or closes pattern windows until `count` are open.
bool keepPatternWindows(benchmark::State& state, Program& p, std::size_t count) {
  std::vector<double> open = patternFigures(p);
  for (std::size_t i = count; i < open.size(); ++i) rt::gfx::deleteObject(open[i]);
  for (std::size_t i = open.size(); i < count; ++i) {
    if (!openPatternWindow(p, i % 2 == 0 ? 1.8 : 1.9)) {
      state.SkipWithError("a pattern window did not open");
      return false;
    }
  }
  QApplication::processEvents();
  return true;
}

void BM_PatternWindowMemory(benchmark::State& state) {
  Program* p = session(state);
  // A first window fills the caches that every later one shares (fonts,
  // glyphs, the colour map): they are not a window's own.
  if (p == nullptr || !keepPatternWindows(state, *p, 2) || !keepPatternWindows(state, *p, 0))
    return;
  constexpr int kWindows = 20;
  double heap = 0, resident = 0, opened = 0;
  for (auto _ : state) {
    const double heap0 = heapBytes(), resident0 = residentBytes();
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kWindows; ++i) {
      if (!openPatternWindow(*p, i % 2 == 0 ? 1.8 : 1.9)) {
        state.SkipWithError("a pattern window did not open");
        return;
      }
    }
    QApplication::processEvents();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    heap += heapBytes() - heap0;
    resident += residentBytes() - resident0;
    opened += kWindows;
    state.PauseTiming();
    keepPatternWindows(state, *p, 0);
    state.ResumeTiming();
  }
  state.counters["heap_kib_per_window"] = heap / opened / 1024;
  state.counters["rss_kib_per_window"] = resident / opened / 1024;
  state.counters["windows"] = kWindows;
  if (openPatternWindow(*p, 1.8)) {
    const QWidget* w = p->qt().window(rt::gfx::figures().back());
    state.counters["window_kpx"] = w->width() * w->height() / 1000.0;
  }
  keepPatternWindows(state, *p, 0);
}
BENCHMARK(BM_PatternWindowMemory)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_SliderActWithWindows(benchmark::State& state) {
  Program* p = session(state);
  if (p == nullptr || !keepPatternWindows(state, *p, state.range(0))) return;
  QWidget* w = p->mainWindow();
  QImage image = bench::canvasFor(w);
  bench::timeSliderActs(state, w, image);
  state.counters["windows"] = static_cast<double>(patternFigures(*p).size());
}
BENCHMARK(BM_SliderActWithWindows)->Arg(0)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_SliderActRepaintWithWindows(benchmark::State& state) {
  Program* p = session(state);
  if (p == nullptr || !keepPatternWindows(state, *p, state.range(0))) return;
  const double slider = bench::tagged("slider1");
  QWidget* w = p->mainWindow();
  double width = 30;
  for (auto _ : state) {
    width = width == 30 ? 31 : 30;
    if (!bench::actAndRepaint(slider, w, width, false)) {
      state.SkipWithError("the window did not repaint");
      break;
    }
    QApplication::processEvents();
  }
  state.counters["windows"] = static_cast<double>(patternFigures(*p).size());
}
BENCHMARK(BM_SliderActRepaintWithWindows)->Arg(0)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  QApplication app(gArgc, gArgv);
  QGuiApplication::setQuitOnLastWindowClosed(false);
  benchmark::RunSpecifiedBenchmarks();
  bench::stopSession();
  benchmark::Shutdown();
  return 0;
}

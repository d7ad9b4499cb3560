// The program as a user meets it, on its real Qt widgets (offscreen): the
// real start-up record, the main window built by the main module, and user
// acts through the object system.
//
//   BM_SliderAct           a drag step of slider1 (patch width): the callback,
//                          the impedance model drawing both axes, and the
//                          main window rendered to an image
//   BM_SliderCallback      the callback part of it alone
//   BM_MainWindowRender    the rendering part of it alone
//   BM_SliderActRepaint    the same act, then the event loop until the shown
//                          window has repainted what changed
//   BM_SliderActRepaintWholeWindow
//                          the same with the whole window repainted, as
//                          every act was before
//   BM_PatternAct          a step of slider6 (pattern frequency): the pattern
//                          model's new figure, rendered to an image
//   BM_StartUp             libraries and modules up, the main window built,
//                          the front end showing it, its first paint (the
//                          teardown after it is the "teardown_ms" counter)
//   BM_StartUpProcess      the same in a new process of this program, from
//                          its launch, Qt's own start-up included
//   BM_StartUpProcessSystemFonts  the same with fontconfig starting up by
//                          itself (the old way, for comparison)
//
//   bench_session [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QWidget>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "bench_program.h"
#include "bench_support.h"
#include "platform/qt/qt_front_end.h"
#include "window/main_info.h"
#include "window/tessivar.h"

namespace {

using bench::S;
using bench::tagged;

using bench::actAndRepaint;
using bench::PaintWatch;
using bench::Program;
using bench::session;
using bench::setDesign;
using bench::stopSession;

int gArgc = 1;
char gName[] = "bench_session";
char* gArgv[] = {gName, nullptr};

using bench::canvasFor;

void BM_SliderAct(benchmark::State& state) {
  Program* p = session(state);
  if (p == nullptr) return;
  QWidget* w = p->mainWindow();
  QImage image = canvasFor(w);
  bench::timeSliderActs(state, w, image);
  state.counters["width_px"] = image.width();
  state.counters["height_px"] = image.height();
}
BENCHMARK(BM_SliderAct)->Unit(benchmark::kMillisecond);

// The two halves of BM_SliderAct: the callback with the model's drawing,
// and the rendering of the window it leaves.
void BM_SliderCallback(benchmark::State& state) {
  if (session(state) == nullptr) return;
  bench::actWidthSlider(state);
  QApplication::processEvents();
}
BENCHMARK(BM_SliderCallback)->Unit(benchmark::kMillisecond);

void BM_MainWindowRender(benchmark::State& state) {
  Program* p = session(state);
  if (p == nullptr) return;
  QWidget* w = p->mainWindow();
  QImage image = canvasFor(w);
  for (auto _ : state) {
    w->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_MainWindowRender)->Unit(benchmark::kMillisecond);

void sliderActRepaint(benchmark::State& state, bool whole) {
  Program* p = session(state);
  if (p == nullptr) return;
  const double slider = tagged("slider1");
  QWidget* w = p->mainWindow();
  double width = 30;
  for (auto _ : state) {
    width = width == 30 ? 31 : 30;
    if (!actAndRepaint(slider, w, width, whole)) {
      state.SkipWithError("the window did not repaint");
      break;
    }
  }
}

void BM_SliderActRepaint(benchmark::State& state) {
  sliderActRepaint(state, false);
}
BENCHMARK(BM_SliderActRepaint)->Unit(benchmark::kMillisecond);

void BM_SliderActRepaintWholeWindow(benchmark::State& state) {
  sliderActRepaint(state, true);
}
BENCHMARK(BM_SliderActRepaintWholeWindow)->Unit(benchmark::kMillisecond);

void BM_PatternAct(benchmark::State& state) {
  Program* p = session(state);
  if (p == nullptr) return;
  const double slider = tagged("slider6");
  double f0 = 1.8;
  for (auto _ : state) {
    f0 = f0 == 1.8 ? 1.9 : 1.8;
    rt::gfx::userAct(slider, {{"Value", rt::scalar(f0)}});
    const double fig = rt::gfx::figures().back();
    QWidget* w = fig == p->mainFigure() ? nullptr : p->qt().window(fig);
    if (w == nullptr) {
      state.SkipWithError("the pattern window did not open");
      break;
    }
    QImage image = canvasFor(w);
    w->render(&image);
    benchmark::DoNotOptimize(image.constBits());
    state.PauseTiming();
    rt::gfx::deleteObject(fig);
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_PatternAct)->Unit(benchmark::kMillisecond);

double msSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Start-up in this process, whose QApplication is already up.
void BM_StartUp(benchmark::State& state) {
  stopSession();
  double teardown = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    std::optional<Program> p;
    bool shown = false;
    try {
      p.emplace();
      QWidget* w = p->mainWindow();
      shown = w != nullptr && PaintWatch(w).wait();
    } catch (const std::exception& e) {
      state.SkipWithError(e.what());
      break;
    }
    state.SetIterationTime(msSince(t0) / 1000);
    const auto t1 = std::chrono::steady_clock::now();
    p.reset();
    teardown += msSince(t1);
    if (!shown) {
      state.SkipWithError("the main window was not painted");
      break;
    }
  }
  state.counters["teardown_ms"] = benchmark::Counter(teardown, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMillisecond);

// The child of BM_StartUpProcess: starts as the program does, writes one
// byte to standard output once the main window has painted, then stops.
// With `systemFonts` the application is made before the front end, which
// then leaves fontconfig to start up by itself, as the program once did.
int startUpChild(bool systemFonts) {
  bool shown = false;
  std::optional<QApplication> app;
  if (systemFonts) app.emplace(gArgc, gArgv);
  {
    Program p;
    QWidget* w = p.mainWindow();
    shown = w != nullptr && PaintWatch(w).wait();
    const char byte = shown ? 'p' : 'x';
    if (::write(STDOUT_FILENO, &byte, 1) != 1) return 2;
  }
  return shown ? 0 : 1;
}

constexpr const char* kChildFlag = "--startup-child";
constexpr const char* kSystemFontsChildFlag = "--startup-child-system-fonts";

// Start-up in a new process of this program, from its launch.
void startUpProcess(benchmark::State& state, const char* childFlag) {
  double teardown = 0;
  for (auto _ : state) {
    int fds[2];
    if (::pipe(fds) != 0) {
      state.SkipWithError("no pipe");
      break;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    char exe[] = "/proc/self/exe";
    std::string flag = childFlag;
    char* argv[] = {exe, flag.data(), nullptr};
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, exe, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    char byte = 0;
    const bool read = rc == 0 && ::read(fds[0], &byte, 1) == 1;
    state.SetIterationTime(msSince(t0) / 1000);
    const auto t1 = std::chrono::steady_clock::now();
    ::close(fds[0]);
    int status = 0;
    if (rc == 0) ::waitpid(pid, &status, 0);
    teardown += msSince(t1);
    if (!read || byte != 'p' || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the child process did not show its window");
      break;
    }
  }
  state.counters["teardown_ms"] = benchmark::Counter(teardown, benchmark::Counter::kAvgIterations);
}

void BM_StartUpProcess(benchmark::State& state) {
  startUpProcess(state, kChildFlag);
}
BENCHMARK(BM_StartUpProcess)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same with fontconfig's own start-up, the way before the program loaded
// its font configuration itself.
void BM_StartUpProcessSystemFonts(benchmark::State& state) {
  startUpProcess(state, kSystemFontsChildFlag);
}
BENCHMARK(BM_StartUpProcessSystemFonts)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc == 2 && std::strcmp(argv[1], kChildFlag) == 0) return startUpChild(false);
  if (argc == 2 && std::strcmp(argv[1], kSystemFontsChildFlag) == 0) return startUpChild(true);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  QApplication app(gArgc, gArgv);
  QGuiApplication::setQuitOnLastWindowClosed(false);
  benchmark::RunSpecifiedBenchmarks();
  stopSession();
  benchmark::Shutdown();
  return 0;
}

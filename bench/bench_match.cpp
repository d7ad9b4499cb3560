// What the Match figure adds to a user act: one drag step of the patch-width
// slider (the callback and the impedance model drawing both axes, on the Qt
// front end offscreen) with the Match figure closed and open. With it open
// the act also recomputes the readout and writes the figure's traces and
// texts; the difference of the two is the figure's cost. Painting is left
// out of the acts, as in bench_session's BM_SliderCallback.
//
//   BM_SliderAct/0        the act with the Match figure closed
//   BM_SliderAct/1        the same act with it open
//   BM_MatchRender        the open Match figure rendered to an image
//
//   bench_match [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <memory>
#include <string>
#include <string_view>

#include "bench_support.h"
#include "design/main_window.h"
#include "figures/match_figure.h"
#include "platform/qt/qt_front_end.h"
#include "window/main_info.h"
#include "window/tessivar.h"

namespace {

using bench::tagged;

int gArgc = 1;
char gName[] = "bench_match";
char* gArgv[] = {gName, nullptr};

// The program's own event loop is replaced by the benchmarks: the Qt front
// end sees every object, and run() runs the benchmarks where the user
// would act.
class BenchFrontEnd : public rt::FrontEnd {
 public:
  BenchFrontEnd() : qt_(std::make_unique<rt::qt::QtFrontEnd>(gArgc, gArgv)) {}
  void objectCreated(double h) override { qt_->objectCreated(h); }
  void objectDeleted(double h) override { qt_->objectDeleted(h); }
  void propertyChanged(double h, const std::string& name) override {
    qt_->propertyChanged(h, name);
  }
  int run() override {
    benchmark::RunSpecifiedBenchmarks();
    for (double f : rt::gfx::figures())
      if (rt::gfx::exists(f)) rt::gfx::deleteObject(f);
    QApplication::processEvents();
    return 0;
  }
  rt::qt::QtFrontEnd& qt() { return *qt_; }

 private:
  std::unique_ptr<rt::qt::QtFrontEnd> qt_;
};

BenchFrontEnd* gFrontEnd = nullptr;

// The worked example of a 1.8 GHz patch (band 1-3 GHz, 30 x 40 mm on
// 1.6 mm of er 4.4, fed 10 mm from the edge), set once.
void setDesign() {
  static bool done = false;
  if (done) return;
  done = true;
  for (auto [tag, text] : {std::pair{"edit5", "1"},
                           {"edit6", "3"},
                           {"edit1", "30"},
                           {"edit2", "40"},
                           {"edit3", "1.6"},
                           {"edit4", "4.4"},
                           {"edit7", "10"}})
    rt::gfx::userAct(tagged(tag), {{"String", rt::str(text)}});
}

void closeMatchFigure() {
  for (double f : rt::gfx::figures())
    if (rt::gfx::prop(f, "Tag").text() == "tessivar_match") rt::gfx::deleteObject(f);
  QApplication::processEvents();
}

void BM_SliderAct(benchmark::State& state) {
  setDesign();
  const bool open = state.range(0) != 0;
  if (open)
    figures::openMatchFigure();
  else
    closeMatchFigure();
  QApplication::processEvents();
  bench::actWidthSlider(state);
  // The repaints the acts asked for are the renderer's cost (BM_MatchRender
  // here, bench_session for the main window): painting between the acts
  // keeps the renderer's threads busy into the next act on a shared machine.
  QApplication::processEvents();
  // The figure must have followed the last act.
  if (open && figures::matchReadouts().model->rAtResonance !=
                  antenna::computeReadout(*design::shownImpedance(), 50).rAtResonance)
    state.SkipWithError("the Match figure did not follow the act");
}
BENCHMARK(BM_SliderAct)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_MatchRender(benchmark::State& state) {
  setDesign();
  QWidget* w = gFrontEnd->qt().window(figures::openMatchFigure());
  if (w == nullptr) {
    state.SkipWithError("the Match figure has no window");
    return;
  }
  QImage image(w->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    image.fill(Qt::white);
    w->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_MatchRender)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  auto fe = std::make_unique<BenchFrontEnd>();
  gFrontEnd = fe.get();
  rt::setFrontEnd(std::move(fe));
  const int status = rt::runMain(gArgc, gArgv, tessivar::byName, 0, mainInfo);
  rt::setFrontEnd(nullptr);
  return status;
}

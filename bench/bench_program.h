// The program as the benchmarks that drive its Qt windows start it: the
// start-up record's libraries and modules, the main module, then the Qt
// front end, with a watch on a widget's paint events and the worked
// example's design typed into the edit boxes.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QWidget>
#include <memory>
#include <string>

#include "bench_support.h"
#include "platform/qt/qt_front_end.h"
#include "window/main_info.h"
#include "window/tessivar.h"

namespace bench {

// Notes the paint events a widget receives.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(QWidget* w) : w_(w) { w_->installEventFilter(this); }
  ~PaintWatch() override { w_->removeEventFilter(this); }
  PaintWatch(const PaintWatch&) = delete;
  PaintWatch& operator=(const PaintWatch&) = delete;
  bool painted = false;

  // Runs the event loop until the widget has painted (at most two seconds).
  bool wait() {
    QElapsedTimer t;
    t.start();
    while (!painted && t.elapsed() < 2000) QApplication::processEvents(QEventLoop::AllEvents, 5);
    return painted;
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) painted = true;
    return false;
  }

 private:
  QWidget* w_;
};

// One act of the width slider, then the event loop until the shown window
// has repainted. `whole` asks for the whole window besides, as every act did
// before a change repainted only the axes it belonged to. Not inlined, so
// that callgrind can count it alone (--toggle-collect).
[[gnu::noinline]] inline bool actAndRepaint(double slider, QWidget* w, double width, bool whole) {
  PaintWatch watch(w);
  rt::gfx::userAct(slider, {{"Value", rt::scalar(width)}});
  if (whole) w->update();
  return watch.wait();
}

// A white canvas the size of a window, to render it into.
inline QImage canvasFor(const QWidget* w) {
  QImage image(w->size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  return image;
}

// Times acts of the width slider, each with the rendering into `image` of
// the window `w` it leaves. The updates the widgets asked for run untimed:
// they are another benchmark's subject.
inline void timeSliderActs(benchmark::State& state, QWidget* w, QImage& image) {
  const double slider = tagged("slider1");
  double width = 30;
  for (auto _ : state) {
    width = width == 30 ? 31 : 30;
    rt::gfx::userAct(slider, {{"Value", rt::scalar(width)}});
    w->render(&image);
    benchmark::DoNotOptimize(image.constBits());
    state.PauseTiming();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}

// Started as runMain starts it, stopped as runMain stops it. The
// QApplication must exist already.
class Program {
 public:
  Program() {
    previous_ = rt::gfx::setMainInfo(&mainInfo);
    try {
      for (const rt::InitTermPair& p : init_term_table) {
        p.initialize();
        ++initialised_;
      }
      tessivar::call();
      static int argc = 1;
      static char name[] = "bench";
      static char* argv[] = {name, nullptr};
      auto fe = std::make_unique<rt::qt::QtFrontEnd>(argc, argv);
      qt_ = fe.get();
      rt::setFrontEnd(std::move(fe));
    } catch (...) {
      stop();
      throw;
    }
    for (double f : rt::gfx::figures())
      if (rt::gfx::prop(f, "Tag").text() == "figure1") main_ = f;
  }
  ~Program() { stop(); }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  rt::qt::QtFrontEnd& qt() { return *qt_; }
  double mainFigure() const { return main_; }
  QWidget* mainWindow() const { return qt_->window(main_); }

 private:
  void stop() {
    if (initialised_ == init_term_table.size()) {
      for (double f : rt::gfx::figures())
        if (rt::gfx::exists(f)) rt::gfx::deleteObject(f);
    }
    if (QCoreApplication::instance() != nullptr) QApplication::processEvents();
    while (initialised_ > 0) init_term_table[--initialised_].terminate();
    rt::setFrontEnd(nullptr);
    rt::gfx::setMainInfo(previous_);
  }

  const rt::MainInfo* previous_ = nullptr;
  std::size_t initialised_ = 0;
  rt::qt::QtFrontEnd* qt_ = nullptr;
  double main_ = -1;
};

// The worked example of a 1.8 GHz patch typed in as a user would: band
// 1-3 GHz, W 30 mm, L 40 mm, H 1.6 mm, er 4.4, feed 10 mm from the edge.
// Empty when both impedance axes show their 1000-point curves, else what is
// wrong.
inline std::string setDesign() {
  const char* const entries[][2] = {{"edit5", "1"},  {"edit6", "3"},   {"edit1", "30"},
                                    {"edit2", "40"}, {"edit3", "1.6"}, {"edit4", "4.4"},
                                    {"edit7", "10"}};
  for (const auto& [tag, text] : entries) rt::gfx::userAct(tagged(tag), {{"String", S(text)}});
  for (const char* ax : {"axes1", "axes2"}) {
    std::size_t points = 0;
    for (double h : rt::gfx::children(tagged(ax)))
      if (rt::gfx::type(h) == "line") points = rt::gfx::prop(h, "YData").numel();
    if (points != 1000) return std::string(ax) + " does not show the impedance curve";
  }
  return {};
}

// One program for a benchmark binary's acts, up until stopSession(): the
// modules can be up only once at a time. Null, with the benchmark skipped
// and the reason given, when the program did not start.
inline std::unique_ptr<Program> gSession;
inline std::string gSessionFailure;

inline Program* session(benchmark::State& state) {
  if (!gSession && gSessionFailure.empty()) {
    try {
      gSession = std::make_unique<Program>();
      if (gSession->mainWindow() == nullptr) gSessionFailure = "the main window did not open";
      if (gSessionFailure.empty()) gSessionFailure = setDesign();
      if (gSessionFailure.empty()) PaintWatch(gSession->mainWindow()).wait();
    } catch (const std::exception& e) {
      gSessionFailure = e.what();
    }
    if (!gSessionFailure.empty()) gSession.reset();
  }
  if (!gSessionFailure.empty()) {
    state.SkipWithError(gSessionFailure.c_str());
    return nullptr;
  }
  return gSession.get();
}

inline void stopSession() {
  gSession.reset();
  gSessionFailure.clear();
}

}  // namespace bench

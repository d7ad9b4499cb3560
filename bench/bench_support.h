// What the benchmarks that drive the program's windows share: a short name
// for text arguments, the walk that finds a window's object by its tag and
// the slider moves they time.
#pragma once

#include <benchmark/benchmark.h>

#include <string_view>

#include "platform/array/array.h"
#include "platform/graphics/graphics.h"

namespace bench {

inline rt::Array S(const char* s) {
  return rt::str(s);
}

// The object tagged `tag` at or below `h` (-1 when there is none). The main
// window's objects are hidden from searches outside callbacks, so this walks
// the object tree.
inline double below(double h, std::string_view tag) {
  if (rt::gfx::prop(h, "Tag").text() == tag) return h;
  for (double c : rt::gfx::children(h))
    if (double found = below(c, tag); found >= 0) return found;
  return -1;
}

// The object tagged `tag` in any open figure (-1 when there is none).
inline double tagged(const char* tag) {
  for (double f : rt::gfx::figures())
    if (double h = below(f, tag); h >= 0) return h;
  return -1;
}

// Moves the patch-width slider between 30 and 31 mm once an iteration, as a
// user would: each act runs the slider's callback.
inline void actWidthSlider(benchmark::State& state) {
  const double slider = tagged("slider1");
  double width = 30;
  for (auto _ : state) {
    width = width == 30 ? 31 : 30;
    rt::gfx::userAct(slider, {{"Value", rt::scalar(width)}});
  }
}

}  // namespace bench

// Reads the main window through the graphics runtime by tag, as the
// program's own callbacks do.
#include "rf/design_io.h"

#include <cmath>
#include <complex>
#include <cstdio>
#include <stdexcept>
#include <string_view>

#include "platform/files/atomic_file.h"
#include "platform/graphics/graphics.h"
#include "rf/touchstone.h"

namespace rf {
namespace {

double below(double h, std::string_view tag) {
  if (rt::gfx::prop(h, "Tag").text() == tag) return h;
  for (double c : rt::gfx::children(h))
    if (double found = below(c, tag); !std::isnan(found)) return found;
  return NAN;
}

// The first object with this tag (NaN when none). The window hides its
// objects from searches outside its callbacks, so the tree is walked.
double tagged(const char* tag) {
  for (double f : rt::gfx::figures())
    if (double h = below(f, tag); !std::isnan(h)) return h;
  return NAN;
}

// The newest line of the axes with this tag (NaN when none).
double newestLine(const char* axesTag) {
  const double ax = tagged(axesTag);
  if (std::isnan(ax)) return NAN;
  double newest = NAN;
  for (double c : rt::gfx::children(ax))
    if (rt::gfx::type(c) == "line") newest = c;
  return newest;
}

std::vector<double> values(double h, const char* name) {
  const rt::Array& a = rt::gfx::prop(h, name);
  return {a.re().begin(), a.re().end()};
}

double sliderValue(const char* tag) {
  const double h = tagged(tag);
  return std::isnan(h) ? NAN : rt::gfx::prop(h, "Value").scalar();
}

std::string number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", v);
  return buf;
}

}  // namespace

std::optional<Sweep> shownImpedance() {
  const double lr = newestLine("axes1"), lx = newestLine("axes2");
  if (std::isnan(lr) || std::isnan(lx)) return std::nullopt;
  Sweep s{values(lr, "XData"), values(lr, "YData"), values(lx, "YData")};
  if (s.ghz.empty() || s.r.size() != s.ghz.size() || s.x.size() != s.ghz.size() ||
      values(lx, "XData") != s.ghz)
    return std::nullopt;
  return s;
}

ShownData shownData() {
  ShownData d;
  d.lineR = newestLine("axes1");
  d.lineX = newestLine("axes2");
  if (!std::isnan(d.lineR)) {
    d.xr = rt::gfx::prop(d.lineR, "XData").id();
    d.yr = rt::gfx::prop(d.lineR, "YData").id();
  }
  if (!std::isnan(d.lineX)) {
    d.xx = rt::gfx::prop(d.lineX, "XData").id();
    d.yx = rt::gfx::prop(d.lineX, "YData").id();
  }
  // NaN never compares equal: a missing line is kept as 0.
  if (std::isnan(d.lineR)) d.lineR = 0;
  if (std::isnan(d.lineX)) d.lineX = 0;
  return d;
}

bool bandDrawsNothing() {
  auto limit = [](const char* tag) {
    const double h = tagged(tag);
    return std::isnan(h) ? NAN : rt::str2double(rt::gfx::prop(h, "String")).scalar();
  };
  return !(limit("edit6") > limit("edit5"));
}

std::string designSummary() {
  return "W = " + number(sliderValue("slider1")) + " mm, L = " + number(sliderValue("slider2")) +
         " mm, H = " + number(sliderValue("slider3")) +
         " mm, er = " + number(sliderValue("slider4")) +
         ", offset = " + number(sliderValue("slider5")) + " mm";
}

void saveTouchstone(const std::string& path, double z0) {
  if (!(std::isfinite(z0) && z0 > 0))
    throw std::runtime_error("Z0 must be a finite positive number of ohms");
  const std::optional<Sweep> s = shownImpedance();
  if (!s) throw std::runtime_error("no impedance has been computed yet: set a band first");
  OnePort data{s->ghz, {}, z0};
  for (std::size_t i = 0; i < s->ghz.size(); ++i)
    data.s11.push_back(reflection({s->r[i], s->x[i]}, z0));
  const std::string failure = rt::writeFileAtomically(
      path,
      formatTouchstone(data,
                       {"tessivar: rectangular microstrip patch, S11 from the input impedance",
                        designSummary()}),
      "\"" + path + "\"");
  if (!failure.empty()) throw std::runtime_error(failure);
}

}  // namespace rf

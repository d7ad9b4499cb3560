// A whole run of the program without a display: rt::runMain with the real
// start-up record, and a front end whose run() carries out the test's steps
// where the event loop would wait for the user, then closes every figure.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/graphics/graphics.h"
#include "shell/main_info.h"
#include "shell/tessivar.h"

namespace session {

inline void closeAllFigures() {
  for (double f : rt::gfx::figures())
    if (rt::gfx::exists(f)) rt::gfx::deleteObject(f);
}

class Headless : public rt::FrontEnd {
 public:
  explicit Headless(std::function<void()> steps) : steps_(std::move(steps)) {}
  int run() override {
    ran = true;
    steps_();
    closeAllFigures();
    return 0;
  }
  bool ran = false;

 private:
  std::function<void()> steps_;
};

// Runs the program with `steps` in place of the user; gives runMain's result.
inline int run(std::function<void()> steps) {
  auto fe = std::make_unique<Headless>(std::move(steps));
  Headless* seen = fe.get();
  rt::setFrontEnd(std::move(fe));
  static char name[] = "tessivar";
  static char* argv[] = {name, nullptr};
  int status = rt::runMain(1, argv, tessivar::byName, 0, mainInfo);
  bool ran = seen->ran;
  rt::setFrontEnd(nullptr);
  return ran ? status : -1;  // -1: the window never opened
}

inline double mainWindow() {
  for (double f : rt::gfx::figures())
    if (rt::gfx::prop(f, "Tag").text() == "figure1") return f;
  return -1;
}

inline void below(double h, std::vector<double>& out) {
  out.push_back(h);
  for (double c : rt::gfx::children(h)) below(c, out);
}

// The object of the main window with this tag (-1 when there is none).
inline double tagged(std::string_view tag) {
  return rt::findByTag(mainWindow(), tag).value_or(-1);
}

inline const rt::Array& prop(std::string_view tag, std::string_view name) {
  return rt::gfx::prop(tagged(tag), name);
}
inline std::string text(std::string_view tag, std::string_view name = "String") {
  return prop(tag, name).text();
}
inline double number(std::string_view tag, std::string_view name = "Value") {
  return prop(tag, name).scalar();
}
inline std::vector<double> values(const rt::Array& a) {
  return {a.re().begin(), a.re().end()};
}

// The user types `text` into an edit box and presses Enter.
inline void type(std::string_view tag, std::string_view text) {
  rt::gfx::userAct(tagged(tag), {{"String", rt::str(text)}});
}
// The user moves a slider.
inline void slide(std::string_view tag, double v) {
  rt::gfx::userAct(tagged(tag), {{"Value", rt::scalar(v)}});
}

// The newest line of the axes with this tag, if any.
inline std::optional<double> line(std::string_view axesTag) {
  std::optional<double> newest;
  for (double c : rt::gfx::children(tagged(axesTag)))
    if (rt::gfx::type(c) == "line") newest = c;
  return newest;
}
inline std::size_t lineCount(std::string_view axesTag) {
  std::size_t n = 0;
  for (double c : rt::gfx::children(tagged(axesTag))) n += rt::gfx::type(c) == "line" ? 1 : 0;
  return n;
}

// The data of the newest line of an axes (empty when it has none).
inline std::vector<double> data(std::string_view axes, std::string_view which) {
  auto l = line(axes);
  return l ? values(rt::gfx::prop(*l, which)) : std::vector<double>{};
}
inline std::vector<double> limits(std::string_view axes, std::string_view which) {
  return values(prop(axes, which));
}

// [min max] of the finite values.
inline std::vector<double> range(const std::vector<double>& v) {
  std::vector<double> finite;
  std::copy_if(v.begin(), v.end(), std::back_inserter(finite),
               [](double x) { return std::isfinite(x); });
  if (finite.empty()) return {};
  auto [lo, hi] = std::minmax_element(finite.begin(), finite.end());
  return {*lo, *hi};
}

// The impedance axes are fitted tightly to their lines.
inline void expectFitted(std::initializer_list<const char*> axes = {"axes1", "axes2"}) {
  for (const char* ax : axes) {
    SCOPED_TRACE(ax);
    ASSERT_TRUE(line(ax).has_value());
    EXPECT_EQ(limits(ax, "XLim"), range(data(ax, "XData")));
    EXPECT_EQ(limits(ax, "YLim"), range(data(ax, "YData")));
  }
}

}  // namespace session

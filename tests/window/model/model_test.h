// Shared set-up of the model and support tests: the runtime libraries and
// every module initialised around each test as a run of the program does, with
// no array left alive after; and a window with the controls and axes the
// models read.
#pragma once

#include <array>

#include "platform/graphics/headless.h"
#include "window/main_info.h"
#include "window/model/offset_impedance.h"
#include "window/model/pattern.h"
#include "window/toolbox/guihandles.h"
#include "window/toolbox/iskeyword.h"
#include "window/toolbox/isvarname.h"
#include "window/toolbox/labels.h"
#include "window/toolbox/surf.h"

namespace model_test {

using gtest_graphics::errorOf, gtest_graphics::ofType, gtest_graphics::values;
using rt::scalar, rt::str;

// A patch design as the window holds it: sizes in mm, band limits as text,
// the pattern frequency in GHz.
struct Design {
  double W, L, H, er, offset;
  const char* fmin = "1";
  const char* fmax = "3";
  double patternGHz = 0;
};

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    live_ = rt::liveArrays();
    for (const rt::InitTermPair& p : init_term_table) p.initialize();
  }
  void TearDown() override {
    window_ = ax_[0] = ax_[1] = rt::Array();
    controls_.clear();
    for (double f : rt::gfx::figures()) rt::gfx::deleteObject(f);
    for (auto p = init_term_table.rbegin(); p != init_term_table.rend(); ++p) p->terminate();
    EXPECT_EQ(rt::liveArrays(), live_) << "arrays left alive after the test";
  }

  // The sliders and edit boxes the models read and the two axes the
  // impedance is drawn into, tagged as in the main window.
  void openWindow(const char* nextPlot = "replacechildren") {
    window_ = rt::figure({str("Tag"), str("figure1")});
    for (const char* tag : {"slider1", "slider2", "slider3", "slider4", "slider5", "slider6"})
      controls_.push_back(rt::uicontrol({str("Style"), str("slider"), str("Tag"), str(tag),
                                         str("Min"), scalar(-1e6), str("Max"), scalar(1e6)}));
    for (const char* tag : {"edit5", "edit6"})
      controls_.push_back(rt::uicontrol({str("Style"), str("edit"), str("Tag"), str(tag)}));
    for (int i : {0, 1})
      ax_[i] = rt::axes({str("Tag"), str(i ? "axes2" : "axes1"), str("NextPlot"), str(nextPlot)});
  }

  // Puts a design into the window and gives the window's handles record.
  rt::Array handles(const Design& d) {
    const double v[] = {d.W, d.L, d.H, d.er, d.offset, d.patternGHz};
    for (int i = 0; i < 6; ++i) rt::set(controls_[i], {str("Value"), scalar(v[i])});
    rt::set(controls_[6], {str("String"), str(d.fmin)});
    rt::set(controls_[7], {str("String"), str(d.fmax)});
    return guihandles::call(window_);
  }

  rt::Array window_;
  std::vector<rt::Array> controls_;
  std::array<rt::Array, 2> ax_;

 private:
  std::size_t live_ = 0;
};

}  // namespace model_test

// Shared set-up of the model tests: both runtime libraries and the modules a
// model needs, initialised around each test, with no array left alive after.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/array/array.h"
#include "platform/graphics/graphics.h"
#include "platform/graphics/headless.h"

namespace model_test {

using gtest_graphics::errorOf;
using rt::scalar;
using rt::str;

inline std::vector<double> values(const rt::Array& a) {
  return {a.re().begin(), a.re().end()};
}

// A tagged slider that takes any value.
inline rt::Array slider(const char* tag) {
  return rt::uicontrol({str("Style"), str("slider"), str("Tag"), str(tag), str("Min"), scalar(-1e6),
                        str("Max"), scalar(1e6)});
}

// The children of `parent` of one type.
inline std::vector<double> ofType(double parent, const char* type) {
  std::vector<double> out;
  for (double h : rt::gfx::children(parent))
    if (rt::gfx::type(h) == type) out.push_back(h);
  return out;
}

using Module = std::pair<void (*)(), void (*)()>;

class ModelTest : public ::testing::Test {
 protected:
  explicit ModelTest(std::vector<Module> modules) : modules_(std::move(modules)) {}
  void SetUp() override {
    live_ = rt::liveArrays();
    rt::arrayLibraryInitialize();
    rt::graphicsLibraryInitialize();
    for (const Module& m : modules_) m.first();
  }
  // A derived fixture drops the arrays it holds before calling this.
  void TearDown() override {
    for (double f : rt::gfx::figures()) rt::gfx::deleteObject(f);
    for (auto m = modules_.rbegin(); m != modules_.rend(); ++m) m->second();
    rt::graphicsLibraryTerminate();
    rt::arrayLibraryTerminate();
    EXPECT_EQ(rt::liveArrays(), live_) << "arrays left alive after the model ran";
  }

 private:
  std::vector<Module> modules_;
  std::size_t live_ = 0;
};

}  // namespace model_test

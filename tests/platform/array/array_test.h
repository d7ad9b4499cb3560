// Helpers shared by the array runtime tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/array/array.h"

namespace array_test {

using rt::Array;
using V = std::vector<double>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

inline const auto values = [](const Array& a) { return V(a.re().begin(), a.re().end()); };

// The message of the rt::Error that `f` raises ("" when none).
inline std::string errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const rt::Error& e) {
    return e.what();
  }
  return "";
}

}  // namespace array_test

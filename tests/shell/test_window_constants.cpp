// The main module's constants: every name, number, text and vector that the
// window's creation calls pass is one constant, made when the module starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <set>
#include <string>

#include "shell/test_window_session.h"

namespace {

// The class, size and content of a value, so that equal values give equal keys.
std::string key(const rt::Array& a) {
  if (a.isNull()) return "null";
  std::string k = std::to_string(static_cast<int>(a.classId())) + ":" + std::to_string(a.rows()) +
                  "x" + std::to_string(a.cols()) + ":";
  if (a.isCell()) {
    for (const rt::Array& c : a.cells()) k += "{" + key(c) + "}";
    return k;
  }
  for (double d : a.re()) k += std::to_string(std::bit_cast<std::uint64_t>(d)) + ",";
  return k;
}

TEST(WindowConstants, EachValueIsOneConstantMadeAtStartUp) {
  std::vector<std::string> keys;
  ASSERT_EQ(session::run([&] {
              for (std::size_t i = 0; i < tessivar::Def::constants.size(); ++i)
                keys.push_back(key(tessivar::Def::constants.at(i)));
            }),
            0);
  EXPECT_EQ(keys.size(), 280u);
  EXPECT_EQ(std::count(keys.begin(), keys.end(), "null"), 0) << "a constant was never made";
  EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), keys.size())
      << "a value is held by two constants";
  // The figure's colour map is the one figures start with.
  const std::vector<double> map = rt::defaultColormap();
  EXPECT_EQ(std::count(keys.begin(), keys.end(), key(rt::matrix(64, 3, map))), 1);
}

}  // namespace

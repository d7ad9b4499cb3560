// Helpers shared by the array runtime tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/array/array.h"

namespace array_test {

using rt::Array;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

inline std::vector<double> values(const Array& a) {
  return {a.re().begin(), a.re().end()};
}

// The message of the rt::Error that `f` raises, or "(no error)".
inline std::string messageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const rt::Error& e) {
    return e.what();
  }
  return "(no error)";
}

// Captures what a block writes to a standard stream.
class Capture {
 public:
  explicit Capture(std::ostream& s) : s_(s), old_(s.rdbuf(buf_.rdbuf())) {}
  ~Capture() { s_.rdbuf(old_); }
  std::string text() const { return buf_.str(); }

 private:
  std::ostream& s_;
  std::ostringstream buf_;
  std::streambuf* old_;
};

}  // namespace array_test

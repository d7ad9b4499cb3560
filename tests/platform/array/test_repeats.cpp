// Element-wise functions on grids with repeated values: sin, cos, exp and log
// reuse the result of an equal element, which must never change a result.
#include <cmath>

#include "platform/array/array_test.h"

namespace {

using namespace array_test;

struct Fn {
  const char* name;
  Array (*runtime)(const Array&);
};

const Fn kFns[] = {{"sin", &rt::sin}, {"cos", &rt::cos}, {"exp", &rt::exp}, {"log", &rt::log}};

// Each element of f(a) has the bits of the function applied to that element
// alone, whatever the vector width the machine runs.
void expectElementwise(std::size_t rows, std::size_t cols, const V& byColumns) {
  for (const Fn& f : kFns) {
    const Array r = f.runtime(rt::matrix(rows, cols, byColumns));
    ASSERT_EQ(r.rows(), rows);
    ASSERT_EQ(r.cols(), cols);
    ASSERT_FALSE(r.isComplex()) << f.name;
    for (std::size_t i = 0; i < byColumns.size(); ++i) {
      const double want = f.runtime(rt::scalar(byColumns[i])).re()[0], got = r.re()[i];
      if (std::isnan(want)) {
        EXPECT_TRUE(std::isnan(got)) << f.name << " element " << i;
      } else {
        EXPECT_EQ(got, want) << f.name << " element " << i;
        EXPECT_EQ(std::signbit(got), std::signbit(want)) << f.name << " element " << i;
      }
    }
  }
}

TEST(ArrayRepeats, EveryElementGetsItsOwnResult) {
  // Columns as meshgrid makes them, columns that repeat all but their last
  // element, runs broken in the middle or at the end.
  expectElementwise(4, 7,
                    {0.5, 0.5,  0.5,  0.5, 0.5, 0.5,  0.5, 0.5, 0.5, 0.5, 0.5, 0.75, 0.25, 0.5,
                     0.5, 0.75, 0.25, 0.5, 0.5, 0.75, 2.0, 2.0, 3.0, 2.0, 1.0, 1.0,  1.0,  2.0});
  // 0 and -0 compare equal but are not repeats of each other; NaN repeats
  // only in its bits.
  expectElementwise(2, 3, {0.0, -0.0, 0.0, -0.0, -0.0, -0.0});
  expectElementwise(3, 2, {kNaN, kNaN, 1.0, kNaN, kNaN, 1.0});
  const V run = {1.0, 1.0, 2.0, 2.0, 2.0, 1.0, 1.0};
  expectElementwise(1, run.size(), run);
  expectElementwise(run.size(), 1, run);
  EXPECT_EQ(rt::sin(rt::zeros(0, 3)).cols(), 3u);
}

}  // namespace

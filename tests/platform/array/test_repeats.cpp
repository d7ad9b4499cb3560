// Element-wise functions on grids with repeated values: sin, cos, exp and log
// reuse the result of an equal element, which must never change a result.
#include <cmath>

#include "platform/array/array_test.h"

namespace {

using namespace array_test;

// Each element of f(a), for each of the four functions, has the bits of the
// function applied to that element alone.
void expectElementwise(std::size_t rows, std::size_t cols, const V& byColumns) {
  const std::pair<Array (*)(const Array&), double (*)(double)> fns[] = {
      {&rt::sin, [](double x) { return std::sin(x); }},
      {&rt::cos, [](double x) { return std::cos(x); }},
      {&rt::exp, [](double x) { return std::exp(x); }},
      {&rt::log, [](double x) { return std::log(x); }}};
  for (std::size_t f = 0; f < 4; ++f) {
    const Array r = fns[f].first(rt::matrix(rows, cols, byColumns));
    ASSERT_EQ(r.rows(), rows);
    ASSERT_EQ(r.cols(), cols);
    for (std::size_t i = 0; i < byColumns.size(); ++i) {
      const double want = fns[f].second(byColumns[i]), got = r.re()[i];
      EXPECT_TRUE(std::isnan(want) ? std::isnan(got)
                                   : got == want && std::signbit(got) == std::signbit(want))
          << "function " << f << " element " << i << ": " << got << " for " << want;
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

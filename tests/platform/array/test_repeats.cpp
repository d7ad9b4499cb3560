// Element-wise functions on grids with repeated values: sin, cos, exp and log
// reuse the result of an equal element, which must never change a result.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/array/array.h"

namespace {

using rt::Array;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Fn {
  const char* name;
  Array (*runtime)(const Array&);
  double (*libm)(double);
};

const Fn kFns[] = {
    {"sin", &rt::sin, [](double x) { return std::sin(x); }},
    {"cos", &rt::cos, [](double x) { return std::cos(x); }},
    {"exp", &rt::exp, [](double x) { return std::exp(x); }},
    {"log", &rt::log, [](double x) { return std::log(x); }},
};

// Each element of f(a) has the bits of the function applied to that element.
void expectElementwise(const Fn& f, std::size_t rows, std::size_t cols,
                       const std::vector<double>& byColumns) {
  const Array a = rt::matrix(rows, cols, byColumns);
  const Array r = f.runtime(a);
  ASSERT_EQ(r.rows(), rows);
  ASSERT_EQ(r.cols(), cols);
  ASSERT_FALSE(r.isComplex()) << f.name;
  for (std::size_t i = 0; i < byColumns.size(); ++i) {
    const double want = f.libm(byColumns[i]);
    const double got = r.re()[i];
    if (std::isnan(want)) {
      EXPECT_TRUE(std::isnan(got)) << f.name << " element " << i;
    } else {
      EXPECT_EQ(got, want) << f.name << " element " << i;
      EXPECT_EQ(std::signbit(got), std::signbit(want)) << f.name << " element " << i;
    }
  }
}

TEST(ArrayRepeats, GridsLikeMeshgridGiveEveryElementItsOwnResult) {
  // Constant down each column and repeating columns, as meshgrid makes them;
  // then columns that repeat all but their last element, a column whose
  // value changes only in its last element, and runs broken in the middle.
  const std::size_t rows = 4;
  std::vector<double> cols = {
      0.5,  0.5, 0.5, 0.5,   // constant column
      0.5,  0.5, 0.5, 0.5,   // repeats the one before
      0.5,  0.5, 0.5, 0.75,  // repeats it but for its last element
      0.25, 0.5, 0.5, 0.75,  // repeats the one before in no place
      0.25, 0.5, 0.5, 0.75,  // repeats it whole
      2.0,  2.0, 3.0, 2.0,   // a run that breaks and resumes
      1.0,  1.0, 1.0, 2.0,   // a run that breaks at the end
  };
  for (const Fn& f : kFns) expectElementwise(f, rows, cols.size() / rows, cols);
}

TEST(ArrayRepeats, EqualValuesOfOtherBitsAreNotTakenForRepeats) {
  // 0 and -0 compare equal, yet sin, like log, tells them apart; a NaN
  // repeats itself only in its bits, and its result stays NaN.
  const std::vector<double> zeros = {0.0, -0.0, 0.0, -0.0, -0.0, -0.0};
  const Array s = rt::sin(rt::matrix(2, 3, zeros));
  for (std::size_t i = 0; i < zeros.size(); ++i)
    EXPECT_EQ(std::signbit(s.re()[i]), std::signbit(zeros[i])) << "element " << i;
  const Array l = rt::log(rt::matrix(3, 2, zeros));
  EXPECT_FALSE(l.isComplex());
  for (double v : l.re()) EXPECT_EQ(v, -std::numeric_limits<double>::infinity());

  const std::vector<double> nans = {kNaN, kNaN, 1.0, kNaN, kNaN, 1.0};
  for (const Fn& f : kFns) expectElementwise(f, 3, 2, nans);
}

TEST(ArrayRepeats, RowsAndColumnsAreOneRunOfElements) {
  const std::vector<double> v = {1.0, 1.0, 2.0, 2.0, 2.0, 1.0, 1.0};
  for (const Fn& f : kFns) {
    expectElementwise(f, 1, v.size(), v);
    expectElementwise(f, v.size(), 1, v);
  }
  // Empty arrays keep their size.
  const Array e = rt::sin(rt::zeros(0, 3));
  EXPECT_EQ(e.rows(), 0u);
  EXPECT_EQ(e.cols(), 3u);
}

}  // namespace

// Arithmetic, elementary functions, comparisons and numeric constructors.
// sin, cos, exp and log reuse the result of an equal element of a grid with
// repeated values, which must never change a result.
#include <cmath>

#include "platform/array/array_test.h"

namespace {

using namespace array_test;

TEST(ArrayArith, OperatorsAreElementWiseWithScalarExpansionAndKeepZeroImaginaryParts) {
  // 1/(u+iv) = (u-iv)/(u^2+v^2), element by element.
  const double u[] = {3.0, 0.5, -2.0};
  const double v[] = {4.0, -0.25, 1e-3};
  const Array q = rt::rdivide(rt::scalar(1), rt::complexMatrix(1, 3, u, v));
  ASSERT_TRUE(q.isComplex());
  for (int k = 0; k < 3; ++k) {
    const double den = u[k] * u[k] + v[k] * v[k];
    EXPECT_EQ(q.re()[k], u[k] / den);
    EXPECT_EQ(q.im()[k], -v[k] / den);
  }
  const Array p = rt::times(rt::complexScalar(0, 1), rt::complexScalar(0, 1));  // i*i
  ASSERT_TRUE(p.isComplex());
  EXPECT_EQ(p.re()[0], -1.0);
  EXPECT_FALSE(rt::real(p).isComplex());

  // Two rows of one size: a matrix product or division in place of the
  // element-wise one would raise, and - and / show the operand order.
  const Array a = rt::row({6, -3}), b = rt::row({2, 4});
  EXPECT_EQ(values(a - b), (V{4, -7}));
  EXPECT_EQ(values(a * b), (V{12, -12}));
  EXPECT_EQ(values(a / b), (V{3, -0.75}));
  EXPECT_EQ(values(rt::scalar(3) / b), (V{1.5, 0.75}));
  EXPECT_EQ(values(rt::plus(rt::str("AB"), rt::logicalScalar(true))), (V{66, 67}));
  EXPECT_EQ(rt::times(rt::scalar(2), rt::emptyDouble()).numel(), 0u);

  const Array r = rt::row({1, 2, 3});
  for (auto op : {rt::plus, rt::minus, rt::times, rt::rdivide})
    EXPECT_EQ(errorOf([&] {
                op(r, rt::matrix(3, 1, V{1, 2, 3}));
              }),
              "Matrix dimensions must agree.");
  EXPECT_THROW(rt::plus(r, rt::cellRow({rt::scalar(1)})), rt::Error);
}

TEST(ArrayArith, ComparisonsLogicAndTruthWithNaN) {
  const Array n = rt::row({kNaN, 1.0});
  EXPECT_EQ(values(rt::eq(n, n)), (V{0, 1}));
  EXPECT_FALSE(rt::gtBool(rt::scalar(kNaN), rt::scalar(kNaN)));
  EXPECT_FALSE(rt::leBool(rt::scalar(kNaN), rt::scalar(1)));
  EXPECT_EQ(values(rt::eq(rt::str("aXa"), rt::str("a"))), (V{1, 0, 1}));
  EXPECT_EQ(values(rt::not_(rt::row({0, 2, kNaN}))), (V{1, 0, 0}));
  EXPECT_FALSE(rt::tobool(rt::emptyDouble()));
  EXPECT_TRUE(rt::tobool(rt::scalar(kNaN)));
  EXPECT_FALSE(rt::tobool(rt::row({1, 0})));
  EXPECT_THROW(rt::tobool(rt::cellRow({rt::scalar(1)})), rt::Error);
}

TEST(ArrayArith, LinspaceEndsExactlyOnItsLimits) {
  const Array f = rt::linspace(rt::scalar(1), rt::scalar(3), rt::scalar(1000));
  ASSERT_EQ(f.cols(), 1000u);
  // Every point is a + (k*(b-a))/(n-1); a precomputed step or a running sum
  // differ from it at several points.
  for (std::size_t k = 0; k < 1000; ++k)
    ASSERT_EQ(f.re()[k], 1 + (static_cast<double>(k) * 2.0) / 999) << k;
  EXPECT_EQ(rt::linspace(rt::scalar(0), rt::scalar(1), rt::scalar(0)).numel(), 0u);
  EXPECT_EQ(values(rt::linspace(rt::scalar(0), rt::scalar(5), rt::scalar(1))), (V{5}));
}

// Each element of f(a), for each of the four functions, has the bits of the
// function applied to that element alone, whatever the vector width.
void expectElementwise(std::size_t rows, std::size_t cols, const V& byColumns) {
  using Fn = Array (*)(const Array&);
  for (Fn f : std::initializer_list<Fn>{&rt::sin, &rt::cos, &rt::exp, &rt::log}) {
    const Array r = f(rt::matrix(rows, cols, byColumns));
    ASSERT_EQ(r.rows(), rows);
    ASSERT_EQ(r.cols(), cols);
    for (std::size_t i = 0; i < byColumns.size(); ++i) {
      const double want = f(rt::scalar(byColumns[i])).re()[0], got = r.re()[i];
      EXPECT_TRUE(std::isnan(want) ? std::isnan(got)
                                   : got == want && std::signbit(got) == std::signbit(want))
          << "element " << i << ": " << got << " for " << want;
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

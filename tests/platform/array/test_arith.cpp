// Arithmetic, elementary functions, comparisons and numeric constructors.
#include <cmath>

#include "platform/array/array_test.h"

namespace {

using namespace array_test;

TEST(ArrayArith, ComplexArithmeticKeepsItsZeroImaginaryParts) {
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
  const Array w = rt::mrdivide(rt::complexScalar(1, 2), rt::complexScalar(3, 4));
  EXPECT_DOUBLE_EQ(w.re()[0], 11.0 / 25);
  EXPECT_DOUBLE_EQ(w.im()[0], 2.0 / 25);

  const Array p = rt::times(rt::complexScalar(0, 1), rt::complexScalar(0, 1));  // i*i
  ASSERT_TRUE(p.isComplex());
  EXPECT_EQ(p.re()[0], -1.0);
  EXPECT_EQ(p.im()[0], 0.0);
  EXPECT_FALSE(rt::real(p).isComplex());
  EXPECT_EQ(rt::imag(rt::scalar(5)).re()[0], 0.0);
}

TEST(ArrayArith, OperatorsAreElementWiseWithScalarExpansion) {
  // Two rows of one size: a matrix product or division in place of the
  // element-wise one would raise, and - and / show the operand order.
  const Array a = rt::row({6, -3}), b = rt::row({2, 4});
  EXPECT_EQ(values(a + b), (V{8, 1}));
  EXPECT_EQ(values(a - b), (V{4, -7}));
  EXPECT_EQ(values(a * b), (V{12, -12}));
  EXPECT_EQ(values(a / b), (V{3, -0.75}));
  EXPECT_EQ(values(rt::scalar(3) / b), (V{1.5, 0.75}));
  EXPECT_EQ(values(rt::plus(rt::str("AB"), rt::logicalScalar(true))), (V{66, 67}));
  EXPECT_EQ(rt::times(rt::scalar(2), rt::emptyDouble()).numel(), 0u);

  const Array r = rt::row({1, 2, 3});
  const Array c = rt::matrix(3, 1, V{1, 2, 3});
  for (auto op : {rt::plus, rt::minus, rt::times, rt::rdivide})
    EXPECT_EQ(messageOf([&] { op(r, c); }), "Matrix dimensions must agree.");
  EXPECT_THROW(rt::eq(r, rt::row({1, 2})), rt::Error);
  EXPECT_THROW(rt::plus(r, rt::cellRow({rt::scalar(1)})), rt::Error);
  EXPECT_THROW(rt::plus(r, Array()), rt::Error);
}

TEST(ArrayArith, ElementaryFunctionsOfRealAndComplexValues) {
  const double x[] = {0.0, 0.3, -2.5, 40.0};
  const Array e = rt::exp(rt::times(rt::complexScalar(0, -2), rt::matrix(1, 4, x)));
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(e.re()[k], std::cos(-2 * x[k]));
    EXPECT_EQ(e.im()[k], std::sin(-2 * x[k]));
  }
  EXPECT_DOUBLE_EQ(rt::cos(rt::complexScalar(0, 1)).re()[0], std::cosh(1.0));
  EXPECT_EQ(values(rt::fix(rt::row({-2.7, 2.7}))), (V{-2, 2}));

  // log and sqrt turn complex only for negative input.
  const Array l = rt::log(rt::row({0.0, 1.0}));
  EXPECT_FALSE(l.isComplex());
  EXPECT_EQ(values(l), (V{-kInf, 0.0}));
  const Array ln = rt::log(rt::row({-1.0, std::exp(1.0)}));
  ASSERT_TRUE(ln.isComplex());
  EXPECT_DOUBLE_EQ(ln.im()[0], M_PI);
  EXPECT_DOUBLE_EQ(ln.re()[1], 1.0);
  const Array s = rt::sqrt(rt::row({-4.0, 9.0}));
  ASSERT_TRUE(s.isComplex());
  EXPECT_EQ(values(s), (V{0.0, 3.0}));
  EXPECT_EQ(s.im()[0], 2.0);
  EXPECT_FALSE(rt::sqrt(rt::row({0.0, 2.0})).isComplex());
  const Array z = rt::sqrt(rt::complexScalar(-3, 4));
  EXPECT_DOUBLE_EQ(z.re()[0], 1.0);
  EXPECT_DOUBLE_EQ(z.im()[0], 2.0);
}

TEST(ArrayArith, MatrixProductTransposeAndDivision) {
  const Array p = rt::mtimes(rt::matrix(2, 2, V{1, 3, 2, 4}), rt::matrix(2, 2, V{5, 7, 6, 8}));
  EXPECT_EQ(values(p), (V{19, 43, 22, 50}));
  const Array cz =
      rt::mtimes(rt::complexMatrix(1, 2, V{1, 0}, V{0, 1}), rt::ctranspose(rt::row({3, 4})));
  EXPECT_EQ(cz.re()[0], 3.0);
  EXPECT_EQ(cz.im()[0], 4.0);
  EXPECT_THROW(rt::mtimes(rt::row({1, 2}), rt::row({1, 2})), rt::Error);
  EXPECT_THROW(rt::mrdivide(rt::row({1, 2}), rt::row({1, 2})), rt::Error);

  const V z = {1, 2, 3, 4, 5, 6};  // 2x3
  const Array t = rt::ctranspose(rt::complexMatrix(2, 3, z, z));
  ASSERT_EQ(t.rows(), 3u);
  EXPECT_EQ(values(t), (V{1, 3, 5, 2, 4, 6}));
  EXPECT_EQ(t.im()[1], -3.0);  // conjugated
}

TEST(ArrayArith, ComparisonsLogicAndTruthWithNaN) {
  const Array n = rt::row({kNaN, 1.0});
  EXPECT_EQ(values(rt::eq(n, n)), (V{0, 1}));
  EXPECT_EQ(values(rt::le(n, n)), (V{0, 1}));
  EXPECT_FALSE(rt::gtBool(rt::scalar(kNaN), rt::scalar(kNaN)));
  EXPECT_FALSE(rt::leBool(rt::scalar(kNaN), rt::scalar(1)));
  EXPECT_EQ(values(rt::eq(rt::str("aXa"), rt::str("a"))), (V{1, 0, 1}));
  EXPECT_FALSE(rt::eqBool(rt::complexScalar(1, 1), rt::scalar(1)));

  const Array a = rt::row({0, 1, 2, kNaN});
  EXPECT_EQ(values(rt::and_(a, rt::scalar(1))), (V{0, 1, 1, 1}));
  EXPECT_EQ(values(rt::not_(a)), (V{1, 0, 0, 0}));
  EXPECT_TRUE(rt::tobool(rt::all(rt::emptyDouble())));
  EXPECT_FALSE(rt::tobool(rt::any(rt::emptyDouble())));
  EXPECT_FALSE(rt::tobool(rt::emptyDouble()));
  EXPECT_TRUE(rt::tobool(rt::scalar(kNaN)));
  EXPECT_TRUE(rt::tobool(rt::complexScalar(0, 1)));
  EXPECT_FALSE(rt::tobool(rt::row({1, 0})));
  EXPECT_FALSE(rt::notBool(rt::emptyDouble()));
  EXPECT_THROW(rt::tobool(rt::cellRow({rt::scalar(1)})), rt::Error);
}

TEST(ArrayArith, LinspaceEndsExactlyOnItsLimits) {
  const Array f = rt::linspace(rt::scalar(1), rt::scalar(3), rt::scalar(1000));
  ASSERT_EQ(f.rows(), 1u);
  ASSERT_EQ(f.cols(), 1000u);
  EXPECT_EQ(f.re()[999], 3.0);
  // Every point is a + (k*(b-a))/(n-1); a precomputed step or a running sum
  // differ from it at several points.
  for (std::size_t k = 0; k < 999; ++k)
    ASSERT_EQ(f.re()[k], 1 + (static_cast<double>(k) * 2.0) / 999) << k;
  EXPECT_EQ(rt::linspace(rt::scalar(0), rt::scalar(M_PI), rt::scalar(91)).re()[90], M_PI);
  EXPECT_EQ(rt::linspace(rt::scalar(0), rt::scalar(1), rt::scalar(0)).numel(), 0u);
  EXPECT_EQ(values(rt::linspace(rt::scalar(0), rt::scalar(5), rt::scalar(1))), (V{5}));
  EXPECT_THROW(rt::linspace(rt::row({0, 1}), rt::scalar(1), rt::scalar(3)), rt::Error);
}

TEST(ArrayArith, MeshgridRowsFollowTheSecondVector) {
  const auto [X, Y] = rt::meshgrid(rt::row({1, 2, 3}), rt::row({10, 20}));
  ASSERT_EQ(X.rows(), 2u);
  ASSERT_EQ(Y.cols(), 3u);
  EXPECT_EQ(values(X), (V{1, 1, 2, 2, 3, 3}));
  EXPECT_EQ(values(Y), (V{10, 20, 10, 20, 10, 20}));
}

TEST(ArrayArith, HorzcatJoinsRowsAndSkipsEmpties) {
  EXPECT_EQ(values(rt::horzcat({rt::emptyDouble(), rt::scalar(1), rt::row({2, 3})})), (V{1, 2, 3}));
  EXPECT_EQ(rt::horzcat({rt::str("ab"), rt::emptyChar(), rt::str("c")}).text(), "abc");
  const Array z = rt::horzcat({rt::scalar(1), rt::complexScalar(0, 2)});
  ASSERT_TRUE(z.isComplex());
  EXPECT_EQ(z.im()[1], 2.0);
  const Array c = rt::horzcat({rt::cellRow({rt::scalar(1)}), rt::cellRow({rt::str("x")})});
  ASSERT_TRUE(c.isCell());
  EXPECT_EQ(c.cells()[1].text(), "x");
  EXPECT_THROW(rt::horzcat({rt::scalar(1), rt::matrix(2, 1, V{1, 2})}), rt::Error);
}

}  // namespace

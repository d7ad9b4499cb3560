// Arithmetic, elementary functions, comparisons and numeric constructors.
#include <cmath>

#include "platform/array/array_test.h"

namespace {

using namespace array_test;

TEST(ArrayArith, ComplexDivisionUsesTheConjugateFormula) {
  // 1/(u+iv) = (u-iv)/(u^2+v^2), element by element, with a real numerator
  // expanded over a complex row.
  const double u[] = {3.0, 0.5, -2.0};
  const double v[] = {4.0, -0.25, 1e-3};
  const Array z = rt::complexMatrix(1, 3, u, v);
  const Array q = rt::rdivide(rt::scalar(1), z);
  ASSERT_TRUE(q.isComplex());
  for (int k = 0; k < 3; ++k) {
    const double den = u[k] * u[k] + v[k] * v[k];
    EXPECT_EQ(q.re()[k], u[k] / den);
    EXPECT_EQ(q.im()[k], -v[k] / den);
  }
  // (1+2i)/(3+4i) = (11+2i)/25 and mrdivide by a scalar agrees.
  const Array w = rt::mrdivide(rt::complexScalar(1, 2), rt::complexScalar(3, 4));
  EXPECT_DOUBLE_EQ(w.re()[0], 11.0 / 25);
  EXPECT_DOUBLE_EQ(w.im()[0], 2.0 / 25);
}

TEST(ArrayArith, ComplexResultsKeepAZeroImaginaryPart) {
  const Array p = rt::times(rt::complexScalar(0, 1), rt::complexScalar(0, 1));  // i*i
  ASSERT_TRUE(p.isComplex());
  EXPECT_EQ(p.re()[0], -1.0);
  EXPECT_EQ(p.im()[0], 0.0);
  EXPECT_EQ(rt::real(p).re()[0], -1.0);
  EXPECT_FALSE(rt::real(p).isComplex());
  EXPECT_EQ(rt::imag(rt::scalar(5)).re()[0], 0.0);
  const Array s =
      rt::minus(rt::plus(rt::complexScalar(1, 2), rt::scalar(1)), rt::complexScalar(0, 2));
  ASSERT_TRUE(s.isComplex());
  EXPECT_EQ(s.re()[0], 2.0);
  EXPECT_EQ(s.im()[0], 0.0);
}

TEST(ArrayArith, OperatorsAreTheElementWiseOperations) {
  // Two rows of one size: a matrix product or division in place of the
  // element-wise one would raise, and - and / show the operand order.
  const Array a = rt::row({6, -3}), b = rt::row({2, 4});
  EXPECT_EQ(values(a + b), (std::vector<double>{8, 1}));
  EXPECT_EQ(values(a - b), (std::vector<double>{4, -7}));
  EXPECT_EQ(values(a * b), (std::vector<double>{12, -12}));
  EXPECT_EQ(values(a / b), (std::vector<double>{3, -0.75}));
  EXPECT_EQ(values(rt::scalar(3) / b), (std::vector<double>{1.5, 0.75}));
}

TEST(ArrayArith, ExpOfImaginaryIsCosPlusISin) {
  const double x[] = {0.0, 0.3, -2.5, 40.0};
  const double zero[] = {0, 0, 0, 0};
  const Array ix = rt::times(rt::complexScalar(0, -2), rt::matrix(1, 4, x));
  const Array e = rt::exp(ix);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(e.re()[k], std::cos(-2 * x[k]));
    EXPECT_EQ(e.im()[k], std::sin(-2 * x[k]));
  }
  const Array r = rt::exp(rt::complexMatrix(1, 4, x, zero));
  EXPECT_EQ(r.re()[1], std::exp(0.3));
  EXPECT_TRUE(r.isComplex());
}

TEST(ArrayArith, LogAndSqrtOfZeroAndNegatives) {
  const Array l = rt::log(rt::row({0.0, 1.0, std::exp(2.0)}));
  EXPECT_FALSE(l.isComplex());
  EXPECT_EQ(l.re()[0], -kInf);
  EXPECT_EQ(l.re()[1], 0.0);
  EXPECT_DOUBLE_EQ(l.re()[2], 2.0);

  const Array ln = rt::log(rt::row({-1.0, std::exp(1.0)}));
  ASSERT_TRUE(ln.isComplex());
  EXPECT_EQ(ln.re()[0], 0.0);
  EXPECT_DOUBLE_EQ(ln.im()[0], M_PI);
  EXPECT_DOUBLE_EQ(ln.re()[1], 1.0);
  EXPECT_EQ(ln.im()[1], 0.0);

  const Array s = rt::sqrt(rt::row({-4.0, 9.0}));
  ASSERT_TRUE(s.isComplex());
  EXPECT_EQ(values(s), (std::vector<double>{0.0, 3.0}));
  EXPECT_EQ(s.im()[0], 2.0);
  EXPECT_EQ(s.im()[1], 0.0);
  EXPECT_FALSE(rt::sqrt(rt::row({0.0, 2.0})).isComplex());

  // sqrt of a complex value squares back.
  const Array z = rt::sqrt(rt::complexScalar(-3, 4));
  EXPECT_DOUBLE_EQ(z.re()[0], 1.0);
  EXPECT_DOUBLE_EQ(z.im()[0], 2.0);
}

TEST(ArrayArith, ScalarExpansionAndSizeMismatch) {
  const Array r = rt::row({1, 2, 3});
  EXPECT_EQ(values(rt::minus(rt::scalar(10), r)), (std::vector<double>{9, 8, 7}));
  EXPECT_EQ(values(rt::rdivide(r, rt::scalar(2))), (std::vector<double>{0.5, 1, 1.5}));
  const Array e = rt::times(rt::scalar(2), rt::emptyDouble());
  EXPECT_EQ(e.rows(), 0u);
  EXPECT_EQ(e.cols(), 0u);

  const double col[] = {1, 2, 3};
  const Array c = rt::matrix(3, 1, col);
  for (auto op : {rt::plus, rt::minus, rt::times, rt::rdivide}) {
    try {
      op(r, c);
      ADD_FAILURE() << "1x3 with 3x1 was accepted";
    } catch (const rt::Error& err) {
      EXPECT_STREQ(err.what(), "Matrix dimensions must agree.");
    }
  }
  EXPECT_THROW(rt::eq(r, rt::row({1, 2})), rt::Error);
  EXPECT_THROW(rt::plus(r, rt::cellRow({rt::scalar(1)})), rt::Error);
  EXPECT_THROW(rt::plus(r, Array()), rt::Error);
}

TEST(ArrayArith, CharAndLogicalOperandsActAsDoubles) {
  const Array s = rt::plus(rt::str("AB"), rt::logicalScalar(true));
  EXPECT_TRUE(s.isNumeric());
  EXPECT_EQ(values(s), (std::vector<double>{66, 67}));
  EXPECT_TRUE(rt::times(rt::logicalScalar(true), rt::logicalScalar(true)).isNumeric());
}

TEST(ArrayArith, MatrixProductAndDivision) {
  const double a[] = {1, 3, 2, 4};  // [1 2; 3 4]
  const double b[] = {5, 7, 6, 8};  // [5 6; 7 8]
  const Array p = rt::mtimes(rt::matrix(2, 2, a), rt::matrix(2, 2, b));
  EXPECT_EQ(values(p), (std::vector<double>{19, 43, 22, 50}));
  const Array inner = rt::mtimes(rt::row({1, 2, 3}), rt::ctranspose(rt::row({4, 5, 6})));
  EXPECT_EQ(values(inner), (std::vector<double>{32}));
  EXPECT_EQ(values(rt::mtimes(rt::scalar(2), rt::row({1, 2}))), (std::vector<double>{2, 4}));
  const Array cz =
      rt::mtimes(rt::complexMatrix(1, 2, std::vector<double>{1, 0}, std::vector<double>{0, 1}),
                 rt::ctranspose(rt::row({3, 4})));
  EXPECT_EQ(cz.re()[0], 3.0);
  EXPECT_EQ(cz.im()[0], 4.0);
  EXPECT_THROW(rt::mtimes(rt::row({1, 2}), rt::row({1, 2})), rt::Error);
  EXPECT_THROW(rt::mrdivide(rt::row({1, 2}), rt::row({1, 2})), rt::Error);
  EXPECT_EQ(values(rt::mrdivide(rt::row({2, 4}), rt::scalar(2))), (std::vector<double>{1, 2}));
}

TEST(ArrayArith, ComparisonsWithNaNAndText) {
  const Array n = rt::row({kNaN, 1.0});
  EXPECT_EQ(values(rt::eq(n, n)), (std::vector<double>{0, 1}));
  EXPECT_EQ(values(rt::le(n, n)), (std::vector<double>{0, 1}));
  EXPECT_EQ(values(rt::gt(n, rt::scalar(0))), (std::vector<double>{0, 1}));
  EXPECT_FALSE(rt::gtBool(rt::scalar(kNaN), rt::scalar(kNaN)));
  EXPECT_FALSE(rt::leBool(rt::scalar(kNaN), rt::scalar(1)));
  EXPECT_TRUE(rt::eq(n, n).isLogical());

  EXPECT_EQ(values(rt::eq(rt::str("abc"), rt::str("abd"))), (std::vector<double>{1, 1, 0}));
  EXPECT_EQ(values(rt::eq(rt::str("aXa"), rt::str("a"))), (std::vector<double>{1, 0, 1}));
  EXPECT_TRUE(rt::eqBool(rt::str("0"), rt::scalar('0')));
  EXPECT_FALSE(rt::eqBool(rt::complexScalar(1, 1), rt::scalar(1)));
}

TEST(ArrayArith, LogicalOperationsAndTruth) {
  const Array a = rt::row({0, 1, 2, kNaN});
  EXPECT_EQ(values(rt::and_(a, rt::scalar(1))), (std::vector<double>{0, 1, 1, 1}));
  EXPECT_EQ(values(rt::or_(a, rt::scalar(0))), (std::vector<double>{0, 1, 1, 1}));
  EXPECT_EQ(values(rt::not_(a)), (std::vector<double>{1, 0, 0, 0}));
  EXPECT_TRUE(rt::tobool(rt::all(rt::emptyDouble())));
  EXPECT_FALSE(rt::tobool(rt::any(rt::emptyDouble())));
  EXPECT_FALSE(rt::tobool(rt::all(a)));
  EXPECT_TRUE(rt::tobool(rt::any(a)));

  EXPECT_FALSE(rt::tobool(rt::emptyDouble()));
  EXPECT_TRUE(rt::tobool(rt::scalar(kNaN)));
  EXPECT_TRUE(rt::tobool(rt::complexScalar(0, 1)));
  EXPECT_FALSE(rt::tobool(rt::complexScalar(0, 0)));
  EXPECT_FALSE(rt::tobool(rt::row({1, 0})));
  EXPECT_FALSE(rt::notBool(rt::emptyDouble()));
  EXPECT_TRUE(rt::notBool(rt::scalar(0)));
  EXPECT_THROW(rt::tobool(rt::cellRow({rt::scalar(1)})), rt::Error);
  EXPECT_THROW(rt::tobool(rt::struct_({})), rt::Error);
}

TEST(ArrayArith, LinspaceEndsExactlyOnItsLimits) {
  const Array f = rt::linspace(rt::scalar(1), rt::scalar(3), rt::scalar(1000));
  ASSERT_EQ(f.rows(), 1u);
  ASSERT_EQ(f.cols(), 1000u);
  EXPECT_EQ(f.re()[0], 1.0);
  EXPECT_EQ(f.re()[999], 3.0);
  // Every inner point is a + (k*(b-a))/(n-1); a precomputed step or a
  // running sum differ from it at several points.
  for (std::size_t k = 0; k < 999; ++k) {
    const double kd = static_cast<double>(k);
    ASSERT_EQ(f.re()[k], 1 + (kd * 2.0) / 999) << k;
  }

  const Array t = rt::linspace(rt::scalar(0), rt::scalar(M_PI), rt::scalar(91));
  EXPECT_EQ(t.re()[90], M_PI);
  EXPECT_EQ(rt::linspace(rt::scalar(0), rt::scalar(1), rt::scalar(0)).numel(), 0u);
  EXPECT_EQ(values(rt::linspace(rt::scalar(0), rt::scalar(5), rt::scalar(1))),
            (std::vector<double>{5}));
  EXPECT_THROW(rt::linspace(rt::row({0, 1}), rt::scalar(1), rt::scalar(3)), rt::Error);
}

TEST(ArrayArith, MeshgridRowsFollowTheSecondVector) {
  const auto [X, Y] = rt::meshgrid(rt::row({1, 2, 3}), rt::row({10, 20}));
  ASSERT_EQ(X.rows(), 2u);
  ASSERT_EQ(X.cols(), 3u);
  ASSERT_EQ(Y.rows(), 2u);
  ASSERT_EQ(Y.cols(), 3u);
  for (std::size_t r = 0; r < 2; ++r)
    for (std::size_t s = 0; s < 3; ++s) {
      EXPECT_EQ(X.re()[r + s * 2], static_cast<double>(s + 1));
      EXPECT_EQ(Y.re()[r + s * 2], 10.0 * static_cast<double>(r + 1));
    }
}

TEST(ArrayArith, ElementaryFunctionsAndTranspose) {
  EXPECT_EQ(values(rt::fix(rt::row({-2.7, 2.7, -0.2}))), (std::vector<double>{-2, 2, -0.0}));
  EXPECT_EQ(rt::sin(rt::scalar(0.4)).re()[0], std::sin(0.4));
  EXPECT_EQ(rt::cos(rt::scalar(0.4)).re()[0], std::cos(0.4));
  const Array c = rt::cos(rt::complexScalar(0, 1));
  EXPECT_DOUBLE_EQ(c.re()[0], std::cosh(1.0));

  const double z[] = {1, 2, 3, 4, 5, 6};  // 2x3
  const Array t = rt::ctranspose(rt::complexMatrix(2, 3, z, z));
  ASSERT_EQ(t.rows(), 3u);
  EXPECT_EQ(values(t), (std::vector<double>{1, 3, 5, 2, 4, 6}));
  EXPECT_EQ(t.im()[1], -3.0);
  EXPECT_TRUE(rt::ctranspose(rt::str("ab")).isChar());
  EXPECT_EQ(rt::ctranspose(rt::str("ab")).rows(), 2u);
}

TEST(ArrayArith, HorzcatJoinsRowsAndSkipsEmpties) {
  const Array h = rt::horzcat({rt::emptyDouble(), rt::scalar(1), rt::row({2, 3})});
  EXPECT_EQ(values(h), (std::vector<double>{1, 2, 3}));
  const Array s = rt::horzcat({rt::str("ab"), rt::emptyChar(), rt::str("c")});
  EXPECT_TRUE(s.isChar());
  EXPECT_EQ(s.text(), "abc");
  const Array z = rt::horzcat({rt::scalar(1), rt::complexScalar(0, 2)});
  ASSERT_TRUE(z.isComplex());
  EXPECT_EQ(z.im()[0], 0.0);
  EXPECT_EQ(z.im()[1], 2.0);
  const Array c = rt::horzcat({rt::cellRow({rt::scalar(1)}), rt::cellRow({rt::str("x")})});
  ASSERT_TRUE(c.isCell());
  EXPECT_EQ(c.cols(), 2u);
  EXPECT_EQ(c.cells()[1].text(), "x");
  EXPECT_TRUE(rt::horzcat({rt::logicalScalar(true), rt::logicalScalar(false)}).isLogical());
  const double col[] = {1, 2};
  EXPECT_THROW(rt::horzcat({rt::scalar(1), rt::matrix(2, 1, col)}), rt::Error);
}

}  // namespace

// The vector kernels of the elementary functions against the C maths
// library, at every vector width this processor runs, over many magnitudes
// of both signs and the special values: every element of a real function
// and each part of a complex one within 2 ULP. And the operations that
// write their result over a temporary operand.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
#include <tuple>

#include "platform/array/array_test.h"
#include "platform/array/vector_maths.h"

namespace {

using namespace array_test;
using rt::vec::Kernels;
using Lim = std::numeric_limits<double>;

// Distance in units in the last place; NaN is only near NaN, and -0 is one
// step from +0.
double ulps(double got, double want) {
  if (std::isnan(got) || std::isnan(want)) return std::isnan(got) && std::isnan(want) ? 0 : kInf;
  // Doubles in the order of their values mapped to consecutive unsigned integers.
  auto ordered = [](double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    return bits >> 63 ? ~bits : bits | (std::uint64_t(1) << 63);
  };
  const std::uint64_t g = ordered(got), w = ordered(want);
  return static_cast<double>(g > w ? g - w : w - g);
}

// Zeros, subnormals, the extremes, NaN and the infinities; every tenth power
// from subnormal to huge with a few mantissas; multiples of pi/2 (and their
// neighbours) up to large arguments; a dense stretch around zero; all in
// both signs.
V arguments() {
  const double tiny = Lim::denorm_min(), least = Lim::min();
  V v = {0.0,  tiny, 3 * tiny, least / 3, least,  Lim::max(), kInf,
         kNaN, 1.0,  709.78,   710.0,     -745.2, 1e22,       1e300};
  for (int e = -320; e <= 308; ++e)
    for (double m : {1.0, 1.7, 3.14159, 7.3}) v.push_back(m * std::pow(10.0, e));
  for (double k : {1.0, 2.0, 3.0, 7.0, 100.0, 1e3, 1e5, 1e6, 1e9, 1e12, 1e15}) {
    const double x = k * (std::numbers::pi / 2);
    v.insert(v.end(), {x, std::nextafter(x, 0.0), std::nextafter(x, kInf)});
  }
  for (int i = -400; i <= 400; ++i) v.push_back(i * 0.0251);
  const std::size_t n = v.size();
  for (std::size_t i = 0; i < n; ++i) v.push_back(-v[i]);
  return v;
}

#define LIBM(f) Real(#f, &Kernels::f, [](double x) { return std::f(x); })
#define CPLX(f, re, im)                                          \
  Cplx(                                                          \
      #f, &Kernels::c##f, [](double a, double b) { return re; }, \
      [](double a, double b) { return im; })
using Real = std::tuple<const char*, rt::vec::Unary Kernels::*, double (*)(double)>;
using Cplx = std::tuple<const char*, rt::vec::Complex Kernels::*, double (*)(double, double),
                        double (*)(double, double)>;

// Every element of every real function; lengths around the vector widths,
// where the last partial group gives what the same value gives alone and
// nothing past the end is written.
TEST(VectorMaths, RealAndComplexFunctionsStayWithinTwoUlpOfTheMathsLibrary) {
  ASSERT_FALSE(rt::vec::available().empty());
  EXPECT_EQ(&rt::vec::kernels(), rt::vec::available()[0]);
  const V x = arguments();
  for (const Kernels* k : rt::vec::available()) {
    for (auto [name, kernel, libm] : {LIBM(sin), LIBM(cos), LIBM(exp), LIBM(log), LIBM(sqrt)}) {
      V out(x.size());
      (k->*kernel)(x.size(), x.data(), out.data());
      for (std::size_t i = 0; i < x.size(); ++i)
        ASSERT_LE(ulps(out[i], libm(x[i])), 2) << k->name << " " << name << "(" << x[i] << ")";
    }
    for (std::size_t n = 0; n <= 19; ++n) {
      V out(n + 1, 42.0), alone(n + 1, 42.0);
      k->sin(n, x.data() + 100, out.data());
      for (std::size_t i = 0; i < n; ++i) k->sin(1, x.data() + 100 + i, &alone[i]);
      EXPECT_EQ(0, std::memcmp(out.data(), alone.data(), (n + 1) * sizeof(double))) << k->name << n;
      EXPECT_EQ(out[n], 42.0) << k->name << " n=" << n;
    }
  }
  // The complex forms, on every pair from every 5th argument: real and
  // imaginary parts of all kinds against each other.
  using std::cos, std::sin, std::exp, std::cosh, std::sinh;
  const Cplx fns[] = {CPLX(exp, exp(a) * cos(b), exp(a) * sin(b)),
                      CPLX(sin, sin(a) * cosh(b), cos(a) * sinh(b)),
                      CPLX(cos, cos(a) * cosh(b), -(sin(a) * sinh(b)))};
  V a, b;
  for (std::size_t i = 0; i < x.size(); i += 5)
    for (std::size_t j = 0; j < x.size(); j += 5) a.push_back(x[i]), b.push_back(x[j]);
  for (const Kernels* k : rt::vec::available())
    for (auto [name, kernel, wantRe, wantIm] : fns) {
      V re(a.size()), im(a.size());
      (k->*kernel)(a.size(), a.data(), b.data(), re.data(), im.data());
      for (std::size_t i = 0; i < a.size(); ++i)
        ASSERT_LE(std::max(ulps(re[i], wantRe(a[i], b[i])), ulps(im[i], wantIm(a[i], b[i]))), 2)
            << k->name << " " << name << "(" << a[i] << " + i " << b[i] << ") = " << re[i]
            << " + i " << im[i];
    }
}

TEST(VectorMaths, ComplexLogarithmAndNegativeArguments) {
  // log of negative reals and of complex values: log|z| + i atan2(im, re).
  const V re = {-2.5, -1.0, -1e-300, 3.0, 0.0, -0.0, 1.0, kInf, -kInf, 1e300};
  const V im = {0.0, 1.0, -2.0, 1e-310, -0.0, 5.0, 1e-8, 1.0, -0.0, -1e300};
  const Array z = rt::log(rt::complexMatrix(2, 5, re, im));
  const Array neg = rt::log(rt::matrix(2, 5, re));
  ASSERT_TRUE(z.isComplex() && neg.isComplex());
  for (std::size_t i = 0; i < re.size(); ++i) {
    EXPECT_LE(ulps(z.re()[i], std::log(std::hypot(re[i], im[i]))), 2) << i;
    EXPECT_LE(ulps(z.im()[i], std::atan2(im[i], re[i])), 2) << i;
    EXPECT_LE(ulps(neg.re()[i], std::log(std::fabs(re[i]))), 2) << i;
    EXPECT_LE(ulps(neg.im()[i], std::atan2(0.0, re[i])), 2) << i;
  }
}

// The values of an array bit for bit, its shape and whether it is complex.
auto bits(const Array& a) {
  std::vector<std::uint64_t> b{a.rows(), a.cols(), a.isComplex()};
  for (double v : a.re()) b.push_back(std::bit_cast<std::uint64_t>(v));
  if (a.isComplex())
    for (double v : a.im()) b.push_back(std::bit_cast<std::uint64_t>(v));
  return b;
}

TEST(ArrayTemporaries, ResultsWriteOverATemporaryOnlyWhenNothingElseSharesIt) {
  // A 3x4 grid with a repeated column, a constant column, negative values
  // and, imaginary, one where the hyperbolic functions near overflow.
  const V cells = {0.5, -1, 2, 0.5, -1, 2, 3, 3, 3, -0.25, 709.9, 1e-3};
  auto check = [&](const char* what, auto op) {
    for (bool complex : {false, true}) {
      auto make = [&] {
        return complex ? rt::complexMatrix(3, 4, cells, V(cells.rbegin(), cells.rend()))
                       : rt::matrix(3, 4, cells);
      };
      const Array input = make();
      const auto want = bits(op(input));
      // A temporary that shares its data with `input` leaves it untouched.
      Array copy = input;
      EXPECT_EQ(bits(op(std::move(copy))), want) << what;
      EXPECT_EQ(bits(input), bits(make())) << what;
      // A temporary of its own lends its storage to the result.
      Array own = make();
      const void* storage = own.id();
      const Array got = op(std::move(own));
      EXPECT_EQ(bits(got), want) << what;
      EXPECT_EQ(got.id(), storage) << what;
    }
  };
#define FWD std::forward<decltype(a)>(a)
  check("sin", [](auto&& a) { return rt::sin(FWD); });
  check("log", [](auto&& a) { return rt::log(FWD); });
  check("sqrt", [](auto&& a) { return rt::sqrt(FWD); });
  check("exp", [](auto&& a) { return rt::exp(FWD); });
  check("a*2", [](auto&& a) { return FWD * rt::scalar(2); });
  check("1-a", [](auto&& a) { return rt::scalar(1) - FWD; });
  check("a/sqrt(4)", [](auto&& a) { return FWD / rt::sqrt(rt::scalar(4)); });
  check("a*i", [](auto&& a) { return FWD * rt::complexScalar(0, 1); });
#undef FWD
}

}  // namespace

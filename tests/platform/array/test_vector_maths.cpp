// The vector kernels of the elementary functions against the C maths
// library, at every vector width this processor runs, over many magnitudes
// of both signs and the special values: every element of a real function
// within 2 ULP; each part of a complex one, a product of two functions that
// may each differ by one unit and then rounds once more, within 3 ULP. And
// the operations that write their result over a temporary operand.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numbers>
#include <string>

#include "platform/array/array_test.h"
#include "platform/array/vector_maths.h"

namespace {

using namespace array_test;
using rt::vec::Kernels;

constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kTiny = std::numeric_limits<double>::denorm_min();
constexpr double kMinNormal = std::numeric_limits<double>::min();

// Distance in units in the last place; NaN is only near NaN, and -0 is one
// step from +0.
double ulps(double got, double want) {
  if (std::isnan(got) || std::isnan(want)) return std::isnan(got) && std::isnan(want) ? 0 : kInf;
  // Doubles in the order of their values mapped to consecutive integers.
  auto ordered = [](double v) {
    const auto bits = std::bit_cast<std::int64_t>(v);
    return bits < 0 ? -(bits & std::numeric_limits<std::int64_t>::max()) - 1 : bits;
  };
  const std::int64_t g = ordered(got), w = ordered(want);
  return static_cast<double>(g > w ? std::uint64_t(g) - std::uint64_t(w)
                                   : std::uint64_t(w) - std::uint64_t(g));
}

// Zeros, subnormals, the extremes, NaN and the infinities; every tenth power
// from subnormal to huge with a few mantissas; multiples of pi/2 (and their
// neighbours) up to large arguments; a dense stretch around zero; all in
// both signs.
V arguments() {
  V v = {0.0,  kTiny, 3 * kTiny, kMinNormal / 3, kMinNormal, kMax, kInf,
         kNaN, 1.0,   709.78,    710.0,          -745.2,     1e22, 1e300};
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

std::string text(double x) {
  char t[32];
  std::snprintf(t, sizeof t, "%.17g", x);
  return t;
}

// The largest distance over all elements, and where it is.
struct Worst {
  double ulps = 0;
  std::size_t at = 0;
  void see(double u, std::size_t i) {
    if (u > ulps) *this = {u, i};
  }
};

struct RealFn {
  const char* name;
  rt::vec::Unary Kernels::*kernel;
  double (*libm)(double);
};

const RealFn kReal[] = {
    {"sin", &Kernels::sin, [](double x) { return std::sin(x); }},
    {"cos", &Kernels::cos, [](double x) { return std::cos(x); }},
    {"exp", &Kernels::exp, [](double x) { return std::exp(x); }},
    {"log", &Kernels::log, [](double x) { return std::log(x); }},
    {"sqrt", &Kernels::sqrt, [](double x) { return std::sqrt(x); }},
};

TEST(VectorMaths, RealFunctionsStayWithinTwoUlpOfTheMathsLibrary) {
  ASSERT_FALSE(rt::vec::available().empty());
  EXPECT_EQ(&rt::vec::kernels(), rt::vec::available()[0]);
  const V x = arguments();
  for (const Kernels* k : rt::vec::available()) {
    for (const RealFn& f : kReal) {
      V out(x.size());
      (k->*f.kernel)(x.size(), x.data(), out.data());
      Worst w;
      for (std::size_t i = 0; i < x.size(); ++i) w.see(ulps(out[i], f.libm(x[i])), i);
      EXPECT_LE(w.ulps, 2) << k->name << " " << f.name << "(" << text(x[w.at])
                           << ") = " << text(out[w.at]);
    }
  }
}

struct ComplexFn {
  const char* name;
  rt::vec::Complex Kernels::*kernel;
  double (*re)(double, double);
  double (*im)(double, double);
};

const ComplexFn kComplex[] = {
    {"exp", &Kernels::cexp, [](double a, double b) { return std::exp(a) * std::cos(b); },
     [](double a, double b) { return std::exp(a) * std::sin(b); }},
    {"sin", &Kernels::csin, [](double a, double b) { return std::sin(a) * std::cosh(b); },
     [](double a, double b) { return std::cos(a) * std::sinh(b); }},
    {"cos", &Kernels::ccos, [](double a, double b) { return std::cos(a) * std::cosh(b); },
     [](double a, double b) { return -(std::sin(a) * std::sinh(b)); }},
};

TEST(VectorMaths, ComplexFormsStayWithinThreeUlpOfTheMathsLibrary) {
  // Every pair from every 5th argument: real and imaginary parts of all
  // kinds against each other.
  V few;
  const V all = arguments();
  for (std::size_t i = 0; i < all.size(); i += 5) few.push_back(all[i]);
  V a, b;
  for (double p : few)
    for (double q : few) {
      a.push_back(p);
      b.push_back(q);
    }
  for (const Kernels* k : rt::vec::available()) {
    for (const ComplexFn& f : kComplex) {
      V re(a.size()), im(a.size());
      (k->*f.kernel)(a.size(), a.data(), b.data(), re.data(), im.data());
      Worst w;
      for (std::size_t i = 0; i < a.size(); ++i)
        w.see(std::max(ulps(re[i], f.re(a[i], b[i])), ulps(im[i], f.im(a[i], b[i]))), i);
      EXPECT_LE(w.ulps, 3) << k->name << " " << f.name << "(" << text(a[w.at]) << " + i "
                           << text(b[w.at]) << ") = " << text(re[w.at]) << " + i "
                           << text(im[w.at]);
    }
  }
}

TEST(VectorMaths, AnElementsResultDoesNotDependOnItsPlace) {
  // Lengths around the vector widths: the last partial group gives what the
  // same value gives alone, and nothing past the end is written.
  const V x = arguments();
  for (const Kernels* k : rt::vec::available()) {
    for (std::size_t n = 0; n <= 19; ++n) {
      V out(n + 1, 42.0);
      k->sin(n, x.data() + 100, out.data());
      for (std::size_t i = 0; i < n; ++i) {
        double alone;
        k->sin(1, x.data() + 100 + i, &alone);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(out[i]), std::bit_cast<std::uint64_t>(alone))
            << k->name << " n=" << n << " i=" << i;
      }
      EXPECT_EQ(out[n], 42.0) << k->name << " n=" << n;
    }
  }
}

TEST(VectorMaths, ComplexLogarithmAndNegativeArguments) {
  // log of negative reals and of complex values: log|z| + i atan2(im, re).
  const V re = {-2.5, -1.0, -1e-300, 3.0, 0.0, -0.0, 1.0, kInf, -kInf, 1e300};
  const V im = {0.0, 1.0, -2.0, 1e-310, -0.0, 5.0, 1e-8, 1.0, -0.0, -1e300};
  const Array z = rt::log(rt::complexMatrix(2, 5, re, im));
  const Array neg = rt::log(rt::matrix(2, 5, re));
  ASSERT_TRUE(z.isComplex());
  ASSERT_TRUE(neg.isComplex());
  for (std::size_t i = 0; i < re.size(); ++i) {
    EXPECT_LE(ulps(z.re()[i], std::log(std::hypot(re[i], im[i]))), 2) << i;
    EXPECT_LE(ulps(z.im()[i], std::atan2(im[i], re[i])), 2) << i;
    EXPECT_LE(ulps(neg.re()[i], std::log(std::fabs(re[i]))), 2) << i;
    EXPECT_LE(ulps(neg.im()[i], std::atan2(0.0, re[i])), 2) << i;
  }
}

}  // namespace

namespace {

// Bit-for-bit equality of two arrays' values and shapes.
void expectSame(const Array& got, const Array& want, const char* what) {
  ASSERT_EQ(got.rows(), want.rows()) << what;
  ASSERT_EQ(got.cols(), want.cols()) << what;
  ASSERT_EQ(got.isComplex(), want.isComplex()) << what;
  for (std::size_t i = 0; i < want.numel(); ++i) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(got.re()[i]), std::bit_cast<std::uint64_t>(want.re()[i]))
        << what << " re " << i;
    if (want.isComplex()) {
      EXPECT_EQ(std::bit_cast<std::uint64_t>(got.im()[i]),
                std::bit_cast<std::uint64_t>(want.im()[i]))
          << what << " im " << i;
    }
  }
}

TEST(ArrayTemporaries, ResultsWriteOverATemporaryOnlyWhenNothingElseSharesIt) {
  // A 3x4 grid with a repeated column, a constant column and negative values.
  const V cells = {0.5, -1, 2, 0.5, -1, 2, 3, 3, 3, -0.25, 7, 1e-3};
  const V reversed(cells.rbegin(), cells.rend());
  auto make = [&](bool complex) {
    return complex ? rt::complexMatrix(3, 4, cells, reversed) : rt::matrix(3, 4, cells);
  };
  struct Case {
    const char* what;
    Array (*fromTemporary)(Array&&);
    Array (*fromShared)(const Array&);
  };
  const Case cases[] = {
      {"sin", [](Array&& a) { return rt::sin(std::move(a)); },
       [](const Array& a) { return rt::sin(a); }},
      {"log", [](Array&& a) { return rt::log(std::move(a)); },
       [](const Array& a) { return rt::log(a); }},
      {"sqrt", [](Array&& a) { return rt::sqrt(std::move(a)); },
       [](const Array& a) { return rt::sqrt(a); }},
      {"exp", [](Array&& a) { return rt::exp(std::move(a)); },
       [](const Array& a) { return rt::exp(a); }},
      {"a*2", [](Array&& a) { return std::move(a) * rt::scalar(2); },
       [](const Array& a) { return a * rt::scalar(2); }},
      {"1-a", [](Array&& a) { return rt::scalar(1) - std::move(a); },
       [](const Array& a) { return rt::scalar(1) - a; }},
      {"a/sqrt(4)", [](Array&& a) { return std::move(a) / rt::sqrt(rt::scalar(4)); },
       [](const Array& a) { return a / rt::scalar(2); }},
      {"a*i", [](Array&& a) { return std::move(a) * rt::complexScalar(0, 1); },
       [](const Array& a) { return a * rt::complexScalar(0, 1); }},
  };
  for (const Case& c : cases) {
    for (bool complex : {false, true}) {
      const Array input = make(complex);
      const Array want = c.fromShared(input);
      // A temporary that shares its data with `input` leaves it untouched.
      Array copy = input;
      expectSame(c.fromTemporary(std::move(copy)), want, c.what);
      expectSame(input, make(complex), c.what);
      // A temporary of its own lends its storage to the result.
      Array own = make(complex);
      const void* storage = own.id();
      const Array got = c.fromTemporary(std::move(own));
      expectSame(got, want, c.what);
      EXPECT_EQ(got.id(), storage) << c.what;
    }
  }
}

}  // namespace

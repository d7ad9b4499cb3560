// Arithmetic, elementary functions, comparisons, logical operations and the
// numeric constructors (linspace, meshgrid, horzcat, ctranspose).
//
// Character and logical operands take part as their codes and 0/1; every
// arithmetic result is double. An operation is complex when an operand is,
// and a complex result keeps its imaginary part even where it is zero.
// Kernels are plain loops over the stored columns, with separate loops for a
// scalar operand so that the compiler can vectorise them; the elementary
// functions evaluate whole arrays through the vector kernels.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <limits>

#include "platform/array/array.h"
#include "platform/array/vector_maths.h"

namespace rt {

namespace {

struct Cplx {
  double re, im;
};

const ArrayData& value(const Array& a) {
  if (a.isNull()) error("Undefined value used in an operation.");
  return a.data();
}

// An operand of numeric work: double, char or logical.
const ArrayData& numeric(const Array& a) {
  const ArrayData& d = value(a);
  if (d.cls == ClassId::Cell || d.cls == ClassId::Struct)
    error("Operands must be numeric, character or logical arrays, not cells or structures.");
  return d;
}

struct Shape {
  std::size_t rows, cols;
};

// Scalar expansion: a 1x1 operand applies to every element of the other.
Shape expand(const ArrayData& a, const ArrayData& b) {
  const std::size_t na = a.rows * a.cols, nb = b.rows * b.cols;
  if (na == 1) return {b.rows, b.cols};
  if (nb == 1) return {a.rows, a.cols};
  if (a.rows != b.rows || a.cols != b.cols) error("Matrix dimensions must agree.");
  return {a.rows, a.cols};
}

// The two operands of an element-wise operation and the shape of its result.
struct Operands {
  const ArrayData& x;
  const ArrayData& y;
  Shape s;
  std::size_t n;  // elements of the result
};
Operands operands(const Array& a, const Array& b) {
  const ArrayData& x = numeric(a);
  const ArrayData& y = numeric(b);
  const Shape s = expand(x, y);
  return {x, y, s, s.rows * s.cols};
}

template <class F>
void realLoop(std::size_t n, const double* x, bool xs, const double* y, bool ys, double* out, F f) {
  if (xs && ys) {
    const double v = f(x[0], y[0]);
    for (std::size_t i = 0; i < n; ++i) out[i] = v;
  } else if (xs) {
    const double xv = x[0];
    for (std::size_t i = 0; i < n; ++i) out[i] = f(xv, y[i]);
  } else if (ys) {
    const double yv = y[0];
    for (std::size_t i = 0; i < n; ++i) out[i] = f(x[i], yv);
  } else {
    for (std::size_t i = 0; i < n; ++i) out[i] = f(x[i], y[i]);
  }
}

constexpr double kZero = 0.0;

// Pointers and strides of one operand in a complex kernel: a real operand
// reads its imaginary part from a zero that does not advance.
struct Lane {
  const double* re;
  const double* im;
  std::size_t sre, sim;
};

Lane lane(const ArrayData& d) {
  const bool s = d.rows * d.cols == 1;
  const std::size_t st = s ? 0 : 1;
  if (d.im.empty()) return {d.re.data(), &kZero, st, 0};
  return {d.re.data(), d.im.data(), st, st};
}

// The values f(0), f(1), ... as an iterator: a vector constructed from a
// range of them is written once, where std::vector<double>(n) would first
// fill it with zeros (a whole extra pass over a grid).
template <class F>
class Generated {
 public:
  using iterator_category = std::random_access_iterator_tag;
  using value_type = double;
  using difference_type = std::ptrdiff_t;
  using pointer = const double*;
  using reference = double;

  Generated(const F* f, std::size_t i) : f_(f), i_(i) {}
  double operator*() const { return (*f_)(i_); }
  Generated& operator++() {
    ++i_;
    return *this;
  }
  Generated operator++(int) {
    Generated old = *this;
    ++i_;
    return old;
  }
  difference_type operator-(const Generated& o) const {
    return static_cast<difference_type>(i_) - static_cast<difference_type>(o.i_);
  }
  bool operator==(const Generated& o) const { return i_ == o.i_; }

 private:
  const F* f_;
  std::size_t i_;
};

template <class F>
std::vector<double> generate(std::size_t n, const F& f) {
  return std::vector<double>(Generated<F>(&f, 0), Generated<F>(&f, n));
}

// Op::real over n elements, a 1x1 operand applying to each element.
template <class Op>
std::vector<double> realArith(std::size_t n, const double* x, bool xs, const double* y, bool ys) {
  if (xs && ys) return std::vector<double>(n, Op::real(x[0], y[0]));
  if (xs) {
    const double xv = x[0];
    return generate(n, [xv, y](std::size_t i) { return Op::real(xv, y[i]); });
  }
  if (ys) {
    const double yv = y[0];
    return generate(n, [x, yv](std::size_t i) { return Op::real(x[i], yv); });
  }
  return generate(n, [x, y](std::size_t i) { return Op::real(x[i], y[i]); });
}

// The storage an operation with a result of n doubles may write over: that
// of a temporary operand (`t` non-null) that is its only owner and is a
// double array of n elements. Null otherwise.
ArrayData* spare(Array* t, std::size_t n) {
  if (!t || t->isNull()) return nullptr;
  ArrayData* d = std::move(*t).reusable();
  return d && d->cls == ClassId::Double && d->rows * d->cols == n ? d : nullptr;
}

// Element-wise arithmetic: Op::real(x, y) and Op::complex(xr, xi, yr, yi).
// `ta` and `tb` are the operands that are temporaries (else null): the
// result goes into the storage of one of them when it can. Each element is
// read before its result is written, so writing over an operand is safe.
template <class Op>
Array arith(const Array& a, const Array& b, Array* ta = nullptr, Array* tb = nullptr) {
  const auto [x, y, s, n] = operands(a, b);
  Array* owner = ta;
  ArrayData* d = spare(ta, n);
  if (!d) d = spare(owner = tb, n);
  const bool xs = x.re.size() == 1, ys = y.re.size() == 1;
  if (x.im.empty() && y.im.empty()) {
    if (!d)
      return numbers(ClassId::Double, s.rows, s.cols,
                     realArith<Op>(n, x.re.data(), xs, y.re.data(), ys));
    realLoop(n, x.re.data(), xs, y.re.data(), ys, d->re.data(),
             [](double p, double q) { return Op::real(p, q); });
  } else {
    std::vector<double> re, im;
    if (!d) re.resize(n);
    if (!d || d->im.empty()) im.resize(n);
    double* outRe = d ? d->re.data() : re.data();
    double* outIm = im.empty() ? d->im.data() : im.data();
    const Lane p = lane(x), q = lane(y);
    for (std::size_t i = 0; i < n; ++i) {
      const Cplx c =
          Op::complex(p.re[i * p.sre], p.im[i * p.sim], q.re[i * q.sre], q.im[i * q.sim]);
      outRe[i] = c.re;
      outIm[i] = c.im;
    }
    if (!d) return numbers(ClassId::Double, s.rows, s.cols, std::move(re), std::move(im));
    if (!im.empty()) d->im = std::move(im);
  }
  d->rows = s.rows;
  d->cols = s.cols;
  return std::move(*owner);
}

// Element-wise tests with a logical result: Op::real and Op::complex give 0/1.
template <class Op>
Array test(const Array& a, const Array& b) {
  const auto [x, y, s, n] = operands(a, b);
  if (n == 1) {
    if (x.im.empty() && y.im.empty()) return logicalScalar(Op::real(x.re[0], y.re[0]) != 0);
    const Lane p = lane(x), q = lane(y);
    return logicalScalar(Op::complex(p.re[0], p.im[0], q.re[0], q.im[0]) != 0);
  }
  std::vector<double> out(n);
  if (x.im.empty() && y.im.empty()) {
    realLoop(n, x.re.data(), x.re.size() == 1, y.re.data(), y.re.size() == 1, out.data(),
             [](double p, double q) { return Op::real(p, q); });
  } else {
    const Lane p = lane(x), q = lane(y);
    for (std::size_t i = 0; i < n; ++i)
      out[i] = Op::complex(p.re[i * p.sre], p.im[i * p.sim], q.re[i * q.sre], q.im[i * q.sim]);
  }
  return numbers(ClassId::Logical, s.rows, s.cols, std::move(out));
}

// Complex helpers, written out (no special handling of infinities).
inline Cplx cmul(double a, double b, double c, double d) {
  return {a * c - b * d, a * d + b * c};
}
inline Cplx cdiv(double a, double b, double c, double d) {
  const double den = c * c + d * d;
  return {(a * c + b * d) / den, (b * c - a * d) / den};
}
inline Cplx csqrt(double a, double b) {
  if (b == 0) {
    if (a >= 0) return {std::sqrt(a), b};
    return {0.0, std::sqrt(-a)};
  }
  const double r = std::hypot(a, b);
  if (a >= 0) {
    const double t = std::sqrt((r + a) / 2);
    return {t, b / (2 * t)};
  }
  const double t = std::sqrt((r - a) / 2);
  return {std::fabs(b) / (2 * t), std::copysign(t, b)};
}
struct Plus {
  static double real(double x, double y) { return x + y; }
  static Cplx complex(double a, double b, double c, double d) { return {a + c, b + d}; }
};
struct Minus {
  static double real(double x, double y) { return x - y; }
  static Cplx complex(double a, double b, double c, double d) { return {a - c, b - d}; }
};
struct Times {
  static double real(double x, double y) { return x * y; }
  static Cplx complex(double a, double b, double c, double d) { return cmul(a, b, c, d); }
};
struct Divide {
  static double real(double x, double y) { return x / y; }
  static Cplx complex(double a, double b, double c, double d) { return cdiv(a, b, c, d); }
};

struct Eq {
  static double real(double x, double y) { return x == y ? 1.0 : 0.0; }
  static double complex(double a, double b, double c, double d) {
    return a == c && b == d ? 1.0 : 0.0;
  }
};
// Order tests compare real parts.
struct Le {
  static double real(double x, double y) { return x <= y ? 1.0 : 0.0; }
  static double complex(double a, double, double c, double) { return a <= c ? 1.0 : 0.0; }
};
struct Gt {
  static double real(double x, double y) { return x > y ? 1.0 : 0.0; }
  static double complex(double a, double, double c, double) { return a > c ? 1.0 : 0.0; }
};
// NaN counts as true in logical operations, as in conditions.
struct And {
  static double real(double x, double y) { return x != 0 && y != 0 ? 1.0 : 0.0; }
  static double complex(double a, double b, double c, double d) {
    return (a != 0 || b != 0) && (c != 0 || d != 0) ? 1.0 : 0.0;
  }
};
struct Or {
  static double real(double x, double y) { return x != 0 || y != 0 ? 1.0 : 0.0; }
  static double complex(double a, double b, double c, double d) {
    return (a != 0 || b != 0) || (c != 0 || d != 0) ? 1.0 : 0.0;
  }
};

// Whether the m values from x all have the bits of the first: each equals
// the one before it, which the C library compares a vector at a time.
bool allLike(const double* x, std::size_t m) {
  return m < 2 || std::memcmp(x + 1, x, (m - 1) * sizeof(double)) == 0;
}

// f(m, x, out) over the elements of a real matrix of `rows` rows, `n` in
// all. Equal bits give an equal result, so a column that repeats the one
// before it takes that column's results, and a column of one value takes a
// single result: a grid that is constant down its columns, or whose columns
// repeat (what meshgrid makes), costs one evaluation per distinct value. The
// other columns go to f in runs as long as possible, since the vector kernels
// work best on long stretches; a row is taken as one column. The columns are
// told apart before anything is written, so `out` may be `x`.
template <class F>
void realRepeating(std::size_t n, std::size_t rows, const double* x, double* out, F f) {
  if (rows <= 1) rows = n;
  if (n == 0) return;
  const std::size_t bytes = rows * sizeof(double), cols = n / rows;
  enum Kind : unsigned char { Fresh, Repeat, Constant };
  std::vector<Kind> kinds(cols, Fresh);
  for (std::size_t c = 0; c < cols; ++c) {
    const double* xc = x + c * rows;
    if (c > 0 && std::memcmp(xc, xc - rows, bytes) == 0) {
      kinds[c] = Repeat;
      continue;
    }
    if (allLike(xc, rows)) kinds[c] = Constant;
  }
  std::size_t pending = 0;  // the first element not yet evaluated
  for (std::size_t c = 0; c < cols; ++c) {
    if (kinds[c] == Fresh) continue;
    // The columns before this one first: it may repeat the last of them.
    const std::size_t j = c * rows;
    f(j - pending, x + pending, out + pending);
    if (kinds[c] == Repeat) {
      std::memmove(out + j, out + j - rows, bytes);
    } else {
      f(1, x + j, out + j);
      std::fill(out + j + 1, out + j + rows, out[j]);
    }
    pending = j + rows;
  }
  f(n - pending, x + pending, out + pending);
}

// Element-wise function. Op::real(n, x, out) and Op::complex(n, re, im, outRe,
// outIm) evaluate whole arrays (the output may be the input); Op::leavesReal(x):
// false when a real x has a complex result (then the whole array is computed
// as complex). Op::costly: an evaluation costs far more than comparing two
// elements. `t` is the argument when it is a temporary: the result goes into
// its storage when nothing else shares it.
template <class Op>
Array unary(const Array& a, Array* t = nullptr) {
  const ArrayData& x = numeric(a);
  const std::size_t n = x.re.size();
  ArrayData* d = spare(t, n);
  bool real = x.im.empty();
  if (real) {
    for (std::size_t i = 0; i < n; ++i) real = real && Op::leavesReal(x.re[i]);
  }
  std::vector<double> re;
  if (!d) re.resize(n);
  double* out = d ? d->re.data() : re.data();
  if (real) {
    if constexpr (Op::costly)
      realRepeating(n, x.rows, x.re.data(), out, Op::real);
    else
      Op::real(n, x.re.data(), out);
    if (!d) return numbers(ClassId::Double, x.rows, x.cols, std::move(re));
    return std::move(*t);
  }
  std::vector<double> im;
  if (!d || d->im.empty()) im.resize(n);
  double* outIm = im.empty() ? d->im.data() : im.data();
  // A real argument has a complex result here: its imaginary parts are zero.
  const double* xi = x.im.empty() ? outIm : x.im.data();
  Op::complex(n, x.re.data(), xi, out, outIm);
  if (!d) return numbers(ClassId::Double, x.rows, x.cols, std::move(re), std::move(im));
  if (!im.empty()) d->im = std::move(im);
  return std::move(*t);
}

// Op::complex(re, im) applied to each element, for functions without a
// vector kernel of their complex form.
template <class Op>
void eachComplex(std::size_t n, const double* a, const double* b, double* re, double* im) {
  for (std::size_t i = 0; i < n; ++i) {
    const Cplx c = Op::complex(a[i], b[i]);
    re[i] = c.re;
    im[i] = c.im;
  }
}

struct Sqrt {
  static constexpr bool costly = false;
  static bool leavesReal(double x) { return !(x < 0); }
  static void real(std::size_t n, const double* x, double* out) { vec::kernels().sqrt(n, x, out); }
  static Cplx complex(double a, double b) { return csqrt(a, b); }
  static void complex(std::size_t n, const double* a, const double* b, double* re, double* im) {
    eachComplex<Sqrt>(n, a, b, re, im);
  }
};
struct Exp {
  static constexpr bool costly = true;
  static bool leavesReal(double) { return true; }
  static void real(std::size_t n, const double* x, double* out) { vec::kernels().exp(n, x, out); }
  static void complex(std::size_t n, const double* a, const double* b, double* re, double* im) {
    vec::kernels().cexp(n, a, b, re, im);
  }
};
// log|z| + i atan2(im, re); |z| = hypot(re, im) from the maths library, since
// log near 1 magnifies any difference in it. The hypotenuses go into a
// buffer of their own, so that `re` may be the storage of `a`.
struct Log {
  static constexpr bool costly = true;
  static bool leavesReal(double x) { return !(x < 0); }
  static void real(std::size_t n, const double* x, double* out) { vec::kernels().log(n, x, out); }
  static void complex(std::size_t n, const double* a, const double* b, double* re, double* im) {
    std::vector<double> m(n);
    for (std::size_t i = 0; i < n; ++i) m[i] = std::hypot(a[i], b[i]);
    for (std::size_t i = 0; i < n; ++i) im[i] = std::atan2(b[i], a[i]);
    vec::kernels().log(n, m.data(), re);
  }
};
struct Sin {
  static constexpr bool costly = true;
  static bool leavesReal(double) { return true; }
  static void real(std::size_t n, const double* x, double* out) { vec::kernels().sin(n, x, out); }
  static void complex(std::size_t n, const double* a, const double* b, double* re, double* im) {
    vec::kernels().csin(n, a, b, re, im);
  }
};
struct Cos {
  static constexpr bool costly = true;
  static bool leavesReal(double) { return true; }
  static void real(std::size_t n, const double* x, double* out) { vec::kernels().cos(n, x, out); }
  static void complex(std::size_t n, const double* a, const double* b, double* re, double* im) {
    vec::kernels().ccos(n, a, b, re, im);
  }
};
struct Fix {
  static constexpr bool costly = false;
  static bool leavesReal(double) { return true; }
  static void real(std::size_t n, const double* x, double* out) {
    for (std::size_t i = 0; i < n; ++i) out[i] = std::trunc(x[i]);
  }
  static Cplx complex(double a, double b) { return {std::trunc(a), std::trunc(b)}; }
  static void complex(std::size_t n, const double* a, const double* b, double* re, double* im) {
    eachComplex<Fix>(n, a, b, re, im);
  }
};

double scalarOf(const Array& a, const char* what) {
  const ArrayData& d = numeric(a);
  if (d.re.size() != 1) error(std::string(what) + " must be a scalar.");
  return d.re[0];
}

}  // namespace

// ------------------------------------------------------------ arithmetic
// An elementwise operator on two arrays: the element rule (arithmetic or a
// test) applied with its operation. One row per operator.
#define RT_ELEMENTWISE(name, rule, operation)  \
  Array name(const Array& a, const Array& b) { \
    return rule<operation>(a, b);              \
  }

// clang-format off
RT_ELEMENTWISE(plus,      arith, Plus)
RT_ELEMENTWISE(minus,     arith, Minus)
RT_ELEMENTWISE(times,     arith, Times)
RT_ELEMENTWISE(rdivide,   arith, Divide)
RT_ELEMENTWISE(operator+, arith, Plus)
RT_ELEMENTWISE(operator-, arith, Minus)
RT_ELEMENTWISE(operator*, arith, Times)
RT_ELEMENTWISE(operator/, arith, Divide)
// clang-format on

// An operator with temporary operands, which its result may write over.
#define RT_TEMPORARIES(name, operation)         \
  Array name(Array&& a, const Array& b) {       \
    return arith<operation>(a, b, &a);          \
  }                                             \
  Array name(const Array& a, Array&& b) {       \
    return arith<operation>(a, b, nullptr, &b); \
  }                                             \
  Array name(Array&& a, Array&& b) {            \
    return arith<operation>(a, b, &a, &b);      \
  }

// clang-format off
RT_TEMPORARIES(operator+, Plus)
RT_TEMPORARIES(operator-, Minus)
RT_TEMPORARIES(operator*, Times)
RT_TEMPORARIES(operator/, Divide)
// clang-format on
#undef RT_TEMPORARIES

Array mtimes(const Array& a, const Array& b) {
  const ArrayData& x = numeric(a);
  const ArrayData& y = numeric(b);
  if (x.re.size() == 1 || y.re.size() == 1) return arith<Times>(a, b);
  if (x.cols != y.rows) error("Inner matrix dimensions must agree.");
  const std::size_t m = x.rows, k = x.cols, n = y.cols;
  std::vector<double> re(m * n, 0.0);
  if (x.im.empty() && y.im.empty()) {
    for (std::size_t j = 0; j < n; ++j)
      for (std::size_t p = 0; p < k; ++p) {
        const double v = y.re[p + j * k];
        const double* col = x.re.data() + p * m;
        double* out = re.data() + j * m;
        for (std::size_t i = 0; i < m; ++i) out[i] += col[i] * v;
      }
    return numbers(ClassId::Double, m, n, std::move(re));
  }
  std::vector<double> im(m * n, 0.0);
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t p = 0; p < k; ++p) {
      const double vr = y.re[p + j * k], vi = y.im.empty() ? 0.0 : y.im[p + j * k];
      for (std::size_t i = 0; i < m; ++i) {
        const double ur = x.re[i + p * m], ui = x.im.empty() ? 0.0 : x.im[i + p * m];
        const Cplx c = cmul(ur, ui, vr, vi);
        re[i + j * m] += c.re;
        im[i + j * m] += c.im;
      }
    }
  return numbers(ClassId::Double, m, n, std::move(re), std::move(im));
}

Array mrdivide(const Array& a, const Array& b) {
  const ArrayData& y = numeric(b);
  numeric(a);
  if (y.re.size() != 1)
    error(
        "Matrix right division is only supported by a scalar divisor; use ./ for element-wise "
        "division.");
  return arith<Divide>(a, b);
}

double scalarRdivide(double a, double b) {
  return a / b;
}

// An elementwise function of one array, and of a temporary, which its
// result may write over. One row per function.
#define RT_UNARY(name, operation)   \
  Array name(const Array& a) {      \
    return unary<operation>(a);     \
  }                                 \
  Array name(Array&& a) {           \
    return unary<operation>(a, &a); \
  }

// clang-format off
RT_UNARY(sqrt, Sqrt)
RT_UNARY(exp,  Exp)
RT_UNARY(log,  Log)
RT_UNARY(sin,  Sin)
RT_UNARY(cos,  Cos)
RT_UNARY(fix,  Fix)
// clang-format on
#undef RT_UNARY

Array real(const Array& a) {
  const ArrayData& x = numeric(a);
  return numbers(ClassId::Double, x.rows, x.cols, x.re);
}

Array imag(const Array& a) {
  const ArrayData& x = numeric(a);
  if (x.im.empty())
    return numbers(ClassId::Double, x.rows, x.cols, std::vector<double>(x.re.size()));
  return numbers(ClassId::Double, x.rows, x.cols, x.im);
}

// Transpose, conjugating complex values; the class is kept.
Array ctranspose(const Array& a) {
  const ArrayData& x = value(a);
  if (x.cls == ClassId::Struct) return a;
  const std::size_t r = x.rows, c = x.cols;
  ArrayData d;
  d.cls = x.cls;
  d.rows = c;
  d.cols = r;
  if (x.cls == ClassId::Cell) {
    d.cells.resize(r * c);
    for (std::size_t i = 0; i < r; ++i)
      for (std::size_t j = 0; j < c; ++j) d.cells[j + i * c] = x.cells[i + j * r];
    return Array(std::move(d));
  }
  d.re.resize(r * c);
  for (std::size_t i = 0; i < r; ++i)
    for (std::size_t j = 0; j < c; ++j) d.re[j + i * c] = x.re[i + j * r];
  if (!x.im.empty()) {
    d.im.resize(r * c);
    for (std::size_t i = 0; i < r; ++i)
      for (std::size_t j = 0; j < c; ++j) d.im[j + i * c] = -x.im[i + j * r];
  }
  return Array(std::move(d));
}

// ----------------------------------------------------------------- tests
// clang-format off
RT_ELEMENTWISE(eq,   test, Eq)
RT_ELEMENTWISE(le,   test, Le)
RT_ELEMENTWISE(gt,   test, Gt)
RT_ELEMENTWISE(and_, test, And)
RT_ELEMENTWISE(or_,  test, Or)
// clang-format on
#undef RT_ELEMENTWISE

Array not_(const Array& a) {
  const ArrayData& x = numeric(a);
  if (x.re.size() == 1) return logicalScalar(x.re[0] == 0 && (x.im.empty() || x.im[0] == 0));
  std::vector<double> out(x.re.size());
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = (x.re[i] == 0 && (x.im.empty() || x.im[i] == 0)) ? 1.0 : 0.0;
  return numbers(ClassId::Logical, x.rows, x.cols, std::move(out));
}

namespace {
bool nonZero(const ArrayData& x, std::size_t i) {
  return x.re[i] != 0 || (!x.im.empty() && x.im[i] != 0);
}
}  // namespace

// Over every element: all([]) is true, any([]) false.
Array all(const Array& a) {
  const ArrayData& x = numeric(a);
  for (std::size_t i = 0; i < x.re.size(); ++i)
    if (!nonZero(x, i)) return logicalScalar(false);
  return logicalScalar(true);
}

Array any(const Array& a) {
  const ArrayData& x = numeric(a);
  for (std::size_t i = 0; i < x.re.size(); ++i)
    if (nonZero(x, i)) return logicalScalar(true);
  return logicalScalar(false);
}

bool tobool(const Array& a) {
  if (a.isNull()) error("Undefined value used as a condition.");
  if (a.isCell() || a.isStruct())
    error("Conversion to logical from a cell or structure is not possible.");
  const ArrayData& x = a.data();
  if (x.re.empty()) return false;
  for (std::size_t i = 0; i < x.re.size(); ++i)
    if (!nonZero(x, i)) return false;
  return true;
}

bool eqBool(const Array& a, const Array& b) {
  return tobool(eq(a, b));
}
bool leBool(const Array& a, const Array& b) {
  return tobool(le(a, b));
}
bool gtBool(const Array& a, const Array& b) {
  return tobool(gt(a, b));
}
// The truth of ~a: false for an empty a, like any other empty condition.
bool notBool(const Array& a) {
  return tobool(not_(a));
}

// ---------------------------------------------------------- construction
// n values from a to b: a + (k*(b-a))/(n-1) for k < n-1, then b itself.
// A null n means 100 points; n below 1 gives a 1x0 row, n = 1 gives b.
Array linspace(const Array& a, const Array& b, const Array& n) {
  const double lo = scalarOf(a, "The start of linspace");
  const double hi = scalarOf(b, "The end of linspace");
  double count = n.isNull() ? 100.0 : scalarOf(n, "The number of points of linspace");
  if (std::isnan(count)) error("The number of points of linspace must be a number.");
  count = std::floor(count);
  if (count > 1e9) error("Too many points requested of linspace.");
  const std::size_t m = count < 1 ? 0 : static_cast<std::size_t>(count);
  std::vector<double> v(m);
  if (m > 0) {
    const double step = hi - lo, den = static_cast<double>(m - 1);
    for (std::size_t k = 0; k + 1 < m; ++k) v[k] = lo + (static_cast<double>(k) * step) / den;
    v[m - 1] = hi;
  }
  return numbers(ClassId::Double, 1, m, std::move(v));
}

// X(r, s) = x(s) and Y(r, s) = y(r), with numel(y) rows and numel(x) columns.
std::pair<Array, Array> meshgrid(const Array& x, const Array& y) {
  const ArrayData& px = numeric(x);
  const ArrayData& py = numeric(y);
  const std::size_t nc = px.re.size(), nr = py.re.size();
  auto grid = [&](const ArrayData& src, bool alongRows) {
    std::vector<double> re(nr * nc), im;
    for (std::size_t s = 0; s < nc; ++s)
      for (std::size_t r = 0; r < nr; ++r) re[r + s * nr] = src.re[alongRows ? s : r];
    if (!src.im.empty()) {
      im.resize(nr * nc);
      for (std::size_t s = 0; s < nc; ++s)
        for (std::size_t r = 0; r < nr; ++r) im[r + s * nr] = src.im[alongRows ? s : r];
    }
    return numbers(ClassId::Double, nr, nc, std::move(re), std::move(im));
  };
  return {grid(px, true), grid(py, false)};
}

Array horzcat(std::initializer_list<Array> parts) {
  return horzcat(std::span<const Array>(parts.begin(), parts.size()));
}

// Joins arrays side by side. 0x0 parts are skipped; the rest need equal row
// counts. Any cell makes the result a cell (other parts become elements);
// otherwise char wins over numbers, and the result is logical only when
// every part is.
Array horzcat(std::span<const Array> parts) {
  std::vector<const Array*> used;
  bool anyCell = false, anyChar = false, allLogical = true, anyComplex = false;
  for (const Array& p : parts) {
    if (p.isNull()) break;  // the end of an argument list
    if (p.isChar()) anyChar = true;
    if (p.rows() == 0 && p.cols() == 0) continue;
    if (p.isStruct()) error("Structures cannot be concatenated.");
    anyCell = anyCell || p.isCell();
    allLogical = allLogical && p.isLogical();
    anyComplex = anyComplex || p.isComplex();
    used.push_back(&p);
  }
  if (used.empty()) return anyChar ? emptyChar() : emptyDouble();
  if (anyCell) {
    std::vector<Array> cells;
    const std::size_t rows = used[0]->isCell() ? used[0]->rows() : 1;
    std::size_t cols = 0;
    for (const Array* p : used) {
      if ((p->isCell() ? p->rows() : 1) != rows)
        error("Dimensions of matrices being concatenated are not consistent.");
      if (p->isCell()) {
        cells.insert(cells.end(), p->cells().begin(), p->cells().end());
        cols += p->cols();
      } else {
        cells.push_back(*p);
        cols += 1;
      }
    }
    return cell(rows, cols, std::move(cells));
  }
  const std::size_t rows = used[0]->rows();
  std::size_t cols = 0;
  for (const Array* p : used) {
    if (p->rows() != rows) error("Dimensions of matrices being concatenated are not consistent.");
    cols += p->cols();
  }
  // Text keeps only the codes (real parts).
  const ClassId cls = anyChar ? ClassId::Char : allLogical ? ClassId::Logical : ClassId::Double;
  anyComplex = anyComplex && cls == ClassId::Double;
  std::vector<double> re, im;
  re.reserve(rows * cols);
  if (anyComplex) im.reserve(rows * cols);
  for (const Array* p : used) {
    re.insert(re.end(), p->re().begin(), p->re().end());
    if (anyComplex) {
      if (p->isComplex())
        im.insert(im.end(), p->im().begin(), p->im().end());
      else
        im.insert(im.end(), p->re().size(), 0.0);
    }
  }
  return numbers(cls, rows, cols, std::move(re), std::move(im));
}

}  // namespace rt

// The loops of the vector kernels, written once for every instruction set:
// a file per set defines `Isa` (its vector type, width, loads and stores and
// its SLEEF functions) and includes this to build its table.
//
// Only this file's own templates, the compiler's intrinsics and the C maths
// library's functions are used, in an unnamed namespace: an inline function
// of a shared header compiled here could be picked by the linker for every
// caller, and would then run wide instructions on processors that lack them.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstring>

#include "platform/array/vector_maths.h"

namespace rt::vec {
namespace {

using V = Isa::V;
constexpr std::size_t W = Isa::W;

// Runs f over n elements W at a time: f(in, out) reads NI vectors and writes
// NO. The last partial group is copied into zero-padded buffers and goes
// through the same f, so an element's result does not depend on its place.
template <std::size_t NI, std::size_t NO, class F>
void over(std::size_t n, const double* const (&in)[NI], double* const (&out)[NO], F f) {
  V vi[NI], vo[NO];
  std::size_t i = 0;
  for (; i + W <= n; i += W) {
    for (std::size_t k = 0; k < NI; ++k) vi[k] = Isa::load(in[k] + i);
    f(vi, vo);
    for (std::size_t k = 0; k < NO; ++k) Isa::store(out[k] + i, vo[k]);
  }
  if (i == n) return;
  const std::size_t rest = n - i;
  alignas(64) double buf[W];
  for (std::size_t k = 0; k < NI; ++k) {
    std::memset(buf, 0, sizeof buf);
    std::memcpy(buf, in[k] + i, rest * sizeof(double));
    vi[k] = Isa::load(buf);
  }
  f(vi, vo);
  for (std::size_t k = 0; k < NO; ++k) {
    Isa::store(buf, vo[k]);
    std::memcpy(out[k] + i, buf, rest * sizeof(double));
  }
}

template <auto F>
void unary(std::size_t n, const double* x, double* out) {
  over<1, 1>(n, {x}, {out}, [](const V* v, V* r) { r[0] = F(v[0]); });
}

// A complex result is a product of two functions, each of which may be a
// unit off the maths library's, rounded once more: up to three units off
// the library's product. Where both factors are in play the element takes
// the maths library's functions, so that every element stays within two
// units: an exponent with a real part, a sine or cosine with an imaginary
// one (which also keeps SLEEF's sinh and cosh from overflowing early, just
// below 710). Exponents of imaginary numbers (a line's phase) and arguments
// on the real line keep the vector functions: one factor is then 1 or 0.
// A block's arguments are copied first: the results may be written over
// them. Arrays with no such element (a model's) go through in one pass.
template <bool RealPart, class F, class Exact>
void complexForm(std::size_t n, const double* a, const double* b, double* re, double* im, F f,
                 Exact exact) {
  const double* part = RealPart ? a : b;
  bool any = false;
  for (std::size_t i = 0; i < n; ++i) any |= part[i] != 0;
  if (!any) return over<2, 2>(n, {a, b}, {re, im}, f);
  for (std::size_t i = 0; i < n; i += W) {
    const std::size_t m = n - i < W ? n - i : W;
    alignas(64) double x[W], y[W];
    std::memcpy(x, a + i, m * sizeof(double));
    std::memcpy(y, b + i, m * sizeof(double));
    over<2, 2>(m, {x, y}, {re + i, im + i}, f);
    for (std::size_t k = 0; k < m; ++k)
      if ((RealPart ? x[k] : y[k]) != 0) exact(x[k], y[k], re[i + k], im[i + k]);  // NaN too
  }
}

void cexp(std::size_t n, const double* a, const double* b, double* re, double* im) {
  complexForm<true>(
      n, a, b, re, im,
      [](const V* v, V* r) {
        const V m = Isa::exp(v[0]);
        const auto sc = Isa::sincos(v[1]);
        r[0] = m * sc.y;
        r[1] = m * sc.x;
      },
      [](double x, double y, double& r, double& i) {
        r = std::exp(x) * std::cos(y);
        i = std::exp(x) * std::sin(y);
      });
}

void csin(std::size_t n, const double* a, const double* b, double* re, double* im) {
  complexForm<false>(
      n, a, b, re, im,
      [](const V* v, V* r) {
        const auto sc = Isa::sincos(v[0]);
        r[0] = sc.x * Isa::cosh(v[1]);
        r[1] = sc.y * Isa::sinh(v[1]);
      },
      [](double x, double y, double& r, double& i) {
        r = std::sin(x) * std::cosh(y);
        i = std::cos(x) * std::sinh(y);
      });
}

void ccos(std::size_t n, const double* a, const double* b, double* re, double* im) {
  complexForm<false>(
      n, a, b, re, im,
      [](const V* v, V* r) {
        const auto sc = Isa::sincos(v[0]);
        r[0] = sc.y * Isa::cosh(v[1]);
        r[1] = -(sc.x * Isa::sinh(v[1]));
      },
      [](double x, double y, double& r, double& i) {
        r = std::cos(x) * std::cosh(y);
        i = -(std::sin(x) * std::sinh(y));
      });
}

// The table of this instruction set's kernels.
constexpr Kernels table() {
  return {Isa::name,
          unary<Isa::sin>,
          unary<Isa::cos>,
          unary<Isa::exp>,
          unary<Isa::log>,
          unary<Isa::sqrt>,
          cexp,
          csin,
          ccos};
}

}  // namespace
}  // namespace rt::vec

// Element-wise transcendental functions over whole arrays, several elements
// at a time with the SLEEF library's 1-ULP functions, at the widest vector
// width the processor has (AVX-512, AVX2 or SSE2, chosen once at run time).
//
// Every element goes through the same vector function, the last partial
// group included, so a value gives the same result wherever it stands in an
// array: the runtime relies on that when it reuses results of repeated
// columns and values.
#pragma once

#include <cstddef>
#include <span>

namespace rt::vec {

// out[i] = f(x[i]) for i < n; out may be x.
using Unary = void (*)(std::size_t n, const double* x, double* out);
// The complex function of a[i] + i b[i] into re[i] + i im[i].
using Complex = void (*)(std::size_t n, const double* a, const double* b, double* re, double* im);

struct Kernels {
  const char* name;  // the instruction set, for benchmarks and test names
  Unary sin, cos, exp, log, sqrt;
  // exp(a) (cos b, sin b); sin(a) cosh(b), cos(a) sinh(b);
  // cos(a) cosh(b), -sin(a) sinh(b).
  Complex cexp, csin, ccos;
};

// The kernels of the widest vector width this processor runs.
const Kernels& kernels();
// Every width this processor runs, widest first (tests check each).
std::span<const Kernels* const> available();

// One table per instruction set, each built in a file of its own compiled for
// that instruction set; only the table is shared, so no code compiled for a
// wider set can be reached on a processor without it.
extern const Kernels kSse2;
extern const Kernels kAvx2;
extern const Kernels kAvx512;

}  // namespace rt::vec

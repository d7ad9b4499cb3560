// The vector kernels for AVX2 (with FMA): four doubles at a time. Compiled with
// -mavx2 -mfma and only ever reached through rt::vec::kernels() on a processor
// that has it.
#include <immintrin.h>
#include <sleef.h>

#include <cstddef>

namespace rt::vec {
namespace {
struct Isa {
  using V = __m256d;
  static constexpr std::size_t W = 4;
  static constexpr const char* name = "avx2";
  static V load(const double* p) { return _mm256_loadu_pd(p); }
  static void store(double* p, V v) { _mm256_storeu_pd(p, v); }
  static V sqrt(V v) { return _mm256_sqrt_pd(v); }
  static constexpr auto sin = Sleef_sind4_u10avx2;
  static constexpr auto cos = Sleef_cosd4_u10avx2;
  static constexpr auto sincos = Sleef_sincosd4_u10avx2;
  static constexpr auto exp = Sleef_expd4_u10avx2;
  static constexpr auto log = Sleef_logd4_u10avx2;
  static constexpr auto sinh = Sleef_sinhd4_u10avx2;
  static constexpr auto cosh = Sleef_coshd4_u10avx2;
};
}  // namespace
}  // namespace rt::vec

#include "platform/array/vector_kernels.h"

namespace rt::vec {
const Kernels kAvx2 = table();
}  // namespace rt::vec

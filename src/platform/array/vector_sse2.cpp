// The vector kernels for SSE2, which every x86-64 processor has: two doubles at a
// time, the fallback when neither wider set is there.
#include <immintrin.h>
#include <sleef.h>

#include <cstddef>

namespace rt::vec {
namespace {
struct Isa {
  using V = __m128d;
  static constexpr std::size_t W = 2;
  static constexpr const char* name = "sse2";
  static V load(const double* p) { return _mm_loadu_pd(p); }
  static void store(double* p, V v) { _mm_storeu_pd(p, v); }
  static V sqrt(V v) { return _mm_sqrt_pd(v); }
  static constexpr auto sin = Sleef_sind2_u10sse2;
  static constexpr auto cos = Sleef_cosd2_u10sse2;
  static constexpr auto sincos = Sleef_sincosd2_u10sse2;
  static constexpr auto exp = Sleef_expd2_u10sse2;
  static constexpr auto log = Sleef_logd2_u10sse2;
  static constexpr auto sinh = Sleef_sinhd2_u10sse2;
  static constexpr auto cosh = Sleef_coshd2_u10sse2;
};
}  // namespace
}  // namespace rt::vec

#include "platform/array/vector_kernels.h"

namespace rt::vec {
const Kernels kSse2 = table();
}  // namespace rt::vec

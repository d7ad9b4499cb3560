// The vector kernels for AVX-512: eight doubles at a time. Compiled with
// -mavx512f and only ever reached through rt::vec::kernels() on a processor
// that has it.
#include <immintrin.h>
#include <sleef.h>

#include <cstddef>

namespace rt::vec {
namespace {
struct Isa {
  using V = __m512d;
  static constexpr std::size_t W = 8;
  static constexpr const char* name = "avx512";
  static V load(const double* p) { return _mm512_loadu_pd(p); }
  static void store(double* p, V v) { _mm512_storeu_pd(p, v); }
  // The masked form with every lane on: GCC 12 warns of the undefined
  // register that the plain form starts from.
  static V sqrt(V v) { return _mm512_mask_sqrt_pd(v, 0xff, v); }
  static constexpr auto sin = Sleef_sind8_u10avx512f;
  static constexpr auto cos = Sleef_cosd8_u10avx512f;
  static constexpr auto sincos = Sleef_sincosd8_u10avx512f;
  static constexpr auto exp = Sleef_expd8_u10avx512f;
  static constexpr auto log = Sleef_logd8_u10avx512f;
  static constexpr auto sinh = Sleef_sinhd8_u10avx512f;
  static constexpr auto cosh = Sleef_coshd8_u10avx512f;
};
}  // namespace
}  // namespace rt::vec

#include "platform/array/vector_kernels.h"

namespace rt::vec {
const Kernels kAvx512 = table();
}  // namespace rt::vec

// Chooses the vector kernels for this processor once, at first use.
#include "platform/array/vector_maths.h"

#include <iterator>

namespace rt::vec {

namespace {

// Widest first. The AVX2 kernels use FMA instructions too. The compiler's
// checks also ask whether the operating system saves the wide registers
// (valgrind, for one, reports no AVX-512).
const struct {
  const Kernels* kernels;
  bool (*runs)();
} kSets[] = {
    {&kAvx512, [] { return __builtin_cpu_supports("avx512f") != 0; }},
    {&kAvx2, [] { return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"); }},
    {&kSse2, [] { return true; }},
};

struct Available {
  const Kernels* list[std::size(kSets)];
  std::size_t count = 0;
  Available() {
    // Before the C++ run time's own constructors have run, the checks need this.
    __builtin_cpu_init();
    for (const auto& set : kSets)
      if (set.runs()) list[count++] = set.kernels;
  }
};

const Available& found() {
  static const Available a;
  return a;
}

}  // namespace

const Kernels& kernels() {
  static const Kernels& widest = *found().list[0];
  return widest;
}

std::span<const Kernels* const> available() {
  return {found().list, found().count};
}

}  // namespace rt::vec

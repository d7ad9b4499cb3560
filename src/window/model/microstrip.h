// microstrip: what the two antenna models share about the patch seen as a
// microstrip line.
//
// Written once for any value type with + - * / and a sqrt found by argument
// lookup: the models call it on runtime arrays with their own constants, the
// benchmarks' fused loops on plain doubles, so both compute the same formula
// in the same order.
#pragma once

#include <cmath>

namespace microstrip {

// Effective relative permittivity of a strip of width `wp` on a substrate of
// height `h` and relative permittivity `er`. The numbers 1, 2 and 10 come
// from the caller because each module keeps its own constants.
template <class T>
T effectivePermittivity(const T& er, const T& h, const T& wp, const T& one, const T& two,
                        const T& ten) {
  using std::sqrt;
  return (er + one) / two + ((er - one) / two) / sqrt(one + ten * h / wp);
}

}  // namespace microstrip

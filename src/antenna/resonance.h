// The one way the program finds where an impedance sweep resonates by its
// resistance: the largest sample, and the peak placed between samples by a
// parabola through that sample and its neighbours (on a frequency axis that
// may be uneven). Frequencies in Hz, resistance in ohm.
#pragma once

#include <cstddef>
#include <optional>
#include <span>

namespace antenna {

// The index of the largest resistance, the first of equals; a sample that
// is no number is never the largest unless all are. Requires one sample.
std::size_t resistancePeakIndex(std::span<const double> r);

struct ResistancePeak {
  double frequency = 0;   // Hz
  double resistance = 0;  // ohm
};
// The peak between samples; at a band end, or where the three samples do
// not bend down, the largest sample itself. Nothing for an empty sweep or
// one whose largest resistance is no finite number.
std::optional<ResistancePeak> resistancePeak(std::span<const double> hz, std::span<const double> r);

}  // namespace antenna

// Fuzz target: the Touchstone reader must take any bytes without crashing,
// and what it takes must be data the readout can use: increasing
// frequencies, finite S11, a positive reference, and a file it writes of
// them must read back the same.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/touchstone.h"
#include "fuzz_check.h"

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  formats::OnePort p;
  try {
    p = formats::parseTouchstone(bytes, "fuzz.s1p");
  } catch (const formats::TouchstoneError&) {
    return 0;
  }
  check(!p.hz.empty() && p.hz.size() == p.s11.size(), "one S11 per frequency");
  check(p.z0 > 0 && std::isfinite(p.z0), "a positive reference");
  for (std::size_t i = 0; i < p.hz.size(); ++i) {
    check(std::isfinite(p.s11[i].real()) && std::isfinite(p.s11[i].imag()), "finite S11");
    check(i == 0 || p.hz[i] > p.hz[i - 1], "increasing frequencies");
  }
  std::string text;
  try {
    text = formats::formatTouchstone(p, {});
  } catch (const std::invalid_argument&) {
    // Frequencies closer than GHz text tells apart: refused, never written.
    return 0;
  }
  // The frequencies come back through their GHz text: to its last digit.
  const formats::OnePort back = formats::parseTouchstone(text, "back");
  check(back.hz.size() == p.hz.size() && back.s11 == p.s11 && back.z0 == p.z0,
        "what is written reads back");
  for (std::size_t i = 0; i < p.hz.size(); ++i)
    check(std::abs(back.hz[i] - p.hz[i]) <= 4.5e-16 * p.hz[i], "the frequencies read back");
  return 0;
}

// Fuzz target: the text conversions of the array runtime must take any bytes
// without crashing, and numbers must survive a trip through their text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "platform/array/array.h"

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const rt::Array text = rt::str(bytes);

  // Text to numbers: one number or NaN; a row of numbers or the empty array.
  const rt::Array d = rt::str2double(text);
  check(d.isNumeric() && d.isScalar() && !d.isComplex(), "str2double gives one real number");
  const rt::Array n = rt::str2num(text);
  check(n.isNumeric() && (n.empty() || n.rows() == 1), "str2num gives a row or []");
  if (!std::isnan(d.scalar()) && n.isScalar())
    check(n.scalar() == d.scalar() || (std::isnan(n.scalar()) && std::isnan(d.scalar())),
          "str2num and str2double agree on one number");

  // The number's text (num2str keeps at least five significant digits) reads
  // back as nearly the same number.
  if (size >= sizeof(double)) {
    double x;
    std::memcpy(&x, data, sizeof x);
    const rt::Array s = rt::num2str(rt::scalar(x));
    check(s.isChar() && s.rows() == 1, "num2str gives one row of text");
    const double back = rt::str2double(s).scalar();
    if (std::isnan(x)) {
      check(std::isnan(back), "NaN reads back as NaN");
    } else if (std::isinf(x)) {
      check(back == x, "Inf reads back as Inf");
    } else {
      check(std::fabs(back - x) <= 1e-4 * std::fabs(x),
            "num2str keeps the number to its shown digits");
    }
    check(rt::str2num(s).isNumeric(), "num2str's text is number text");
  }
  return 0;
}

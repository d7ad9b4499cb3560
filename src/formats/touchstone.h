// Touchstone one-port files: reading version 1.x with any unit, parameter
// kind, number format and reference resistance, and version 2.0 with S
// parameters, into S11 against frequency in Hz; lines may end in LF, CRLF
// or CR alone. Writing S11 as real and imaginary parts with 17 significant
// digits. Pure C++: no files, no graphics and no array runtime (the program
// reads a file's bytes through its bounded reader).
#pragma once

#include <complex>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace formats {

// One-port network data: S11 at increasing frequencies, referred to z0.
struct OnePort {
  std::vector<double> hz;
  std::vector<std::complex<double>> s11;
  double z0 = 50;
};

// A file that is not a one-port Touchstone file. `line` is 1-based (0 when
// the file could not be read at all).
class TouchstoneError : public std::runtime_error {
 public:
  TouchstoneError(const std::string& file, std::size_t line, const std::string& reason);
  std::string file;
  std::size_t line;
  std::string reason;
};

// The most data points a file may hold.
inline constexpr std::size_t kMaxTouchstonePoints = 100000;

OnePort parseTouchstone(std::string_view text, const std::string& file);
// The most bytes a file may hold: far more than the most points take, even
// with comments.
inline constexpr std::size_t kMaxTouchstoneBytes = 64 << 20;

// The file text: each of `comments` on a "!" line, the option line
// "# GHz S RI R <z0>", then one row per frequency.
std::string formatTouchstone(const OnePort& data, const std::vector<std::string>& comments);

}  // namespace formats

// The window's units beside the library's. The library computes in SI
// (metres, hertz); the window, its files and the script show millimetres and
// GHz. Every crossing between the two goes through one of these, so that a
// value crossed twice comes back the same way wherever it crosses.
#pragma once

#include <cmath>
#include <vector>

namespace antenna {

constexpr double hzFromGhz(double ghz) {
  return ghz * 1e9;
}
constexpr double ghzFromHz(double hz) {
  return hz / 1e9;
}
constexpr double mhzFromHz(double hz) {
  return hz / 1e6;
}
constexpr double metresFromMm(double mm) {
  return mm / 1000;
}
constexpr double mmFromMetres(double metres) {
  return metres * 1000;
}

// Sizes a board can hold are whole micrometres: the millimetres typed for
// one (to three decimals), and the metres the window reads back from them.
inline double boardMm(double metres) {
  return std::round(metres * 1e6) / 1000;
}
inline double onBoardGrid(double metres) {
  return metresFromMm(boardMm(metres));
}

inline std::vector<double> ghzFromHz(const std::vector<double>& hz) {
  std::vector<double> ghz;
  ghz.reserve(hz.size());
  for (double f : hz) ghz.push_back(ghzFromHz(f));
  return ghz;
}
inline std::vector<double> hzFromGhz(const std::vector<double>& ghz) {
  std::vector<double> hz;
  hz.reserve(ghz.size());
  for (double f : ghz) hz.push_back(hzFromGhz(f));
  return hz;
}

}  // namespace antenna

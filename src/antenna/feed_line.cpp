// The feed line's analysis is the library's microstrip closed forms with the
// strip's thickness; its synthesis starts from Wheeler's closed-form width
// and solves the analysis for it, so that the width drawn gives the
// impedance the analysis (and the window's models) will report.
#include "antenna/feed_line.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "antenna/numbers.h"
#include "antenna/patch.h"
#include "antenna/units.h"

namespace antenna {

namespace {

std::string mm(double metres) {
  return formatNumber(mmFromMetres(metres), 4, "mm");
}
std::string ohm(double z) {
  return formatNumber(z, 4, "ohm");
}

void refuseUnless(bool ok, const std::string& what) {
  if (!ok) throw std::invalid_argument("feed line: " + what);
}

void checkBoard(const LineBoard& b) {
  refuseUnless(std::isfinite(b.height) && b.height > 0,
               "the board height must be a finite positive length, not " + mm(b.height));
  refuseUnless(std::isfinite(b.er) && b.er >= 1,
               "the substrate's er must be finite and at least 1, not " + formatNumber(b.er, 6));
  refuseUnless(std::isfinite(b.thickness) && b.thickness >= 0 && b.thickness < b.height,
               "the copper must be at least 0 and thinner than the board (" + mm(b.height) +
                   "), not " + mm(b.thickness));
}

void checkFrequency(double hz, bool zeroAllowed) {
  refuseUnless(std::isfinite(hz) && (hz > 0 || (zeroAllowed && hz == 0)),
               "the frequency must be a finite positive number of Hz, not " + formatNumber(hz, 6));
}

DispersiveLine lineOf(double u, const LineBoard& b) {
  const double tOverH = b.thickness / b.height;
  return DispersiveLine(hammerstadJensenThickStrip(u, b.er, tOverH).dielectric, b.er, b.height,
                        hammerstadJensenLine(u, b.er, tOverH));
}

double impedanceOf(double u, const LineBoard& b, double hz) {
  const DispersiveLine line = lineOf(u, b);
  return hz == 0 ? line.quasiStatic().zc : line.withKirschningJansenImpedance(hz).zc;
}

// Wheeler's width for a thin strip, as Pozar writes it (Microwave
// Engineering, 4th ed., eq. 3.197): the narrow form, or the wide one where
// the narrow gives u >= 2.
double wheelerWidthOverHeight(double z0, double er) {
  const double a = z0 / 60 * std::sqrt((er + 1) / 2) + (er - 1) / (er + 1) * (0.23 + 0.11 / er);
  const double narrow = 8 * std::exp(a) / (std::exp(2 * a) - 2);
  if (narrow > 0 && narrow < 2) return narrow;
  const double b = 377 * kPi / (2 * z0 * std::sqrt(er));
  return 2 / kPi *
         (b - 1 - std::log(2 * b - 1) + (er - 1) / (2 * er) * (std::log(b - 1) + 0.39 - 0.61 / er));
}

DispersiveLine checkedLine(double width, const LineBoard& board) {
  checkBoard(board);
  refuseUnless(std::isfinite(width) && width > 0,
               "the strip width must be a finite positive length, not " + mm(width));
  return lineOf(width / board.height, board);
}

}  // namespace

FeedLine::FeedLine(double width, const LineBoard& board) : line_(checkedLine(width, board)) {}

LineState FeedLine::at(double hz) const {
  checkFrequency(hz, false);
  return line_.withKirschningJansenImpedance(hz);
}

double FeedLine::guidedWavelength(double hz) const {
  return kSpeedOfLight / (hz * std::sqrt(at(hz).ee));
}

// Newton's method on ln Zc(ln u), which is nearly straight, from Wheeler's
// width, with the derivative by central difference; a step that would leave
// the bracket the iterates have narrowed halves it instead, so that the
// search ends in the range whatever the curve.
double feedLineWidth(double z0, const LineBoard& board, double hz) {
  checkBoard(board);
  checkFrequency(hz, true);
  refuseUnless(std::isfinite(z0) && z0 > 0,
               "the impedance must be a finite positive number of ohms, not " + ohm(z0));
  const double h = board.height, uMin = kNarrowestStrip / h, uMax = kWidestStripOverHeight;
  refuseUnless(uMin < uMax, "a board " + mm(h) + " thick holds no line between " +
                                mm(kNarrowestStrip) + " and " +
                                formatNumber(kWidestStripOverHeight, 4) + " h");
  const double zNarrowest = impedanceOf(uMin, board, hz), zWidest = impedanceOf(uMax, board, hz);
  refuseUnless(z0 <= zNarrowest, ohm(z0) + " needs a strip narrower than " + mm(kNarrowestStrip) +
                                     ", the narrowest a board house etches reliably (at " +
                                     mm(kNarrowestStrip) + " this board's line is " +
                                     ohm(zNarrowest) + ")");
  refuseUnless(z0 >= zWidest, ohm(z0) + " needs a strip wider than " +
                                  formatNumber(kWidestStripOverHeight, 4) + " h (" + mm(uMax * h) +
                                  "), past where Hammerstad and Jensen's line holds (at that "
                                  "width this board's line is " +
                                  ohm(zWidest) + ")");
  const auto g = [&](double x) { return std::log(impedanceOf(std::exp(x), board, hz) / z0); };
  double lo = std::log(uMin), hi = std::log(uMax);
  double x = std::clamp(std::log(wheelerWidthOverHeight(z0, board.er)), lo, hi);
  if (!std::isfinite(x)) x = (lo + hi) / 2;
  constexpr double kStep = 1e-6, kDone = 1e-10;
  for (int i = 0; i < 200 && hi - lo > kDone; ++i) {
    const double gx = g(x);
    if (gx == 0) break;
    (gx > 0 ? lo : hi) = x;  // too high an impedance: the width lies above
    const double slope = (g(x + kStep) - g(x - kStep)) / (2 * kStep);
    double next = x - gx / slope;
    if (!(next > lo && next < hi)) next = (lo + hi) / 2;
    const bool settled = std::abs(next - x) < kDone;
    x = next;
    if (settled) break;
  }
  return std::exp(x) * h;
}

QuarterWaveTransformer quarterWaveTransformer(double edgeResistance, double z0,
                                              const LineBoard& board, double hz) {
  checkFrequency(hz, false);
  refuseUnless(
      std::isfinite(edgeResistance) && edgeResistance > 0,
      "the edge resistance must be a finite positive number of ohms, not " + ohm(edgeResistance));
  refuseUnless(std::isfinite(z0) && z0 > 0,
               "the impedance must be a finite positive number of ohms, not " + ohm(z0));
  QuarterWaveTransformer t;
  t.impedance = std::sqrt(z0 * edgeResistance);
  t.width = feedLineWidth(t.impedance, board, hz);
  t.length = FeedLine(t.width, board).guidedWavelength(hz) / 4;
  return t;
}

}  // namespace antenna

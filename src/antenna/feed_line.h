// The microstrip line a board designer draws to feed a patch: its impedance
// and effective permittivity from its width, board and copper thickness
// (quasi-static and at a frequency), the width that gives a wanted
// impedance, its guided wavelength, and the quarter-wave transformer that
// matches it to a patch edge's resistance. SI units, as the whole library.
#pragma once

#include "antenna/microstrip.h"

namespace antenna {

// The narrowest strip a board house etches reliably in 35 um copper on
// ordinary boards; synthesis refuses an impedance that needs a narrower one.
inline constexpr double kNarrowestStrip = 0.1e-3;  // m
// The widest line over h that synthesis offers: where Hammerstad and
// Jensen's stated accuracy ends.
inline constexpr double kWidestStripOverHeight = 100;

// The board under a feed line (metres); thickness is the strip's copper.
struct LineBoard {
  double height = 0;
  double er = 1;
  double thickness = 0;
};

// A strip `width` wide on `board`. A width, board or frequency that is not
// finite and positive (er below 1, copper as thick as the board) is refused
// with std::invalid_argument.
class FeedLine {
 public:
  FeedLine(double width, const LineBoard& board);
  // Hammerstad and Jensen 1980 ("Accurate models for microstrip
  // computer-aided design", IEEE MTT-S Digest) with their strip-thickness
  // correction.
  const LineState& quasiStatic() const { return line_.quasiStatic(); }
  // ee from Kirschning and Jansen 1982 (Electronics Letters 18(6)), the
  // impedance from their 1984 paper (IEEE Trans. MTT 32(1)), both over the
  // thick strip's quasi-static line with its width in the substrate's field.
  LineState at(double hz) const;
  // lambda_g = c / (f sqrt(ee(f))), m (Pozar, Microwave Engineering,
  // the microstrip section).
  double guidedWavelength(double hz) const;

 private:
  DispersiveLine line_;
};

// The width of the line of characteristic impedance `z0` on `board`:
// Wheeler's width as Pozar gives it (Microwave Engineering, 4th ed., eq.
// 3.197) solved on FeedLine's impedance, quasi-static when `hz` is 0, else
// at hz, to 1e-9 of the width. Refuses (std::invalid_argument) an impedance
// that needs a strip narrower than kNarrowestStrip or wider than
// kWidestStripOverHeight h, saying what the board gives at that limit.
double feedLineWidth(double z0, const LineBoard& board, double hz = 0);

// A quarter-wave section matching a line of `z0` to `edgeResistance` at
// `hz` (Pozar, Microwave Engineering, the quarter-wave transformer):
// impedance sqrt(z0 R), its width on the board at hz and a quarter of its
// guided wavelength.
struct QuarterWaveTransformer {
  double impedance = 0;  // ohm
  double width = 0;      // m
  double length = 0;     // m
};
QuarterWaveTransformer quarterWaveTransformer(double edgeResistance, double z0,
                                              const LineBoard& board, double hz);

}  // namespace antenna

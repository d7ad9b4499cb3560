// The far field of a rectangular patch as the transmission-line model draws
// it: two radiating slots over an infinite ground plane, each a slot factor
// of the substrate height and the patch width, spaced by the patch length
// extended by the fringing at each edge.
//
// The model's own axes put the ground-plane normal on x, the length on y and
// the width on z; the far-field analysis puts the normal on z, the length on
// x and the width on y. Direction cosines along (normal, length, width) are
// the same in both, so both are written through them.
#pragma once

#include "antenna/patch.h"

namespace antenna {

class PatchPattern {
 public:
  // Throws std::invalid_argument for a size, permittivity or frequency that
  // the formulas cannot take (not finite, not positive, er below 1).
  PatchPattern(const Patch& patch, double frequency);

  // The amplitude towards the direction whose cosines along the normal, the
  // length and the width are the arguments: not normalised, and negative
  // beyond a null of the two-slot factor.
  double amplitude(double normal, double length, double width) const;

  // The same at (theta, phi) of the far-field analysis (radians), so that
  // the pattern is an antenna::FieldPattern.
  double operator()(double theta, double phi) const;

 private:
  double halfHeight_ = 0, halfWidth_ = 0, halfSpacing_ = 0;  // k0 h/2, k0 W/2, k0 Leff/2
};

}  // namespace antenna

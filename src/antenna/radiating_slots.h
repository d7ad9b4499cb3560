// The radiation of the patch's two radiating edges, each a slot of length W in
// a ground plane: the sine integral, one slot's conductance and the mutual
// conductance of the two slots L apart (the transmission-line model of the
// patch; Derneryd 1978, Balanis, Antenna Theory, ch. 14).
#pragma once

namespace antenna {

// Si(x) = integral from 0 to x of sin(t)/t dt.
double sineIntegral(double x);

// Conductance of one slot of length `width` at wave number k0 (rad/m), S.
double slotConductance(double k0, double width);

// Mutual conductance of two parallel slots of length `width`, `spacing`
// apart, at wave number k0, S.
double mutualSlotConductance(double k0, double width, double spacing);

// Share of a patch's radiation that leaves as space wave rather than as
// surface wave along a grounded substrate, k0 h its electrical thickness.
double surfaceWaveEfficiency(double k0h, double er);

}  // namespace antenna

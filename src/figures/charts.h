// Charts any figure can draw into its axes: the Smith chart's impedance grid
// and the polar grid of a pattern cut. Each takes equal-aspect axes (see
// makeAxes), sets their limits and draws its grid as lines and texts of
// those axes, so the data plotted after it lie on top.
#pragma once

#include <utility>
#include <vector>

namespace figures {

// Circles of constant resistance and arcs of constant reactance (labelled,
// normalised to the reference impedance), the real axis, and the circle of
// VSWR 2. A reflection coefficient is plotted at (re, im).
void drawSmithGrid(double ax);

// A polar plot of one cut in dB all round, -180 to 180 degrees off the
// normal: the normal up, positive angles to the right, the back of the board
// down, -30 dB at the centre and 0 dB on the rim; rings every 10 dB and
// spokes every 30 degrees, labelled. The axes' own lines and ticks are drawn
// white, to vanish on a white figure.
void drawPolarGrid(double ax);
// The points on the polar plot of a cut (degrees off the normal, dB).
std::pair<std::vector<double>, std::vector<double>> polarPoints(const std::vector<double>& angleDeg,
                                                                const std::vector<double>& levelDb);
// The height of a polar plot's box `width` pixels wide, the shape of its
// limits, so that its rings are round and fill it.
double polarChartHeight(double width);

}  // namespace figures

// What each pattern window shows: the design and frequency the window held
// when the pattern was drawn, kept beside the figure (whose objects stay as
// the pattern drew them) so that its caption and its "Far field..." entry
// can name them after the window has moved on.
#pragma once

#include <optional>
#include <string>

#include "antenna/patch.h"

namespace figures {

// A figure the pattern opens: an untagged figure other than the main
// window, empty while it is being made (its menus are made then) and
// holding a surface after.
bool isPatternFigure(double fig);
// An axes of such a figure.
bool isPatternAxes(double ax);

// What a pattern's colours are (its colour bar's label and the name of its
// colour column in exported data), and what the surface leaves out: the
// model's ground plane is infinite, so the pattern has nothing behind it.
inline constexpr const char* kPatternColours = "Field amplitude (relative, no unit)";
inline constexpr const char* kPatternHalfSpace =
    "Front half space only (x >= 0): the model's ground plane\nis infinite, and nothing "
    "radiates behind it";

struct PatternShown {
  antenna::Patch patch;
  double ghz = 0;
};

// Notes the window's design for each pattern figure not noted yet; gives
// whether any was. Run after each user act.
bool notePatternFigures();

// The noted design of `fig`, if any.
std::optional<PatternShown> patternShown(double fig);

// "W 38 L 29.5 H 1.6 mm, er 4.4"
std::string designCaption(const antenna::Patch& p);

// "2.4 GHz, W 38 L 29.5 H 1.6 mm, er 4.4", or empty for a figure not noted.
std::string patternCaption(double fig);

// A point of a pattern surface read as a direction and a level: theta from
// the normal and phi from the patch length (degrees, phi in [0, 360)), the
// amplitude the surface's colour holds, and its level in dB under the
// surface's largest amplitude (floored at -100 dB). None for a surface that
// is not a pattern's.
struct PatternPoint {
  double thetaDeg = 0, phiDeg = 0, amplitude = 0, levelDb = 0;
};
std::optional<PatternPoint> patternPoint(double surface, double x, double y, double z, double c);

// The same as the data cursor's lines.
std::optional<std::string> patternPointText(double surface, double x, double y, double z, double c);

}  // namespace figures

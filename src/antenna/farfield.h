// What a sampled far field says about an antenna: its directivity, the
// direction of its maximum, its principal-plane cuts and their half-power
// beamwidths, from any field amplitude given as a function of direction.
//
// Directions use the antenna convention: theta is measured from the normal of
// the ground plane (+z), phi from the patch length (+x) towards the patch
// width (+y). So the E-plane (normal and length) is phi = 0/180 degrees and
// the H-plane (normal and width) phi = 90/270 degrees. A cut's angle is the
// signed angle from the normal: positive towards +x (E) or +y (H).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace antenna {

// Field amplitude (any real scale, any sign) at (theta, phi) in radians. It
// must be finite wherever it is asked, the normal and the poles included.
using FieldPattern = std::function<double(double theta, double phi)>;

// The part of the sphere the antenna radiates into: the half space in front
// of an infinite ground plane (theta <= 90 degrees), or all of it.
enum class Region { HalfSpace, FullSphere };

// The directivity integral's grid: Gauss-Legendre in cos(theta), equal steps
// in phi, doubled until the directivity changes by less than `toleranceDb`.
struct FarFieldOptions {
  Region region = Region::HalfSpace;
  double toleranceDb = 0.01;
  int firstThetaPoints = 16;
  int maxThetaPoints = 1024;  // beyond this the integral is reported as unsettled
  double cutStepDeg = 1;      // spacing of the cuts' samples
};

// One principal-plane cut, normalised to the pattern's maximum. Levels are
// floored at kCutFloorDb so that a null is a number a file can hold.
struct Cut {
  std::vector<double> angleDeg;  // from -90 to 90 (half space) or -180 to 180
  std::vector<double> levelDb;
};
inline constexpr double kCutFloorDb = -100;

struct FarField {
  double directivityDbi = 0;
  double maxThetaDeg = 0, maxPhiDeg = 0;  // phi is 0 when the maximum is on the normal
  Cut ePlane, hPlane;
  // Empty where the cut stays above half its peak power over the whole region.
  std::optional<double> hpbwEDeg, hpbwHDeg;
  int thetaPoints = 0, phiPoints = 0;  // the settled grid of the directivity integral
};

// Directivity (a ratio, not dB) of `field` over the options' region on the
// settled grid, with that grid's sizes. Throws std::invalid_argument for a
// field that is not finite or is zero everywhere, std::runtime_error when the
// integral has not settled by the largest grid.
struct Directivity {
  double value = 0;
  int thetaPoints = 0, phiPoints = 0;
};
Directivity directivity(const FieldPattern& field, const FarFieldOptions& options = {});

// The whole analysis; throws as directivity() does.
FarField analyseFarField(const FieldPattern& field, const FarFieldOptions& options = {});

// Where a sampled cut crosses -3 dB (half the power of the pattern's
// maximum, which its levels are normalised to) on each side of its
// strongest sample, interpolated linearly in dB between the samples either
// side: how a cut without the field behind it (a solver's) gives its
// beamwidth, and where a plot marks it. A side is empty where the cut stays
// above -3 dB to its end, and both are when it never reaches -3 dB.
struct HalfPowerAngles {
  std::optional<double> leftDeg, rightDeg;
  // The beamwidth, when the cut falls below -3 dB on both sides.
  std::optional<double> widthDeg() const;
};
HalfPowerAngles halfPowerAngles(const Cut& cut);

// The two cuts as comma-separated text: a header line and one "angle,level"
// line a sample for the E-plane, a blank line, then the same for the H-plane.
std::string cutsCsv(const FarField& result);
// One of them: the E-plane's block, or the H-plane's.
std::string cutCsv(const FarField& result, bool ePlane);

}  // namespace antenna

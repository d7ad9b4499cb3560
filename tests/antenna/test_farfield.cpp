// The far-field analysis against sources whose directivity and beamwidths
// are known in closed form, and the patch's pattern through it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "antenna/farfield.h"
#include "antenna/patch_pattern.h"

namespace {

using antenna::analyseFarField;
constexpr double kPi = antenna::kPi;
double dB(double ratio) {
  return 10 * std::log10(ratio);
}

// cos^n(theta), n = nE in the E-plane and nH in the H-plane, smooth between:
// D = 2 (2n + 1) when they are equal, half power at cos(theta) = 2^(-1/2n).
antenna::FieldPattern cosinePower(double nE, double nH) {
  return [=](double theta, double phi) {
    return std::pow(std::cos(theta),
                    nE * std::pow(std::cos(phi), 2) + nH * std::pow(std::sin(phi), 2));
  };
}
double cosineHpbwDeg(double n) {
  return 2 * std::acos(std::pow(2, -1 / (2 * n))) * 180 / kPi;
}

TEST(FarField, DirectivityAndBeamwidthsOfClosedForms) {
  const antenna::FarField iso = analyseFarField([](double, double) { return 1.0; });
  EXPECT_NEAR(iso.directivityDbi, dB(2), 1e-9);  // half space: 3.01 dBi
  EXPECT_FALSE(iso.hpbwEDeg || iso.hpbwHDeg) << "above half power everywhere";

  // A short dipole along the normal over the whole sphere: 1.76 dBi,
  // strongest broadside, half power at 45 and 135 degrees.
  const antenna::FarField dipole =
      analyseFarField([](double theta, double) { return std::sin(theta); },
                      {.region = antenna::Region::FullSphere});
  EXPECT_NEAR(dipole.directivityDbi, dB(1.5), 1e-9);
  EXPECT_NEAR(dipole.maxThetaDeg, 90, 1e-6);
  EXPECT_NEAR(dipole.hpbwEDeg.value_or(0), 90, 1e-9);

  // A fractional n is no polynomial in cos(theta): the refinement does it.
  for (double n : {1.0, 2.5, 40.0})
    EXPECT_NEAR(analyseFarField(cosinePower(n, n)).directivityDbi, dB(2 * (2 * n + 1)), 0.01) << n;
  const antenna::FarField beam = analyseFarField(cosinePower(3, 12));
  EXPECT_NEAR(beam.hpbwEDeg.value_or(0), cosineHpbwDeg(3), 1e-9);
  EXPECT_NEAR(beam.hpbwHDeg.value_or(0), cosineHpbwDeg(12), 1e-9);

  // A beam tilted 30 degrees towards the width is found there, and the
  // E-plane, away from it, is down everywhere.
  const antenna::FarField tilted = analyseFarField([](double theta, double phi) {
    return std::pow(1 + std::sin(theta) * std::sin(phi) / 2 + std::cos(theta) * std::sqrt(0.75), 4);
  });
  EXPECT_NEAR(tilted.maxThetaDeg, 30, 1e-5);
  EXPECT_NEAR(tilted.maxPhiDeg, 90, 1e-5);
  EXPECT_LT(*std::max_element(tilted.ePlane.levelDb.begin(), tilted.ePlane.levelDb.end()), -0.05);
}

TEST(FarField, RefusesFieldsItCannotIntegrate) {
  EXPECT_THROW(analyseFarField([](double, double) { return 0.0; }), std::invalid_argument);
  EXPECT_THROW(analyseFarField([](double t, double) { return std::sin(t) / t; }),
               std::invalid_argument);  // 0/0 on the normal
  EXPECT_THROW(analyseFarField(cosinePower(1, 1), {.maxThetaPoints = 16}), std::runtime_error);
  EXPECT_THROW(analyseFarField(cosinePower(1, 1), {.cutStepDeg = 0}), std::invalid_argument);
  EXPECT_THROW(antenna::PatchPattern({38e-3, 29.5e-3, 1.6e-3, 0.5}, 2.4e9), std::invalid_argument);
}

// A power pattern cos^n(angle - tilt) sampled every degree from -90 to 90,
// in dB, floored as the analysis floors its cuts.
antenna::Cut sampledCosine(double n, double tiltDeg) {
  antenna::Cut cut;
  for (int a = -90; a <= 90; ++a) {
    const double c = std::cos((a - tiltDeg) * kPi / 180);
    cut.angleDeg.push_back(a);
    cut.levelDb.push_back(c > 0 ? std::max(10 * n * std::log10(c), antenna::kCutFloorDb)
                                : antenna::kCutFloorDb);
  }
  return cut;
}

TEST(FarField, HalfPowerAnglesOfSampledCuts) {
  // cos^n falls to half power at arccos(0.5^(1/n)) from its peak; the
  // interpolation between 1-degree samples finds it to a tenth of a degree.
  // Tilted, the points go with the peak, not with the cut's middle.
  for (double n : {1.5, 3.0, 12.0})
    for (double tilt : {0.0, 20.0}) {
      const double half = std::acos(std::pow(0.5, 1 / n)) * 180 / kPi;
      const antenna::HalfPowerAngles a = antenna::halfPowerAngles(sampledCosine(n, tilt));
      EXPECT_NEAR(a.leftDeg.value_or(0), tilt - half, 0.1) << n << " tilted " << tilt;
      EXPECT_NEAR(a.rightDeg.value_or(0), tilt + half, 0.1) << n << " tilted " << tilt;
      EXPECT_NEAR(a.widthDeg().value_or(0), 2 * half, 0.2) << n << " tilted " << tilt;
    }

  // A beam tilted 60 degrees stays above half power out to 90: one side
  // only, and no width.
  const antenna::HalfPowerAngles oneSided = antenna::halfPowerAngles(sampledCosine(1, 60));
  EXPECT_NEAR(oneSided.leftDeg.value_or(99), 0, 0.1);
  EXPECT_FALSE(oneSided.rightDeg || oneSided.widthDeg());

  // A cut wholly under half power (a plane away from the beam) crosses
  // nothing; neither does one with no samples or angles that do not match.
  antenna::Cut low = sampledCosine(3, 0);
  for (double& l : low.levelDb) l -= 10;
  for (const antenna::Cut& c : {low, antenna::Cut{}, antenna::Cut{{0, 1}, {0}}}) {
    const antenna::HalfPowerAngles none = antenna::halfPowerAngles(c);
    EXPECT_FALSE(none.leftDeg || none.rightDeg);
  }
}

// The README's 2.4 GHz FR-4 patch.
const antenna::PatchPattern kPatch({38e-3, 29.5e-3, 1.6e-3, 4.4}, 2.4e9);

// Its directivity settles as the grid grows; its beam is broadside, and its
// cuts reach the horizon.
TEST(PatchFarField, DirectivitySettlesWithTheGridAndTheBeamIsBroadside) {
  const double fine = dB(antenna::directivity(kPatch, {.toleranceDb = 1e-9}).value);
  // One grid at a time (any change passes): the error falls with each doubling.
  double error = INFINITY;
  for (int n : {4, 8, 16}) {
    const double e = std::abs(
        dB(antenna::directivity(kPatch, {.toleranceDb = 1e9, .firstThetaPoints = n / 2}).value) -
        fine);
    EXPECT_LE(e, error) << n;
    error = e;
  }
  EXPECT_LT(error, 1e-6);
  const antenna::Directivity settled = antenna::directivity(kPatch);
  EXPECT_LE(settled.thetaPoints, 32);
  EXPECT_NEAR(dB(settled.value), fine, 0.01);

  const antenna::FarField ff = analyseFarField(kPatch);
  EXPECT_EQ(ff.maxThetaDeg, 0);
  EXPECT_EQ(ff.maxPhiDeg, 0);
  // Along the length at the horizon: the two-slot factor cos(k0 Leff / 2) =
  // 0.71159 against the height factor sinc(k0 h / 2) = 0.99973 on the normal,
  // -2.95 dB, so the E-plane has no beamwidth; along the width the slots'
  // own pattern has its null.
  EXPECT_NEAR(ff.ePlane.levelDb.back(), 20 * std::log10(0.7115927598659 / 0.9997301482965), 1e-9);
  EXPECT_FALSE(ff.hpbwEDeg.has_value());
  EXPECT_NEAR(ff.hpbwHDeg.value_or(0), 81.873060, 1e-6);  // by root-finding in numpy

  const std::string csv = antenna::cutsCsv(ff);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2 * 182 + 1);
  EXPECT_EQ(csv.substr(0, 25), "angle_deg,e_plane_db\n-90,");
  EXPECT_NE(csv.find("\n90,-2.953025367881"), std::string::npos);
  EXPECT_NE(csv.find("\n\nangle_deg,h_plane_db\n-90,-100\n"), std::string::npos);
}

}  // namespace

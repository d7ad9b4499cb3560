// The far-field analysis against sources whose directivity and beamwidths
// are known in closed form, and the patch's pattern through it.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <stdexcept>

#include "antenna/farfield.h"
#include "antenna/patch_pattern.h"

namespace {

using antenna::FarFieldOptions;
using antenna::Region;

constexpr double kPi = antenna::kPi;
double dB(double ratio) {
  return 10 * std::log10(ratio);
}

// cos^n(theta) field, with n = nE in the E-plane and nH in the H-plane
// (smooth in between): half power at cos(theta) = 2^(-1/(2n)).
antenna::FieldPattern cosinePower(double nE, double nH) {
  return [=](double theta, double phi) {
    const double c = std::cos(phi), s = std::sin(phi);
    return std::pow(std::cos(theta), nE * c * c + nH * s * s);
  };
}
double cosineHpbwDeg(double n) {
  return 2 * std::acos(std::pow(2, -1 / (2 * n))) * 180 / kPi;
}

TEST(FarField, DirectivityOfSourcesWithClosedForms) {
  // Isotropic over a half space: 2, 3.01 dBi; every cut at 0 dB, so no
  // beamwidth in either plane.
  const antenna::FarField iso = antenna::analyseFarField([](double, double) { return 1.0; });
  EXPECT_NEAR(iso.directivityDbi, dB(2), 1e-9);
  EXPECT_FALSE(iso.hpbwEDeg.has_value());
  EXPECT_FALSE(iso.hpbwHDeg.has_value());
  for (double level : iso.hPlane.levelDb) ASSERT_NEAR(level, 0, 1e-12);

  // A short dipole along the normal over the whole sphere: 1.5, 1.76 dBi,
  // strongest broadside, half power at 45 and 135 degrees.
  FarFieldOptions sphere;
  sphere.region = Region::FullSphere;
  const antenna::FarField dipole =
      antenna::analyseFarField([](double theta, double) { return std::sin(theta); }, sphere);
  EXPECT_NEAR(dipole.directivityDbi, dB(1.5), 1e-9);
  EXPECT_NEAR(dipole.maxThetaDeg, 90, 1e-6);
  EXPECT_NEAR(dipole.hpbwEDeg.value_or(0), 90, 1e-9);
  EXPECT_EQ(dipole.ePlane.angleDeg.front(), -180);

  // cos^n over a half space: D = 2 (2n + 1); a fractional n is no
  // polynomial in cos(theta), so the refinement has to do the work.
  for (double n : {1.0, 2.5, 10.0, 40.0}) {
    const antenna::FarField beam = antenna::analyseFarField(cosinePower(n, n));
    EXPECT_NEAR(beam.directivityDbi, dB(2 * (2 * n + 1)), 0.01) << "n = " << n;
    EXPECT_NEAR(beam.maxThetaDeg, 0, 1e-6);
  }
}

TEST(FarField, BeamwidthsAndMaximumInTheirPlanes) {
  const antenna::FarField beam = antenna::analyseFarField(cosinePower(3, 12));
  EXPECT_NEAR(beam.hpbwEDeg.value_or(0), cosineHpbwDeg(3), 1e-9);
  EXPECT_NEAR(beam.hpbwHDeg.value_or(0), cosineHpbwDeg(12), 1e-9);
  EXPECT_LT(beam.hPlane.levelDb.front(), beam.ePlane.levelDb[45]);

  // A beam tilted to theta = 30 degrees in the H-plane: found there, and the
  // cut in the E-plane, away from the beam, is down everywhere.
  const antenna::FarField tilted = antenna::analyseFarField([](double theta, double phi) {
    const double toBeam =
        std::sin(theta) * std::sin(phi) * std::sin(kPi / 6) + std::cos(theta) * std::cos(kPi / 6);
    return std::pow((1 + toBeam) / 2, 4);
  });
  EXPECT_NEAR(tilted.maxThetaDeg, 30, 1e-5);
  EXPECT_NEAR(tilted.maxPhiDeg, 90, 1e-5);
  const double hAt30 = tilted.hPlane.levelDb[120];  // -90, -89, ..., 30
  EXPECT_NEAR(hAt30, 0, 1e-9);
  for (double level : tilted.ePlane.levelDb) ASSERT_LT(level, -0.05);
}

TEST(FarField, RefusesFieldsItCannotIntegrate) {
  auto message = [](const antenna::FieldPattern& f, FarFieldOptions o = {}) -> std::string {
    try {
      antenna::analyseFarField(f, o);
    } catch (const std::exception& e) {
      return e.what();
    }
    return "accepted";
  };
  EXPECT_EQ(message([](double, double) { return 0.0; }), "the far field is zero everywhere");
  EXPECT_NE(message([](double t, double) { return std::sin(t) / t; }).find("not finite"),
            std::string::npos)
      << "0/0 on the normal";
  FarFieldOptions tooFew;
  tooFew.maxThetaPoints = tooFew.firstThetaPoints;
  EXPECT_NE(message(cosinePower(1, 1), tooFew).find("not settled"), std::string::npos);
  FarFieldOptions noStep;
  noStep.cutStepDeg = 0;
  EXPECT_NE(message(cosinePower(1, 1), noStep).find("step"), std::string::npos);
}

// The README's 2.4 GHz FR-4 patch.
const antenna::PatchPattern kPatch({.width = 38e-3, .length = 29.5e-3, .height = 1.6e-3, .er = 4.4},
                                   2.4e9);

TEST(PatchFarField, DirectivitySettlesWithTheGrid) {
  FarFieldOptions o;
  o.toleranceDb = 1e-9;
  const antenna::Directivity fine = antenna::directivity(kPatch, o);
  EXPECT_GT(dB(fine.value), 5);
  EXPECT_LT(dB(fine.value), 8);
  // One grid at a time (any change passes): the error falls with each
  // doubling, and the default tolerance stops on a small grid.
  o.toleranceDb = 1e9;
  double error = INFINITY;
  for (int n : {4, 8, 16}) {
    o.firstThetaPoints = n / 2;
    const double e = std::abs(dB(antenna::directivity(kPatch, o).value) - dB(fine.value));
    EXPECT_LE(e, error) << n;
    error = e;
  }
  EXPECT_LT(error, 1e-6);
  const antenna::Directivity settled = antenna::directivity(kPatch);
  EXPECT_LE(settled.thetaPoints, 32);
  EXPECT_NEAR(dB(settled.value), dB(fine.value), 0.01);
}

TEST(PatchFarField, BroadsideBeamAndCutsAtTheHorizon) {
  const antenna::FarField ff = antenna::analyseFarField(kPatch);
  EXPECT_EQ(ff.maxThetaDeg, 0);
  EXPECT_EQ(ff.maxPhiDeg, 0);
  // Along the length at the horizon the two-slot factor cos(k0 Leff / 2) =
  // 0.71159 against the slot's height factor sinc(k0 h / 2) = 0.99973 on the
  // normal: -2.95 dB, above half power, so the E-plane has no beamwidth;
  // along the width the slots' own pattern has its null.
  EXPECT_NEAR(ff.ePlane.levelDb.back(), 20 * std::log10(0.7115927598659 / 0.9997301482965), 1e-9);
  EXPECT_FALSE(ff.hpbwEDeg.has_value());
  EXPECT_EQ(ff.hPlane.levelDb.back(), antenna::kCutFloorDb);
  ASSERT_TRUE(ff.hpbwHDeg.has_value());
  EXPECT_GT(*ff.hpbwHDeg, 60);
  EXPECT_LT(*ff.hpbwHDeg, 120);

  // Cuts as text: a header, 181 samples, a blank line, a header, 181 samples.
  std::istringstream csv(antenna::cutsCsv(ff));
  std::string line;
  std::vector<std::string> lines;
  while (std::getline(csv, line)) lines.push_back(line);
  ASSERT_EQ(lines.size(), 2 * 182 + 1u);
  EXPECT_EQ(lines[0], "angle_deg,e_plane_db");
  EXPECT_EQ(lines[1].substr(0, 4), "-90,");
  EXPECT_EQ(lines[91].substr(0, 2), "0,");
  EXPECT_EQ(lines[182], "");
  EXPECT_EQ(lines[183], "angle_deg,h_plane_db");
  EXPECT_EQ(lines.back(), "90,-100");
}

TEST(PatchFarField, RefusesADesignTheFormulasCannotTake) {
  EXPECT_THROW(antenna::PatchPattern({.width = 38e-3, .length = 0, .height = 1.6e-3}, 2.4e9),
               std::invalid_argument);
  EXPECT_THROW(antenna::PatchPattern({38e-3, 29.5e-3, 1.6e-3, 0.5}, 2.4e9), std::invalid_argument);
  EXPECT_THROW(antenna::PatchPattern({38e-3, 29.5e-3, 1.6e-3, 4.4}, NAN), std::invalid_argument);
}

}  // namespace

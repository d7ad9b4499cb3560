// The solver's far field: openEMS's nf2ff program transforms the near-field
// dumps a finished run left on a box around the board into the radiation
// at a metre, and its HDF5 output gives the directivity and the E- and
// H-plane cuts. For the Far-field figure to show beside the model's.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fullwave {

struct FarField {
  double frequencyHz = 0;  // the dump's frequency nearest the one asked for
  double directivity = 0;  // linear, at the maximum
  double directivityDbi = 0;
  // Cuts through broadside, the angle from it in degrees (-180..180) and the
  // radiated power over its maximum in dB: the E plane holds the patch's
  // length (its feed line), the H plane its width.
  std::vector<double> angleDeg, ePlaneDb, hPlaneDb;
};

// The frequencies the run should dump near fields at, so that one lies
// within 0.75% of a resonance the solver may put up to 10% below the
// model's.
std::vector<double> farFieldDumpFrequencies(double modelResonanceHz);

// Runs nf2ff in a finished run's folder at the dumped frequency nearest
// `hz` and reads what it wrote. Nothing, with `error` filled, when the run
// has no dumps, nf2ff is missing or fails, or its output is unreadable.
std::optional<FarField> farFieldOf(const std::string& folder, double hz, std::string& error);

}  // namespace fullwave

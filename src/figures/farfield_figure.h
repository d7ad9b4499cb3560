// The Far-field figure: the E-plane and H-plane cuts of the patch's pattern
// as two polar plots in dB, with their -3 dB points, and a readout of the
// frequency, directivity, gain, beamwidths, direction of the maximum and
// polarisation. A full-wave result for the same design and frequency can be
// shown beside the model's, in another colour. One Far-field figure at a
// time; it shows what it was last asked for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "antenna/farfield.h"
#include "antenna/patch.h"
#include "design/model_choice.h"

namespace fullwave {
struct Result;
}  // namespace fullwave

namespace figures {

using design::ImpedanceModel;

// The model's far field of a patch at one frequency, with the efficiency of
// the refined model when that model is chosen (the classic one is lossless
// and gives the directivity only).
struct FarFieldCase {
  antenna::Patch patch;
  double ghz = 0;
  ImpedanceModel model{};
  antenna::FarField field;
  std::optional<double> efficiency;

  std::optional<double> gainDbi() const;
};

// Throws std::invalid_argument for a frequency or design the pattern or the
// refined model cannot take, with the reason.
FarFieldCase farFieldCase(const antenna::Patch& patch, double ghz);

// The frequency "farfield" takes without one: the window's pattern
// frequency once it is moved off Fmin (where typing a band leaves it), else
// the first resonance of the impedance it shows. Throws
// std::invalid_argument when the window has neither.
double defaultFarFieldGhz();

// The case for the main window's design at `ghz` (when empty, the kept
// solver's far-field frequency for that design, else the default one).
FarFieldCase windowFarFieldCase(std::optional<double> ghz = std::nullopt);

// A solver's far field for the same design and frequency, and its name; the
// gain needs the port's efficiency, which a solver may not give.
struct FullWaveCuts {
  antenna::FarField field;
  std::string source = "full-wave";
  double ghz = 0;
  std::optional<double> efficiency;

  std::optional<double> gainDbi() const;
};

// A solver's far field given as its directivity and two cuts through
// broadside on one grid of angles from the normal (degrees, any span) in dB
// under the maximum: the samples the plots show (-180 to 180 degrees) floored
// at -100 dB, the beamwidths where a cut falls 3 dB on both sides of its
// peak, and the maximum where the higher cut peaks. Throws
// std::invalid_argument for cuts of different lengths or none in that span.
FullWaveCuts fullWaveCutsFrom(double directivityDbi, const std::vector<double>& angleDeg,
                              const std::vector<double>& eDb, const std::vector<double>& hDb,
                              std::string source);

// The latest solver's far field, kept with the patch it ran (a result
// without one, or with cuts that cannot be read, keeps the one before), and
// given back for the same patch at any frequency (none asked) or within the
// 1.5% step between the solver's near-field dumps of its own.
void keepFullWaveResult(const fullwave::Result& result);
std::optional<FullWaveCuts> keptFullWaveCuts(const antenna::Patch& patch,
                                             std::optional<double> ghz = std::nullopt);

// The readout's lines: the model's, and the solver's when given.
std::vector<std::string> farFieldLines(const FarFieldCase& c);
std::vector<std::string> fullWaveLines(const FullWaveCuts& fw);

// Opens the Far-field figure, or brings the open one up to date, showing
// `c` and the solver's cuts given, else the kept ones for `c`; gives its
// handle.
double showFarField(const FarFieldCase& c, const std::optional<FullWaveCuts>& fullWave = {});
// The same for `c`, the main window's design as windowFarFieldCase(askedGhz)
// gave it, which the figure then follows: after an act that changes the
// window's design (a trim typing its result, an edit) it shows the new one.
double showWindowFarField(const FarFieldCase& c, std::optional<double> askedGhz);
bool isFarFieldFigure(double fig);

// The cuts of the open figure as CSV text (the model's E and H blocks, then
// the solver's when shown), and the same written to `path` whole or not at
// all. Both throw std::runtime_error when no Far-field figure is open or
// the file cannot be written.
std::string shownCutsCsv();
// What the data export writes for the open figure (its cuts) or one of its
// plots (that plane's cuts); none for anything else.
std::optional<std::string> farFieldData(double figureOrAxes);
void saveShownCuts(const std::string& path);

// Writes `c`'s cuts (and the solver's) to `path` whole or not at all.
void saveCuts(const std::string& path, const FarFieldCase& c,
              const std::optional<FullWaveCuts>& fullWave = {});

}  // namespace figures

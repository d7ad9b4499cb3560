// The full-wave check's model of a probe-fed patch: the input file that the
// openEMS FDTD solver reads. It places the substrate and its ground, the
// patch, a 50 ohm lumped port on the probe's line, a Gaussian excitation over
// the band, absorbing boundaries and, when asked, frequency-domain near-field
// dumps for the far field, on a rectilinear mesh graded from the metal edges.
// Pure: it computes text from numbers and runs nothing.
#pragma once

#include <string>
#include <vector>

#include "antenna/band.h"
#include "antenna/patch.h"

namespace fullwave {

// How finely the solver resolves the patch; each level trades time for
// closeness to the finest answer (bench/fullwave.md has the measurements).
// Draft is a check that the solver runs and lands near the answer, in a few
// seconds; it is not a result to show.
enum class SolverQuality { Draft, Quick, Standard, Fine };

// A mesh line that must be there, with the cell size wanted next to it.
struct FixedLine {
  double at = 0;
  double cell = 0;
};

// The mesh lines of one axis, in metres, sorted.
using MeshLines = std::vector<double>;

// The solver's whole layout, kept apart from the text so it can be checked
// and reported (cells, where the port sits, what the board measures).
struct SolverLayout {
  MeshLines x, y, z;
  double boardMargin = 0;  // substrate and ground beyond the patch on each side
  double airGap = 0;       // from the board to the absorbing boundary
  double feedX = 0, feedY = 0;
  double endCriterionDb = -40;  // the run stops when the energy falls this far
  long long cells() const {
    return static_cast<long long>(x.size() - 1) * static_cast<long long>(y.size() - 1) *
           static_cast<long long>(z.size() - 1);
  }
};

// Fills the space between fixed lines with cells no larger than maxCell that
// grow by at most `ratio` from one to the next, starting from each fixed
// line's own cell size.
MeshLines gradedMeshLines(std::vector<FixedLine> fixed, double maxCell, double ratio);

// The lines for a metal edge by the thirds rule: a third of the edge cell on
// the metal side and two thirds outside, which cancels most of the error of
// the field's singularity at the edge. `metalBelow` says the metal lies at
// smaller coordinates than the edge.
std::vector<FixedLine> thirdsRuleLines(double edge, double cell, bool metalBelow);

// Why the design cannot be given to the solver, or an empty string.
std::string solverInputError(const antenna::Patch& patch, const antenna::Board& board,
                             antenna::Band band);

// Throws std::invalid_argument with solverInputError's message on a design
// the solver cannot take.
SolverLayout solverLayout(const antenna::Patch& patch, const antenna::Board& board,
                          antenna::Band band, SolverQuality quality);

// The openEMS input for the patch. The far-field frequencies, when given,
// are written into the near-field dumps (the far-field program needs them
// there before the run). The probes and dumps are named as run_folder.h
// tells.
std::string openemsXml(const antenna::Patch& patch, const antenna::Board& board, antenna::Band band,
                       SolverQuality quality, const std::vector<double>& farFieldFrequencies = {});
// The same on the layout solverLayout gave for the patch, board and band.
std::string openemsXml(const SolverLayout& layout, const antenna::Patch& patch,
                       const antenna::Board& board, antenna::Band band,
                       const std::vector<double>& farFieldFrequencies = {});

}  // namespace fullwave

// Writes the openEMS input for a probe-fed patch: layout first (mesh, board,
// air, port), then the text. Lengths are in metres (DeltaUnit 1), numbers in
// the C locale whatever the program's locale is.
#include "fullwave/openems_model.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <locale>
#include <sstream>
#include <stdexcept>

#include "fullwave/run_folder.h"

namespace fullwave {

namespace {

// One row per quality level. The resonance settles by -30 dB of energy; the
// resistance needs -40 dB (it comes out some 4% low when stopped earlier). Cells per wavelength
// count in the medium at the band's top; the edge cell is that size over `edgeDivisor`; the
// substrate gets at least `substrateCells` layers, none thicker than half the edge cell.
struct QualitySettings {
  SolverQuality quality;
  double cellsPerWavelength;
  double edgeDivisor;
  int substrateCells;
  double growth;
  double boardMargin;  // substrate and ground past the patch, in free-space wavelengths
  double airGap;       // clear air from the board to the absorber, in wavelengths
  double endDb;        // energy left when the run stops
};

constexpr QualitySettings kQualities[] = {
    {SolverQuality::Draft, 10, 1.5, 4, 1.6, 0.125, 0.125, -25},
    {SolverQuality::Quick, 15, 2, 4, 1.5, 0.25, 0.125, -30},
    {SolverQuality::Standard, 20, 3, 4, 1.4, 0.25, 0.125, -40},
    {SolverQuality::Fine, 30, 4, 6, 1.3, 0.25, 0.125, -40},
};

const QualitySettings& settingsFor(SolverQuality q) {
  for (const auto& s : kQualities)
    if (s.quality == q) return s;
  return kQualities[2];
}

constexpr int kPmlCells = 8;

// Far more mesh lines along one axis than any run a machine can hold needs
// (a kilometre-wide patch at 3 GHz takes 630,000 at the fine level): a
// design beyond it is refused before its lines are made, which would take
// memory without end, and its input would be too large to read back.
constexpr double kMostMeshLines = 1e6;
constexpr double kEps0 = 8.8541878128e-12;

// Sizes for a gap of length `span` that start near `left` and `right` and grow
// by `ratio` up to `maxCell`, taken alternately from the smaller side so both
// ends are graded, then scaled down to fit the gap exactly.
std::vector<double> gradedCells(double span, double left, double right, double maxCell,
                                double ratio) {
  std::vector<double> fromLeft, fromRight;
  // A start size of zero would never grow: no cell starts below a
  // thousandth of the gap.
  const double least = span * 1e-3;
  double sl = std::clamp(left, least, std::max(maxCell, least));
  double sr = std::clamp(right, least, std::max(maxCell, least)), total = 0;
  while (total < span * (1 - 1e-9)) {
    if (sl <= sr) {
      sl = std::min(sl * ratio, maxCell);
      fromLeft.push_back(sl);
      total += sl;
    } else {
      sr = std::min(sr * ratio, maxCell);
      fromRight.push_back(sr);
      total += sr;
    }
  }
  fromLeft.insert(fromLeft.end(), fromRight.rbegin(), fromRight.rend());
  for (double& c : fromLeft) c *= span / total;
  return fromLeft;
}

}  // namespace

std::vector<FixedLine> thirdsRuleLines(double edge, double cell, bool metalBelow) {
  const double inside = cell / 3, outside = 2 * cell / 3;
  if (metalBelow) return {{edge - inside, cell}, {edge + outside, cell}};
  return {{edge - outside, cell}, {edge + inside, cell}};
}

MeshLines gradedMeshLines(std::vector<FixedLine> fixed, double maxCell, double ratio) {
  std::sort(fixed.begin(), fixed.end(),
            [](const FixedLine& a, const FixedLine& b) { return a.at < b.at; });
  // Lines closer than a small fraction of the finest cell are one line: the
  // solver would otherwise get a sliver cell that sets its time step.
  std::vector<FixedLine> merged;
  double finest = maxCell;
  for (const auto& f : fixed) finest = std::min(finest, f.cell);
  for (const auto& f : fixed) {
    if (!merged.empty() && f.at - merged.back().at < 0.25 * finest) {
      merged.back().cell = std::min(merged.back().cell, f.cell);
      continue;
    }
    merged.push_back(f);
  }
  MeshLines lines;
  if (merged.empty()) return lines;
  lines.push_back(merged.front().at);
  for (size_t i = 1; i < merged.size(); ++i) {
    const double a = merged[i - 1].at, span = merged[i].at - a;
    double pos = a;
    const auto cells = gradedCells(span, merged[i - 1].cell, merged[i].cell, maxCell, ratio);
    for (size_t k = 0; k + 1 < cells.size(); ++k) {
      pos += cells[k];
      lines.push_back(pos);
    }
    lines.push_back(merged[i].at);
  }
  return lines;
}

std::string solverInputError(const antenna::Patch& patch, const antenna::Board& board,
                             antenna::Band band) {
  auto positive = [](double v) { return std::isfinite(v) && v > 0; };
  if (!positive(patch.width) || !positive(patch.length) || !positive(patch.height))
    return "The patch's width, length and substrate height must be positive.";
  if (!std::isfinite(patch.er) || patch.er < 1)
    return "The substrate's permittivity must be at least 1.";
  if (!(patch.feedOffset > 0 && patch.feedOffset < patch.length))
    return "The feed must lie on the patch: its offset between 0 and the patch length.";
  if (!std::isfinite(board.lossTangent) || board.lossTangent < 0)
    return "The loss tangent must not be negative.";
  if (!positive(board.conductivity) || !positive(board.copperThickness))
    return "The copper's conductivity and thickness must be positive.";
  if (!positive(band.fmin) || !std::isfinite(band.fmax) || band.fmax <= band.fmin)
    return "The band needs a positive lower frequency below its upper one.";
  return {};
}

SolverLayout solverLayout(const antenna::Patch& patch, const antenna::Board& board,
                          antenna::Band band, SolverQuality quality) {
  if (auto error = solverInputError(patch, board, band); !error.empty())
    throw std::invalid_argument(error);
  const auto& q = settingsFor(quality);
  const double fc = 0.5 * (band.fmin + band.fmax);
  const double lambdaTop = antenna::kSpeedOfLight / band.fmax;
  const double lambdaCentre = antenna::kSpeedOfLight / fc;
  const double substrateCell = lambdaTop / std::sqrt(patch.er) / q.cellsPerWavelength;
  const double airCell = lambdaTop / q.cellsPerWavelength;
  const double edgeCell = substrateCell / q.edgeDivisor;

  SolverLayout s;
  // The ground and substrate reach a quarter of a free-space wavelength past
  // the patch: an eighth moves the resistance by 10%, a half by under 0.5%
  // (bench/fullwave.md). The absorber keeps an eighth of a wavelength clear.
  s.endCriterionDb = q.endDb;
  s.boardMargin = q.boardMargin * lambdaCentre;
  s.airGap = q.airGap * lambdaCentre + kPmlCells * airCell;
  s.feedX = 0;
  s.feedY = -patch.length / 2 + patch.feedOffset;

  const double bx = patch.width / 2 + s.boardMargin, by = patch.length / 2 + s.boardMargin;
  const int layers = std::max(
      q.substrateCells, static_cast<int>(std::min(1e9, std::ceil(2 * patch.height / edgeCell))));
  // The fewest lines each axis can take: the board at its interior cell
  // (the substrate's layers along z) and the air at its own.
  const double air = 2 * s.airGap / airCell;
  for (const auto& [name, lines] : {std::pair{"x", 2 * bx / substrateCell + air},
                                    {"y", 2 * by / substrateCell + air},
                                    {"z", layers + air}})
    if (!(lines <= kMostMeshLines))
      throw std::invalid_argument(
          std::string("The design is too large for the full-wave solver: its mesh would need "
                      "over a million lines along ") +
          name + ".");
  auto axis = [&](double halfPatch, double halfBoard, double feed) {
    std::vector<FixedLine> inner;
    auto lo = thirdsRuleLines(-halfPatch, edgeCell, false);
    auto hi = thirdsRuleLines(halfPatch, edgeCell, true);
    inner.insert(inner.end(), lo.begin(), lo.end());
    inner.insert(inner.end(), hi.begin(), hi.end());
    inner.push_back({feed, edgeCell});
    inner.push_back({-halfBoard, substrateCell});
    inner.push_back({halfBoard, substrateCell});
    MeshLines mid = gradedMeshLines(inner, substrateCell, q.growth);
    MeshLines below = gradedMeshLines(
        {{-halfBoard - s.airGap, airCell}, {-halfBoard, substrateCell}}, airCell, q.growth);
    MeshLines above = gradedMeshLines({{halfBoard, substrateCell}, {halfBoard + s.airGap, airCell}},
                                      airCell, q.growth);
    MeshLines all(below.begin(), below.end() - 1);
    all.insert(all.end(), mid.begin(), mid.end() - 1);
    all.insert(all.end(), above.begin(), above.end());
    return all;
  };
  s.x = axis(patch.width / 2, bx, s.feedX);
  s.y = axis(patch.length / 2, by, s.feedY);

  // The field is singular along the patch's edge in z as in the plane: layers
  // thicker than half the edge cell put a thick board's resonance up to 1.2%
  // low (bench/fullwave.md), so the substrate is layered at least that finely.
  const double layer = patch.height / layers;
  std::vector<FixedLine> zs;
  for (int i = 0; i <= layers; ++i) zs.push_back({patch.height * i / layers, layer});
  zs.push_back({-s.airGap, airCell});
  zs.push_back({patch.height + s.airGap, airCell});
  s.z = gradedMeshLines(zs, airCell, q.growth);
  return s;
}

namespace {

// A text writer for the solver's XML in the C locale.
class XmlText {
 public:
  XmlText() {
    out_.imbue(std::locale::classic());
    out_ << std::setprecision(12);
  }
  std::ostringstream& out() { return out_; }
  void box(const char* indent, double x1, double y1, double z1, double x2, double y2, double z2,
           int priority) {
    out_ << indent << "<Box Priority=\"" << priority << "\">\n"
         << indent << "  <P1 X=\"" << x1 << "\" Y=\"" << y1 << "\" Z=\"" << z1 << "\"/>\n"
         << indent << "  <P2 X=\"" << x2 << "\" Y=\"" << y2 << "\" Z=\"" << z2 << "\"/>\n"
         << indent << "</Box>\n";
  }
  void lines(const char* tag, const MeshLines& v) {
    out_ << "      <" << tag << ">";
    for (size_t i = 0; i < v.size(); ++i) out_ << (i ? "," : "") << v[i];
    out_ << "</" << tag << ">\n";
  }

 private:
  std::ostringstream out_;
};

}  // namespace

std::string openemsXml(const antenna::Patch& patch, const antenna::Board& board, antenna::Band band,
                       SolverQuality quality, const std::vector<double>& farFieldFrequencies) {
  return openemsXml(solverLayout(patch, board, band, quality), patch, board, band,
                    farFieldFrequencies);
}

std::string openemsXml(const SolverLayout& s, const antenna::Patch& patch,
                       const antenna::Board& board, antenna::Band band,
                       const std::vector<double>& farFieldFrequencies) {
  const double f0 = 0.5 * (band.fmin + band.fmax), fc = 0.5 * (band.fmax - band.fmin);
  const double kappa = 2 * antenna::kPi * f0 * kEps0 * patch.er * board.lossTangent;
  const double bx = patch.width / 2 + s.boardMargin, by = patch.length / 2 + s.boardMargin;
  const double h = patch.height;
  const long long maxSteps = 1000000;  // the energy criterion ends the run first

  XmlText t;
  auto& o = t.out();
  o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<openEMS>\n";
  o << "  <FDTD NumberOfTimesteps=\"" << maxSteps << "\" endCriteria=\""
    << std::pow(10.0, s.endCriterionDb / 10) << "\" f_max=\"" << f0 + fc << "\">\n";
  o << "    <Excitation Type=\"0\" f0=\"" << f0 << "\" fc=\"" << fc << "\"/>\n";
  o << "    <BoundaryCond xmin=\"PML_8\" xmax=\"PML_8\" ymin=\"PML_8\" ymax=\"PML_8\" "
       "zmin=\"PML_8\" zmax=\"PML_8\"/>\n";
  o << "  </FDTD>\n  <ContinuousStructure CoordSystem=\"0\">\n    <Properties>\n";

  o << "      <Material Name=\"substrate\">\n        <Property Epsilon=\"" << patch.er
    << "\" Kappa=\"" << kappa << "\"/>\n        <Primitives>\n";
  t.box("          ", -bx, -by, 0, bx, by, h, 0);
  o << "        </Primitives>\n      </Material>\n";

  auto sheet = [&](const char* name, double x, double y, double z) {
    o << "      <ConductingSheet Name=\"" << name << "\" Conductivity=\"" << board.conductivity
      << "\" Thickness=\"" << board.copperThickness << "\">\n        <Primitives>\n";
    t.box("          ", -x, -y, z, x, y, z, 10);
    o << "        </Primitives>\n      </ConductingSheet>\n";
  };
  sheet("ground", bx, by, 0);
  sheet("patch", patch.width / 2, patch.length / 2, h);

  // The port: a 50 ohm resistor and a soft source along the probe's line from
  // ground to patch, a voltage probe on the same line and a current probe on
  // a small loop around it halfway up.
  const double px = s.feedX, py = s.feedY;
  o << "      <LumpedElement Name=\"port_resist_1\" Direction=\"2\" Caps=\"1\" R=\"50\">\n"
       "        <Primitives>\n";
  t.box("          ", px, py, 0, px, py, h, 5);
  o << "        </Primitives>\n      </LumpedElement>\n";
  o << "      <Excitation Name=\"port_excite_1\" Type=\"0\" Excite=\"0,0,1\">\n"
       "        <Primitives>\n";
  t.box("          ", px, py, 0, px, py, h, 5);
  o << "        </Primitives>\n      </Excitation>\n";
  o << "      <ProbeBox Name=\"" << run_folder::kPortVoltage
    << "\" Type=\"0\" Weight=\"-1\">\n        <Primitives>\n";
  t.box("          ", px, py, 0, px, py, h, 0);
  o << "        </Primitives>\n      </ProbeBox>\n";
  const double loop = 0.25 * patch.height;
  o << "      <ProbeBox Name=\"" << run_folder::kPortCurrent
    << "\" Type=\"1\" Weight=\"1\" NormDir=\"2\">\n        <Primitives>\n";
  t.box("          ", px - loop, py - loop, h / 2, px + loop, py + loop, h / 2, 0);
  o << "        </Primitives>\n      </ProbeBox>\n";

  if (!farFieldFrequencies.empty()) {
    // A closed box of tangential E and H halfway between the board and the
    // absorbing layer, sampled in the frequency domain at the asked
    // frequencies.
    const double g = 0.5 * (s.airGap - kPmlCells * (s.x.back() - s.x[s.x.size() - 2]));
    const double x1 = -bx - g, x2 = bx + g, y1 = -by - g, y2 = by + g, z1 = -g, z2 = h + g;
    // In the order of run_folder::kNearFieldFaces: x-, x+, y-, y+, z-, z+.
    struct Face {
      double a[3], b[3];
    };
    const Face faces[] = {
        {{x1, y1, z1}, {x1, y2, z2}}, {{x2, y1, z1}, {x2, y2, z2}}, {{x1, y1, z1}, {x2, y1, z2}},
        {{x1, y2, z1}, {x2, y2, z2}}, {{x1, y1, z1}, {x2, y2, z1}}, {{x1, y1, z2}, {x2, y2, z2}},
    };
    static_assert(std::size(faces) == std::size(run_folder::kNearFieldFaces));
    for (size_t k = 0; k < std::size(faces); ++k)
      for (int field = 0; field < 2; ++field) {
        const Face& f = faces[k];
        o << "      <DumpBox Name=\""
          << run_folder::nearFieldDump(field == 1, run_folder::kNearFieldFaces[k])
          << "\" DumpType=\"" << (field ? 11 : 10)
          << "\" DumpMode=\"1\" FileType=\"1\">\n        <FD_Samples>";
        for (size_t i = 0; i < farFieldFrequencies.size(); ++i)
          o << (i ? "," : "") << farFieldFrequencies[i];
        o << "</FD_Samples>\n        <Primitives>\n";
        t.box("          ", f.a[0], f.a[1], f.a[2], f.b[0], f.b[1], f.b[2], 0);
        o << "        </Primitives>\n      </DumpBox>\n";
      }
  }

  o << "    </Properties>\n    <RectilinearGrid DeltaUnit=\"1\" CoordSystem=\"0\">\n";
  t.lines("XLines", s.x);
  t.lines("YLines", s.y);
  t.lines("ZLines", s.z);
  o << "    </RectilinearGrid>\n  </ContinuousStructure>\n</openEMS>\n";
  return o.str();
}

}  // namespace fullwave

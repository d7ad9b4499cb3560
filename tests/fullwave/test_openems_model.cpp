// The solver input read back: what a wrong number here would silently turn
// into a wrong full-wave answer (material, port place, mesh at the edges and
// through the substrate, absorbers, the C locale).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <locale>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "fullwave/openems_model.h"

namespace {

using namespace antenna;
using namespace fullwave;

const Patch kPatch{38e-3, 29.5e-3, 1.6e-3, 4.4, 9e-3};
const antenna::Band kBand{1.5e9, 3.5e9};

// The attribute `name` of the first element matching `tag` after `from`.
double attribute(const std::string& xml, const std::string& from, const std::string& name) {
  const size_t at = xml.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  std::smatch m;
  const std::string rest = xml.substr(at);
  EXPECT_TRUE(std::regex_search(rest, m, std::regex(name + "=\"([^\"]*)\""))) << name;
  return std::stod(m[1]);
}

std::vector<double> gridLines(const std::string& xml, const std::string& tag) {
  const size_t a = xml.find("<" + tag + ">") + tag.size() + 2, b = xml.find("</" + tag + ">");
  std::vector<double> v;
  std::istringstream in(xml.substr(a, b - a));
  std::string item;
  while (std::getline(in, item, ',')) v.push_back(std::stod(item));
  return v;
}

// The two lines around `edge`: the one at or below and the one above.
std::pair<double, double> around(const std::vector<double>& lines, double edge) {
  auto hi = std::upper_bound(lines.begin(), lines.end(), edge);
  return {*(hi - 1), *hi};
}

TEST(OpenemsModel, MaterialsPortAndBoundariesReadBack) {
  const std::string xml = openemsXml(kPatch, Board{}, kBand, SolverQuality::Standard);
  EXPECT_DOUBLE_EQ(attribute(xml, "<Material Name=\"substrate\"", "Epsilon"), 4.4);
  // The loss tangent 0.02 as a conductivity at the band's centre, worked out
  // by hand: w e0 er tan_d = 2 pi 2.5 GHz 8.8542 pF/m 4.4 0.02 = 12.2392 mS/m.
  EXPECT_NEAR(attribute(xml, "<Material Name=\"substrate\"", "Kappa"), 12.23915e-3, 1e-8);
  EXPECT_DOUBLE_EQ(attribute(openemsXml(kPatch, Board{0}, kBand, SolverQuality::Standard),
                             "<Material Name=\"substrate\"", "Kappa"),
                   0);
  // The patch spans 29.5 mm along the feed's line, on top of the substrate.
  const std::string patch = xml.substr(xml.find("<ConductingSheet Name=\"patch\""));
  EXPECT_NEAR(attribute(patch, "<P1", "Y"), -14.75e-3, 1e-15);
  EXPECT_DOUBLE_EQ(attribute(patch, "<P2", "Z"), 1.6e-3);
  // The port runs from the ground to the patch, 9 mm in from its edge.
  const std::string port = "<LumpedElement";
  EXPECT_DOUBLE_EQ(attribute(xml, port, "R"), 50);
  EXPECT_DOUBLE_EQ(attribute(xml, port, "Direction"), 2);
  const std::string p1 = xml.substr(xml.find(port)), p2 = p1.substr(p1.find("<P2"));
  EXPECT_NEAR(attribute(p1, "<P1", "Y"), -5.75e-3, 1e-15);
  EXPECT_DOUBLE_EQ(attribute(p1, "<P1", "Z"), 0);
  EXPECT_DOUBLE_EQ(attribute(p2, "<P2", "Z"), 1.6e-3);
  // The Gaussian covers the band: centre and 20 dB half-width.
  EXPECT_DOUBLE_EQ(attribute(xml, "<Excitation Type", "f0"), 2.5e9);
  EXPECT_DOUBLE_EQ(attribute(xml, "<Excitation Type", "fc"), 1e9);
  // The board reaches a quarter of the centre's wavelength (30 mm) past the
  // patch, and at least an eighth (15 mm) of clear air lies between it and
  // the absorber's 8 cells.
  const auto x = gridLines(xml, "XLines");
  const double board = attribute(xml, "<Material Name=\"substrate\"", "X");
  EXPECT_NEAR(-board - 19e-3, 29.98e-3, 0.01e-3);
  EXPECT_GE(x[x.size() - 9] + board, 14.98e-3);
  EXPECT_EQ(xml.find("DumpBox"), std::string::npos);
}

TEST(OpenemsModel, MeshPutsEdgesByThirdsAndLayersTheSubstrate) {
  for (auto q : {SolverQuality::Quick, SolverQuality::Standard, SolverQuality::Fine}) {
    const std::string xml = openemsXml(kPatch, Board{}, kBand, q);
    const auto x = gridLines(xml, "XLines"), y = gridLines(xml, "YLines"),
               z = gridLines(xml, "ZLines");
    // A third of the edge cell on the metal, two thirds outside.
    for (auto [lines, half] : {std::pair{x, 19e-3}, std::pair{y, 14.75e-3}}) {
      auto [a, b] = around(lines, half);
      EXPECT_NEAR((half - a) / (b - a), 1.0 / 3, 1e-6);
      auto [c, d] = around(lines, -half);
      EXPECT_NEAR((d + half) / (d - c), 1.0 / 3, 1e-6);
    }
    // The feed sits on a line, and so do the ground and the patch.
    EXPECT_TRUE(std::any_of(y.begin(), y.end(),
                            [](double v) { return std::abs(v - (-14.75e-3 + 9e-3)) < 1e-12; }));
    const auto inSubstrate =
        std::count_if(z.begin(), z.end(), [](double v) { return v > 1e-9 && v < 1.6e-3 - 1e-9; });
    EXPECT_GE(inSubstrate, 3);  // at least four cells
    EXPECT_TRUE(std::count(z.begin(), z.end(), 0.0) == 1 &&
                std::count_if(z.begin(), z.end(),
                              [](double v) { return std::abs(v - 1.6e-3) < 1e-15; }) == 1);
    // Grows smoothly: no cell more than 1.5 times its neighbour.
    for (const auto& lines : {x, y, z}) {
      ASSERT_TRUE(std::is_sorted(lines.begin(), lines.end()));
      for (size_t i = 2; i < lines.size(); ++i) {
        const double r = (lines[i] - lines[i - 1]) / (lines[i - 1] - lines[i - 2]);
        EXPECT_LT(std::max(r, 1 / r), 1.5 + 1e-6) << "at " << lines[i - 1];
      }
    }
  }
}

TEST(OpenemsModel, AThickBoardIsLayeredAsFinelyAsHalfTheEdgeCell) {
  // Coarser layers under the patch's edge put a 6.35 mm board's resonance 1% low.
  Patch thick = kPatch;
  thick.height = 6.35e-3;
  for (auto q : {SolverQuality::Quick, SolverQuality::Standard, SolverQuality::Fine}) {
    const std::string xml = openemsXml(thick, Board{}, kBand, q);
    const auto [a, b] = around(gridLines(xml, "XLines"), 19e-3);
    const auto z = gridLines(xml, "ZLines");
    for (size_t i = 1; i < z.size(); ++i) {
      if (z[i] > 1e-9 && z[i] < thick.height + 1e-9) {
        EXPECT_LE(z[i] - z[i - 1], (b - a) / 2 + 1e-12) << "below " << z[i];
      }
    }
  }
}

TEST(OpenemsModel, NearFieldDumpsCarryTheirFrequenciesBeforeTheRun) {
  const std::string xml = openemsXml(kPatch, Board{}, kBand, SolverQuality::Quick, {2.33e9, 2.4e9});
  size_t boxes = 0;
  for (size_t at = xml.find("<DumpBox"); at != std::string::npos; at = xml.find("<DumpBox", at + 1))
    ++boxes;
  EXPECT_EQ(boxes, 12u);  // E and H on six faces
  EXPECT_NE(xml.find("<FD_Samples>2330000000,2400000000</FD_Samples>"), std::string::npos);
}

// A locale whose decimal mark is a comma, as a German desktop sets it.
struct CommaDecimal : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(OpenemsModel, NumbersAreWrittenInTheCLocaleWhateverTheProgramsLocale) {
  const std::locale before =
      std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
  const std::string xml = openemsXml(kPatch, Board{}, kBand, SolverQuality::Quick);
  std::locale::global(before);
  EXPECT_NE(xml.find("Epsilon=\"4.4\""), std::string::npos);
  EXPECT_NE(xml.find("Z=\"0.0016\""), std::string::npos);
  EXPECT_NE(xml.find("NumberOfTimesteps=\"1000000\""), std::string::npos);  // no grouping
}

TEST(OpenemsModel, ADesignTheSolverCannotTakeIsRefusedWithAReason) {
  Patch flat = kPatch, off = kPatch, wide = kPatch, thick = kPatch;
  flat.height = 0;  // would leave the substrate's layers no size to grow from
  off.feedOffset = kPatch.length;
  const struct {
    Patch patch;
    antenna::Band band;
    const char* reason;
  } cases[] = {{flat, kBand, "height"},
               {off, kBand, "feed"},
               {kPatch, {3e9, 3e9}, "band"},
               {kPatch, {1e9, NAN}, "band"}};
  for (const auto& c : cases)
    EXPECT_NE(solverInputError(c.patch, Board{}, c.band).find(c.reason), std::string::npos);
  EXPECT_THROW(openemsXml(flat, Board{}, kBand, SolverQuality::Quick), std::invalid_argument);
  // Sizes no mesh can take are refused at once, along each axis.
  wide.width = 1e4, thick.height = 1e3;  // 10 km, 1 km
  for (const auto& [patch, band] : {std::pair{wide, kBand}, {thick, kBand}, {kPatch, {1e9, 1e15}}})
    EXPECT_THROW(solverLayout(patch, Board{}, band, SolverQuality::Fine), std::invalid_argument);
  EXPECT_EQ(solverInputError(kPatch, Board{}, kBand), "");
}

TEST(MeshLines, GradedLinesKeepFixedLinesAndRespectTheLargestCell) {
  const auto lines = gradedMeshLines({{0, 0.1}, {10, 0.1}, {4, 0.5}}, 1.0, 1.3);
  for (double fixed : {0.0, 4.0, 10.0})
    EXPECT_NE(std::find(lines.begin(), lines.end(), fixed), lines.end());
  for (size_t i = 1; i < lines.size(); ++i) EXPECT_LE(lines[i] - lines[i - 1], 1.0 + 1e-12);
  // Beside a fixed line, a cell at most one step of 1.3 up from the line's own.
  EXPECT_LE(lines[1] - lines[0], 0.13 + 1e-12);
  EXPECT_LE(lines.back() - lines[lines.size() - 2], 0.13 + 1e-12);
}

}  // namespace

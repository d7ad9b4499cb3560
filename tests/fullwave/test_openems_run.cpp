// A short run of the real solver on the worked 38 x 29.5 mm FR-4 patch: the
// written input is accepted, the port files come out where they are read,
// and the resonance lands near the standard run's figure. CI installs the
// solver and runs this (and fails without it); elsewhere it is skipped when
// the solver is missing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fullwave/openems_model.h"
#include "fullwave/port_signals.h"
#include "required_tool.h"

namespace {

using namespace antenna;
using namespace fullwave;
namespace fs = std::filesystem;

// The standard run's resonance for this patch (bench/fullwave_patches.csv).
constexpr double kStandardResonance = 2.321e9;

std::string readFile(const fs::path& p) {
  std::ifstream in(p);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(OpenemsRun, DraftRunOfTheWorkedPatchFindsItsResonance) {
  TESSIVAR_REQUIRE_TOOL("openEMS", "command -v openEMS", "openEMS is not installed", "openems");
  const fs::path dir =
      fs::temp_directory_path() / ("tessivar_openems_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const Patch patch{38e-3, 29.5e-3, 1.6e-3, 4.4, 9e-3};
  const SolverBand band{1.5e9, 3.5e9};
  std::ofstream(dir / "model.xml") << openemsXml(patch, Board{}, band, SolverQuality::Draft);
  const std::string cmd =
      "cd '" + dir.string() + "' && openEMS model.xml --numThreads=2 > out.txt 2> err.txt";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << readFile(dir / "err.txt");

  std::string error;
  const auto v = parseProbeSignal(readFile(dir / kPortVoltageFile), error);
  ASSERT_TRUE(v) << error;
  const auto i = parseProbeSignal(readFile(dir / kPortCurrentFile), error);
  ASSERT_TRUE(i) << error;
  std::vector<double> f;
  for (int k = 0; k <= 400; ++k) f.push_back(band.fmin + (band.fmax - band.fmin) * k / 400);
  const auto peak = resistancePeak(portResponse(*v, *i, f));
  ASSERT_TRUE(peak);
  EXPECT_NEAR(peak->frequency / kStandardResonance, 1, 0.02);
  EXPECT_GT(peak->resistance, 10);
  fs::remove_all(dir);
}

}  // namespace

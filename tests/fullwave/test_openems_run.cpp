// A short run of the real solver on the worked 38 x 29.5 mm FR-4 patch: the
// written input is accepted, the port files come out where they are read,
// and the resonance lands near the standard run's figure; and an exported
// folder of a hostile name that the real solver ran and import read back
// (with the far field) holds every file run_folder.h names, by that name. CI installs the
// solver and runs these; elsewhere they are skipped when it is missing.
#include <algorithm>

#include "fullwave/check.h"
#include "fullwave/fake_solver.h"
#include "fullwave/openems_model.h"
#include "fullwave/port_signals.h"
#include "required_tool.h"

namespace {

using namespace antenna;
using namespace fullwave;
namespace fs = std::filesystem;
using fake_solver::readFile;

// The standard run's resonance for this patch (bench/fullwave_patches.csv).
constexpr double kStandardResonance = 2.321e9;

TEST(OpenemsRun, DraftRunOfTheWorkedPatchFindsItsResonance) {
  TESSIVAR_REQUIRE_TOOL("openEMS", "command -v openEMS", "openEMS is not installed", "openems");
  const fs::path dir =
      fs::temp_directory_path() / ("tessivar_openems_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const Patch patch{38e-3, 29.5e-3, 1.6e-3, 4.4, 9e-3};
  const antenna::Band band{1.5e9, 3.5e9};
  std::ofstream(dir / run_folder::kInput) << openemsXml(patch, Board{}, band, SolverQuality::Draft);
  const std::string cmd = "cd '" + dir.string() + "' && openEMS " + run_folder::kInput +
                          " --numThreads=2 > out.txt 2> err.txt";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << readFile(dir / "err.txt");

  std::string error;
  const auto v = parseProbeSignal(readFile(dir / run_folder::kPortVoltage), error);
  ASSERT_TRUE(v) << error;
  const auto i = parseProbeSignal(readFile(dir / run_folder::kPortCurrent), error);
  ASSERT_TRUE(i) << error;
  std::vector<double> f;
  for (int k = 0; k <= 400; ++k) f.push_back(band.fmin + (band.fmax - band.fmin) * k / 400);
  const auto peak = resistancePeak(portResponse(*v, *i, f));
  ASSERT_TRUE(peak);
  EXPECT_NEAR(peak->frequency / kStandardResonance, 1, 0.02);
  EXPECT_GT(peak->resistance, 10);
  fs::remove_all(dir);
}

TEST(OpenemsRun, AnExportedFolderRunByTheSolverHoldsEveryNamedFile) {
  TESSIVAR_REQUIRE_TOOL("openEMS", "command -v openEMS", "openEMS is not installed", "openems");
  // A folder named as a hostile user may: the printed command, run.sh, the
  // solver and nf2ff's input all take it as a name.
  const fs::path top =
      fs::temp_directory_path() / ("tessivar_export_" + std::to_string(::getpid()));
  const fs::path dir = top / "R&D \"q\" <x> $(touch ran)";
  fs::remove_all(top);
  const Request request{
      {38e-3, 29.5e-3, 1.6e-3, 4.4, 9e-3}, Board{}, {1.68e9, 3.12e9}, SolverQuality::Draft};
  // Run from the folder above, the test's own: a name that ran leaves its
  // file there, not in the build folder, where it failed every later run of
  // this test on a sound program. (A "cd" before the command would not do:
  // the "&" in the name ends the command that went there.)
  const std::string command = exportRun(request, dir.string());
  const fs::path before = fs::current_path();
  fs::current_path(top);
  const int status = std::system(command.c_str());
  fs::current_path(before);
  ASSERT_EQ(status, 0) << readFile(dir / run_folder::kSolverLog);
  const Result r = importRun(dir.string());
  EXPECT_TRUE(r.farField) << r.farFieldError;
  std::vector<std::string> names = {run_folder::kInput,          run_folder::kRequest,
                                    run_folder::kResult,         run_folder::kScript,
                                    run_folder::kSolverLog,      run_folder::kPortVoltage,
                                    run_folder::kPortCurrent,    run_folder::kFarFieldInput,
                                    run_folder::kFarFieldOutput, run_folder::kFarFieldLog};
  for (const char* face : run_folder::kNearFieldFaces)
    for (bool magnetic : {false, true}) names.push_back(run_folder::nearFieldFile(magnetic, face));
  for (const std::string& name : names) EXPECT_TRUE(fs::exists(dir / name)) << name;
  EXPECT_FALSE(fs::exists(dir / run_folder::kAbort));
  // Every file the run left is named: one an export clears again, or the
  // excitation's, which it leaves.
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    const bool exported =
        name == run_folder::kInput || name == run_folder::kRequest || name == run_folder::kScript;
    const bool excitation =
        std::find(std::begin(run_folder::kExcitationFiles), std::end(run_folder::kExcitationFiles),
                  name) != std::end(run_folder::kExcitationFiles);
    EXPECT_TRUE(exported || excitation || run_folder::leftByARun(name)) << name;
  }
  EXPECT_FALSE(fs::exists(top / "ran"));
  fs::remove_all(top);
}

}  // namespace

// A short run of the real solver on the worked 38 x 29.5 mm FR-4 patch, in
// an exported folder of a hostile name, read back by import (with the far
// field): the written input is accepted, the resonance lands near the
// standard run's figure, and the folder holds every file run_folder.h names,
// by that name. CI installs the solver and runs it; elsewhere it is skipped
// when the solver is missing.
#include <algorithm>

#include "fullwave/check.h"
#include "fullwave/fake_solver.h"
#include "required_tool.h"

namespace {

using namespace antenna;
using namespace fullwave;
namespace fs = std::filesystem;
using fake_solver::readFile;

// The standard run's resonance for this patch (bench/fullwave_patches.csv).
constexpr double kStandardResonance = 2.321e9;

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
  // The written input is accepted, the port files come out where they are
  // read, and the resonance lands near the standard run's.
  const Result r = importRun(dir.string());
  EXPECT_TRUE(r.farField) << r.farFieldError;
  const std::optional<Resonance> peak = resonanceOf(r.solver);
  ASSERT_TRUE(peak);
  EXPECT_NEAR(peak->hz / kStandardResonance, 1, 0.02);
  EXPECT_GT(peak->r, 10);
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

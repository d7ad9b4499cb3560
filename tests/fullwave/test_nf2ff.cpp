// The far-field program run on a folder of any name, with the real nf2ff
// (which fails at once on dumps that hold no HDF5, naming the file it was
// given): it must be given the folder's true paths, and never be started on
// a dump that is a pipe or a device.
#include <sys/stat.h>

#include "fullwave/fake_solver.h"
#include "fullwave/nf2ff.h"
#include "required_tool.h"
#include "within_time.h"

namespace {

namespace fs = std::filesystem;
namespace rf = fullwave::run_folder;

TEST(FarFieldOf, GivesNf2ffTheFoldersTruePathsAndNoDumpThatIsNoFile) {
  TESSIVAR_REQUIRE_TOOL("nf2ff", "command -v nf2ff", "nf2ff is not installed", "openems");
  const fs::path top = fs::temp_directory_path() / ("tessivar_nf2ff_" + std::to_string(::getpid()));
  const fs::path dir = top / "R&D \"q\" <x>\n'y'";
  fs::create_directories(dir);
  std::ofstream(dir / rf::kInput) << "<FD_Samples>2.4e9</FD_Samples>\n";
  for (const char* face : rf::kNearFieldFaces)
    for (bool magnetic : {false, true}) std::ofstream(dir / rf::nearFieldFile(magnetic, face));
  std::string error;
  EXPECT_FALSE(fullwave::farFieldOf(dir.string(), 2.4e9, error));
  EXPECT_NE(error.find("(nf2ff) failed"), std::string::npos) << error;
  const std::string said = fake_solver::readFile(dir / rf::kFarFieldLog);
  EXPECT_NE(said.find((dir / rf::nearFieldFile(false, "xn")).string()), std::string::npos) << said;

  const fs::path dump = dir / rf::nearFieldFile(true, "zp");
  for (const bool pipe : {true, false}) {
    fs::remove(dump);
    if (pipe)
      ASSERT_EQ(::mkfifo(dump.c_str(), 0600), 0);
    else
      fs::create_symlink("/dev/zero", dump);
    EXPECT_EQ(within_time::outcome([&] {
                fullwave::farFieldOf(dir.string(), 2.4e9, error);
                return error;
              }),
              "The near-field file " + dump.filename().string() + " in " + dir.string() +
                  " is not a regular file.");
  }
  fs::remove_all(top);
}

}  // namespace

// The names of the files a full-wave run's folder holds, each written here
// once, with who writes it and who reads it. A folder is a check kept in the
// cache, or one that "fullwave export" wrote for a solver elsewhere; every
// part of the driver (and its tests) names the files through these.
#pragma once

#include <string>
#include <string_view>

namespace fullwave::run_folder {

// The solver's input. Written by Run for a check and by exportRun; read by
// openEMS, by farFieldOf (the frequencies of the near-field dumps) and by
// importRun, which compares it with the input its request gives.
inline constexpr const char* kInput = "model.xml";

// The request the folder answers, one "name value" a line, and once a
// check's run has finished what it measured. Written by Check (before the
// run and again at its end) and by exportRun; read by the cache lookup and
// by importRun.
inline constexpr const char* kRequest = "check.txt";

// The port's S11 at 50 ohm as Touchstone, the folder's result. Written by
// readResult once the signals are read; read by the cache lookup
// (cachedResult), and by anyone outside who wants the numbers.
inline constexpr const char* kResult = "result.s1p";

// A stop request. Written by Run::cancel (or by hand); read by openEMS,
// which stops at its next progress check, and by Run, cachedResult and
// readResult, which take a folder that holds one for no result.
inline constexpr const char* kAbort = "ABORT";

// One line that runs the solver in its folder. Written by exportRun; run
// on the machine the folder is taken to.
inline constexpr const char* kScript = "run.sh";

// What the solver printed when run.sh ran it. Written by run.sh; read by
// importRun (the progress and how the run ended).
inline constexpr const char* kSolverLog = "solver.log";

// The port's voltage and current against time: the probes' names in the
// input, so files openEMS writes. Read by readResult.
inline constexpr const char* kPortVoltage = "port_ut1";
inline constexpr const char* kPortCurrent = "port_it1";

// The excitation's E and H signals against time, which openEMS writes of
// itself. Nothing here reads them; an export leaves them, as the next run
// writes them anew.
inline constexpr const char* kExcitationFiles[] = {"et", "ht"};

// The near-field dumps on the six faces of a box around the board, E and H
// each: their names in the input are "nf2ff_E_xn" and so on, and openEMS
// writes each as that name and ".h5". Read by farFieldOf, for nf2ff.
inline constexpr const char* kNearFieldPrefix = "nf2ff";
inline constexpr const char* kNearFieldFaces[] = {"xn", "xp", "yn", "yp", "zn", "zp"};
inline std::string nearFieldDump(bool magnetic, std::string_view face) {
  return std::string(kNearFieldPrefix) + (magnetic ? "_H_" : "_E_") + std::string(face);
}
inline std::string nearFieldFile(bool magnetic, std::string_view face) {
  return nearFieldDump(magnetic, face) + ".h5";
}

// The far-field program's files, each starting with kFarFieldPrefix: its
// input (written by farFieldOf), its HDF5 output (written by nf2ff, read by
// farFieldOf) and what it printed (written for nf2ff by farFieldOf, for
// the one who reads its failure).
inline constexpr const char* kFarFieldPrefix = "farfield.";
inline constexpr const char* kFarFieldInput = "farfield.xml";
inline constexpr const char* kFarFieldOutput = "farfield.h5";
inline constexpr const char* kFarFieldLog = "farfield.log";
static_assert(std::string_view(kFarFieldInput).starts_with(kFarFieldPrefix) &&
              std::string_view(kFarFieldOutput).starts_with(kFarFieldPrefix) &&
              std::string_view(kFarFieldLog).starts_with(kFarFieldPrefix));

// Whether a file of the folder is one a run leaves, which an export clears
// so that nothing of an earlier run is read as the new one's: the solver's
// signals, dumps and log, the result, the far field's files and an ABORT.
// The names are matched whole: these are all an export ever removes, so a
// file of the user's that only looks like one ("farfield.png") stays.
inline bool leftByARun(std::string_view name) {
  for (std::string_view face : kNearFieldFaces)
    for (bool magnetic : {false, true})
      if (name == nearFieldFile(magnetic, face)) return true;
  return name == kFarFieldInput || name == kFarFieldOutput || name == kFarFieldLog ||
         name == kPortVoltage || name == kPortCurrent || name == kResult || name == kSolverLog ||
         name == kAbort;
}

// Whether a file of the folder is one an export writes.
inline bool writtenByExport(std::string_view name) {
  return name == kInput || name == kRequest || name == kScript;
}

}  // namespace fullwave::run_folder

// Reading what an openEMS run leaves behind: the port's voltage and current
// against time, turned into the input impedance and reflection at the band's
// frequencies; the solver's progress lines; and the key under which a run's
// folder is kept so that the same run is never made twice.
#pragma once

#include <complex>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "antenna/resonance.h"

namespace fullwave {

// One probe's samples. Each probe has its own time column: the solver samples
// the current half a time step after the voltage.
struct ProbeSignal {
  std::vector<double> time;   // s
  std::vector<double> value;  // V or A
};

// The probe file's text ('%' comment lines, then "time value" rows). Returns
// nothing and fills `error` when the text holds no samples, a malformed row,
// a value that is not finite or a time that does not increase.
std::optional<ProbeSignal> parseProbeSignal(std::string_view text, std::string& error);

// The signal's Fourier transform at f, on its own time column.
std::complex<double> fourierTransform(const ProbeSignal& s, double f);

struct PortResponse {
  std::vector<double> frequency;  // Hz
  std::vector<std::complex<double>> zin;
  std::vector<std::complex<double>> s11;
};

PortResponse portResponse(const ProbeSignal& voltage, const ProbeSignal& current,
                          const std::vector<double>& frequencies, double z0 = 50);

// The peak of the port's input resistance, placed between samples.
using antenna::ResistancePeak;
std::optional<ResistancePeak> resistancePeak(const PortResponse& r);

// One progress line of the solver, as "[@     1m02s] Timestep: 8364 || ...
// || Energy: ~1.49e-18 (-36.67dB)".
struct SolverProgress {
  double elapsedSeconds = 0;
  long long timestep = 0;
  double energyDb = 0;
};
std::optional<SolverProgress> parseSolverProgress(std::string_view line);

// The words the solver's last lines start with once its run has ended
// ("Time for 12236 iterations with 115640.00 cells : 32.27 sec"): a log
// without them is of a run under way, or of one killed.
inline constexpr std::string_view kSolverEndWords = "Time for ";

// The solver's version from its banner ("openEMS 64bit -- version v0.0.35").
std::string solverVersion(std::string_view banner);

// The folder name for a run: a hash of the solver's input (which holds
// everything that defines the run) and the solver's version.
std::string cacheKey(std::string_view solverInput, std::string_view version);

}  // namespace fullwave

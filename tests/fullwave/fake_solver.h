// A stand-in for the openEMS solver on the PATH, for tests of what runs
// it: it tells its version, counts its runs and answers at once with the
// port signals of a 37 ohm resistor, or of resonators from a list.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "antenna/patch.h"
#include "fullwave/run_folder.h"

namespace fake_solver {

namespace fs = std::filesystem;

// The whole of a file (empty when it cannot be read).
inline std::string readFile(const fs::path& p) {
  std::ifstream in(p);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Writes a stand-in solver into `dir`/bin: it tells its version, counts its
// runs and leaves the signals of a 37 ohm resistor, or runs `instead`.
inline void writeFakeSolver(const fs::path& dir, const std::string& instead = "") {
  fs::create_directories(dir / "bin");
  std::ofstream(dir / "bin" / "openEMS")
      << "#!/bin/sh\n"
         "[ \"$1\" = --help ] && { echo ' openEMS 64bit -- version v0.0.35'; exit 0; }\n"
      << instead << "echo run >> '" << (dir / "runs").string()
      << "'\n"
         "echo '[@        1s] Timestep:   900 || Energy: ~1e-20 (-35.00dB)'\n"
         "cp '"
      << (dir / fullwave::run_folder::kPortVoltage).string() << "' '"
      << (dir / fullwave::run_folder::kPortCurrent).string() << "' .\necho 'Time for 900 ...'\n";
  fs::permissions(dir / "bin" / "openEMS", fs::perms::owner_all);
  std::ofstream v(dir / fullwave::run_folder::kPortVoltage),
      i(dir / fullwave::run_folder::kPortCurrent);
  for (int k = 0; k < 3000; ++k) {
    const double t = k * 1e-11, g = std::exp(-std::pow((t - 2e-9) / 4e-10, 2));
    const double u = g * std::cos(2 * antenna::kPi * 2.4e9 * t);
    v << t << ' ' << u << '\n';
    i << t << ' ' << u / 37 << '\n';
  }
}

// The port signals of a parallel RLC resonating at `hz` with peak
// resistance `r` and a Q of 20: the voltage is the derivative of a
// modulated Gaussian w, so the current v/R + C dv/dt + w/L ends with it.
inline void writeResonator(const fs::path& dir, double hz, double r) {
  fs::create_directories(dir);
  const double w0 = 2 * antenna::kPi * hz, c = 20 / (r * w0), l = 1 / (w0 * w0 * c);
  const double wc = 2 * antenna::kPi * 2.4e9, tau = 4e-10, t0 = 2e-9;
  std::ofstream v(dir / fullwave::run_folder::kPortVoltage),
      i(dir / fullwave::run_folder::kPortCurrent);
  v.precision(17);
  i.precision(17);
  for (int k = 0; k < 400; ++k) {
    const double t = k * 1e-11, u = t - t0;
    const double g = std::exp(-u * u / (tau * tau)), g1 = -2 * u / (tau * tau) * g;
    const double g2 = (4 * u * u / std::pow(tau, 4) - 2 / (tau * tau)) * g;
    const double s = std::sin(wc * t), s1 = wc * std::cos(wc * t), s2 = -wc * wc * s;
    const double w = g * s, w1 = g1 * s + g * s1, w2 = g2 * s + 2 * g1 * s1 + g * s2;
    v << t << ' ' << w1 << '\n';
    i << t << ' ' << w1 / r + c * w2 + w / l << '\n';
  }
}

// Makes the stand-in in `dir` answer its n-th run (from 0) with the n-th
// resonator of `answers` (a resonance in Hz and the resistance there).
inline void answerFromAList(const fs::path& dir,
                            const std::vector<std::pair<double, double>>& answers) {
  for (size_t n = 0; n < answers.size(); ++n)
    writeResonator(dir / ("answer" + std::to_string(n)), answers[n].first, answers[n].second);
  const std::string runs = (dir / "runs").string();
  writeFakeSolver(dir, "n=$(cat '" + runs + "' 2>/dev/null | wc -l)\necho run >> '" + runs +
                           "'\necho '[@        1s] Timestep:   900 || Energy: ~1e-20 (-35.00dB)'"
                           "\ncp '" +
                           (dir / "answer").string() + "'$n/* .\nexit 0\n");
}

// A test with the stand-in first on the PATH and the cache in its own
// folder, both in dir_, which goes at the end.
class FakeSolverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tessivar_fwcheck_" + std::to_string(::getpid()));
    writeFakeSolver(dir_);
    oldPath_ = std::getenv("PATH");
    setenv("PATH", ((dir_ / "bin").string() + ":" + oldPath_).c_str(), 1);
    setenv("XDG_CACHE_HOME", (dir_ / "cache").c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", oldPath_.c_str(), 1);
    unsetenv("XDG_CACHE_HOME");
    fs::remove_all(dir_);
  }
  // How many times the stand-in has run.
  int runs() const {
    std::ifstream in(dir_ / "runs");
    int n = 0;
    for (std::string l; std::getline(in, l);) ++n;
    return n;
  }
  fs::path dir_;
  std::string oldPath_;
};

}  // namespace fake_solver

// A stand-in for the openEMS solver on the PATH, for tests of what runs
// it: it tells its version, counts its runs and answers at once with the
// port signals of a 37 ohm resistor.
#pragma once

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "antenna/patch.h"

namespace fake_solver {

namespace fs = std::filesystem;

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
      << (dir / "port_ut1").string() << "' '" << (dir / "port_it1").string() << "' .\n";
  fs::permissions(dir / "bin" / "openEMS", fs::perms::owner_all);
  std::ofstream v(dir / "port_ut1"), i(dir / "port_it1");
  for (int k = 0; k < 3000; ++k) {
    const double t = k * 1e-11, g = std::exp(-std::pow((t - 2e-9) / 4e-10, 2));
    const double u = g * std::cos(2 * antenna::kPi * 2.4e9 * t);
    v << t << ' ' << u << '\n';
    i << t << ' ' << u / 37 << '\n';
  }
}

}  // namespace fake_solver

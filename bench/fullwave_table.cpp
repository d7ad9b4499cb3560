// Runs openEMS on a set of probe-fed patches across substrates and writes
// one row per patch to a CSV file as soon as each run ends, for the refined
// impedance model to be checked against. The file is replaced whole (a
// temporary file renamed over it), so a reader never sees half a row.
//
//   fullwave_table OUT.csv [quick|standard|fine] [threads] [first] [last]
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "fullwave/openems_model.h"
#include "fullwave/port_signals.h"

namespace {

using antenna::kSpeedOfLight;

// The patches: target resonance (GHz), permittivity, height (mm); the FR-4
// patch is the worked 38 x 29.5 mm example with its feed 9 mm in.
struct TableRow {
  double f0Ghz, er, hMm, wMm, lMm, offsetMm;
};

// Width for an efficient radiator and length from the effective permittivity
// and the open-end extension (Hammerstad and Jensen, 1980; Balanis,
// Antenna Theory, eqs. 14-6 to 14-7).
TableRow textbookPatch(double f0Ghz, double er, double hMm) {
  const double f0 = f0Ghz * 1e9, h = hMm * 1e-3;
  const double w = kSpeedOfLight / (2 * f0) * std::sqrt(2 / (er + 1));
  const double ee = (er + 1) / 2 + (er - 1) / 2 / std::sqrt(1 + 12 * h / w);
  const double dl = 0.412 * h * (ee + 0.3) * (w / h + 0.264) / ((ee - 0.258) * (w / h + 0.8));
  const double l = kSpeedOfLight / (2 * f0 * std::sqrt(ee)) - 2 * dl;
  return {f0Ghz, er, hMm, w * 1e3, l * 1e3, std::round(l * 1e3 / 3 * 10) / 10};
}

std::vector<TableRow> tablePatches() {
  std::vector<TableRow> rows{{2.4, 4.4, 1.6, 38, 29.5, 9}};
  const double others[][3] = {
      {5.8, 2.2, 0.787}, {3.0, 2.2, 3.175}, {2.5, 2.2, 6.35},   {2.0, 3.38, 0.813}, {3.0, 4.4, 3.2},
      {3.5, 6.15, 1.27}, {3.0, 10.2, 2.54}, {2.4, 10.2, 0.635}, {3.5, 2.2, 5.0},
  };
  for (const auto& o : others) rows.push_back(textbookPatch(o[0], o[1], o[2]));
  return rows;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

constexpr const char* kHeader =
    "w_mm,l_mm,h_mm,er,offset_mm,fmin_ghz,fmax_ghz,quality,cells,timesteps,seconds,end_db,"
    "resonance_ghz,r_peak_ohm\n";

// Adds a row (or only the header, for an empty row) to the table. Several
// runs may share one table, so the read and the rename happen under a lock
// and the file is replaced whole.
void appendRow(const std::string& path, const std::string& row) {
  const int lock = open((path + ".lock").c_str(), O_CREAT | O_RDWR, 0644);
  flock(lock, LOCK_EX);
  std::string text = readFile(path);
  if (text.rfind(kHeader, 0) != 0) text = kHeader;
  text += row;
  const std::string tmp = path + ".tmp";
  std::ofstream(tmp, std::ios::binary) << text;
  std::rename(tmp.c_str(), path.c_str());
  flock(lock, LOCK_UN);
  close(lock);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: fullwave_table OUT.csv [quick|standard|fine] [threads] [first] [last]\n";
    return 2;
  }
  const std::string out = argv[1];
  const std::string qname = argc > 2 ? argv[2] : "standard";
  const auto quality = qname == "quick"  ? fullwave::SolverQuality::Quick
                       : qname == "fine" ? fullwave::SolverQuality::Fine
                                         : fullwave::SolverQuality::Standard;
  const int threads = argc > 3 ? std::atoi(argv[3]) : 2;
  const auto rows = tablePatches();
  const size_t first = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 0;
  const size_t last = argc > 5 ? std::strtoul(argv[5], nullptr, 10) : rows.size() - 1;

  appendRow(out, "");
  for (size_t i = first; i <= last && i < rows.size(); ++i) {
    const auto& r = rows[i];
    antenna::Patch p{r.wMm * 1e-3, r.lMm * 1e-3, r.hMm * 1e-3, r.er, r.offsetMm * 1e-3};
    antenna::Board b;
    const antenna::Band band{0.7 * r.f0Ghz * 1e9, 1.3 * r.f0Ghz * 1e9};
    const auto layout = fullwave::solverLayout(p, b, band, quality);
    const std::string dir =
        "/tmp/fullwave_table/" + qname + "_" + std::to_string(threads) + "_" + std::to_string(i);
    std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
    std::ofstream(dir + "/model.xml") << fullwave::openemsXml(p, b, band, quality);
    const auto t0 = std::chrono::steady_clock::now();
    const std::string cmd = "cd '" + dir +
                            "' && openEMS model.xml --numThreads=" + std::to_string(threads) +
                            " > out.txt 2> err.txt";
    const int rc = std::system(cmd.c_str());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::string error;
    const auto v = fullwave::parseProbeSignal(readFile(dir + "/port_ut1"), error);
    const auto c = fullwave::parseProbeSignal(readFile(dir + "/port_it1"), error);
    if (rc != 0 || !v || !c) {
      std::cerr << "patch " << i << ": run failed (" << rc << ") " << error << "\n";
      continue;
    }
    std::istringstream lines(readFile(dir + "/out.txt"));
    std::string line;
    fullwave::SolverProgress last;
    while (std::getline(lines, line))
      if (auto pr = fullwave::parseSolverProgress(line)) last = *pr;
    std::vector<double> freqs;
    for (int k = 0; k <= 600; ++k) freqs.push_back(band.fmin + (band.fmax - band.fmin) * k / 600);
    const auto resp = fullwave::portResponse(*v, *c, freqs);
    const auto peak = fullwave::resistancePeak(resp);
    char row[512];
    std::snprintf(row, sizeof row,
                  "%.4f,%.4f,%.4f,%.4g,%.4f,%.4f,%.4f,%s,%lld,%lld,%.1f,%.2f,%.5f,%.2f\n", r.wMm,
                  r.lMm, r.hMm, r.er, r.offsetMm, band.fmin / 1e9, band.fmax / 1e9, qname.c_str(),
                  layout.cells(), last.timestep, seconds, last.energyDb,
                  peak ? peak->frequency / 1e9 : NAN, peak ? peak->resistance : NAN);
    appendRow(out, row);
    std::cerr << row;
  }
  return 0;
}

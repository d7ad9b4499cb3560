// Readout of an impedance sweep. Values between samples come from linear
// interpolation between the two neighbouring points.
#include "antenna/readout.h"

#include <algorithm>
#include <cmath>

#include "antenna/network.h"
#include "antenna/numbers.h"
#include "antenna/resonance.h"
#include "antenna/units.h"

namespace antenna {
namespace {

double lerp(double x0, double x1, double t) {
  return x0 + t * (x1 - x0);
}

// Where the segment from (f0, y0) to (f1, y1) reaches `level`.
double crossing(double f0, double f1, double y0, double y1, double level) {
  return y1 == y0 ? f0 : lerp(f0, f1, (level - y0) / (y1 - y0));
}

std::string sig4(double v, std::string_view unit) {
  return formatNumber(v, 4, unit);
}

std::string ghz4(double hz) {
  return sig4(ghzFromHz(hz), "GHz");
}

// S11 of a sample: an impedance without bound (S11 = 1 in a file reads as
// R = inf) reflects wholly.
std::complex<double> reflection(double r, double x, double z0) {
  return std::isfinite(r) && std::isfinite(x) ? sFromZ({r, x}, z0) : 1.0;
}

// A perfect match (S11 = 0) is -inf dB; the readout takes it as its floor, so
// that the band edges around it interpolate between finite numbers.
constexpr double kFloorDb = -300;

}  // namespace

std::vector<double> s11Db(const Sweep& s, double z0) {
  std::vector<double> db(s.hz.size());
  for (std::size_t i = 0; i < db.size(); ++i)
    db[i] = std::max(kFloorDb, magnitudeDb(reflection(s.r[i], s.x[i], z0)));
  return db;
}

Readout computeReadout(const Sweep& s, double z0) {
  const std::size_t n = s.hz.size();
  Readout out;
  out.z0 = z0;

  // Resonance: an inside peak of R (a peak at a band end may lie outside).
  const std::size_t peak = resistancePeakIndex(s.r);
  std::optional<std::complex<double>> zRes;
  if (n > 0 && peak > 0 && peak + 1 < n) {
    out.resonanceHz.push_back(s.hz[peak]);
    out.resonanceKinds.push_back(ResonanceKind::resistancePeak);
    zRes = {s.r[peak], s.x[peak]};
  }
  for (std::size_t k = 0; k + 1 < n; ++k) {
    if (!(s.x[k] > 0 && s.x[k + 1] <= 0)) continue;
    const double t = s.x[k] / (s.x[k] - s.x[k + 1]);
    out.resonanceHz.push_back(lerp(s.hz[k], s.hz[k + 1], t));
    out.resonanceKinds.push_back(ResonanceKind::reactanceZero);
    if (!zRes) zRes = std::complex<double>(lerp(s.r[k], s.r[k + 1], t), 0.0);
  }
  if (zRes) {
    out.rAtResonance = zRes->real();
    out.vswrAtResonance = vswr(reflection(zRes->real(), zRes->imag(), z0));
  }

  // Match: the smallest |S11| and the -10 dB band around it.
  const std::vector<double> db = s11Db(s, z0);
  const std::size_t m = std::min_element(db.begin(), db.end()) - db.begin();
  out.s11MinDb = db[m];
  out.s11MinHz = s.hz[m];
  if (db[m] < -10) {
    std::size_t lo = m, hi = m;
    while (lo > 0 && db[lo - 1] < -10) --lo;
    while (hi + 1 < n && db[hi + 1] < -10) ++hi;
    const double fLo =
        lo == 0 ? s.hz[0] : crossing(s.hz[lo - 1], s.hz[lo], db[lo - 1], db[lo], -10);
    const double fHi =
        hi + 1 == n ? s.hz[n - 1] : crossing(s.hz[hi], s.hz[hi + 1], db[hi], db[hi + 1], -10);
    out.bandwidthHz = {fLo, fHi};
    out.bandwidthPercent = 100 * (fHi - fLo) / ((fHi + fLo) / 2);
  }
  return out;
}

std::vector<std::string> readoutLines(const Readout& r) {
  std::vector<std::string> lines;
  if (r.resonanceHz.empty()) {
    lines.push_back("Resonance: no resonance in the band");
  } else {
    std::string list;
    for (std::size_t k = 0; k < r.resonanceHz.size(); ++k) {
      const bool peak = r.resonanceKinds.at(k) == ResonanceKind::resistancePeak;
      list += (list.empty() ? "" : "; ") + std::string(peak ? "R peak " : "X = 0 at ") +
              ghz4(r.resonanceHz[k]);
    }
    lines.push_back("Resonance: " + list);
    lines.push_back("R at resonance: " + sig4(*r.rAtResonance, "Ohm"));
    lines.push_back("VSWR at resonance: " + sig4(*r.vswrAtResonance, ""));
  }
  lines.push_back("Smallest |S11|: " + sig4(r.s11MinDb, "dB") + " at " + ghz4(r.s11MinHz));
  if (r.bandwidthHz) {
    lines.push_back("-10 dB band: " + ghz4(r.bandwidthHz->first) + " to " +
                    ghz4(r.bandwidthHz->second) + " (" + sig4(*r.bandwidthPercent, "%") + ")");
  } else {
    lines.push_back("-10 dB band: never below -10 dB");
  }
  return lines;
}

std::complex<double> impedanceAt(const Sweep& s, double hz) {
  if (s.hz.size() < 2) return {s.r[0], s.x[0]};
  std::size_t k = 0;
  while (k + 2 < s.hz.size() && s.hz[k + 1] < hz) ++k;
  const double t = (hz - s.hz[k]) / (s.hz[k + 1] - s.hz[k]);
  return {lerp(s.r[k], s.r[k + 1], t), lerp(s.x[k], s.x[k + 1], t)};
}

}  // namespace antenna

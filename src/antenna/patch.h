// The design of a probe-fed rectangular patch as the antenna library takes
// it, and the physical constants its formulas share. The library works in SI
// units throughout (metres, hertz, ohms); the window's millimetres and GHz
// are converted at its edge.
#pragma once

#include <numbers>

namespace antenna {

inline constexpr double kPi = std::numbers::pi;
inline constexpr double kSpeedOfLight = 299792458.0;  // m/s
inline constexpr double kMu0 = 4e-7 * kPi;            // H/m (to the precision the formulas need)
inline constexpr double kEta0 =
    kMu0 * kSpeedOfLight;  // free-space wave impedance, about 376.73 ohm

// The patch, its substrate and where the probe meets it.
struct Patch {
  double width = 0;       // W: the radiating edges' length
  double length = 0;      // L: between the radiating edges, the resonant size
  double height = 0;      // h: substrate thickness
  double er = 1;          // relative permittivity of the substrate
  double feedOffset = 0;  // the feed's distance from a radiating edge, along L
};

// How the line meets the patch. Each model and the solver's model file say
// which feeds they take. The coaxial probe: a pin of the board's
// pinDiameter through the substrate, at the patch's feedOffset from a
// radiating edge.
enum class Feed { probe };
inline constexpr Feed kFeeds[] = {Feed::probe};

// The board and feed beyond what the window sets: what the refined model and
// the full-wave solver need for losses and the feed.
struct Board {
  double lossTangent = 0.02;
  double copperThickness = 35e-6;  // m
  double conductivity = 5.8e7;     // S/m (copper)
  double pinDiameter = 1.27e-3;    // m
  Feed feed = Feed::probe;
  bool operator==(const Board&) const = default;
};

// Whether two patches are one design: their sizes alike to a tenth of the
// micrometre a board holds (a size typed in millimetres and the same size
// computed may differ in the last bit), their permittivity to 1e-9.
inline bool sameDesign(const Patch& a, const Patch& b) {
  const auto near = [](double x, double y) { return x - y <= 1e-7 && y - x <= 1e-7; };
  return near(a.width, b.width) && near(a.length, b.length) && near(a.height, b.height) &&
         near(a.feedOffset, b.feedOffset) && a.er - b.er <= 1e-9 * b.er &&
         b.er - a.er <= 1e-9 * b.er;
}

}  // namespace antenna

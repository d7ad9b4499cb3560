// The refined transmission-line model. At each frequency:
//  1. the patch as a line: Hammerstad-Jensen with Kirschning-Jansen
//     dispersion gives ee(f) and Zc(f);
//  2. each radiating edge: the slot's own conductance from its radiation
//     integral over the patch's effective width, the mutual conductance of
//     the pair, and the susceptance of the Kirschning-Jansen-Koster length
//     extension, B = tan(beta dL) / Zc;
//  3. the losses: conductor and dielectric attenuation on the line, and
//     the copper's internal inductance that slows it;
//  4. the network: the feed splits the line in two sections, whose far ends
//     meet the slots' two-port admittance [G1 + jB, -G12; -G12, G1 + jB]
//     (node voltages of the dominant mode are in antiphase, their slot
//     fields in phase, hence the minus). The pair's mutual susceptance
//     from the same free-space reaction integral as G12 is left out: it
//     is inductive and lifts the resonance by 0.1-1%, further from the
//     full-wave runs, which the model already exceeds on eight of ten;
//  5. the probe's series reactance on top: it moves X and never R, so the
//     peak of R does not depend on the pin's diameter.
// The slots' conductances include the surface wave they launch (Jackson and
// Alexopoulos' efficiency of a patch on a grounded substrate), which a
// finite board sheds at its edges: efficiency is the share of the power into
// the feed that leaves as space and surface wave, not heat. Q is the
// Yaghjian-Best value w |dY/dw| / (2 G) of the feed's admittance.
#include "antenna/refined_model.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <utility>

#include "antenna/microstrip.h"
#include "antenna/numbers.h"
#include "antenna/radiating_slots.h"

namespace antenna {

namespace {

using Complex = std::complex<double>;

constexpr double kEulerGamma = 0.5772156649015329;

// The board the model takes, in SI units.
constexpr double kThinnestCopper = 1e-6, kThickestCopper = 1e-3;  // m
constexpr double kPoorestMetal = 1e6, kBestMetal = 1e8;           // S/m
constexpr double kThinnestPin = 1e-5;                             // m

// Relative frequency step of the derivative behind Q: small against any
// patch bandwidth (its error is about Q times the step), large against
// rounding.
constexpr double kQStep = 1e-7;

// Reactance of a coaxial probe of diameter d through the substrate, in
// series with the patch: X = (eta0 k0 h / 2 pi) [ln(4 / (k0 sqrt(er) d)) -
// gamma] (Garg, Bhartia, Bahl and Ittipiboon, Microstrip Antenna Design
// Handbook, 2001, probe-fed patch).
double probeReactance(double k0, const Patch& p, double pinDiameter) {
  return kEta0 * k0 * p.height / (2 * kPi) *
         (std::log(4 / (k0 * std::sqrt(p.er) * pinDiameter)) - kEulerGamma);
}

// The two radiating edges' conductances at one frequency.
struct Slots {
  double self, mutual;
};

// One section of the patch line from the feed (z = 0) to a slot (z = len).
// With a real Zc and gamma = alpha + j beta the line is distortionless, and
// with V(z) = a e^(-gamma z) + b e^(gamma z) its power flow is (|a|^2
// e^(-2 alpha z) - |b|^2 e^(2 alpha z)) / (2 Zc): what it loses between its
// ends is that difference, written so that a lossless line loses exactly
// nothing and no two large powers are subtracted.
struct Section {
  double zc, alpha, beta, len;

  double loss(Complex vFeed, Complex iFeed) const {
    if (alpha == 0) return 0;
    const Complex a = (vFeed + zc * iFeed) / 2.0, b = (vFeed - zc * iFeed) / 2.0;
    return (std::norm(a) * -std::expm1(-2 * alpha * len) +
            std::norm(b) * std::expm1(2 * alpha * len)) /
           (2 * zc);
  }
};

// A smooth function of frequency over [lo, hi] as a Chebyshev series,
// sampled at the first-kind nodes (Press et al., Numerical Recipes, 5.8) and
// summed by Clenshaw's recurrence.
class ChebyshevSeries {
 public:
  ChebyshevSeries(double lo, double hi, std::span<const double> samples)
      : mid_((lo + hi) / 2), half_((hi - lo) / 2), c_(samples.size()) {
    const size_t n = samples.size();
    for (size_t k = 0; k < n; ++k) {
      double sum = 0;
      for (size_t j = 0; j < n; ++j) sum += samples[j] * std::cos(kPi * k * (j + 0.5) / n);
      c_[k] = 2 * sum / n;
    }
  }

  // The node of index j of n over [lo, hi], where samples are taken.
  static double node(double lo, double hi, size_t j, size_t n) {
    return (lo + hi) / 2 + (hi - lo) / 2 * std::cos(kPi * (j + 0.5) / n);
  }

  double operator()(double x) const {
    const double t = (x - mid_) / half_;
    double b1 = 0, b2 = 0;
    for (size_t k = c_.size() - 1; k > 0; --k) {
      const double b0 = 2 * t * b1 - b2 + c_[k];
      b2 = b1;
      b1 = b0;
    }
    return t * b1 - b2 + c_[0] / 2;
  }

 private:
  double mid_, half_;
  std::vector<double> c_;
};

// cosh and sinh of z from one complex exponential.
std::pair<Complex, Complex> coshSinh(Complex z) {
  const Complex e = std::exp(z), inverse = std::conj(e) / std::norm(e);
  return {(e + inverse) / 2.0, (e - inverse) / 2.0};
}

// The feed between two sections that end on the slots' two-port
// [self, mutual; mutual, self].
struct Network {
  Section s1, s2;
  double g1, mutual;
  Complex v1{}, v2{}, into1{}, into2{};  // slot voltages, currents into each section

  // With the feed's voltage 1, V1 and V2 follow from the two sections (ABCD
  // from the feed to each end, I_k the current into the slot network
  // there): ch1 V1 + zc sh1 (self V1 + mutual V2) = 1, and the same from
  // side 2.
  void solve(Complex self) {
    const Complex gamma(s1.alpha, s1.beta);
    const double zc = s1.zc;
    const auto [ch1, sh1] = coshSinh(gamma * s1.len);
    const auto [ch2, sh2] = coshSinh(gamma * s2.len);
    const Complex a11 = ch1 + zc * sh1 * self, a12 = zc * sh1 * mutual;
    const Complex a21 = zc * sh2 * mutual, a22 = ch2 + zc * sh2 * self;
    const Complex det = a11 * a22 - a12 * a21, inverse = std::conj(det) / std::norm(det);
    v1 = (a22 - a12) * inverse;
    v2 = (a11 - a21) * inverse;
    const Complex i1 = self * v1 + mutual * v2, i2 = mutual * v1 + self * v2;
    into1 = sh1 * v1 / zc + ch1 * i1;
    into2 = sh2 * v2 / zc + ch2 * i2;
  }

  Complex admittance() const { return into1 + into2; }

  double efficiency() const {
    const double radiated =
        (g1 * (std::norm(v1) + std::norm(v2)) + 2 * mutual * (v1 * std::conj(v2)).real()) / 2;
    const double lost = s1.loss(1.0, into1) + s2.loss(1.0, into2);
    return radiated / (radiated + lost);
  }
};

class PatchLine {
 public:
  PatchLine(const Patch& patch, const Board& board)
      : p_(patch),
        b_(board),
        line_(patch.width / patch.height, patch.er, patch.height),
        extension_(openEndExtension(patch.width, patch)),
        radiatingLength_(patch.width + 2 * openEndExtension(patch.length, patch)) {}

  // The surface wave that the edges launch into the substrate leaves the
  // patch beside the space wave; it is taken to share the space wave's
  // dependence on the two edges' voltages.
  Slots slots(double hz) const {
    const double k0 = 2 * kPi * hz / kSpeedOfLight;
    const double scale = 1 / surfaceWaveEfficiency(k0 * p_.height, p_.er);
    return {scale * slotConductance(k0, radiatingLength_),
            scale * mutualSlotConductance(k0, radiatingLength_, p_.length)};
  }

  // The network at frequency hz: the line's state, the slot ends'
  // admittances, and the two sections solved with the feed's voltage 1.
  Network network(double hz, const Slots& slots) const {
    const LineState line = line_.at(hz);
    const double k0 = 2 * kPi * hz / kSpeedOfLight;
    const double beta = k0 * std::sqrt(line.ee);
    const Complex self(slots.self, std::tan(beta * extension_) / line.zc);
    const double rs = surfaceResistance(hz, b_.conductivity, b_.copperThickness);
    const double conductor = conductorAttenuation(rs, line.zc, p_.width);
    const double alpha = conductor + dielectricAttenuation(hz, p_.er, line, b_.lossTangent);
    // Wheeler's incremental inductance rule (Wheeler 1942, "Formulas for the
    // skin effect", Proc. IRE 30(9)): the field inside the copper adds as
    // much series reactance as the surface resistance, Zs = Rs (1 + j), so
    // the metal slows the wave by as many rad/m as it attenuates it in Np/m.
    const double lineBeta = beta + conductor;
    Network n{{line.zc, alpha, lineBeta, p_.feedOffset},
              {line.zc, alpha, lineBeta, p_.length - p_.feedOffset},
              slots.self,
              -slots.mutual};
    n.solve(self);
    return n;
  }

  // Yaghjian and Best's Q of the feed's admittance `y`, its derivative by a
  // forward step. The slot conductances are held over the step: their own
  // change moves Q by about 1/(2 Q^2).
  double qualityFactor(double hz, const Slots& slots, Complex y) const {
    const Complex above = network(hz * (1 + kQStep), slots).admittance();
    return std::abs(above - y) / kQStep / (2 * y.real());
  }

 private:
  const Patch p_;
  const Board b_;
  const DispersiveLine line_;
  // Kirschning, Jansen and Koster fitted their extension to static end
  // capacitances, so it takes the quasi-static ee; the frequency enters
  // through beta.
  static double openEndExtension(double edge, const Patch& p) {
    const double u = edge / p.height;
    return p.height * KirschningJansenKosterOpenEnd(u, p.er)(hammerstadJensenLine(u, p.er).ee);
  }

  const double extension_;
  // The radiating edges' field reaches past the patch's sides by the side
  // edges' own fringing, so each slot is longer than W: the cavity model's
  // effective width W + 2 dW, dW the open-end extension of an edge of
  // length L (Garg, Bhartia, Bahl and Ittipiboon, Microstrip Antenna Design
  // Handbook, 2001, cavity model with effective dimensions). On the
  // full-wave table it brings the peak resistance from +26%..-1% to
  // +16%..-15%.
  const double radiatingLength_;
};

// The slot conductances over the sweep. They change slowly with frequency,
// at most as fast as cos(k0 (W + L)), so a wide sweep takes them from a
// Chebyshev series of a few dozen samples; sweeps too short to gain from
// that take them at every frequency. The series holds them over X^2 / (1 +
// X), X = k0 W, their growth from X^2/3 to X pi/2 (in units of 1/(120
// pi^2)), so that its error stays small beside the conductance at each
// frequency and not only beside its largest.
class SlotsOverBand {
 public:
  SlotsOverBand(const PatchLine& model, const Patch& p, std::span<const double> hz)
      : model_(model), width_(p.width) {
    const auto [lo, hi] = std::minmax_element(hz.begin(), hz.end());
    const double phase = 2 * kPi * (*hi - *lo) / kSpeedOfLight * (p.width + p.length) / 2;
    const size_t n = 16 + size_t(std::ceil(phase + 4 * std::cbrt(phase)));
    if (*hi == *lo || 2 * n > hz.size()) return;
    std::vector<double> self(n), mutual(n);
    for (size_t j = 0; j < n; ++j) {
      const double f = ChebyshevSeries::node(*lo, *hi, j, n);
      const Slots s = model.slots(f);
      self[j] = s.self / growth(f);
      mutual[j] = s.mutual / growth(f);
    }
    self_.emplace(*lo, *hi, self);
    mutual_.emplace(*lo, *hi, mutual);
  }

  Slots at(double hz) const {
    if (!self_) return model_.slots(hz);
    const double g = growth(hz);
    return {g * (*self_)(hz), g * (*mutual_)(hz)};
  }

 private:
  double growth(double hz) const {
    const double x = 2 * kPi * hz / kSpeedOfLight * width_;
    return x * x / (1 + x);
  }

  const PatchLine& model_;
  const double width_;
  std::optional<ChebyshevSeries> self_, mutual_;
};

}  // namespace

std::string refinedInputProblem(const Patch& p, const Board& b, std::span<const double> hz) {
  const auto positive = [](double x) { return std::isfinite(x) && x > 0; };
  if (!positive(p.width)) return "The patch width must be a positive number.";
  if (!positive(p.length)) return "The patch length must be a positive number.";
  if (!positive(p.height)) return "The substrate height must be a positive number.";
  if (!std::isfinite(p.er) || p.er < 1) return "The relative permittivity must be at least 1.";
  if (!(p.feedOffset >= 0 && p.feedOffset <= p.length / 2))
    return "The feed offset must lie between 0 and half the patch length.";
  if (!(b.lossTangent >= 0 && b.lossTangent <= 0.1))
    return "The loss tangent must lie between 0 and 0.1.";
  // Beyond these the board is no board: below a micrometre the copper is a
  // film, not a foil, and its resistance 1/(sigma t) overflows the line's
  // losses into no number at all.
  if (!(b.copperThickness >= kThinnestCopper && b.copperThickness <= kThickestCopper))
    return "The copper thickness must lie between 1 um and 1 mm, not " +
           formatNumber(b.copperThickness * 1e6, 4) +
           " um: the thinnest copper foil is about 1 um (thinner is a film, no board's copper) "
           "and the heaviest about 0.7 mm.";
  // An infinite conductivity is the perfect conductor of a lossless
  // reference, which no board's words can give.
  if (!(b.conductivity >= kPoorestMetal && b.conductivity <= kBestMetal) &&
      b.conductivity != INFINITY)
    return "The conductivity must lie between 1e6 and 1e8 S/m, not " +
           formatNumber(b.conductivity, 4) +
           " S/m: below is no metal, and none conducts better than silver's 6.3e7 S/m.";
  if (!(b.pinDiameter >= kThinnestPin && std::isfinite(b.pinDiameter)))
    return "The probe pin diameter must be at least 0.01 mm, not " +
           formatNumber(b.pinDiameter * 1e3, 4) + " mm: thinner than a bonding wire is no pin.";
  if (hz.empty()) return "The band has no frequencies.";
  for (double f : hz)
    if (!positive(f)) return "Every frequency of the band must be a positive number.";
  return {};
}

RefinedSweep refinedImpedance(const Patch& patch, const Board& board, std::span<const double> hz) {
  if (std::string problem = refinedInputProblem(patch, board, hz); !problem.empty())
    throw std::invalid_argument(problem);
  const PatchLine model(patch, board);
  const SlotsOverBand slots(model, patch, hz);
  RefinedSweep out;
  out.hz.assign(hz.begin(), hz.end());
  out.zin.reserve(hz.size());
  out.efficiency.reserve(hz.size());
  out.q.reserve(hz.size());
  for (double f : hz) {
    const Slots edges = slots.at(f);
    const Network network = model.network(f, edges);
    const Complex y = network.admittance();
    const double k0 = 2 * kPi * f / kSpeedOfLight;
    out.zin.push_back(1.0 / y + Complex(0, probeReactance(k0, patch, board.pinDiameter)));
    out.efficiency.push_back(network.efficiency());
    out.q.push_back(model.qualityFactor(f, edges, y));
  }
  return out;
}

}  // namespace antenna

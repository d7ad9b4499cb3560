// The far-field analysis: one integral over the sphere for the directivity,
// a local search for the maximum, and the two principal-plane cuts.
//
// The power pattern of a patch (and of the usual test sources) is smooth in
// cos(theta) and periodic in phi, so the integral takes Gauss-Legendre
// points in cos(theta), which absorbs the sin(theta) of the solid angle and
// is exact for polynomials of degree 2n-1 in it, and equal steps in phi,
// exact for trigonometric polynomials of degree below their number.
#include "antenna/farfield.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "antenna/patch.h"

namespace antenna {
namespace {

constexpr double kDeg = 180 / kPi;

double maxTheta(Region r) {
  return r == Region::HalfSpace ? kPi / 2 : kPi;
}

// A direction and its power |F|^2.
struct Sample {
  double theta = 0, phi = 0, power = -1;
};

std::string number(double v) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, v).ptr;
  return {text, end};
}

std::string degrees(double radians) {
  char text[32];
  return {
      text,
      std::to_chars(text, text + sizeof text, radians * kDeg, std::chars_format::general, 4).ptr};
}

// Power at a direction, refusing a field that is not a number there: it would
// silently poison the integral.
double powerAt(const FieldPattern& field, double theta, double phi) {
  const double f = field(theta, phi);
  if (!std::isfinite(f))
    throw std::invalid_argument("the far field is not finite at theta = " + degrees(theta) +
                                " deg, phi = " + degrees(phi) + " deg");
  return f * f;
}

// Gauss-Legendre points and weights on [a, b] by Newton's method on the
// Legendre polynomial (Abramowitz and Stegun 25.4.29; Golub and Welsch 1969
// for the weights' form 2 / ((1 - z^2) P'_n(z)^2)).
void gaussLegendre(int n, double a, double b, std::vector<double>& x, std::vector<double>& w) {
  x.assign(n, 0);
  w.assign(n, 0);
  const double mid = (a + b) / 2, half = (b - a) / 2;
  for (int i = 0; i < (n + 1) / 2; ++i) {
    double z = std::cos(kPi * (i + 0.75) / (n + 0.5)), dp = 1;
    for (int iteration = 0; iteration < 100; ++iteration) {
      double p = 1, previous = 0;
      for (int j = 1; j <= n; ++j) {
        const double older = previous;
        previous = p;
        p = ((2 * j - 1) * z * previous - (j - 1) * older) / j;
      }
      dp = n * (z * p - previous) / (z * z - 1);
      const double step = p / dp;
      z -= step;
      if (std::abs(step) < 1e-15) break;
    }
    x[i] = mid - half * z;
    x[n - 1 - i] = mid + half * z;
    w[i] = w[n - 1 - i] = 2 * half / ((1 - z * z) * dp * dp);
  }
}

// The integral of |F|^2 over the region's solid angle on an n x 2*pi*n/span
// grid, keeping the strongest sample seen.
double powerIntegral(const FieldPattern& field, Region region, int n, int m, Sample& best) {
  std::vector<double> mu, w;
  gaussLegendre(n, std::cos(maxTheta(region)), 1, mu, w);
  const double dphi = 2 * kPi / m;
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    const double theta = std::acos(mu[i]);
    double ring = 0;
    for (int j = 0; j < m; ++j) {
      const double p = powerAt(field, theta, j * dphi);
      ring += p;
      if (p > best.power) best = {theta, j * dphi, p};
    }
    sum += w[i] * ring * dphi;
  }
  return sum;
}

// The same direction written with theta inside the region: across the pole
// theta turns back and phi swings half a turn; the half space ends at 90
// degrees.
Sample inRegion(double theta, double phi, Region region) {
  if (theta < 0) theta = -theta, phi += kPi;
  if (theta > kPi) theta = 2 * kPi - theta, phi += kPi;
  theta = std::min(theta, maxTheta(region));
  return {theta, std::remainder(phi, 2 * kPi)};
}

// The maximum, from the best sample of the grid (and of the poles and the
// region's rim, which Gauss points never reach) by a compass search that
// halves its steps when no neighbour is stronger.
Sample maximum(const FieldPattern& field, Region region, Sample best, int n, int m) {
  const double edge = maxTheta(region);
  for (const double theta : {0.0, edge})
    for (int j = 0; j < m; ++j) {
      const double phi = 2 * kPi * j / m, p = powerAt(field, theta, phi);
      if (p > best.power) best = {theta, phi, p};
    }
  double dtheta = edge / n, dphi = 2 * kPi / m;
  // Every move strictly gains power; the cap only guards against a field
  // that keeps rising by rounding.
  for (int moves = 0; dtheta > 1e-10 && moves < 10000; ++moves) {
    Sample centre = best;
    for (int i = -1; i <= 1; ++i)
      for (int j = -1; j <= 1; ++j) {
        if (i == 0 && j == 0) continue;
        Sample s = inRegion(centre.theta + i * dtheta, centre.phi + j * dphi, region);
        s.power = powerAt(field, s.theta, s.phi);
        if (s.power > best.power) best = s;
      }
    if (best.power == centre.power) dtheta /= 2, dphi /= 2;
  }
  if (best.theta < 1e-9) best.phi = 0;  // on the normal phi says nothing
  best.phi = std::remainder(best.phi, 2 * kPi);
  return best;
}

struct Integration {
  double integral = 0;
  Sample best;
  int n = 0, m = 0;
};

Integration settledIntegral(const FieldPattern& field, const FarFieldOptions& o) {
  if (!(o.toleranceDb > 0) || o.firstThetaPoints < 2 || o.maxThetaPoints < o.firstThetaPoints)
    throw std::invalid_argument(
        "far-field grid: the tolerance must be positive and the first grid at least 2 points");
  const int phiPerTheta = o.region == Region::HalfSpace ? 4 : 2;  // equal steps in both angles
  Integration r;
  double previous = NAN;
  for (int n = o.firstThetaPoints; n <= o.maxThetaPoints; n *= 2) {
    r.n = n;
    r.m = phiPerTheta * n;
    r.integral = powerIntegral(field, o.region, r.n, r.m, r.best);
    if (!(r.integral > 0)) throw std::invalid_argument("the far field is zero everywhere");
    if (std::abs(10 * std::log10(r.integral / previous)) < o.toleranceDb) return r;
    previous = r.integral;
  }
  throw std::runtime_error("the directivity has not settled to " + number(o.toleranceDb) +
                           " dB on a grid of " + std::to_string(r.n) + " x " + std::to_string(r.m) +
                           " points");
}

// Directivity from the peak power and the power integral over the sphere:
// D = 4 pi U_max / P_rad (Balanis, Antenna Theory, 3rd ed., eq. 2-16).
double directivityOf(double peakPower, double integral) {
  return 4 * kPi * peakPower / integral;
}

// ------------------------------------------------------------------ cuts

// A cut's direction at a signed angle from the normal in the plane at
// azimuth `phi`.
double cutPower(const FieldPattern& field, double phi, double angle) {
  return angle >= 0 ? powerAt(field, angle, phi) : powerAt(field, -angle, phi + kPi);
}

// The angle where the cut crosses `level` between a (below) and b (at or
// above), by bisection on the field itself.
double crossing(const FieldPattern& field, double phi, double a, double b, double level) {
  for (int i = 0; i < 80 && std::abs(b - a) > 1e-13; ++i) {
    const double mid = (a + b) / 2;
    (cutPower(field, phi, mid) < level ? a : b) = mid;
  }
  return (a + b) / 2;
}

// The cut's peak near the strongest sample, by golden-section search.
double cutPeak(const FieldPattern& field, double phi, double a, double b) {
  const double g = (std::sqrt(5.0) - 1) / 2;
  double c = b - g * (b - a), d = a + g * (b - a);
  double pc = cutPower(field, phi, c), pd = cutPower(field, phi, d);
  for (int i = 0; i < 80 && b - a > 1e-12; ++i) {
    if (pc >= pd) {
      b = d, d = c, pd = pc;
      c = b - g * (b - a), pc = cutPower(field, phi, c);
    } else {
      a = c, c = d, pc = pd;
      d = a + g * (b - a), pd = cutPower(field, phi, d);
    }
  }
  return cutPower(field, phi, (a + b) / 2);
}

// The width between the half-power angles either side of the cut's peak;
// empty when the cut does not fall below half power on both sides.
std::optional<double> halfPowerWidth(const FieldPattern& field, double phi,
                                     const std::vector<double>& angle,
                                     const std::vector<double>& power) {
  std::size_t k = 0;
  for (std::size_t i = 1; i < power.size(); ++i)
    if (power[i] > power[k]) k = i;
  const double lo = angle[k > 0 ? k - 1 : k], hi = angle[k + 1 < angle.size() ? k + 1 : k];
  const double half = std::max(power[k], cutPeak(field, phi, lo, hi)) / 2;
  std::size_t left = k, right = k;
  while (left > 0 && power[left - 1] >= half) --left;
  while (right + 1 < power.size() && power[right + 1] >= half) ++right;
  if (left == 0 || right + 1 == power.size()) return std::nullopt;
  const double a = crossing(field, phi, angle[left - 1], angle[left], half);
  const double b = crossing(field, phi, angle[right + 1], angle[right], half);
  return (b - a) * kDeg;
}

// One principal plane: the cut in dB relative to `peakPower` and its
// half-power beamwidth.
std::optional<double> planeCut(const FieldPattern& field, double phi, const FarFieldOptions& o,
                               double peakPower, Cut& cut) {
  if (!(o.cutStepDeg > 0 && o.cutStepDeg <= 90))
    throw std::invalid_argument("far-field cuts: the step must be above 0 and at most 90 degrees");
  const double span = maxTheta(o.region) * kDeg;
  const int steps = static_cast<int>(std::ceil(2 * span / o.cutStepDeg - 1e-9));
  std::vector<double> angle(steps + 1), power(steps + 1);
  cut.angleDeg.resize(steps + 1);
  cut.levelDb.resize(steps + 1);
  for (int i = 0; i <= steps; ++i) {
    const double deg = i == steps ? span : -span + i * o.cutStepDeg;
    angle[i] = deg / kDeg;
    power[i] = cutPower(field, phi, angle[i]);
    cut.angleDeg[i] = deg;
    cut.levelDb[i] = std::max(kCutFloorDb, 10 * std::log10(power[i] / peakPower));
  }
  return halfPowerWidth(field, phi, angle, power);
}

void appendCut(std::string& out, const char* header, const Cut& cut) {
  out += header;
  for (std::size_t i = 0; i < cut.angleDeg.size(); ++i)
    out += number(cut.angleDeg[i]) + ',' + number(cut.levelDb[i]) + '\n';
}

}  // namespace

Directivity directivity(const FieldPattern& field, const FarFieldOptions& options) {
  const Integration r = settledIntegral(field, options);
  const Sample peak = maximum(field, options.region, r.best, r.n, r.m);
  return {directivityOf(peak.power, r.integral), r.n, r.m};
}

FarField analyseFarField(const FieldPattern& field, const FarFieldOptions& options) {
  const Integration r = settledIntegral(field, options);
  const Sample peak = maximum(field, options.region, r.best, r.n, r.m);
  FarField out;
  out.directivityDbi = 10 * std::log10(directivityOf(peak.power, r.integral));
  out.maxThetaDeg = peak.theta * kDeg;
  out.maxPhiDeg = peak.phi * kDeg;
  out.hpbwEDeg = planeCut(field, 0, options, peak.power, out.ePlane);
  out.hpbwHDeg = planeCut(field, kPi / 2, options, peak.power, out.hPlane);
  out.thetaPoints = r.n;
  out.phiPoints = r.m;
  return out;
}

std::optional<double> HalfPowerAngles::widthDeg() const {
  if (!leftDeg || !rightDeg) return std::nullopt;
  return *rightDeg - *leftDeg;
}

HalfPowerAngles halfPowerAngles(const Cut& cut) {
  const std::vector<double>& a = cut.angleDeg;
  const std::vector<double>& l = cut.levelDb;
  constexpr double kHalf = -3;
  HalfPowerAngles out;
  if (l.empty() || a.size() != l.size()) return out;
  const std::size_t peak = std::max_element(l.begin(), l.end()) - l.begin();
  // A cut wholly below half power has no point where it crosses down to it.
  if (!(l[peak] >= kHalf)) return out;
  auto crossing = [&](std::size_t inside, std::size_t outside) {
    const double t = (l[inside] - kHalf) / (l[inside] - l[outside]);
    return a[inside] + t * (a[outside] - a[inside]);
  };
  for (std::size_t i = peak; i > 0; --i)
    if (l[i - 1] < kHalf) {
      out.leftDeg = crossing(i, i - 1);
      break;
    }
  for (std::size_t i = peak; i + 1 < l.size(); ++i)
    if (l[i + 1] < kHalf) {
      out.rightDeg = crossing(i, i + 1);
      break;
    }
  return out;
}

std::string cutCsv(const FarField& result, bool ePlane) {
  std::string out;
  if (ePlane)
    appendCut(out, "angle_deg,e_plane_db\n", result.ePlane);
  else
    appendCut(out, "angle_deg,h_plane_db\n", result.hPlane);
  return out;
}

std::string cutsCsv(const FarField& result) {
  return cutCsv(result, true) + '\n' + cutCsv(result, false);
}

}  // namespace antenna

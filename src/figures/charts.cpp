// The grids are drawn once, when a figure is made; only what is plotted on
// them changes after. Their colours are the builder's (kColours).
#include "figures/charts.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <string>

#include "antenna/network.h"
#include "antenna/numbers.h"
#include "figures/figure_parts.h"
#include "platform/graphics/graphics.h"

namespace figures {
namespace {

constexpr double kPi = std::numbers::pi;

// A small text of axes `ax` at (x, y).
void gridText(double ax, double x, double y, const std::string& text, const char* align, Rgb colour,
              double fontSize) {
  rt::text({rt::str("Parent"), rt::scalar(ax), rt::str("Position"), rt::row({x, y, 0.0}),
            rt::str("String"), rt::str(text), rt::str("FontSize"), rt::scalar(fontSize),
            rt::str("HorizontalAlignment"), rt::str(align), rt::str("Color"), colour.array()});
}

// A line of the grid: drawing, not data, so the data cursor and the data
// export pass over it to the curves plotted on it.
void gridLine(double ax, const std::vector<double>& x, const std::vector<double>& y, Rgb colour,
              const char* lineStyle = "-") {
  makeLine(ax, x, y, colour,
           {rt::str("LineStyle"), rt::str(lineStyle), rt::str("HitTest"), rt::str("off")});
}

// ------------------------------------------------------------- Smith chart

// The impedance grid, one curve a row: 'r' a circle of constant resistance,
// 'x' an arc of constant reactance (normalised).
struct GridCurve {
  char kind;
  double value;
};
constexpr GridCurve kSmithGrid[] = {
    {'r', 0},   {'r', 0.2},  {'r', 0.5}, {'r', 1},  {'r', 2}, {'r', 5},  {'x', 0.2}, {'x', -0.2},
    {'x', 0.5}, {'x', -0.5}, {'x', 1},   {'x', -1}, {'x', 2}, {'x', -2}, {'x', 5},   {'x', -5},
};
constexpr double kSmithLim = 1.15;
constexpr int kCurveSteps = 180;

std::complex<double> gammaOf(std::complex<double> zNorm) {
  return antenna::sFromZ(zNorm, 1.0);
}

std::string label(double v) {
  return antenna::formatNumber(v, 6);
}

// The curve's points on the chart.
std::pair<std::vector<double>, std::vector<double>> curvePoints(GridCurve c) {
  std::vector<double> xs, ys;
  if (c.kind == 'r') {
    const double centre = c.value / (1 + c.value), radius = 1 / (1 + c.value);
    for (int k = 0; k <= kCurveSteps; ++k) {
      const double t = 2 * kPi * k / kCurveSteps;
      xs.push_back(centre + radius * std::cos(t));
      ys.push_back(radius * std::sin(t));
    }
  } else {
    // Resistance from 0 to infinity along the arc, evenly in r / (1 + r).
    for (int k = 0; k <= kCurveSteps; ++k) {
      const double u = static_cast<double>(k) / kCurveSteps;
      const std::complex<double> g =
          k == kCurveSteps ? std::complex<double>(1.0) : gammaOf({u / (1 - u), c.value});
      xs.push_back(g.real());
      ys.push_back(g.imag());
    }
  }
  return {xs, ys};
}

// Resistance labels sit on the real axis, reactance labels just outside the
// rim where their arc meets it.
void curveLabel(double ax, GridCurve c) {
  const std::complex<double> at = c.kind == 'r' ? gammaOf(c.value) + std::complex<double>(0, 0.04)
                                                : 1.09 * gammaOf({0, c.value});
  const std::string text = c.kind == 'x' && c.value > 0 ? "+" + label(c.value) + "j"
                           : c.kind == 'x'              ? label(c.value) + "j"
                                                        : label(c.value);
  gridText(ax, at.real(), at.imag(), text, c.kind == 'r' ? "left" : "center", kColours.smithLabel,
           7);
}

// ------------------------------------------------------------- polar plot

constexpr double kCentreDb = -30;
constexpr double kRingsDb[] = {-20, -10, 0};
constexpr double kSpokesDeg[] = {-150, -120, -90, -60, -30, 0, 30, 60, 90, 120, 150, 180};
// Room around the rim for the spokes' labels.
constexpr double kPolarXLim = 1.3, kPolarYLow = -1.22, kPolarYHigh = 1.22;
// Ring labels sit just inside each ring, between the 0 and 30 degree spokes.
constexpr double kRingLabelDeg = 15;

double radiusOf(double levelDb) {
  return std::max(levelDb - kCentreDb, 0.0) / -kCentreDb;
}

}  // namespace

void drawSmithGrid(double ax) {
  rt::set(rt::scalar(ax), {rt::str("XLim"), rt::row({-kSmithLim, kSmithLim}), rt::str("YLim"),
                           rt::row({-kSmithLim, kSmithLim})});
  gridLine(ax, {-1, 1}, {0, 0}, kColours.smithGrid);
  for (const GridCurve& c : kSmithGrid) {
    auto [xs, ys] = curvePoints(c);
    gridLine(ax, xs, ys, kColours.smithGrid);
    if (c.value != 0) curveLabel(ax, c);
  }
  // VSWR 2: |gamma| = 1/3.
  std::vector<double> xs, ys;
  for (int k = 0; k <= kCurveSteps; ++k) {
    xs.push_back(std::cos(2 * kPi * k / kCurveSteps) / 3);
    ys.push_back(std::sin(2 * kPi * k / kCurveSteps) / 3);
  }
  gridLine(ax, xs, ys, kColours.within, ":");
  gridText(ax, 0.0, -1.0 / 3 - 0.06, "VSWR 2", "center", kColours.within, 7);
}

std::pair<std::vector<double>, std::vector<double>> polarPoints(
    const std::vector<double>& angleDeg, const std::vector<double>& levelDb) {
  std::vector<double> xs, ys;
  for (std::size_t i = 0; i < angleDeg.size(); ++i) {
    const double a = angleDeg[i] * kPi / 180, r = radiusOf(levelDb[i]);
    xs.push_back(r * std::sin(a));
    ys.push_back(r * std::cos(a));
  }
  return {xs, ys};
}

double polarChartHeight(double width) {
  return width * (kPolarYHigh - kPolarYLow) / (2 * kPolarXLim);
}

void drawPolarGrid(double ax) {
  rt::set(rt::scalar(ax), {rt::str("XLim"), rt::row({-kPolarXLim, kPolarXLim}), rt::str("YLim"),
                           rt::row({kPolarYLow, kPolarYHigh}), rt::str("XColor"),
                           kColours.panel.array(), rt::str("YColor"), kColours.panel.array()});
  for (double db : kRingsDb) {
    std::vector<double> angles, levels;
    for (int a = -180; a <= 180; ++a) {
      angles.push_back(a);
      levels.push_back(db);
    }
    auto [xs, ys] = polarPoints(angles, levels);
    gridLine(ax, xs, ys, kColours.polarGrid);
    const double t = kRingLabelDeg * kPi / 180, r = radiusOf(db);
    gridText(ax, r * std::sin(t) + 0.01, r * std::cos(t) - 0.04,
             antenna::formatNumber(db, 3) + (db == 0 ? " dB" : ""), "left", kColours.polarLabel, 8);
  }
  for (double a : kSpokesDeg) {
    auto [xs, ys] = polarPoints({a, a}, {kCentreDb, 0});
    gridLine(ax, xs, ys, kColours.polarGrid);
    const double t = a * kPi / 180;
    gridText(ax, 1.1 * std::sin(t), 1.07 * std::cos(t) - 0.03, antenna::formatNumber(a, 3) + "°",
             "center", kColours.polarLabel, 8);
  }
}

}  // namespace figures

// The noted designs are keyed by figure number, each kept with the surface
// its figure held when noted: a figure's number is taken again once that
// figure closes, a surface's handle never is, so a new figure never shows an
// old figure's caption.
#include "figures/pattern_windows.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "antenna/farfield.h"
#include "antenna/numbers.h"
#include "antenna/units.h"
#include "design/main_window.h"
#include "platform/graphics/graphics.h"

namespace figures {
namespace {

struct Noted {
  double surface = 0;
  PatternShown shown;
};

std::map<double, Noted>& noted() {
  static std::map<double, Noted> m;
  return m;
}

// The first surface below `h` (h included), if any.
std::optional<double> surfaceBelow(double h) {
  if (!rt::gfx::exists(h)) return std::nullopt;
  if (rt::gfx::type(h) == "surface") return h;
  for (double c : rt::gfx::children(h))
    if (std::optional<double> s = surfaceBelow(c)) return s;
  return std::nullopt;
}

std::string mm(double metres) {
  return antenna::formatNumber(antenna::mmFromMetres(metres), 6);
}

}  // namespace

std::string designCaption(const antenna::Patch& p) {
  return "W " + mm(p.width) + " L " + mm(p.length) + " H " + mm(p.height) + " mm, er " +
         antenna::formatNumber(p.er, 6);
}

bool isPatternFigure(double fig) {
  if (!rt::gfx::exists(fig) || rt::gfx::type(fig) != "figure") return false;
  if (!rt::gfx::prop(fig, "Tag").text().empty()) return false;
  const std::optional<double> main = design::findMainFigure();
  if (!main || *main == fig) return false;
  return rt::gfx::children(fig).empty() || surfaceBelow(fig);
}

bool isPatternAxes(double ax) {
  return rt::gfx::exists(ax) && rt::gfx::type(ax) == "axes" && isPatternFigure(rt::gfx::parent(ax));
}

bool notePatternFigures() {
  std::map<double, Noted>& m = noted();
  std::erase_if(m, [](const auto& e) { return surfaceBelow(e.first) != e.second.surface; });
  bool any = false;
  for (double fig : rt::gfx::figures()) {
    if (m.count(fig) || !isPatternFigure(fig)) continue;
    const std::optional<double> surface = surfaceBelow(fig);
    const design::WindowDesign d = design::windowDesign();
    if (!surface || !(std::isfinite(d.patternGhz) && d.patternGhz > 0)) continue;
    m[fig] = {*surface, {d.patch, d.patternGhz}};
    any = true;
  }
  return any;
}

std::optional<PatternShown> patternShown(double fig) {
  auto it = noted().find(fig);
  if (it == noted().end() || surfaceBelow(fig) != it->second.surface) return std::nullopt;
  return it->second.shown;
}

std::string patternCaption(double fig) {
  const std::optional<PatternShown> s = patternShown(fig);
  if (!s) return {};
  return antenna::formatNumber(s->ghz, 6, "GHz") + ", " + designCaption(s->patch);
}

}  // namespace figures

namespace figures {

// The pattern draws each direction at the distance of its amplitude R (its
// colour), in the model's axes: the normal on x, the length on y, the width
// on z. So the direction is the point over R, whatever R's sign.
std::optional<PatternPoint> patternPoint(double surface, double x, double y, double z, double c) {
  if (!rt::gfx::exists(surface) || rt::gfx::type(surface) != "surface") return std::nullopt;
  double fig = rt::gfx::parent(surface);
  while (std::isfinite(fig) && rt::gfx::type(fig) != "figure") fig = rt::gfx::parent(fig);
  if (!std::isfinite(fig) || !isPatternFigure(fig)) return std::nullopt;
  const rt::Array& colours = rt::gfx::prop(surface, "CData");
  double peak = 0;
  if (colours.isNumeric())
    for (std::size_t i = 0; i < colours.numel(); ++i)
      if (std::isfinite(colours.re()[i])) peak = std::max(peak, std::abs(colours.re()[i]));
  PatternPoint p{0, 0, c, antenna::kCutFloorDb};
  if (peak > 0 && c != 0) p.levelDb = std::max(20 * std::log10(std::abs(c) / peak), p.levelDb);
  if (c != 0) {
    const double normal = std::clamp(x / c, -1.0, 1.0);
    p.thetaDeg = std::acos(normal) * 180 / std::numbers::pi;
    p.phiDeg = std::atan2(z / c, y / c) * 180 / std::numbers::pi;
    if (p.phiDeg < 0) p.phiDeg += 360;
    if (std::abs(std::sin(p.thetaDeg * std::numbers::pi / 180)) < 1e-12) p.phiDeg = 0;
  }
  return p;
}

std::optional<std::string> patternPointText(double surface, double x, double y, double z,
                                            double c) {
  const std::optional<PatternPoint> p = patternPoint(surface, x, y, z, c);
  if (!p) return std::nullopt;
  return "theta: " + antenna::formatNumber(p->thetaDeg, 4, "deg") +
         "\nphi: " + antenna::formatNumber(p->phiDeg, 4, "deg") +
         "\namplitude: " + antenna::formatNumber(p->amplitude, 5) +
         "\nlevel: " + antenna::formatNumber(p->levelDb, 4, "dB");
}

}  // namespace figures

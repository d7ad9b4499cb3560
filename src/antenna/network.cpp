// The one-port conversions and the reference impedance check.
#include "antenna/network.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "antenna/numbers.h"

namespace antenna {

Complex sFromZ(Complex z, double z0) {
  return (z - z0) / (z + z0);
}

Complex zFromS(Complex s, double z0) {
  return z0 * (1.0 + s) / (1.0 - s);
}

Complex sFromY(Complex y, double z0) {
  return (1.0 - y * z0) / (1.0 + y * z0);
}

Complex yFromS(Complex s, double z0) {
  return (1.0 - s) / (z0 * (1.0 + s));
}

double magnitudeDb(Complex s) {
  return 20 * std::log10(std::abs(s));
}

double returnLossDb(Complex s) {
  return -magnitudeDb(s);
}

double vswr(Complex s) {
  const double g = std::abs(s);
  return g >= 1 ? INFINITY : (1 + g) / (1 - g);
}

double checkedReferenceImpedance(double z0, std::string_view shown) {
  if (!(std::isfinite(z0) && z0 > 0))
    throw std::invalid_argument("Z0 must be a finite positive number of ohms, not " +
                                std::string(shown));
  return z0;
}

double checkedReferenceImpedance(double z0) {
  return checkedReferenceImpedance(z0, formatNumber(z0, 6));
}

double referenceImpedanceFrom(std::string_view text) {
  const std::string shown = "\"" + std::string(text) + "\"";
  return checkedReferenceImpedance(parseNumber(text).value_or(NAN), shown);
}

}  // namespace antenna

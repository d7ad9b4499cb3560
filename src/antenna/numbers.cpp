// Reading and writing numbers for people.
#include "antenna/numbers.h"

#include <charconv>
#include <cmath>

namespace antenna {
namespace {

bool blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  // from_chars takes no '+'; one is allowed, but not before another sign.
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) return std::nullopt;
  }
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
    return std::nullopt;
  return v;
}

std::string formatNumber(double value, int digits, std::string_view unit) {
  // to_chars, not printf: it writes a point whatever locale the toolkit set
  // (a decimal comma would make every file unreadable to its own reader).
  char buf[48];
  const auto written = digits == kShortest ? std::to_chars(buf, buf + sizeof buf, value)
                                           : std::to_chars(buf, buf + sizeof buf, value,
                                                           std::chars_format::general, digits);
  std::string out(buf, written.ptr);
  if (!unit.empty()) out += " " + std::string(unit);
  return out;
}

}  // namespace antenna

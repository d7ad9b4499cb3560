// Port signals to impedance, progress lines and the run's cache key. The
// transform is a plain sum over the samples: the runs hold a few thousand
// samples and the band a few hundred frequencies, and a sum is exact on the
// samples' own (possibly uneven) time column.
#include "fullwave/port_signals.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "antenna/patch.h"

namespace fullwave {

namespace {

// Blanks and carriage returns off both ends: the solver's files are read
// field by field, and a field may follow or precede a CR of a CRLF line.
std::string_view unpadded(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// Reads one number at the start of `s` in the C locale and drops it.
std::optional<double> takeNumber(std::string_view& s) {
  s = unpadded(s);
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc()) return std::nullopt;
  s.remove_prefix(static_cast<size_t>(end - s.data()));
  return v;
}

}  // namespace

std::optional<ProbeSignal> parseProbeSignal(std::string_view text, std::string& error) {
  ProbeSignal s;
  size_t lineNo = 0;
  while (!text.empty()) {
    const size_t nl = text.find('\n');
    std::string_view line = unpadded(text.substr(0, nl));
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    ++lineNo;
    if (line.empty() || line.front() == '%') continue;
    auto t = takeNumber(line);
    auto v = takeNumber(line);
    if (!t || !v || !unpadded(line).empty()) {
      error = "line " + std::to_string(lineNo) + " is not a time and a value";
      return std::nullopt;
    }
    if (!std::isfinite(*t) || !std::isfinite(*v)) {
      error = "line " + std::to_string(lineNo) + " holds a value that is not a number";
      return std::nullopt;
    }
    // The transform sums over the samples as a time series; a file whose
    // times repeat or run backwards is no signal a run wrote.
    if (!s.time.empty() && !(*t > s.time.back())) {
      error = "line " + std::to_string(lineNo) + " holds a time that does not increase";
      return std::nullopt;
    }
    s.time.push_back(*t);
    s.value.push_back(*v);
  }
  if (s.time.size() < 2) {
    error = "the probe recorded no samples";
    return std::nullopt;
  }
  return s;
}

std::complex<double> fourierTransform(const ProbeSignal& s, double f) {
  std::complex<double> sum = 0;
  for (size_t k = 0; k < s.time.size(); ++k)
    sum += s.value[k] * std::polar(1.0, -2 * antenna::kPi * f * s.time[k]);
  return sum;
}

PortResponse portResponse(const ProbeSignal& voltage, const ProbeSignal& current,
                          const std::vector<double>& frequencies, double z0) {
  PortResponse r;
  r.frequency = frequencies;
  for (double f : frequencies) {
    const auto z = fourierTransform(voltage, f) / fourierTransform(current, f);
    r.zin.push_back(z);
    r.s11.push_back((z - z0) / (z + z0));
  }
  return r;
}

std::optional<ResistancePeak> resistancePeak(const PortResponse& r) {
  std::vector<double> resistance(r.zin.size());
  for (size_t i = 0; i < r.zin.size(); ++i) resistance[i] = r.zin[i].real();
  return antenna::resistancePeak(r.frequency, resistance);
}

std::optional<SolverProgress> parseSolverProgress(std::string_view line) {
  SolverProgress p;
  const size_t at = line.find("[@");
  const size_t close = line.find(']');
  const size_t ts = line.find("Timestep:");
  const size_t en = line.find("Energy:");
  if (at == std::string_view::npos || close == std::string_view::npos || close < at ||
      ts == std::string_view::npos || en == std::string_view::npos)
    return std::nullopt;
  // Elapsed time as "13s", "1m02s" or "1h01m02s".
  std::string_view clock = unpadded(line.substr(at + 2, close - at - 2));
  double seconds = 0;
  while (!clock.empty()) {
    auto v = takeNumber(clock);
    if (!v || clock.empty()) return std::nullopt;
    const char unit = clock.front();
    clock.remove_prefix(1);
    if (unit == 'h')
      seconds += *v * 3600;
    else if (unit == 'm')
      seconds += *v * 60;
    else if (unit == 's')
      seconds += *v;
    else
      return std::nullopt;
  }
  p.elapsedSeconds = seconds;
  std::string_view rest = line.substr(ts + 9);
  auto step = takeNumber(rest);
  if (!step) return std::nullopt;
  p.timestep = static_cast<long long>(*step);
  // The energy in dB is in brackets; the solver writes zero as "- 0.00dB".
  std::string_view energy = line.substr(en);
  const size_t open = energy.find('(');
  const size_t db = energy.find("dB");
  if (open == std::string_view::npos || db == std::string_view::npos || db < open)
    return std::nullopt;
  std::string_view num = unpadded(energy.substr(open + 1, db - open - 1));
  bool negative = false;
  if (!num.empty() && num.front() == '-') {
    negative = true;
    num.remove_prefix(1);
  }
  auto value = takeNumber(num);
  if (!value || !unpadded(num).empty()) return std::nullopt;
  p.energyDb = negative ? -*value : *value;
  return p;
}

std::string solverVersion(std::string_view banner) {
  const size_t v = banner.find("version ");
  if (v == std::string_view::npos) return {};
  std::string_view rest = banner.substr(v + 8);
  const size_t end = rest.find_first_of(" \t\r\n");
  return std::string(rest.substr(0, end));
}

std::string cacheKey(std::string_view solverInput, std::string_view version) {
  // 64-bit FNV-1a over the version, a separator that cannot occur in a
  // version, and the input: stable across builds and platforms.
  std::uint64_t h = 14695981039346656037ull;
  auto mix = [&h](std::string_view s) {
    for (unsigned char c : s) {
      h ^= c;
      h *= 1099511628211ull;
    }
  };
  mix(version);
  mix(std::string_view("\n\0", 2));
  mix(solverInput);
  char out[17];
  std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
  return out;
}

}  // namespace fullwave

// Reader and writer of Touchstone 1.x one-port files. The reader is strict:
// whatever it cannot take as one-port data is refused with the line and the
// reason, never guessed at.
#include "antenna/touchstone.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <numbers>
#include <optional>
#include <sstream>

#include "antenna/network.h"
#include "antenna/numbers.h"

namespace antenna {
namespace {

struct Options {
  double perGhz = 1;  // frequencies in GHz
  char parameter = 's';
  std::string format = "ma";
  double r = 50;
};

// Frequency units of the option line and how many of each make a GHz.
struct Unit {
  std::string_view name;
  double perGhz;
};
constexpr Unit kUnits[] = {{"hz", 1e9}, {"khz", 1e6}, {"mhz", 1e3}, {"ghz", 1}};

std::string lowered(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::vector<std::string_view> tokens(std::string_view s) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && isBlank(s[i])) ++i;
    std::size_t j = i;
    while (j < s.size() && !isBlank(s[j])) ++j;
    if (j > i) out.push_back(s.substr(i, j - i));
    i = j;
  }
  return out;
}

class Parser {
 public:
  explicit Parser(const std::string& file) : file_(file) {}

  OnePort parse(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
      ++line_;
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      parseLine(text.substr(start, end - start));
      start = end + 1;
    }
    if (out_.ghz.empty()) fail("the file holds no data");
    out_.z0 = options_.r;
    return std::move(out_);
  }

 private:
  [[noreturn]] void fail(const std::string& reason) const {
    throw TouchstoneError(file_, line_, reason);
  }

  void parseLine(std::string_view raw) {
    for (char c : raw) {
      const auto b = static_cast<unsigned char>(c);
      if (b == 0 || (b < 32 && !isBlank(c))) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", b);
        fail(std::string("binary content (byte ") + hex + ")");
      }
    }
    std::string_view body = raw.substr(0, raw.find('!'));
    std::vector<std::string_view> words = tokens(body);
    if (words.empty()) return;
    if (words.front().front() == '#') {
      optionLine(words);
    } else if (words.front().front() == '[') {
      fail("Touchstone 2 keywords are not read: \"" + std::string(words.front()) + "\"");
    } else {
      dataLine(words);
    }
  }

  // Only the first option line counts; the format allows later ones and
  // says they are ignored.
  void optionLine(std::vector<std::string_view> words) {
    if (!out_.ghz.empty()) fail("the option line comes after data");
    if (seenOptions_) return;
    seenOptions_ = true;
    if (words.front().size() > 1)
      words.front().remove_prefix(1);
    else
      words.erase(words.begin());
    for (std::size_t i = 0; i < words.size(); ++i) {
      const std::string w = lowered(words[i]);
      if (const Unit* u = unit(w)) {
        options_.perGhz = u->perGhz;
      } else if (w == "s" || w == "z" || w == "y") {
        options_.parameter = w[0];
      } else if (w == "h" || w == "g") {
        fail("\"" + std::string(words[i]) + "\" parameters are not one-port data");
      } else if (w == "ri" || w == "ma" || w == "db") {
        options_.format = w;
      } else if (w == "r") {
        auto r = i + 1 < words.size() ? parseNumber(words[i + 1]) : std::nullopt;
        if (!r || *r <= 0) fail("the reference resistance after \"R\" must be a positive number");
        options_.r = *r;
        ++i;
      } else {
        fail("unknown option \"" + std::string(words[i]) + "\"");
      }
    }
  }

  static const Unit* unit(std::string_view w) {
    for (const Unit& u : kUnits)
      if (u.name == w) return &u;
    return nullptr;
  }

  void dataLine(const std::vector<std::string_view>& words) {
    if (words.size() == 9)
      fail("two-port data (9 numbers on a line): only one-port files are read");
    if (words.size() != 3)
      fail("expected 3 numbers (frequency and one parameter), found " +
           std::to_string(words.size()));
    double v[3];
    for (int k = 0; k < 3; ++k) {
      auto n = parseNumber(words[k]);
      if (!n) fail("\"" + std::string(words[k]) + "\" is not a number");
      v[k] = *n;
    }
    const double ghz = v[0] / options_.perGhz;
    if (ghz < 0) fail("a frequency is negative");
    if (!out_.ghz.empty() && !(ghz > out_.ghz.back()))
      fail("the frequencies do not increase (" + std::string(words[0]) +
           " after a higher or equal one)");
    if (out_.ghz.size() == kMaxTouchstonePoints)
      fail("more than " + std::to_string(kMaxTouchstonePoints) + " data points");
    out_.ghz.push_back(ghz);
    out_.s11.push_back(toS11(value(v[1], v[2])));
  }

  std::complex<double> value(double a, double b) const {
    const double rad = b * std::numbers::pi / 180;
    if (options_.format == "ri") return {a, b};
    if (options_.format == "ma") return std::polar(a, rad);
    return std::polar(std::pow(10.0, a / 20), rad);
  }

  // Z and Y data of a Touchstone 1 file are normalised to the reference.
  std::complex<double> toS11(std::complex<double> p) const {
    if (options_.parameter == 'z') return sFromZ(p, 1.0);
    if (options_.parameter == 'y') return sFromY(p, 1.0);
    return p;
  }

  const std::string& file_;
  std::size_t line_ = 0;
  bool seenOptions_ = false;
  Options options_;
  OnePort out_;
};

std::string format17(double v) {
  return formatNumber(v, kExactDigits);
}

}  // namespace

TouchstoneError::TouchstoneError(const std::string& f, std::size_t l, const std::string& r)
    : std::runtime_error("\"" + f + "\"" + (l > 0 ? ", line " + std::to_string(l) : "") + ": " + r),
      file(f),
      line(l),
      reason(r) {}

OnePort parseTouchstone(std::string_view text, const std::string& file) {
  return Parser(file).parse(text);
}

OnePort readTouchstone(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TouchstoneError(path, 0, "cannot open the file");
  // Far more than the most points a file may hold take, even with comments:
  // a larger file is refused before it is read into memory.
  constexpr std::streamoff kMaxBytes = 64 << 20;
  in.seekg(0, std::ios::end);
  if (in.tellg() > kMaxBytes) throw TouchstoneError(path, 0, "the file is larger than 64 MiB");
  in.seekg(0);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw TouchstoneError(path, 0, "cannot read the file");
  return parseTouchstone(text.str(), path);
}

std::string formatTouchstone(const OnePort& data, const std::vector<std::string>& comments) {
  std::string out;
  for (const std::string& c : comments) out += "! " + c + "\n";
  out += "# GHz S RI R " + format17(data.z0) + "\n";
  for (std::size_t i = 0; i < data.ghz.size(); ++i)
    out += format17(data.ghz[i]) + " " + format17(data.s11[i].real()) + " " +
           format17(data.s11[i].imag()) + "\n";
  return out;
}

}  // namespace antenna

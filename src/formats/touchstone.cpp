// Reader and writer of Touchstone one-port files (1.x, and 2.0 with S
// parameters). The reader is strict:
// whatever it cannot take as one-port data is refused with the line and the
// reason, never guessed at.
#include "formats/touchstone.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>

#include "antenna/network.h"
#include "antenna/numbers.h"
#include "antenna/units.h"

namespace formats {
namespace {

struct Options {
  double hzPer = 1e9;  // frequencies in GHz
  char parameter = 's';
  std::string format = "ma";
  double r = 50;
};

// Frequency units of the option line and the hertz in each.
struct Unit {
  std::string_view name;
  double hzPer;
};
constexpr Unit kUnits[] = {{"hz", 1}, {"khz", 1e3}, {"mhz", 1e6}, {"ghz", 1e9}};

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

// The Touchstone 2.0 keywords a one-port file of network data needs; any
// other ([Noise Data], [Mixed-Mode Order]...) is refused.
enum class Keyword { version, ports, frequencies, reference, matrixFormat, networkData, end };
struct KeywordName {
  std::string_view name;
  Keyword keyword;
};
constexpr KeywordName kKeywords[] = {
    {"[version]", Keyword::version},
    {"[number of ports]", Keyword::ports},
    {"[number of frequencies]", Keyword::frequencies},
    {"[reference]", Keyword::reference},
    {"[matrix format]", Keyword::matrixFormat},
    {"[network data]", Keyword::networkData},
    {"[end]", Keyword::end},
};

std::string joined(const std::vector<std::string_view>& words) {
  std::string out;
  for (std::string_view w : words) out += (out.empty() ? "" : " ") + std::string(w);
  return out;
}

class Parser {
 public:
  explicit Parser(const std::string& file) : file_(file) {}

  // Lines end at a line feed, a carriage return, or both together.
  OnePort parse(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
      ++line_;
      std::size_t end = text.find_first_of("\r\n", start);
      if (end == std::string_view::npos) end = text.size();
      parseLine(text.substr(start, end - start));
      start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    if (version2_ && !ended_) fail("the [End] keyword is missing");
    if (out_.hz.empty()) fail("the file holds no data");
    if (frequencies_ && *frequencies_ != out_.hz.size())
      fail("[Number of Frequencies] says " + std::to_string(*frequencies_) + " but " +
           std::to_string(out_.hz.size()) + " are given");
    out_.z0 = reference_.value_or(options_.r);
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
    if (ended_) fail("text after [End]");
    ++contentLines_;
    if (referenceNext_) return reference(words);
    if (words.front().front() == '#') {
      optionLine(words);
    } else if (words.front().front() == '[') {
      keywordLine(body);
    } else {
      if (version2_ && !inData_) fail("data before [Network Data]");
      dataLine(words);
    }
  }

  void keywordLine(std::string_view body) {
    const std::size_t close = body.find(']');
    if (close == std::string_view::npos) fail("a keyword without its closing \"]\"");
    const std::string shown = joined(tokens(body.substr(0, close + 1)));
    const std::string name = lowered(shown);
    const KeywordName* k = nullptr;
    for (const KeywordName& known : kKeywords)
      if (known.name == name) k = &known;
    if (!k) fail("the keyword \"" + shown + "\" is not read: only one-port network data are");
    const std::vector<std::string_view> args = tokens(body.substr(close + 1));
    if (k->keyword == Keyword::version) {
      if (contentLines_ != 1 || args.size() != 1 || !args[0].starts_with("2."))
        fail("[Version] 2.x must come first, before any other line");
      version2_ = true;
      return;
    }
    if (!version2_) fail("a keyword in a file without [Version] 2.0 first");
    if (k->keyword == Keyword::ports) {
      if (args.size() != 1 || args[0] != "1")
        fail("[Number of Ports] must be 1: only one-port files are read");
      ports_ = true;
    } else if (k->keyword == Keyword::frequencies) {
      const auto n = args.size() == 1 ? antenna::parseNumber(args[0]) : std::nullopt;
      if (!n || *n < 1 || *n != std::floor(*n) || *n > kMaxTouchstonePoints)
        fail("[Number of Frequencies] must be a whole number from 1 to " +
             std::to_string(kMaxTouchstonePoints));
      frequencies_ = static_cast<std::size_t>(*n);
    } else if (k->keyword == Keyword::reference) {
      if (args.empty())
        referenceNext_ = true;
      else
        reference(args);
    } else if (k->keyword == Keyword::networkData) {
      if (!ports_) fail("[Network Data] before [Number of Ports]");
      if (!seenOptions_) fail("[Network Data] before the option line");
      inData_ = true;
    } else if (k->keyword == Keyword::end) {
      if (!inData_) fail("[End] before [Network Data]");
      ended_ = true;
    }
    // [Matrix Format] orders the matrix of many ports; one port has one.
  }

  // [Reference]: one resistance for the one port, in place of the option line's.
  void reference(const std::vector<std::string_view>& args) {
    referenceNext_ = false;
    const auto r = args.size() == 1 ? antenna::parseNumber(args[0]) : std::nullopt;
    if (!r || !(*r > 0)) fail("[Reference] must be one positive resistance");
    reference_ = *r;
  }

  // One option line per file; each of its items at most once.
  void optionLine(std::vector<std::string_view> words) {
    if (!out_.hz.empty()) fail("the option line comes after data");
    if (seenOptions_)
      fail("a second option line (line " + std::to_string(optionLine_) + " is the first)");
    seenOptions_ = true;
    optionLine_ = line_;
    if (words.front().size() > 1)
      words.front().remove_prefix(1);
    else
      words.erase(words.begin());
    std::string_view unitSeen, kindSeen, formatSeen, rSeen;
    auto once = [&](std::string_view& seen, std::string_view word, const char* what) {
      if (!seen.empty())
        fail("two " + std::string(what) + " on the option line (\"" + std::string(seen) +
             "\" and \"" + std::string(word) + "\")");
      seen = word;
    };
    for (std::size_t i = 0; i < words.size(); ++i) {
      const std::string w = lowered(words[i]);
      if (const Unit* u = unit(w)) {
        once(unitSeen, words[i], "frequency units");
        options_.hzPer = u->hzPer;
      } else if (w == "s" || w == "z" || w == "y") {
        once(kindSeen, words[i], "parameter kinds");
        if (version2_ && w != "s")
          fail("\"" + std::string(words[i]) +
               "\" parameters of a Touchstone 2 file are not read: only S parameters are");
        options_.parameter = w[0];
      } else if (w == "h" || w == "g") {
        fail("\"" + std::string(words[i]) + "\" parameters are not one-port data");
      } else if (w == "ri" || w == "ma" || w == "db") {
        once(formatSeen, words[i], "number formats");
        options_.format = w;
      } else if (w == "r") {
        once(rSeen, words[i], "reference resistances");
        auto r = i + 1 < words.size() ? antenna::parseNumber(words[i + 1]) : std::nullopt;
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
      auto n = antenna::parseNumber(words[k]);
      if (!n) fail("\"" + std::string(words[k]) + "\" is not a number");
      v[k] = *n;
    }
    const double hz = v[0] * options_.hzPer;
    if (hz < 0) fail("a frequency is negative");
    if (!std::isfinite(hz)) fail("the frequency " + std::string(words[0]) + " is too large");
    if (!out_.hz.empty() && !(hz > out_.hz.back()))
      fail("the frequencies do not increase (" + std::string(words[0]) +
           " after a higher or equal one)");
    if (out_.hz.size() == kMaxTouchstonePoints)
      fail("more than " + std::to_string(kMaxTouchstonePoints) + " data points");
    const std::complex<double> s11 = toS11(value(v[1], v[2]));
    if (!std::isfinite(s11.real()) || !std::isfinite(s11.imag()))
      fail("the parameter \"" + std::string(words[1]) + " " + std::string(words[2]) +
           "\" gives no finite S11");
    out_.hz.push_back(hz);
    out_.s11.push_back(s11);
  }
  std::complex<double> value(double a, double b) const {
    const double rad = b * std::numbers::pi / 180;
    if (options_.format == "ri") return {a, b};
    if (options_.format == "ma") return std::polar(a, rad);
    return std::polar(std::pow(10.0, a / 20), rad);
  }

  // Z and Y data of a Touchstone 1 file are normalised to the reference.
  std::complex<double> toS11(std::complex<double> p) const {
    if (options_.parameter == 'z') return antenna::sFromZ(p, 1.0);
    if (options_.parameter == 'y') return antenna::sFromY(p, 1.0);
    return p;
  }

  const std::string& file_;
  std::size_t line_ = 0, contentLines_ = 0, optionLine_ = 0;
  bool seenOptions_ = false, version2_ = false, ports_ = false, inData_ = false, ended_ = false,
       referenceNext_ = false;
  std::optional<std::size_t> frequencies_;
  std::optional<double> reference_;
  Options options_;
  OnePort out_;
};

std::string format17(double v) {
  return antenna::formatNumber(v, antenna::kExactDigits);
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

std::string formatTouchstone(const OnePort& data, const std::vector<std::string>& comments) {
  std::string out;
  for (const std::string& c : comments) out += "! " + c + "\n";
  out += "# GHz S RI R " + format17(data.z0) + "\n";
  for (std::size_t i = 0; i < data.hz.size(); ++i)
    out += format17(antenna::ghzFromHz(data.hz[i])) + " " + format17(data.s11[i].real()) + " " +
           format17(data.s11[i].imag()) + "\n";
  return out;
}

}  // namespace formats

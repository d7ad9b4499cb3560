// Reading and writing act lines by the script's rules: words are separated by
// blanks or tabs, the text of "type" is everything after the one blank that
// follows the tag, and trailing blanks and carriage returns are not part of it.
#include "design/acts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace design {
namespace {

// The feed offset comes after the length, whose change sets its slider's
// Max; Fmax before Fmin, as Fmin moves the pattern slider's Min and Value up
// to it; the pattern frequency last, as its act opens a pattern figure.
constexpr Parameter kParameters[] = {
    {"edit3", "slider3", "substrate height H (mm)"},
    {"edit4", "slider4", "relative permittivity er"},
    {"edit1", "slider1", "patch width W (mm)"},
    {"edit2", "slider2", "patch length L (mm)"},
    {"edit7", "slider5", "feed point offset (mm)"},
    {"edit6", "", "band end Fmax (GHz)"},
    {"edit5", "", "band start Fmin (GHz)"},
    {"edit8", "slider6", "radiation pattern frequency (GHz)"},
};

bool blank(char c) {
  return c == ' ' || c == '\t';
}

bool known(std::string_view Parameter::*control, std::string_view tag) {
  return !tag.empty() && std::any_of(std::begin(kParameters), std::end(kParameters),
                                     [&](const Parameter& p) { return p.*control == tag; });
}

bool finiteNumber(std::string_view text) {
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size() && std::isfinite(v);
}

}  // namespace

std::string_view trim(std::string_view s) {
  while (!s.empty() && (blank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view word(std::string_view& rest) {
  rest = trim(rest);
  const std::size_t end = rest.find_first_of(" \t");
  const std::string_view w = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return w;
}

std::span<const Parameter> parameters() {
  return kParameters;
}

std::string line(const Act& act) {
  return (act.kind == Act::Kind::type ? "type " : "slide ") + act.tag + " " + act.text;
}

bool carriesText(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos &&
         (text.empty() || !blank(text.back()));
}

std::optional<Act> parseAct(std::string_view text, std::string& why) {
  std::string_view rest = text;
  const std::string_view command = word(rest);
  const std::string_view tag = word(rest);
  if (command == "type") {
    if (!known(&Parameter::editBox, tag)) {
      why = "\"" + std::string(tag) + "\" is not an edit box of the window";
      return std::nullopt;
    }
    return Act{Act::Kind::type, std::string(tag), std::string(rest)};
  }
  if (command == "slide") {
    if (!known(&Parameter::slider, tag)) {
      why = "\"" + std::string(tag) + "\" is not a slider of the window";
      return std::nullopt;
    }
    const std::string_view value = trim(rest);
    if (!finiteNumber(value)) {
      why = "the slider position must be a number, not \"" + std::string(value) + "\"";
      return std::nullopt;
    }
    return Act{Act::Kind::slide, std::string(tag), std::string(value)};
  }
  why = "\"" + std::string(command) + "\" is not an act of a design (type or slide)";
  return std::nullopt;
}

}  // namespace design

// Reading and writing act lines by the script's rules: words are separated by
// blanks or tabs, the text of "type" is everything after the one blank that
// follows the tag, and trailing blanks and carriage returns are not part of it.
#include "design/acts.h"

#include <algorithm>

#include "antenna/numbers.h"
#include "design/main_window.h"

namespace design {
namespace {

bool blank(char c) {
  return c == ' ' || c == '\t';
}

bool known(std::string_view Parameter::*control, std::string_view tag) {
  const std::span<const Parameter> all = parameters();
  return !tag.empty() &&
         std::any_of(all.begin(), all.end(), [&](const Parameter& p) { return p.*control == tag; });
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
    if (!antenna::parseNumber(value)) {
      why = "the slider position must be a number, not \"" + std::string(value) + "\"";
      return std::nullopt;
    }
    return Act{Act::Kind::slide, std::string(tag), std::string(value)};
  }
  why = "\"" + std::string(command) + "\" is not an act of a design (type or slide)";
  return std::nullopt;
}

}  // namespace design

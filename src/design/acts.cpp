// Reading and writing act lines by the script's rules: words are separated by
// blanks or tabs, the text of "type" is everything after the one blank that
// follows the tag, and trailing blanks and carriage returns are not part of it.
#include "design/acts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

std::string quoted(std::string_view s) {
  return "\"" + shown(s, 80) + "\"";
}

bool control(char ch) {
  const auto c = static_cast<unsigned char>(ch);
  return (c < 0x20 && c != '\t') || c == 0x7f;
}

}  // namespace

std::string shown(std::string_view s, std::size_t limit) {
  const bool cut = s.size() > limit;
  if (cut) {
    s = s.substr(0, limit);
    while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80) s.remove_suffix(1);
    if (!s.empty() && static_cast<unsigned char>(s.back()) >= 0xC0) s.remove_suffix(1);
  }
  std::string out;
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  return cut ? out + "..." : out;
}

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
      why = quoted(tag) + " is not an edit box of the window";
      return std::nullopt;
    }
    // As the script types it: a CRLF line end is no part of the text.
    while (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
    if (std::any_of(rest.begin(), rest.end(), control)) {
      why = "the text " + quoted(rest) +
            " holds a control byte (a file with CR-only line ends reads as one line)";
      return std::nullopt;
    }
    return Act{Act::Kind::type, std::string(tag), std::string(rest)};
  }
  if (command == "slide") {
    if (!known(&Parameter::slider, tag)) {
      why = quoted(tag) + " is not a slider of the window";
      return std::nullopt;
    }
    const std::string_view value = trim(rest);
    const std::optional<double> v = antenna::parseNumber(value);
    if (!v || !std::isfinite(*v)) {
      why = "the slider position must be a number, not " + quoted(value);
      return std::nullopt;
    }
    return Act{Act::Kind::slide, std::string(tag), std::string(value)};
  }
  why = quoted(command) + " is not an act of a design (type or slide)";
  return std::nullopt;
}

}  // namespace design

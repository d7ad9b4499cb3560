// Splitting a line into words by the script's rules, and showing text from a
// file or a line safely in a message.
#include "formats/words.h"

#include <cstdio>

namespace formats {

bool blank(char c) {
  return c == ' ' || c == '\t';
}

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

std::string_view strip(std::string_view s) {
  while (!s.empty() && (blank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view word(std::string_view& rest) {
  rest = strip(rest);
  const std::size_t end = rest.find_first_of(" \t");
  const std::string_view w = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return w;
}

bool carriesText(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos &&
         (text.empty() || !blank(text.back()));
}

}  // namespace formats

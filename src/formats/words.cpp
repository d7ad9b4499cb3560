// Splitting a line into words by the script's rules, and showing text from a
// file or a line safely in a message.
#include "formats/words.h"

#include <cstdio>

namespace formats {

bool blank(char c) {
  return c == ' ' || c == '\t';
}

std::size_t characterLength(std::string_view s) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char c = at(0);
  std::size_t n = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
  if (c >= 0xC2 && c <= 0xDF)
    n = 2;
  else if (c >= 0xE0 && c <= 0xEF)
    n = 3, lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
  else if (c >= 0xF0 && c <= 0xF4)
    n = 4, lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
  if (n == 0 || s.size() < n || at(1) < lo || at(1) > hi) return 0;
  for (std::size_t i = 2; i < n; ++i)
    if (at(i) < 0x80 || at(i) > 0xBF) return 0;
  return n;
}

namespace {

void escape(std::string& out, unsigned value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02x", value);
  out += buf;
}

}  // namespace

std::string shown(std::string_view s, std::size_t limit) {
  const bool cut = s.size() > limit;
  if (cut) {
    s = s.substr(0, limit);
    while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80) s.remove_suffix(1);
    if (!s.empty() && static_cast<unsigned char>(s.back()) >= 0xC0) s.remove_suffix(1);
  }
  // Control characters of both sets (C0 with DEL, and C1, U+0080 to U+009F,
  // which terminals obey as well), as characters or as stray bytes, are
  // written as \xNN, the character's code or the byte.
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      if (c < 0x20 || c == 0x7f)
        escape(out, c);
      else
        out += s[i];
      ++i;
      continue;
    }
    const std::size_t n = characterLength(s.substr(i));
    if (n == 0) {
      // A stray byte: in the C1 range an 8-bit terminal obeys it; above,
      // it is a Latin-1 letter of a name written before UTF-8.
      if (c <= 0x9F)
        escape(out, c);
      else
        out += s[i];
      ++i;
    } else if (c == 0xC2 && static_cast<unsigned char>(s[i + 1]) <= 0x9F) {
      escape(out, static_cast<unsigned char>(s[i + 1]));
      i += 2;
    } else {
      out += s.substr(i, n);
      i += n;
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

// The words of a line in the script's own language, which design files
// share, and text from a file or a line as a message may show it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace formats {

// A blank: a space or a tab.
bool blank(char c);

// How a line splits into words, for the script runner and the design files alike, so that a design
// file reads the same in both: blanks and tabs separate words; strip drops leading blanks and
// trailing blanks and carriage returns; word takes the first word off `rest`, which keeps what
// follows the one blank after it.
std::string_view strip(std::string_view s);
std::string_view word(std::string_view& rest);

// The length of the well-formed UTF-8 character at the start of `s` (RFC
// 3629: no overlong form, no surrogate, nothing above U+10FFFF), or 0.
std::size_t characterLength(std::string_view s);

// Text from a file or a line as a message may show it: at most `limit` bytes
// (never splitting a UTF-8 character), "..." where it was cut, and control
// characters (C0, DEL and C1, as UTF-8 or as stray bytes) written as \xNN,
// so that they cannot act on the user's terminal.
std::string shown(std::string_view s, std::size_t limit);

// A text that a line can carry and give back unchanged: the line ends at a
// line break and its trailing blanks are dropped when it is read.
bool carriesText(std::string_view text);

}  // namespace formats

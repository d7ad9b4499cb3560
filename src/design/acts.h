// The user acts a design is made of, one per line in the script's own
// language: "type TAG TEXT" (types TEXT into the edit box TAG and presses
// Enter) and "slide TAG VALUE" (moves the slider TAG to VALUE). A design
// file is a list of them, so the script runner plays it as it stands.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace design {

struct Act {
  enum class Kind { type, slide };
  Kind kind = Kind::type;
  std::string tag;
  std::string text;  // the typed text, or the slider position as written
};

// How a line splits into words, for the script runner and the design files
// alike, so that a design file reads the same in both: blanks and tabs
// separate words; trim drops leading blanks and trailing blanks and carriage
// returns; word takes the first word off `rest`, which keeps what follows the
// one blank after it.
std::string_view trim(std::string_view s);
std::string_view word(std::string_view& rest);

// The line that performs the act.
std::string line(const Act& act);

// The act of a line; on failure, `why` says what is wrong with it. Only the
// tags of the main window's edit boxes and sliders are known, a typed text
// holds no control byte (a carriage return inside a line is a file with
// CR-only line ends) and a slider position is a finite number.
std::optional<Act> parseAct(std::string_view line, std::string& why);

// Text from a file or a line as a message may show it: at most `limit` bytes
// (never splitting a UTF-8 character), "..." where it was cut, and control
// bytes written as \xNN so that they cannot act on the user's terminal.
std::string shown(std::string_view s, std::size_t limit);

// A text that a line can carry and give back unchanged: the line ends at a
// line break and its trailing blanks are dropped when it is read.
bool carriesText(std::string_view text);

}  // namespace design

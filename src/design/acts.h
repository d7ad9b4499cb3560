// The user acts a design is made of, one per line in the script's own
// language: "type TAG TEXT" (types TEXT into the edit box TAG and presses
// Enter) and "slide TAG VALUE" (moves the slider TAG to VALUE). A design
// file is a list of them, so the script runner plays it as it stands.
#pragma once

#include <string>

namespace design {

struct Act {
  enum class Kind { type, slide };
  Kind kind = Kind::type;
  std::string tag;
  std::string text;  // the typed text, or the slider position as written
};

// The line that performs the act.
std::string line(const Act& act);

}  // namespace design

// Design files: plain text, a comment header (program, date, what the numbers
// are) and then the user acts that rebuild the design, one a line, in the
// script's own language, so that tessivar-script plays a design file as it
// stands. The impedance model and its board come first ("model refined",
// "board tand=..."); a file without them is a classic design on the default
// board.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "antenna/patch.h"
#include "design/acts.h"

namespace design {

struct DesignFile {
  bool refined = false;  // the refined impedance model, else the classic one
  antenna::Board board{};
  std::vector<Act> acts;
};

// The whole text of a design file; `savedAt` goes into the header.
std::string designText(const DesignFile& design, std::string_view savedAt);

// A file's model, board and acts. What is wrong with it is raised as
// std::runtime_error: the first line that is not a known act with a known
// tag, or a model or board line that makes no sense, by number; a file
// without acts is no design.
DesignFile parseDesign(std::string_view text, std::string_view path);
DesignFile readDesign(const std::string& path);

}  // namespace design

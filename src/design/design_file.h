// Design files: plain text, a comment header (program, date, what the numbers
// are) and then the user acts that rebuild the design, one a line, in the
// script's own language, so that tessivar-script plays a design file as it
// stands.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "design/acts.h"

namespace design {

// The whole text of a design file; `savedAt` goes into the header.
std::string designText(const std::vector<Act>& acts, std::string_view savedAt);

// A file's acts. What is wrong with it is raised as std::runtime_error: the
// first line that is not a known act with a known tag, by number; a file
// without acts is no design.
std::vector<Act> parseDesign(std::string_view text, std::string_view path);
std::vector<Act> readDesign(const std::string& path);

}  // namespace design

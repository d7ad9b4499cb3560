// Design files: plain text, a comment header (program, date, what the numbers
// are) and then the user acts that rebuild the design, one a line, in the
// script's own language, so that tessivar-script plays a design file as it
// stands.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "design/acts.h"

namespace design {

// The whole text of a design file; `savedAt` goes into the header.
std::string designText(const std::vector<Act>& acts, std::string_view savedAt);

// The most bytes a design file may hold: a saved design takes about 1 kB.
inline constexpr std::size_t kMaxDesignBytes = 1 << 20;

// A file's acts, and in `lines` the line number of each. What is wrong with
// it is raised as std::runtime_error: the first line that is not a known act
// with a known tag, by number; a file without acts is no design; a file that
// cannot be read (not a regular file, larger than kMaxDesignBytes) with why.
std::vector<Act> parseDesign(std::string_view text, std::string_view path,
                             std::vector<std::size_t>* lines = nullptr);
std::vector<Act> readDesign(const std::string& path, std::vector<std::size_t>* lines = nullptr);

}  // namespace design

// Design files: plain text, a comment header (program, date, what the numbers
// are) and then the user acts that rebuild the design, one a line, in the
// script's own language, so that tessivar-script plays a design file as it
// stands. The impedance model and its board come first ("model refined",
// "board tand=..."); a file without them is a classic design on the default
// board.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "antenna/models.h"
#include "antenna/patch.h"
#include "design/acts.h"

namespace design {

struct DesignFile {
  antenna::ImpedanceModel model{};
  antenna::Board board{};
  std::vector<Act> acts;
};

// The most bytes a design file may hold: a saved design takes about 1 kB.
inline constexpr std::size_t kMaxDesignBytes = 1 << 20;

// The whole text of a design file; `savedAt` goes into the header.
std::string designText(const DesignFile& design, std::string_view savedAt);

// A file's model, board and acts, and in `lines` the line number of each
// act. What is wrong with it is raised as std::runtime_error: the first line
// that is not a known act with a known tag, or a model or board line that
// makes no sense, by number; a file without acts is no design; a file that
// cannot be read (not a regular file, larger than kMaxDesignBytes) with why.
DesignFile parseDesign(std::string_view text, std::string_view path,
                       std::vector<std::size_t>* lines = nullptr);
DesignFile readDesign(const std::string& path, std::vector<std::size_t>* lines = nullptr);

}  // namespace design

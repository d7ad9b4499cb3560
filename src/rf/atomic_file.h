// Writes a file whole or not at all, for the non-Qt parts of the program:
// the text goes to a temporary file in the same folder, which is then
// renamed over the target, so a reader never sees half a file.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace rf {

// The write failed; what() names the path and the reason.
struct WriteError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Replaces `path` with `contents`; on failure no temporary file is left
// behind and the previous file, if any, is untouched.
void writeFileAtomically(const std::string& path, std::string_view contents);

}  // namespace rf

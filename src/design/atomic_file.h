// Writing a file whole or not at all: the text goes to a new file in the same
// folder, which replaces the target only once it is complete and on disk.
#pragma once

#include <string>
#include <string_view>

namespace design {

// Empty on success; otherwise a message naming the path and the reason, and
// the target is as it was before.
std::string writeWhole(const std::string& path, std::string_view text);

}  // namespace design

// Reading a file whole with a limit on its size, for every file the program
// reads: the limit is counted while reading, so a device or a pipe that never
// ends cannot grow memory, and only regular files are opened at all, so that a
// FIFO without a writer cannot block the program and a device is not acted
// on by being opened.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace rt {

// The bytes of the regular file at `path`, at most `limit` of them. On
// failure, `why` is the reason alone, for the caller's own message: the
// system's ("No such file or directory"), "is a directory", "is not a
// regular file" or "is larger than N MiB" (N from `limit`).
std::optional<std::string> readBoundedFile(const std::string& path, std::size_t limit,
                                           std::string& why);

}  // namespace rt

// POSIX calls: the type is checked before the open and again on the opened
// descriptor (fstat), and the open itself does not wait for a FIFO's writer
// (O_NONBLOCK).
#include "platform/files/bounded_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace rt {
namespace {

// Reads `fd` to its end into `out`; 0, the errno of a failed read, or EFBIG
// once more than `limit` bytes came.
int readAll(int fd, std::size_t limit, std::string& out) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    if (out.size() + static_cast<std::size_t>(n) > limit) return EFBIG;
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

std::string sizeName(std::size_t limit) {
  return limit >= (1u << 20) && limit % (1u << 20) == 0 ? std::to_string(limit >> 20) + " MiB"
                                                        : std::to_string(limit) + " bytes";
}

// The reason a file of this type is not read; "" for a regular file.
const char* refusal(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return "is a directory";
  return S_ISREG(st.st_mode) ? "" : "is not a regular file";
}

}  // namespace

std::optional<std::string> readBoundedFile(const std::string& path, std::size_t limit,
                                           std::string& why) {
  why.clear();
  // Looked at before it is opened: opening a device acts on it (a tape
  // rewinds, a watchdog starts), and a pipe's writer would be let go.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && *refusal(st)) {
    why = refusal(st);
    return std::nullopt;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    why = std::strerror(errno);
    return std::nullopt;
  }
  std::string text;
  int err = ::fstat(fd, &st) != 0 ? errno : 0;
  if (err == 0 && *refusal(st)) {
    why = refusal(st);  // replaced since it was looked at
  } else if (err == 0 && static_cast<unsigned long long>(st.st_size) > limit) {
    err = EFBIG;  // known before reading a byte
  } else if (err == 0) {
    err = readAll(fd, limit, text);
  }
  ::close(fd);
  if (err == EFBIG)
    why = "is larger than " + sizeName(limit);
  else if (err != 0)
    why = std::strerror(err);
  if (!why.empty()) return std::nullopt;
  return text;
}

}  // namespace rt

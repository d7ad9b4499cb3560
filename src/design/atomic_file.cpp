// POSIX: mkstemp in the target's folder (a rename within one file system is
// atomic), write, fsync, close, rename; any failure removes the temporary.
#include "design/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace design {
namespace {

std::string failure(const std::string& path, int error) {
  return "cannot write \"" + path + "\": " + std::strerror(error);
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

std::string writeWhole(const std::string& path, std::string_view text) {
  if (path.empty() || path.back() == '/') return failure(path, EISDIR);
  std::string pattern = folderOf(path) + "/.tessivar-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return failure(path, errno);
  // mkstemp makes the file private; a design file gets the usual mode.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  int error = 0;
  if (::fchmod(fd, 0666 & ~mask) != 0 || !writeAll(fd, text) || ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(name.data(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(name.data());
    return failure(path, error);
  }
  return {};
}

}  // namespace design

// Whole-or-nothing file writes through a temporary file and a rename.
#include "rf/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace rf {
namespace {

[[noreturn]] void fail(const std::string& path, int err) {
  throw WriteError("cannot write \"" + path + "\": " + std::strerror(err));
}

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view contents) {
  if (path.empty()) throw WriteError("cannot write a file without a name");
  namespace fs = std::filesystem;
  const fs::path target(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) fail(path, errno);
  const std::string temp(name.data());
  auto abandon = [&](int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    fail(path, err);
  };
  // mkstemp makes the file private; a saved file gets the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd, 0666 & ~mask) != 0) abandon(errno);
  std::size_t done = 0;
  while (done < contents.size()) {
    const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) abandon(n < 0 ? errno : EIO);
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) abandon(errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    fail(path, err);
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    fail(path, err);
  }
}

}  // namespace rf

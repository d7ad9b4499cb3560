// POSIX calls rather than a toolkit's saving file: every step's errno is kept
// for the message, and targets that cannot be renamed over are handled.
#include "platform/files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace rt {
namespace {

// Writes all of `bytes` to `fd`; 0 or the errno of the failed call.
int writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

// Closing reports delayed write errors (network file systems), so its
// result counts.
int closeChecked(int fd, int err) {
  if (::close(fd) != 0 && err == 0) err = errno;
  return err;
}

// Devices and pipes cannot be replaced by renaming; they get the bytes
// directly, and a full device or a broken pipe is still an error.
int writeInPlace(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return errno;
  return closeChecked(fd, writeAll(fd, bytes));
}

int writeReplacing(const std::string& target, std::string_view bytes, const struct stat* existing) {
  namespace fs = std::filesystem;
  const fs::path t(target);
  const fs::path folder = t.has_parent_path() ? t.parent_path() : fs::path(".");
  // A name of our own beside the target: a rename within one folder is
  // atomic, and O_EXCL never takes over someone else's file.
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp = (folder / ("." + t.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                      std::to_string(attempt)))
               .string();
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return errno;
  int err = writeAll(fd, bytes);
  // An existing file keeps its permissions; a new one gets the umask's.
  if (err == 0 && existing && ::fchmod(fd, existing->st_mode & 07777) != 0) err = errno;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  err = closeChecked(fd, err);
  if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) ::unlink(temp.c_str());
  return err;
}

// 0 or the errno that stopped the write.
int write(const std::string& path, std::string_view bytes) {
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return EISDIR;
  if (exists && !S_ISREG(st.st_mode)) return writeInPlace(path, bytes);
  // Renaming would replace a file its owner made read-only.
  if (exists && ::access(path.c_str(), W_OK) != 0) return errno;
  std::string target = path;
  struct stat link {};
  if (exists && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    std::error_code ec;
    target = std::filesystem::canonical(path, ec).string();
    if (ec) return ec.value();
  }
  return writeReplacing(target, bytes, exists ? &st : nullptr);
}

}  // namespace

std::string writeFileAtomically(const std::string& path, std::string_view bytes,
                                std::string_view shownAs) {
  if (path.empty()) return "cannot write a file without a name";
  const int err = write(path, bytes);
  if (err == 0) return {};
  return "cannot write " + (shownAs.empty() ? path : std::string(shownAs)) + ": " +
         std::strerror(err);
}

}  // namespace rt

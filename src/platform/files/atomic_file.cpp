// POSIX calls rather than a toolkit's saving file: every step's errno is kept
// for the message, and targets that cannot be renamed over are handled.
#include "platform/files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
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
// Opening does not wait for a pipe's reader (a pipe nobody reads fails with
// ENXIO at once); the writes then block as a writer's do.
int writeInPlace(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return errno;
  if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) return closeChecked(fd, errno);
  return closeChecked(fd, writeAll(fd, bytes));
}

// Termination signals wait while a named temporary file exists, so that no
// signal leaves one behind: they are delivered once it is renamed or gone.
class HeldSignals {
 public:
  HeldSignals() {
    sigset_t held;
    sigemptyset(&held);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) sigaddset(&held, s);
    ::pthread_sigmask(SIG_BLOCK, &held, &old_);
  }
  ~HeldSignals() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

 private:
  sigset_t old_;
};

// A name of our own beside the target, within the longest name a folder
// takes: a long target name is cut short for it.
std::string tempName(const std::filesystem::path& folder, const std::string& name, int attempt) {
  const std::string tail = ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
  return (folder /
          ("." + name.substr(0, std::min<std::size_t>(name.size(), NAME_MAX - 1 - tail.size())) +
           tail))
      .string();
}

// Writes the bytes to `fd` and makes them durable, with the permissions an
// existing target has (a new one gets the umask's, and a program execute
// permission where it has read permission, as "chmod +x" gives).
int fill(int fd, std::string_view bytes, const struct stat* existing, FileKind kind) {
  int err = writeAll(fd, bytes);
  struct stat made {};
  if (err == 0 && existing && ::fchmod(fd, existing->st_mode & 07777) != 0) err = errno;
  if (err == 0 && !existing && kind == FileKind::Program &&
      (::fstat(fd, &made) != 0 ||
       ::fchmod(fd, (made.st_mode | (made.st_mode & 0444) >> 2) & 07777) != 0))
    err = errno;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  return err;
}

// Renames a new name over the target, or removes it.
int moveInto(const std::string& temp, const std::string& target, int err) {
  if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) ::unlink(temp.c_str());
  return err;
}

// The bytes go to a file without a name (O_TMPFILE) which gets one beside
// the target only once complete, for the instant of the rename; a file
// system without such files gets a named one, with the signals held
// throughout. A rename within one folder is atomic, and O_EXCL never takes
// over someone else's file.
int writeReplacing(const std::string& target, std::string_view bytes, const struct stat* existing,
                   FileKind kind = FileKind::Data) {
  namespace fs = std::filesystem;
  const fs::path t(target);
  const fs::path folder = t.has_parent_path() ? t.parent_path() : fs::path(".");
  const std::string name = t.filename().string();
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd >= 0) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    int err = fill(fd, bytes, existing, kind);
    if (err != 0) return closeChecked(fd, err);
    const HeldSignals held;
    std::string temp;
    for (int attempt = 0; attempt < 100; ++attempt) {
      temp = tempName(folder, name, attempt);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
      err = errno;
      temp.clear();
      if (err != EEXIST) break;
    }
    err = closeChecked(fd, temp.empty() ? err : 0);
    return temp.empty() ? err : moveInto(temp, target, err);
  }
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
  const HeldSignals held;
  std::string temp;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp = tempName(folder, name, attempt);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return errno;
  return moveInto(temp, target, closeChecked(fd, fill(fd, bytes, existing, kind)));
}

// Where writing through `path` lands: the end of its chain of symbolic
// links, which may not exist yet (a dangling link is written through).
int linkedTarget(const std::string& path, std::string& target) {
  namespace fs = std::filesystem;
  fs::path p(path);
  std::error_code ec;
  for (int hops = 0; fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
    if (hops == 40) return ELOOP;
    const fs::path next = fs::read_symlink(p, ec);
    if (ec) return ec.value();
    p = next.is_absolute() ? next : p.parent_path() / next;
  }
  target = p.string();
  return 0;
}

// 0 or the errno that stopped the write.
int write(const std::string& path, std::string_view bytes) {
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  // A name too long, or a folder on the way that is none: the reason is
  // the path's, whatever the temporary file would meet.
  if (!exists && errno != ENOENT) return errno;
  if (exists && S_ISDIR(st.st_mode)) return EISDIR;
  if (exists && !S_ISREG(st.st_mode)) return writeInPlace(path, bytes);
  // Renaming would replace a file its owner made read-only.
  if (exists && ::access(path.c_str(), W_OK) != 0) return errno;
  std::string target;
  if (const int err = linkedTarget(path, target)) return err;
  return writeReplacing(target, bytes, exists ? &st : nullptr);
}

// 0 or the errno that stopped the replacement. The name itself is looked
// at (lstat), not what a link there leads to.
int replace(const std::string& path, std::string_view bytes, FileKind kind) {
  struct stat st {};
  const bool exists = ::lstat(path.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return errno;
  if (exists && S_ISDIR(st.st_mode)) return EISDIR;
  const bool regular = exists && S_ISREG(st.st_mode);
  if (regular && ::access(path.c_str(), W_OK) != 0) return errno;
  return writeReplacing(path, bytes, regular ? &st : nullptr, kind);
}

// The message of a failed write: a pipe nobody reads is told as such
// rather than by the system's "No such device or address".
std::string failure(const std::string& path, std::string_view shownAs, int err) {
  struct stat st {};
  const std::string reason = err == ENXIO && ::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)
                                 ? "it is a named pipe that nothing reads"
                                 : std::strerror(err);
  return "cannot write " + (shownAs.empty() ? path : std::string(shownAs)) + ": " + reason;
}

}  // namespace

std::string replaceFileAtomically(const std::string& path, std::string_view bytes, FileKind kind) {
  if (path.empty()) return "cannot write a file without a name";
  const int err = replace(path, bytes, kind);
  return err == 0 ? std::string() : failure(path, {}, err);
}

std::string writeFileAtomically(const std::string& path, std::string_view bytes,
                                std::string_view shownAs) {
  if (path.empty()) return "cannot write a file without a name";
  const int err = write(path, bytes);
  return err == 0 ? std::string() : failure(path, shownAs, err);
}

}  // namespace rt

// The lock files and the pruning of the cache. A lock file is removed only
// by its holder (the pruning, once it has removed the folder), so a check
// that opened the file before it went could take a lock on a file no longer
// there: it compares what it holds with the file at the path and tries
// again when they differ.
#include "fullwave/cache.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "antenna/numbers.h"
#include "formats/words.h"
#include "fullwave/run_folder.h"

namespace fullwave {

namespace fs = std::filesystem;

namespace {

constexpr const char* kBoundVariable = "TESSIVAR_FULLWAVE_CACHE_MB";
constexpr const char* kLockSuffix = ".lock";

// The bytes of the regular files under `dir`, links not followed.
std::uintmax_t bytesUnder(const fs::path& dir) {
  std::uintmax_t total = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code sizeError;
    if (it->is_regular_file(sizeError)) {
      const auto n = it->file_size(sizeError);
      if (!sizeError) total += n;
    }
  }
  return total;
}

// Removes a folder of the cache and its lock file, when no one else holds
// the lock; true when it went.
bool removeUnlocked(const fs::path& folder) {
  FolderLock lock(folder.string());
  if (!lock.tryTake()) return false;
  std::error_code ec;
  fs::remove_all(folder, ec);
  if (ec) return false;
  lock.releaseAndRemove();
  return true;
}

}  // namespace

FolderLock::FolderLock(std::string folder) : path_(std::move(folder) + kLockSuffix) {}

FolderLock::~FolderLock() {
  release();
}

bool FolderLock::tryTake() {
  if (fd_ >= 0) return true;
  error_.clear();
  std::error_code ec;
  fs::create_directories(fs::path(path_).parent_path(), ec);
  // A few tries: each retry follows a lock file removed under us.
  for (int attempt = 0; attempt < 4; ++attempt) {
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
      error_ = "Cannot lock the run's folder (" + path_ + "): " + std::strerror(errno) + ".";
      return false;
    }
    int r;
    do r = ::flock(fd, LOCK_EX | LOCK_NB);
    while (r != 0 && errno == EINTR);
    if (r != 0) {
      const int e = errno;
      ::close(fd);
      if (e != EWOULDBLOCK)
        error_ = "Cannot lock the run's folder (" + path_ + "): " + std::strerror(e) + ".";
      return false;
    }
    struct stat held {
    }, named{};
    if (::fstat(fd, &held) == 0 && ::stat(path_.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      fd_ = fd;
      return true;
    }
    ::close(fd);
  }
  return false;
}

void FolderLock::release() {
  if (fd_ >= 0) ::close(fd_);  // closing lets the lock go
  fd_ = -1;
}

void FolderLock::releaseAndRemove() {
  if (fd_ < 0) return;
  ::unlink(path_.c_str());
  release();
}

std::uintmax_t cacheBoundBytes() {
  const char* text = std::getenv(kBoundVariable);
  if (text == nullptr || *text == '\0') return std::uintmax_t{kDefaultCacheMegabytes} * 1000000;
  const auto mb = antenna::parseNumber(text);
  if (!mb || !(*mb >= 0) || *mb > 1e12)
    throw std::invalid_argument(std::string(kBoundVariable) +
                                " must be the cache's bound in megabytes (a number of 0 or more), "
                                "not \"" +
                                formats::shown(text, 40) + "\".");
  return static_cast<std::uintmax_t>(*mb * 1e6);
}

void pruneCache(const std::string& keep, std::uintmax_t bound) {
  const fs::path kept(keep), root = kept.parent_path();
  struct Entry {
    fs::path folder;
    fs::file_time_type used;
    std::uintmax_t bytes;
  };
  std::vector<Entry> results;
  std::uintmax_t total = 0;
  std::error_code ec;
  for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path p = it->path();
    std::error_code e;
    if (p.extension() == kLockSuffix) {
      // A lock file whose folder has gone (pruned by an older version, or by hand).
      const fs::path folder = p.parent_path() / p.stem();
      if (!fs::exists(folder, e) && folder != kept) removeUnlocked(folder);
      continue;
    }
    if (!it->is_directory(e) || it->is_symlink(e)) continue;
    const bool result =
        fs::exists(p / run_folder::kResult, e) && !fs::exists(p / run_folder::kAbort, e);
    if (p == kept) {
      total += bytesUnder(p);
    } else if (!result) {
      removeUnlocked(p);  // what a stopped run left; one under way keeps its lock
    } else {
      const std::uintmax_t bytes = bytesUnder(p);
      total += bytes;
      results.push_back({p, fs::last_write_time(p, e), bytes});
    }
  }
  std::sort(results.begin(), results.end(),
            [](const Entry& a, const Entry& b) { return a.used < b.used; });
  for (const Entry& r : results) {
    if (total <= bound) break;
    if (removeUnlocked(r.folder)) total -= r.bytes;
  }
}

void touchCacheFolder(const std::string& folder) {
  std::error_code ec;
  fs::last_write_time(folder, fs::file_time_type::clock::now(), ec);
}

}  // namespace fullwave

// The cache of kept runs around the folders check.h keeps them in: a lock
// file beside each folder, held by the check that looks the folder up, runs
// the solver there and keeps its result, so that two checks of one design
// (two windows, two scripts) never share or clear each other's folder; and
// a bound on the whole cache that the least recently used folders make room
// under, with the leftovers of runs that ended without a result.
#pragma once

#include <cstdint>
#include <string>

namespace fullwave {

// An advisory lock (flock) on "<folder>.lock", the folder's neighbour, so
// that clearing the folder keeps it. Whoever looks a folder up holds it
// alone: a lookup writes there too (the far field's transform), and two at
// once would read each other's half-written output. The system lets it go
// however its holder ends, a kill included.
class FolderLock {
 public:
  explicit FolderLock(std::string folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Tries for the lock without waiting: true once held. False when another
  // holds it, or when the lock file cannot be made (error() says why).
  bool tryTake();
  void release();
  // Removes the lock file, then lets the lock go: for a holder whose folder
  // has gone. Nothing when not held.
  void releaseAndRemove();
  bool held() const { return fd_ >= 0; }
  const std::string& error() const { return error_; }

 private:
  std::string path_;
  int fd_ = -1;
  std::string error_;
};

// The bound on the cache in bytes: TESSIVAR_FULLWAVE_CACHE_MB megabytes,
// kDefaultCacheMegabytes when it is not set. Throws std::invalid_argument
// naming the variable for a value that is not a number of megabytes.
inline constexpr int kDefaultCacheMegabytes = 1000;
std::uintmax_t cacheBoundBytes();

// Removes the cache folders beside `keep` that hold no result (a run killed
// or failed before it kept one), then, least recently used first, kept
// ones until the cache fits `bound` bytes. Never `keep` itself, nor a folder
// whose lock another check holds.
void pruneCache(const std::string& keep, std::uintmax_t bound);

// Marks a kept folder as just used, so that it is pruned last.
void touchCacheFolder(const std::string& folder);

}  // namespace fullwave

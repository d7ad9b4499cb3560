// The recent-designs file: one absolute path per line, newest first,
// written whole so that a crash leaves the old list or the new one.
#include "design/recent.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "platform/files/atomic_file.h"
#include "platform/files/bounded_file.h"

namespace design {
namespace {

namespace fs = std::filesystem;

// Far above what kMostRecentDesigns paths take: a larger file is not ours.
constexpr std::size_t kMostBytes = 64 * 1024;

bool usablePath(const std::string& line) {
  return !line.empty() && line.front() == '/' &&
         std::none_of(line.begin(), line.end(),
                      [](unsigned char c) { return c < 0x20 || c == 0x7f; });
}

}  // namespace

std::string recentDesignsFile() {
  const char* state = std::getenv("XDG_STATE_HOME");
  // A relative XDG folder is to be ignored, as if it were not set.
  if (state && state[0] == '/') return (fs::path(state) / "tessivar" / "recent-designs").string();
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/')
    return (fs::path(home) / ".local" / "state" / "tessivar" / "recent-designs").string();
  return {};
}

std::vector<std::string> recentDesigns() {
  std::vector<std::string> list;
  const std::string file = recentDesignsFile();
  std::string why;
  const std::optional<std::string> bytes =
      file.empty() ? std::nullopt : rt::readBoundedFile(file, kMostBytes, why);
  if (!bytes) return list;
  std::istringstream lines(*bytes);
  for (std::string line; std::getline(lines, line) && list.size() < kMostRecentDesigns;)
    if (usablePath(line) && std::find(list.begin(), list.end(), line) == list.end())
      list.push_back(line);
  return list;
}

std::string noteRecentDesign(const std::string& path) {
  const std::string file = recentDesignsFile();
  if (file.empty()) return "cannot keep the recent designs: neither XDG_STATE_HOME nor HOME is set";
  std::error_code error;
  const std::string absolute = fs::absolute(path, error).lexically_normal().string();
  if (error || !usablePath(absolute)) return {};  // a name no line can hold is not listed
  std::vector<std::string> list = recentDesigns();
  std::erase(list, absolute);
  list.insert(list.begin(), absolute);
  if (list.size() > kMostRecentDesigns) list.resize(kMostRecentDesigns);
  std::string bytes;
  for (const std::string& p : list) bytes += p + '\n';
  fs::create_directories(fs::path(file).parent_path(), error);
  if (error) return "cannot write " + file + ": " + error.message();
  return rt::writeFileAtomically(file, bytes);
}

}  // namespace design

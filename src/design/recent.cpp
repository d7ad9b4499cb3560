// The recent-designs file: one absolute path per line, newest first,
// written whole so that a crash leaves the old list or the new one; a path
// holding bytes no line can is kept percent-encoded.
#include "design/recent.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

#include "platform/files/atomic_file.h"
#include "platform/files/bounded_file.h"
#include "platform/files/user_folders.h"

namespace design {
namespace {

namespace fs = std::filesystem;

// Far above what kMostRecentDesigns paths take: a larger file is not ours.
constexpr std::size_t kMostBytes = 64 * 1024;

bool controlByte(unsigned char c) {
  return c < 0x20 || c == 0x7f;
}

// A line holds a path as it is, or, when the path holds a byte no line can
// (a line break, any control byte), as "%" and the path with those bytes
// and "%" written %XX. Every name a file system allows is kept so, and a
// list of an older version reads such a line as no path and leaves it out.
std::string lineOf(const std::string& path) {
  if (std::none_of(path.begin(), path.end(), [](unsigned char c) { return controlByte(c); }))
    return path;
  std::string line = "%";
  for (const unsigned char c : path) {
    if (controlByte(c) || c == '%') {
      constexpr char kHex[] = "0123456789ABCDEF";
      line += {'%', kHex[c >> 4], kHex[c & 15]};
    } else {
      line += static_cast<char>(c);
    }
  }
  return line;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The absolute path a line holds; nothing for any other line.
std::optional<std::string> pathOf(const std::string& line) {
  if (line.empty() ||
      std::any_of(line.begin(), line.end(), [](unsigned char c) { return controlByte(c); }))
    return std::nullopt;
  if (line.front() == '/') return line;
  if (line.front() != '%') return std::nullopt;
  std::string path;
  for (std::size_t i = 1; i < line.size(); ++i) {
    if (line[i] != '%') {
      path += line[i];
      continue;
    }
    const int high = i + 2 < line.size() ? hexDigit(line[i + 1]) : -1;
    const int low = high < 0 ? -1 : hexDigit(line[i + 2]);
    if (low < 0 || (high == 0 && low == 0)) return std::nullopt;
    path += static_cast<char>(high * 16 + low);
    i += 2;
  }
  if (path.empty() || path.front() != '/') return std::nullopt;
  return path;
}

}  // namespace

std::string recentDesignsFile() {
  const std::string state = rt::userFolder("XDG_STATE_HOME", ".local/state");
  return state.empty() ? state : (fs::path(state) / "tessivar" / "recent-designs").string();
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
    if (const std::optional<std::string> path = pathOf(line);
        path && std::find(list.begin(), list.end(), *path) == list.end())
      list.push_back(*path);
  return list;
}

std::string noteRecentDesign(const std::string& path) {
  const std::string file = recentDesignsFile();
  if (file.empty()) return "cannot keep the recent designs: neither XDG_STATE_HOME nor HOME is set";
  std::error_code error;
  const std::string absolute = fs::absolute(path, error).lexically_normal().string();
  if (error) return "cannot keep " + path + " among the recent designs: " + error.message();
  std::vector<std::string> list = recentDesigns();
  std::erase(list, absolute);
  list.insert(list.begin(), absolute);
  if (list.size() > kMostRecentDesigns) list.resize(kMostRecentDesigns);
  std::string bytes;
  for (const std::string& p : list) bytes += lineOf(p) + '\n';
  fs::create_directories(fs::path(file).parent_path(), error);
  if (error) return "cannot write " + file + ": " + error.message();
  return rt::writeFileAtomically(file, bytes);
}

}  // namespace design

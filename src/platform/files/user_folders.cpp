// Environment reads only: nothing is made here, each user of a folder makes
// what it needs under it.
#include "platform/files/user_folders.h"

#include <cstdlib>
#include <filesystem>

namespace rt {

std::string userFolder(const char* xdgVariable, const char* underHome) {
  const char* xdg = std::getenv(xdgVariable);
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return (std::filesystem::path(home) / underHome).string();
  return {};
}

}  // namespace rt

// Where the user's cache and state go: an absolute XDG folder, else the one
// under an absolute HOME, else none (never a folder others may write to).
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/files/user_folders.h"

namespace {

TEST(UserFolder, IsTheAbsoluteXdgFolderElseTheOneUnderHomeElseNone) {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  const struct {
    const char *xdg, *home, *folder;
  } cases[] = {{"/x", "/h", "/x"},
               {"rel", "/h", "/h/.cache"},
               {nullptr, "/h", "/h/.cache"},
               {"", "rel", ""},
               {nullptr, nullptr, ""}};
  for (const auto& c : cases) {
    c.xdg ? ::setenv("XDG_CACHE_HOME", c.xdg, 1) : ::unsetenv("XDG_CACHE_HOME");
    c.home ? ::setenv("HOME", c.home, 1) : ::unsetenv("HOME");
    EXPECT_EQ(rt::userFolder("XDG_CACHE_HOME", ".cache"), c.folder) << (c.xdg ? c.xdg : "-");
  }
  ::unsetenv("XDG_CACHE_HOME");
  ::setenv("HOME", home.c_str(), 1);
}

}  // namespace

// The user's own folders, found the freedesktop way: the XDG variable when
// it holds an absolute path, else the folder under the home directory. A
// relative value is ignored, as freedesktop.org's XDG rules ask, so that a
// cache or a state file never lands in whatever folder the program was
// started from; and with neither set there is no folder, rather
// than one in a folder every user may write to, where another user could
// plant its contents.
#pragma once

#include <string>

namespace rt {

// `xdgVariable` ("XDG_CACHE_HOME") when absolute, else $HOME/`underHome`
// (".cache") when HOME is absolute; "" when neither is.
std::string userFolder(const char* xdgVariable, const char* underHome);

}  // namespace rt

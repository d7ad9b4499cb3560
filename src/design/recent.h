// The designs the user opened or saved last, newest first, kept between
// sessions in a small file of the user's state folder
// ($XDG_STATE_HOME/tessivar/recent-designs, by default under
// ~/.local/state). A missing or unreadable file is an empty list.
#pragma once

#include <string>
#include <vector>

namespace design {

// At most this many are kept.
constexpr std::size_t kMostRecentDesigns = 8;

// Where the list is kept; "" when neither XDG_STATE_HOME nor HOME is set.
std::string recentDesignsFile();

// The list as the file holds it: absolute paths, newest first, any byte a
// file system allows in them (a line break too); lines that hold no
// absolute path are left out.
std::vector<std::string> recentDesigns();

// Puts `path` (made absolute) at the head of the list and writes the file
// whole. Gives "" or the message naming the file and why it was not written.
std::string noteRecentDesign(const std::string& path);

}  // namespace design

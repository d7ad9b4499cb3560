// Writing a file whole or not at all, for every part of the program: the
// bytes go to a new file beside the target, which is renamed over it only
// once every byte is on disk, so a reader never sees half a file and a
// failure leaves the previous file as it was.
#pragma once

#include <string>
#include <string_view>

namespace rt {

// Replaces `path` with `bytes`. Gives "" on success, otherwise one line
// "cannot write NAME: REASON", NAME being `shownAs` when given and the path
// otherwise; no temporary file is left behind then.
//
// A target that cannot be renamed over (a device, a pipe) is written in place,
// a pipe only while something reads it (never waiting for a reader); through a
// symbolic link the linked file is replaced and the link stays (a dangling link
// is written through: its target is made); an existing file keeps its
// permissions, and one its owner made read-only is refused as opening it for
// writing would be. A termination signal during the write leaves no temporary
// file (the bytes go to a file without a name until they are complete); a name
// as long as a folder allows works.
std::string writeFileAtomically(const std::string& path, std::string_view bytes,
                                std::string_view shownAs = {});

// Whether a file replaced by replaceFileAtomically may be run as a program.
enum class FileKind { Data, Program };

// As writeFileAtomically, for the files of a folder the program fills
// itself (a run's folder), where whatever holds the name is replaced and
// never written through: a symbolic link, a pipe or a device planted there
// is replaced by a regular file (its target left alone), so the folder
// cannot make the program write elsewhere. A directory is refused; an
// existing regular file keeps its permissions and one its owner made
// read-only is refused. A Program gets execute permission wherever it may
// be read.
std::string replaceFileAtomically(const std::string& path, std::string_view bytes,
                                  FileKind kind = FileKind::Data);

}  // namespace rt

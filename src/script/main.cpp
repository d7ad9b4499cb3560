// tessivar-script: runs the program without a display and acts on its window
// as a script says (one command a line, from a file or standard input).
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "platform/files/standard_output.h"
#include "platform/graphics/graphics.h"
#include "script/script_front_end.h"
#include "script/session.h"
#include "shell/menus.h"
#include "window/main_info.h"
#include "window/tessivar.h"

namespace {

void usage(std::ostream& out) {
  out << "usage: tessivar-script [SCRIPT]\n"
         "       tessivar-script --help | --version\n"
         "Runs tessivar without a display and plays the commands of SCRIPT (or of\n"
         "standard input), one a line; blank lines and lines starting with # are skipped.\n"
         "Tags are those of the main window (edit1, slider1, axes1, ...).\n\n"
      << script::commandHelp()
      << "\nExit status: 0, or 2 when the script cannot be read or a line of it could\n"
         "not be carried out.\n";
}

// Opens the script, or says why it cannot be read. A folder opens as a
// stream on Linux and then reads as empty, and a device may never end, so
// only regular files and pipes (a script from "<(...)") are read.
bool openScript(const char* path, std::ifstream& file) {
  struct stat st {};
  int err = 0;
  if (::stat(path, &st) != 0) {
    err = errno;
  } else if (S_ISDIR(st.st_mode)) {
    err = EISDIR;
  } else if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) {
    std::cerr << "tessivar-script: cannot read " << path << ": is not a regular file\n";
    return false;
  } else {
    errno = 0;
    file.open(path);
    if (!file) err = errno ? errno : EIO;
  }
  if (err == 0) return true;
  std::cerr << "tessivar-script: cannot read " << path << ": " << std::strerror(err) << '\n';
  return false;
}

// `status`, or 2 when what was printed did not all reach standard output
// (its JSON lost is no success).
int written(int status) {
  const std::string failure = rt::standardOutputFailure();
  if (failure.empty()) return status;
  std::cerr << "tessivar-script: " << failure << '\n';
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string first = argc > 1 ? argv[1] : "";
  if (argc == 2 && (first == "-h" || first == "--help")) {
    usage(std::cout);
    return written(0);
  }
  if (argc == 2 && first == "--version") {
    std::cout << "tessivar-script " TESSIVAR_VERSION "\n";
    return written(0);
  }
  if (argc > 2) {
    usage(std::cerr);
    return 2;
  }
  std::ifstream file;
  std::istream* commands = &std::cin;
  if (argc == 2) {
    if (!openScript(argv[1], file)) return 2;
    commands = &file;
  }

  // The program itself gets no words of the command line.
  static int programArgc = 1;
  static char* programArgv[] = {argv[0], nullptr};
  shell::addMenuEntries();
  script::OffscreenPlatform offscreen;
  rt::setFrontEnd(std::make_unique<script::ScriptFrontEnd>(programArgc, programArgv, *commands));
  int status = rt::runMain(programArgc, programArgv, tessivar::byName, 0, mainInfo);
  rt::setFrontEnd(nullptr);
  return written(status);
}

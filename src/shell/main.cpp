// Process entry: answers --help and --version, takes a design file to open
// once the window is built, then hands the command line,
// the main module and the start-up record to the graphics runtime's main
// routine, whose result is the exit status.
//
// Without a display Qt stops the process with an abort and advice to
// reinstall; a message handler turns that into a plain message pointing to
// the headless program, and status 1.
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "design/acts.h"
#include "design/commands.h"
#include "formats/words.h"
#include "platform/files/standard_output.h"
#include "shell/menus.h"
#include "window/main_info.h"
#include "window/tessivar.h"

namespace {

QtMessageHandler qtHandler = nullptr;

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg && message.contains("platform plugin")) {
    std::fputs(
        "tessivar: no graphical display could be opened (is DISPLAY or WAYLAND_DISPLAY set to a "
        "running display?)\n"
        "tessivar: without a display, run tessivar-script to play a script of the same window\n",
        stderr);
    std::fflush(stderr);
    // Qt's state is broken at this point: leave without running destructors.
    std::_Exit(1);
  }
  if (qtHandler) {
    qtHandler(type, context, message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(message));
  }
}

// 0, or 1 when the answer did not reach standard output.
int written() {
  const std::string failure = rt::standardOutputFailure();
  if (failure.empty()) return 0;
  std::cerr << "tessivar: " << failure << '\n';
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
    std::cout << "usage: tessivar [--help | --version | DESIGN-FILE]\n"
                 "Opens the design window for rectangular microstrip patch antennas: set the\n"
                 "patch, the substrate, the feed offset and a band with the sliders and edit\n"
                 "boxes and see the input resistance and reactance; a pattern frequency opens\n"
                 "the radiation pattern. Needs a graphical display; tessivar-script runs the\n"
                 "same window from a script without one. Qt's own options (such as -platform)\n"
                 "are accepted. A DESIGN-FILE (as the save command writes it) opens once\n"
                 "the window is built.\n";
    return written();
  }
  if (argc == 2 && !std::strcmp(argv[1], "--version")) {
    std::cout << "tessivar " TESSIVAR_VERSION "\n";
    return written();
  }
  qtHandler = qInstallMessageHandler(messageHandler);
  // tessivar FILE: the window opens with the design of FILE.
  if (argc == 2 && argv[1][0] != '-') {
    const std::string path = argv[1];
    rt::setStartupAction([path] {
      try {
        design::openDesign(path);
        shell::noteRecentDesign(path);
      } catch (const std::exception& e) {
        // The message quotes the file, whose bytes must not act on the
        // terminal.
        std::cerr << "tessivar: " << formats::shown(e.what(), 1000) << '\n';
      }
    });
  }
  shell::addMenuEntries();
  return rt::runMain(argc, argv, tessivar::byName, 0, mainInfo);
}

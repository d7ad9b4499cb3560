// Process entry: hands the command line, the main module and the start-up
// record to the graphics runtime's main routine, whose result is the exit
// status.
#include <iostream>
#include <string>

#include "design/commands.h"
#include "shell/main_info.h"
#include "shell/tessivar.h"

int main(int argc, char** argv) {
  // tessivar FILE: the window opens with the design of FILE.
  if (argc == 2 && argv[1][0] != '-') {
    const std::string path = argv[1];
    rt::setStartupAction([path] {
      const std::string failure = design::openDesign(path);
      if (!failure.empty()) std::cerr << "tessivar: " << failure << '\n';
    });
  }
  return rt::runMain(argc, argv, tessivar::byName, 0, mainInfo);
}

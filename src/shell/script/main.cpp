// tessivar-script: runs the program without a display and acts on its window
// as a script says (one command a line, from a file or standard input).
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "platform/graphics/graphics.h"
#include "shell/main_info.h"
#include "shell/script/script_front_end.h"
#include "shell/tessivar.h"

int main(int argc, char** argv) {
  if (argc > 2 ||
      (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help"))) {
    std::cerr << "usage: tessivar-script [SCRIPT]\n"
                 "Runs tessivar without a display and plays the commands of SCRIPT (or of\n"
                 "standard input): type TAG TEXT, slide TAG VALUE, get TAG PROPERTY, line TAG,\n"
                 "surface N, figures, png N FILE, svg N FILE.\n";
    return 2;
  }
  std::ifstream file;
  std::istream* commands = &std::cin;
  if (argc == 2) {
    file.open(argv[1]);
    if (!file) {
      std::cerr << "tessivar-script: cannot read " << argv[1] << '\n';
      return 2;
    }
    commands = &file;
  }

  // The program itself gets no words of the command line.
  static int programArgc = 1;
  static char* programArgv[] = {argv[0], nullptr};
  script::OffscreenPlatform offscreen;
  rt::setFrontEnd(std::make_unique<script::ScriptFrontEnd>(programArgc, programArgv, *commands));
  int status = rt::runMain(programArgc, programArgv, tessivar::byName, 0, mainInfo);
  rt::setFrontEnd(nullptr);
  return status;
}

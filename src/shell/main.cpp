// Process entry: hands the command line, the main module and the start-up
// record to the graphics runtime's main routine, whose result is the exit
// status.
#include "shell/main_info.h"
#include "shell/tessivar.h"

int main(int argc, char** argv) {
  return rt::runMain(argc, argv, tessivar::byName, 0, mainInfo);
}

// The script language of tessivar-script: one command a line, played
// against the running program as a user would act on its window.
#pragma once

#include <istream>
#include <ostream>
#include <string>

namespace script {

// What the script needs of the front end besides the object system.
class Canvas {
 public:
  virtual ~Canvas() = default;
  // Renders a figure (its window with the controls) to a file: an empty
  // string, or a message naming the file and why it was not written.
  virtual std::string savePng(double fig, const std::string& path) = 0;
  virtual std::string saveSvg(double fig, const std::string& path) = 0;
  virtual std::string savePdf(double fig, const std::string& path) = 0;
};

// Plays the commands of `in`:
//   type TAG TEXT     types TEXT into the edit box TAG and presses Enter
//   slide TAG VALUE   moves the slider TAG to VALUE
//   get TAG PROPERTY  prints a property of the object TAG as JSON
//   line TAG          prints {"x": [...], "y": [...]} of the line in axes TAG
//   surface N         prints the surface of the Nth pattern figure
//   figures           prints the number of open figures
//   png N FILE, svg N FILE, pdf N FILE   renders figure N (1: the main window)
//   csv N FILE        writes the data of figure N as Export data does
//   rotate N AZ EL    turns figure N's 3-D axes to that view, as a drag would
// Blank lines and lines starting with # are skipped. Errors raised by the
// program are reported by the runtime and the script goes on; a line that
// cannot be carried out gets a one-line message on `err`, quoting at most 80
// characters of it. Returns 0, or 2 when any line could not be carried out.
int play(std::istream& in, std::ostream& out, std::ostream& err, Canvas& canvas);

// The commands with their arguments and what they do, one a line, for the
// program's usage text.
std::string commandHelp();

}  // namespace script

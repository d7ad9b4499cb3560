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
  // Renders a figure (its window with the controls) to a file.
  virtual bool savePng(double fig, const std::string& path) = 0;
  virtual bool saveSvg(double fig, const std::string& path) = 0;
};

// Plays the commands of `in`:
//   type TAG TEXT     types TEXT into the edit box TAG and presses Enter
//   slide TAG VALUE   moves the slider TAG to VALUE
//   get TAG PROPERTY  prints a property of the object TAG as JSON
//   line TAG          prints {"x": [...], "y": [...]} of the line in axes TAG
//   surface N         prints the surface of the Nth pattern figure
//   figures           prints the number of open figures
//   png N FILE, svg N FILE   renders figure N (1: the main window)
//   csv N FILE        writes the data of figure N as Export data does
//   rotate N AZ EL    turns figure N's 3-D axes to that view, as a drag would
// Blank lines and lines starting with # are skipped. Errors raised by the
// program are reported by the runtime and the script goes on; a line that
// cannot be carried out gets a message on `err`. Returns 0, or 2 when any
// line could not be carried out.
int play(std::istream& in, std::ostream& out, std::ostream& err, Canvas& canvas);

}  // namespace script

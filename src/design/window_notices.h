// What the main window's notice bar says while a cause lasts: why the plots
// show nothing, or something other than the boxes hold, and which slider
// holds a value beyond its range. Read from the design after each act, so a
// message goes when its cause goes.
#pragma once

#include <string>

namespace design {

// The standing notice of figure `fig`: the reasons, one a line, when it is
// the main window; "" for any other figure or when nothing is wrong.
std::string windowNotice(double fig);

}  // namespace design

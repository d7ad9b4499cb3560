// The window's entries to the Match figure, Touchstone files and designs:
// menu entries of the Qt front end whose work is done by the program's
// modules. Both programs add them once at start-up.
#pragma once

namespace shell {

// Adds the entries to the menus' registries; a second call adds nothing.
void addMenuEntries();
// The window's notices, data tips and markers (window_aids.cpp); called by
// addMenuEntries.
void addWindowAids();

}  // namespace shell

// The window's entries to the Match figure, Touchstone files and designs:
// menu entries of the Qt front end whose work is done by the program's
// modules. Both programs add them once at start-up.
#pragma once

#include <functional>
#include <string>

namespace rt::qt {
class FigureHost;
}

namespace shell {

// Adds the entries to the menus' registries; a second call adds nothing.
void addMenuEntries();
// The window's notices, data tips and markers (window_aids.cpp); called by
// addMenuEntries.
void addWindowAids();
// Help menus, Ctrl+Q, undo and redo of the design, the recent designs
// (habits.cpp); called by addMenuEntries.
void addHabits();
// Puts a design file the user saved or opened at the head of the recent
// designs; a list that cannot be written is said on standard error.
void noteRecentDesign(const std::string& path);
// Runs `work` for a menu entry or key of `window`, showing there the
// message of what it raises.
void reporting(rt::qt::FigureHost& window, const std::function<void()>& work);

}  // namespace shell

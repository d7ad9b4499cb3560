// Undo and redo of the main window's design. The design after each change
// is kept as the acts that rebuild it (presentActs); going back or forward
// types the kept design in through perform, the same acts a user makes, so
// the window's callbacks draw it as they draw the user's own.
#pragma once

#include <cstddef>

namespace design {

// Starts keeping the history (once; later calls do nothing): the design is
// noted before and after every user act, and the acts one perform types in
// make one change.
void keepDesignHistory();

// Types the design before the last change back in; false when there is
// none. Redo types the undone change in again; false when nothing was
// undone since the last change. Both raise std::runtime_error when the main
// window is not open.
bool undoDesignChange();
bool redoDesignChange();

// How many changes undo and redo can step over now.
struct HistorySteps {
  std::size_t back = 0, forward = 0;
};
HistorySteps historySteps();

}  // namespace design

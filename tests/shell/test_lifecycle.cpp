// The whole lifecycle of a run: libraries, then modules; a window that
// computes nothing until a callback; modules end before libraries; nothing
// is left alive.
#include <gtest/gtest.h>

#include "shell/test_window_session.h"

namespace {

TEST(Lifecycle, ARunBuildsTheWindowThenEndsModulesBeforeLibrariesWithNothingLeft) {
  const std::size_t before = rt::liveArrays();
  const int status = session::run([&] {
    ASSERT_EQ(rt::gfx::figures().size(), 1u) << "the main module opens one window";
    for (const char* ax : {"axes1", "axes2"})
      EXPECT_EQ(session::lineCount(ax), 0u) << ax << " holds a line before any callback";
    EXPECT_FALSE(rt::warningsEnabled()) << "slider6's creation function did not run";
    // The window is hidden from everything but its callbacks.
    EXPECT_EQ(rt::findobj({rt::str("Tag"), rt::str("figure1")}).numel(), 0u);
  });
  EXPECT_EQ(status, 0) << "-1: the loop never ran";
  EXPECT_EQ(rt::liveArrays(), before);
}

}  // namespace

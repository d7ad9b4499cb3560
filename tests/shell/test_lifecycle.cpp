// Call-by-name refusals of every module, and the whole lifecycle of a run:
// libraries, then modules; a window that computes nothing until a callback;
// modules end before libraries; nothing is left alive.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "model/offset_impedance.h"
#include "platform/array/array_test.h"
#include "shell/test_window_session.h"

namespace {

// Every call-by-name entry refuses surplus outputs first and, for fixed
// argument lists, surplus inputs; variable lists take any number of inputs.
TEST(CallByName, EveryEntryRefusesSurplusArgumentsWithItsOwnMessage) {
  struct Fn {
    std::string name;
    rt::ByNameFn f;
    int line, in, out;
  };
  std::vector<Fn> fns;
  for (const rt::FunctionEntry& e : mainInfo.functionTable) {
    fns.push_back({e.name, e.byName, 1, e.inputs, e.outputs});
    for (const rt::FunctionEntry& l :
         e.locals ? e.locals->entries : std::span<const rt::FunctionEntry>{})
      fns.push_back({std::string(e.name) + "/" + l.name, l.byName,
                     std::string(l.name) == "getParentFigure" ? 78 : 86, l.inputs, l.outputs});
  }
  ASSERT_EQ(fns.size(), 26u);
  auto refusal = [](const Fn& f, int nargout, int nargin) {
    std::vector<rt::Array> in(static_cast<std::size_t>(nargin), rt::scalar(0));
    rt::Array out[3];
    return array_test::errorOf([&] { f.f(nargout, std::span<rt::Array>(out), in); });
  };
  auto message = [](const Fn& f, const std::string& kind, int count) {
    return "Run-time Error: File: " + f.name + " Line: " + std::to_string(f.line) +
           " Column: 1 The function \"" + f.name +
           "\" was called with more than the declared number of " + kind + " (" +
           std::to_string(count) + ").";
  };
  rt::arrayLibraryInitialize();
  for (const Fn& f : fns) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(refusal(f, f.out + 1, std::max(f.in, 0) + 1), message(f, "outputs", f.out));
    if (f.in >= 0) {
      EXPECT_EQ(refusal(f, f.out, f.in + 1), message(f, "inputs", f.in));
    }
  }
  rt::arrayLibraryTerminate();
}

TEST(Lifecycle, ARunBuildsTheWindowThenEndsModulesBeforeLibrariesWithNothingLeft) {
  const std::size_t before = rt::liveArrays();
  std::vector<const void*> made, destroyed;  // offset_impedance's constants
  rt::setDestroyObserver([&](const rt::Array& a) { destroyed.push_back(a.id()); });
  const int status = session::run([&] {
    ASSERT_EQ(rt::gfx::figures().size(), 1u) << "the main module opens one window";
    for (const char* ax : {"axes1", "axes2"})
      EXPECT_EQ(session::lineCount(ax), 0u) << ax << " holds a line before any callback";
    EXPECT_FALSE(rt::warningsEnabled()) << "slider6's creation function did not run";
    // The window is hidden from everything but its callbacks.
    EXPECT_EQ(rt::findobj({rt::str("Tag"), rt::str("figure1")}).numel(), 0u);
    for (std::size_t i = 0; i < offset_impedance::Def::constants.size(); ++i)
      made.push_back(offset_impedance::Def::constants.at(i).id());
  });
  rt::setDestroyObserver(nullptr);
  EXPECT_EQ(status, 0) << "-1: the loop never ran";
  ASSERT_EQ(made.size(), 27u);
  const std::set<const void*> madeSet(made.begin(), made.end());
  // Each constant is destroyed exactly once, in the reverse of creation order.
  std::vector<const void*> mine;
  for (const void* d : destroyed)
    if (madeSet.count(d)) mine.push_back(d);
  EXPECT_EQ(mine, std::vector<const void*>(made.rbegin(), made.rend()));
  EXPECT_EQ(rt::liveArrays(), before);
}

}  // namespace

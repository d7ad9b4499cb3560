// Call-by-name refusals of every module, and the whole lifecycle of a run:
// libraries, then modules; modules end before libraries; nothing is left
// alive.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "model/offset_impedance.h"
#include "shell/test_window_session.h"

namespace {

std::string errorOf(rt::ByNameFn f, int nargout, int nargin) {
  std::vector<rt::Array> in(static_cast<std::size_t>(nargin), rt::scalar(0));
  rt::Array out[3];
  try {
    f(nargout, std::span<rt::Array>(out), in);
  } catch (const rt::Error& e) {
    return e.what();
  }
  return "";
}

std::string message(const std::string& f, int line, const std::string& kind, int count) {
  return "Run-time Error: File: " + f + " Line: " + std::to_string(line) +
         " Column: 1 The function \"" + f + "\" was called with more than the declared number of " +
         kind + " (" + std::to_string(count) + ").";
}

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
    if (e.locals) {
      for (const rt::FunctionEntry& l : e.locals->entries)
        fns.push_back({std::string(e.name) + "/" + l.name, l.byName,
                       std::string(l.name) == "getParentFigure" ? 78 : 86, l.inputs, l.outputs});
    }
  }
  ASSERT_EQ(fns.size(), 26u);
  rt::arrayLibraryInitialize();
  for (const Fn& f : fns) {
    EXPECT_EQ(errorOf(f.f, f.out + 1, std::max(f.in, 0) + 1),
              message(f.name, f.line, "outputs", f.out))
        << "outputs are checked first: " << f.name;
    if (f.in >= 0) {
      EXPECT_EQ(errorOf(f.f, f.out, f.in + 1), message(f.name, f.line, "inputs", f.in)) << f.name;
    }
  }
  rt::arrayLibraryTerminate();
}

TEST(Lifecycle, ARunBuildsTheWindowThenEndsModulesBeforeLibrariesWithNothingLeft) {
  const std::size_t before = rt::liveArrays();
  std::size_t windows = 0;
  std::vector<const void*> made;  // offset_impedance's constants, in creation order
  std::vector<const void*> destroyed;
  rt::setDestroyObserver([&](const rt::Array& a) { destroyed.push_back(a.id()); });
  const int status = session::run([&] {
    windows = rt::gfx::figures().size();
    for (std::size_t i = 0; i < offset_impedance::Def::constants.size(); ++i)
      made.push_back(offset_impedance::Def::constants.at(i).id());
  });
  rt::setDestroyObserver(nullptr);

  EXPECT_EQ(status, 0) << "-1: the loop never ran";
  EXPECT_EQ(windows, 1u) << "the main module opens one window";
  ASSERT_EQ(made.size(), 27u);
  const std::set<const void*> madeSet(made.begin(), made.end());
  EXPECT_EQ(madeSet.size(), 27u);
  // Each constant is destroyed exactly once, in the reverse of creation order.
  std::vector<const void*> mine;
  for (const void* d : destroyed)
    if (madeSet.count(d)) mine.push_back(d);
  EXPECT_EQ(mine, std::vector<const void*>(made.rbegin(), made.rend()));
  EXPECT_EQ(rt::liveArrays(), before);
}

}  // namespace

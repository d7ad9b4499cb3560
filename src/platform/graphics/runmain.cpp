// The program's main routine. It is alone in its file so that programs and
// tests that never call it do not need the default (Qt) front end.
#include <exception>
#include <functional>
#include <utility>
#include <vector>

#include "platform/graphics/graphics_internal.h"

namespace rt {

// Defined by the front-end library; weak so that the graphics library links
// without it. A program that relies on it must link that library in (and
// reference it, as static libraries only contribute what is referenced).
__attribute__((weak)) std::unique_ptr<FrontEnd> makeDefaultFrontEnd(int& argc, char** argv);

namespace {

// Restores the previous start-up record when runMain ends.
class MainInfoScope {
 public:
  explicit MainInfoScope(const MainInfo* info) : saved_(gfx::setMainInfo(info)) {}
  ~MainInfoScope() { gfx::setMainInfo(saved_); }
  MainInfoScope(const MainInfoScope&) = delete;
  MainInfoScope& operator=(const MainInfoScope&) = delete;

 private:
  const MainInfo* saved_;
};

// Calls the terminate routines of the first `count` pairs, last first (the
// modules, then the libraries, which come first in the table).
void terminate(std::span<const InitTermPair> pairs, std::size_t count) {
  for (std::size_t i = count; i-- > 0;) {
    if (pairs[i].terminate == nullptr) continue;
    try {
      pairs[i].terminate();
    } catch (const std::exception& e) {
      reportError(e);
    }
  }
}

}  // namespace

// ------------------------------------------------------- start-up action
namespace {

std::function<void()>& startupAction() {
  static std::function<void()> action;
  return action;
}

// Taken out as it runs: a later runMain in the same process runs none.
void runStartupAction() {
  const std::function<void()> action = std::exchange(startupAction(), nullptr);
  if (!action) return;
  try {
    action();
  } catch (const std::exception& e) {
    reportError(e);
  }
}

}  // namespace

void setStartupAction(std::function<void()> action) {
  startupAction() = std::move(action);
}

int runMain(int argc, char** argv, ByNameFn mainEntry, int nargout, const MainInfo& info) {
  MainInfoScope scope(&info);
  const std::span<const InitTermPair> pairs = info.initTermTable;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    if (pairs[i].initialize == nullptr) continue;
    try {
      pairs[i].initialize();
    } catch (const std::exception& e) {
      reportError(e);
      terminate(pairs, i);
      return 1;
    }
  }

  if (mainEntry != nullptr) {
    try {
      std::vector<Array> outputs(nargout > 0 ? static_cast<std::size_t>(nargout) : 0);
      mainEntry(nargout, outputs, std::span<const Array>());
    } catch (const std::exception& e) {
      reportError(e);
    }
  }

  int status = 0;
  bool ownFrontEnd = false;
  try {
    if (!gfx::figures().empty()) {
      if (frontEnd() == nullptr) {
        if (&makeDefaultFrontEnd == nullptr)
          error("No front end is installed and none is linked into the program.");
        int& count = argc;
        setFrontEnd(makeDefaultFrontEnd(count, argv));
        ownFrontEnd = true;
        if (frontEnd() == nullptr) error("The default front end could not be created.");
      }
      runStartupAction();
      status = frontEnd()->run();
    }
  } catch (const std::exception& e) {
    reportError(e);
    status = 1;
  }

  terminate(pairs, pairs.size());
  if (ownFrontEnd) setFrontEnd(nullptr);
  return status;
}

}  // namespace rt

// Start-up record, call-by-name refusals of every module, and the whole
// lifecycle of a run: libraries, then modules; modules end before libraries;
// nothing is left alive.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/guihandles.h"
#include "model/offset_impedance.h"
#include "shell/main_info.h"
#include "shell/tessivar.h"

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

TEST(StartUpRecord, ListsTheModulesInOrderWithTheirDeclaredCounts) {
  const std::vector<std::string> names = {
      "tessivar",      "inter_func_e1",    "inter_func_e2", "inter_func_e3", "inter_func_e4",
      "inter_func_e5", "inter_func_e6",    "inter_func_e7", "inter_func_e8", "inter_func_s1",
      "inter_func_s2", "inter_func_s3",    "inter_func_s4", "inter_func_s5", "inter_func_s6",
      "guihandles",    "offset_impedance", "pattern",       "isvarname",     "ylabel",
      "surf",          "xlabel",           "zlabel",        "iskeyword"};
  const std::map<std::string, std::pair<int, int>> counts = {
      {"guihandles", {1, 1}}, {"offset_impedance", {1, 1}}, {"pattern", {1, 0}},
      {"isvarname", {1, 1}},  {"ylabel", {-2, 1}},          {"surf", {-1, 1}},
      {"xlabel", {-2, 1}},    {"zlabel", {-2, 1}},          {"iskeyword", {1, 1}}};
  EXPECT_EQ(mainInfo.formatVersion, 1);
  ASSERT_EQ(mainInfo.functionTable.size(), 24u);
  EXPECT_TRUE(mainInfo.globals.empty());
  EXPECT_TRUE(mainInfo.paths.empty());
  EXPECT_EQ(mainInfo.initTermTable.size(), 26u);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const rt::FunctionEntry& e = mainInfo.functionTable[i];
    EXPECT_EQ(e.name, names[i]);
    auto c = counts.count(names[i]) ? counts.at(names[i]) : std::pair<int, int>{0, 0};
    EXPECT_EQ(e.inputs, c.first) << names[i];
    EXPECT_EQ(e.outputs, c.second) << names[i];
    EXPECT_EQ(e.locals != nullptr, names[i] == "guihandles") << names[i];
  }
  const rt::LocalFunctionTable* locals = mainInfo.functionTable[15].locals;
  ASSERT_EQ(locals->entries.size(), 2u);
  EXPECT_STREQ(locals->entries[0].name, "getParentFigure");
  EXPECT_STREQ(locals->entries[1].name, "createHandles");
  EXPECT_EQ(mainInfo.initTermTable[0].initialize, &rt::arrayLibraryInitialize);
  EXPECT_EQ(mainInfo.initTermTable[1].terminate, &rt::graphicsLibraryTerminate);
  EXPECT_EQ(mainInfo.initTermTable[2].initialize, &tessivar::initialize);
  EXPECT_EQ(mainInfo.initTermTable[18].initialize, &offset_impedance::initialize);
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

// A front end that closes every window as soon as the loop starts, after a
// look at the modules' constants.
class ClosingFrontEnd : public rt::FrontEnd {
 public:
  explicit ClosingFrontEnd(std::function<void()> inLoop) : inLoop_(std::move(inLoop)) {}
  int run() override {
    inLoop_();
    for (double f : rt::gfx::figures()) rt::gfx::deleteObject(f);
    return 0;
  }

 private:
  std::function<void()> inLoop_;
};

TEST(Lifecycle, ARunBuildsTheWindowThenEndsModulesBeforeLibrariesWithNothingLeft) {
  const std::size_t before = rt::liveArrays();
  bool looped = false;
  std::size_t windows = 0;
  std::vector<const void*> made;  // offset_impedance's constants, in creation order
  rt::setFrontEnd(std::make_unique<ClosingFrontEnd>([&] {
    looped = true;
    windows = rt::gfx::figures().size();
    for (std::size_t i = 0; i < offset_impedance::Def::constants.size(); ++i)
      made.push_back(offset_impedance::Def::constants.at(i).id());
  }));
  std::vector<const void*> destroyed;
  rt::setDestroyObserver([&](const rt::Array& a) { destroyed.push_back(a.id()); });
  char name[] = "tessivar";
  char* argv[] = {name, nullptr};
  int status = rt::runMain(1, argv, tessivar::byName, 0, mainInfo);
  rt::setDestroyObserver(nullptr);
  rt::setFrontEnd(nullptr);

  EXPECT_EQ(status, 0);
  EXPECT_TRUE(looped);
  EXPECT_EQ(windows, 1u) << "the main module opens one window";
  ASSERT_EQ(made.size(), 27u);
  EXPECT_EQ(std::set<const void*>(made.begin(), made.end()).size(), 27u);
  // Each constant is destroyed exactly once, in the reverse of creation order.
  std::vector<const void*> mine;
  std::set<const void*> madeSet(made.begin(), made.end());
  for (const void* d : destroyed)
    if (madeSet.count(d)) mine.push_back(d);
  EXPECT_EQ(mine, std::vector<const void*>(made.rbegin(), made.rend()));
  EXPECT_EQ(rt::liveArrays(), before);
}

}  // namespace

// User acts, callbacks and their errors, creation functions and runMain.

#include "platform/graphics/headless.h"

namespace {

using namespace gtest_graphics;
using Calls = std::vector<std::string>;

// The calls that the program functions below receive, and what the next
// call of "cb_body" does besides being recorded.
Calls calls;
std::function<void()> cbBody;

template <const char* Name>
void recordCall(int, std::span<rt::Array>, std::span<const rt::Array> in) {
  std::string entry = Name;
  for (const rt::Array& a : in) entry += " " + a.text();
  calls.push_back(entry);
  if (entry.starts_with("cb_body") && cbBody) cbBody();
}
constexpr char kE1[] = "inter_func_e1", kBody[] = "cb_body";
const rt::FunctionEntry kTable[] = {{kE1, &recordCall<kE1>, 0, 0, nullptr},
                                    {kBody, &recordCall<kBody>, 0, 0, nullptr}};
const rt::MainInfo kInfo{1, kTable, {}, {}, {}};

class Dispatch : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    calls.clear();
    cbBody = nullptr;
    rt::gfx::setMainInfo(&kInfo);
  }
  void TearDown() override {
    cbBody = nullptr;
    rt::arrayLibraryInitialize();  // warnings back on
    GraphicsTest::TearDown();
  }
  rt::Array control(const rt::Array& f, const char* callback) {
    return rt::uicontrol({s("Parent"), f, s("Callback"), s(callback)});
  }
};

TEST_F(Dispatch, OnlyUserActsRunCallbacksAfterTheOneRunningAndTheirErrorsAreReported) {
  const rt::Array f = rt::figure();
  const rt::Array slider = control(f, "cb_body"), other = control(f, "missing_function");
  rt::set(slider, {s("Value"), n(5)});
  EXPECT_TRUE(calls.empty());
  cbBody = [&] {
    rt::set(other, {s("String"), s("written")});  // runs nothing either
    rt::error("Something went wrong in the callback.");
  };
  testing::internal::CaptureStderr();
  EXPECT_NO_THROW(rt::gfx::userAct(h(slider), {{"Value", n(42)}}));
  // A refused write and an unknown callback are reported the same way.
  rt::gfx::userAct(h(slider), {{"Style", s("knob")}});
  rt::gfx::userAct(h(other), {});
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(calls, Calls{"cb_body"});
  EXPECT_EQ(textOf(other, "String"), "written");  // the writes stay
  for (const char* part : {"Something went wrong in the callback.", "\"Style\"",
                           "Undefined function \"missing_function\"."})
    EXPECT_NE(err.find(part), std::string::npos) << err;

  // A user act during a callback waits for its end.
  calls.clear();
  const rt::Array b = control(f, "inter_func_e1");
  cbBody = [&] {
    rt::gfx::userAct(h(b), {{"Value", n(9)}});
    // Not yet: neither the write nor the callback of b.
    EXPECT_EQ(h(rt::get(b, "Value")), 0);
    calls.push_back("end of slider");
  };
  rt::gfx::userAct(h(slider), {});
  EXPECT_EQ(calls, (Calls{"cb_body", "end of slider", "inter_func_e1"}));
  EXPECT_EQ(h(rt::get(b, "Value")), 9);

  // An act that waits on an object deleted meanwhile goes with it, silently.
  calls.clear();
  cbBody = [&] {
    rt::gfx::userAct(h(b), {{"Value", n(10)}});
    rt::gfx::deleteObject(h(b));
  };
  testing::internal::CaptureStderr();
  rt::gfx::userAct(h(slider), {});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(calls, Calls{"cb_body"});

  // A creation function runs once, on the control being made, and an act
  // that arrives meanwhile follows it.
  calls.clear();
  double created = 0;
  cbBody = [&] {
    created = h(rt::gcbo());
    rt::gfx::userAct(h(slider), {{"Value", n(3)}});
    calls.push_back("end of create");
    cbBody = nullptr;
  };
  const rt::Array c = rt::uicontrol({s("Parent"), f, s("CreateFcn"), s("cb_body")});
  rt::set(c, {s("CreateFcn"), s("inter_func_e1")});
  EXPECT_EQ(calls, (Calls{"cb_body", "end of create", "cb_body"}));
  EXPECT_EQ(created, h(c));
}

// ---------------------------------------------------------------- runMain
rt::Array moduleConstant;
bool mainOpensWindow = true;
bool mainFails = false;

// Each step notes its name; the graphics library and a module constant are
// really made and ended, so that the run's end can be checked for leaks.
// clang-format off
const rt::InitTermPair kPairs[] = {
    {[] { calls.push_back("init array"); }, [] { calls.push_back("term array"); }},
    {[] { calls.push_back("init graphics"); rt::graphicsLibraryInitialize(); },
     [] { calls.push_back("term graphics"); rt::graphicsLibraryTerminate(); }},
    {[] { calls.push_back("init m1"); moduleConstant = rt::initializeString("constant"); },
     [] { calls.push_back("term m1"); rt::destroyArray(moduleConstant); }},
    {[] { calls.push_back("init m2"); }, [] { calls.push_back("term m2"); }}};
// clang-format on
const rt::MainInfo kMainInfo{1, kTable, {}, {}, kPairs};

void mainEntry(int nargout, std::span<rt::Array> out, std::span<const rt::Array> in) {
  calls.push_back("main " + std::to_string(nargout) + " " + std::to_string(out.size()) + " " +
                  std::to_string(in.size()));
  EXPECT_EQ(rt::findFunction("cb_body"), &kTable[1]);
  if (mainOpensWindow) {
    const rt::Array f = rt::figure({s("HandleVisibility"), s("callback")});
    rt::uicontrol({s("Parent"), f, s("Callback"), s("cb_body"), s("UserData"), rt::row({1, 2})});
  }
  if (mainFails) rt::error("The main module failed.");
}

TEST(RunMain, InitialisesRunsTheLoopAndTerminatesModulesBeforeLibraries) {
  rt::graphicsLibraryTerminate();
  auto log = std::make_shared<Log>();
  rt::setFrontEnd(std::make_unique<HeadlessFrontEnd>(log, [] {
    const rt::Array found = rt::findall(n(rt::gfx::figures().front()));
    for (double x : found.re())
      if (rt::gfx::type(x) == "uicontrol") rt::gfx::userAct(x, {{"Value", n(1)}});
  }));
  auto run = [] {
    calls.clear();
    char name[] = "tessivar";
    char* argv[] = {name, nullptr};
    return rt::runMain(1, argv, &mainEntry, 0, kMainInfo);
  };
  const std::size_t before = rt::liveArrays();
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(calls, (Calls{"init array", "init graphics", "init m1", "init m2", "main 0 0 0",
                          "cb_body", "term m2", "term m1", "term graphics", "term array"}));
  EXPECT_TRUE(log->figureOpenWhenRun);
  EXPECT_EQ(rt::findFunction("cb_body"), nullptr);

  // An error in the main entry is reported and the window it opened before
  // failing is served all the same; without an open figure no event loop is.
  mainFails = true;
  testing::internal::CaptureStderr();
  EXPECT_EQ(run(), 0);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("The main module failed."), std::string::npos) << err;
  mainOpensWindow = false;
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(log->runs, 2);
  EXPECT_EQ(calls.back(), "term array");
  EXPECT_EQ(rt::liveArrays(), before);
  rt::graphicsLibraryTerminate();
  rt::setFrontEnd(nullptr);
}

}  // namespace

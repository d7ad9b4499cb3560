// Command strings, user acts, creation functions, close requests and runMain.
#include <string>
#include <vector>

#include "platform/graphics/headless.h"

namespace {

using namespace gtest_graphics;

// The calls that the program functions below receive.
std::vector<std::string>& calls() {
  static std::vector<std::string> c;
  return c;
}
// What the next call of "cb_body" does besides being recorded.
std::function<void()>& cbBody() {
  static std::function<void()> f;
  return f;
}

template <const char* Name>
void recordCall(int, std::span<rt::Array>, std::span<const rt::Array> in) {
  std::string entry = Name;
  for (const rt::Array& a : in) entry += " " + a.text();
  calls().push_back(entry);
  if (entry.starts_with("cb_body") && cbBody()) cbBody()();
}
constexpr char kE1[] = "inter_func_e1", kBody[] = "cb_body";
const rt::FunctionEntry kTable[] = {{kE1, &recordCall<kE1>, 0, 0, nullptr},
                                    {kBody, &recordCall<kBody>, 0, 0, nullptr}};
const rt::MainInfo kInfo{1, kTable, {}, {}, {}};

class Dispatch : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    calls().clear();
    cbBody() = nullptr;
    rt::gfx::setMainInfo(&kInfo);
  }
  void TearDown() override {
    cbBody() = nullptr;
    rt::arrayLibraryInitialize();  // warnings back on
    GraphicsTest::TearDown();
  }
};

TEST_F(Dispatch, CommandStringsCallProgramFunctionsByName) {
  const rt::Array c = rt::uicontrol({s("Parent"), rt::figure()});
  double seenGcbo = -1;
  cbBody() = [&] { seenGcbo = h(rt::gcbo()); };
  rt::gfx::runCommand(h(c), s("inter_func_e1;"));
  rt::gfx::runCommand(h(c), s("  cb_body off now"));
  rt::gfx::runCommand(h(c), rt::emptyChar());
  EXPECT_EQ(calls(), (std::vector<std::string>{"inter_func_e1", "cb_body off now"}));
  EXPECT_EQ(seenGcbo, h(c));
  EXPECT_TRUE(rt::gcbo().empty());
  rt::gfx::runCommand(h(c), s("warning off"));
  EXPECT_FALSE(rt::warningsEnabled());

  EXPECT_EQ(errorOf([&] { rt::gfx::runCommand(h(c), s("inter_func_e9")); }),
            "Undefined function \"inter_func_e9\".");
  EXPECT_EQ(errorOf([&] { rt::gfx::runCommand(h(c), rt::cellRow({s("x")})); }),
            "A callback must be a command string.");
  EXPECT_FALSE(rt::gfx::callbackRunning());
  // Without a running program only the built-in commands are known.
  rt::gfx::setMainInfo(nullptr);
  EXPECT_EQ(errorOf([&] { rt::gfx::runCommand(h(c), s("inter_func_e1")); }),
            "Undefined function \"inter_func_e1\".");
}

TEST_F(Dispatch, OnlyUserActsAndCreationRunCallbacksAndTheirErrorsAreReported) {
  const rt::Array f = rt::figure();
  const rt::Array slider =
      rt::uicontrol({s("Parent"), f, s("Style"), s("slider"), s("Callback"), s("cb_body")});
  const rt::Array other = rt::uicontrol({s("Parent"), f});
  rt::set(slider, {s("Value"), n(5), s("Callback"), s("cb_body")});
  EXPECT_TRUE(calls().empty());

  double valueSeen = 0;
  cbBody() = [&] {
    valueSeen = h(rt::get(rt::gcbo(), "Value"));
    rt::set(other, {s("String"), s("written")});  // runs nothing either
    rt::error("Something went wrong in the callback.");
  };
  testing::internal::CaptureStderr();
  EXPECT_NO_THROW(rt::gfx::userAct(h(slider), {{"Value", n(42)}}));
  // A refused write and an unknown callback are reported the same way.
  rt::gfx::userAct(h(slider), {{"Style", s("knob")}});
  rt::set(other, {s("Callback"), s("missing_function")});
  rt::gfx::userAct(h(other), {});
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(calls(), std::vector<std::string>{"cb_body"});
  EXPECT_EQ(valueSeen, 42);
  EXPECT_EQ(textOf(other, "String"), "written");  // the writes stay
  EXPECT_NE(err.find("Something went wrong in the callback."), std::string::npos) << err;
  EXPECT_NE(err.find("\"Style\""), std::string::npos) << err;
  EXPECT_NE(err.find("Undefined function \"missing_function\"."), std::string::npos) << err;
  EXPECT_FALSE(rt::gfx::callbackRunning());

  // A creation function runs once, when the control is made.
  calls().clear();
  cbBody() = [&] { valueSeen = h(rt::gcbo()); };
  const rt::Array c = rt::uicontrol({s("Parent"), f, s("CreateFcn"), s("cb_body")});
  EXPECT_EQ(valueSeen, h(c));
  rt::set(c, {s("CreateFcn"), s("cb_body")});
  EXPECT_EQ(calls(), std::vector<std::string>{"cb_body"});
}

TEST_F(Dispatch, AUserActDuringACallbackWaitsForItsEnd) {
  const rt::Array f = rt::figure();
  const rt::Array a =
      rt::uicontrol({s("Parent"), f, s("Callback"), s("cb_body"), s("Tag"), s("a")});
  const rt::Array b =
      rt::uicontrol({s("Parent"), f, s("Callback"), s("inter_func_e1"), s("Tag"), s("b")});
  cbBody() = [&] {
    rt::gfx::userAct(h(b), {{"Value", n(9)}});
    // Not yet: neither the write nor the callback of b.
    EXPECT_EQ(h(rt::get(b, "Value")), 0);
    calls().push_back("end of a");
  };
  rt::gfx::userAct(h(a), {});
  EXPECT_EQ(calls(), (std::vector<std::string>{"cb_body", "end of a", "inter_func_e1"}));
  EXPECT_EQ(h(rt::get(b, "Value")), 9);

  // An act that waits on an object deleted meanwhile goes with it, silently.
  calls().clear();
  cbBody() = [&] {
    rt::gfx::userAct(h(b), {{"Value", n(10)}});
    rt::gfx::deleteObject(h(b));
  };
  testing::internal::CaptureStderr();
  rt::gfx::userAct(h(a), {});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(calls(), std::vector<std::string>{"cb_body"});

  // An act that arrives while a creation function runs follows it.
  calls().clear();
  cbBody() = [&] {
    rt::gfx::userAct(h(a), {{"Value", n(3)}});
    calls().push_back("end of create");
    cbBody() = nullptr;
  };
  rt::uicontrol({s("Parent"), f, s("CreateFcn"), s("cb_body")});
  EXPECT_EQ(calls(), (std::vector<std::string>{"cb_body", "end of create", "cb_body"}));
  EXPECT_EQ(h(rt::get(a, "Value")), 3);
}

TEST_F(Dispatch, CloseRequestsRunTheFiguresCloseFunction) {
  const rt::Array kept = rt::figure({s("CloseRequestFcn"), s("cb_body")});
  const rt::Array closed = rt::figure();
  rt::gfx::closeRequest(h(kept));
  EXPECT_TRUE(rt::gfx::exists(h(kept)));
  EXPECT_EQ(calls(), std::vector<std::string>{"cb_body"});
  rt::gfx::closeRequest(h(closed));
  EXPECT_FALSE(rt::gfx::exists(h(closed)));
  EXPECT_EQ(log->count(Event::AllClosed), 0u);
  rt::set(kept, {s("CloseRequestFcn"), s("")});
  rt::gfx::closeRequest(h(kept));
  EXPECT_TRUE(rt::gfx::figures().empty());
  EXPECT_EQ(log->count(Event::AllClosed), 1u);
}

// ---------------------------------------------------------------- runMain
std::vector<std::string>& order() {
  static std::vector<std::string> o;
  return o;
}
rt::Array& moduleConstant() {
  static rt::Array a;
  return a;
}
int mainCalls = 0;
bool mainOpensWindow = true;
bool mainFails = false;

const rt::FunctionEntry kProgram[] = {
    {"program_callback",
     [](int, std::span<rt::Array>, std::span<const rt::Array>) {
       order().push_back("callback " + rt::get(rt::gcbo(), "Tag").text());
     },
     0, 0, nullptr},
};

// Each step notes its name; the graphics library and a module constant are
// really made and ended, so that the run's end can be checked for leaks.
template <const char* Name>
void step() {
  order().push_back(Name);
  const std::string_view name = Name;
  if (name == "init graphics") rt::graphicsLibraryInitialize();
  if (name == "term graphics") rt::graphicsLibraryTerminate();
  if (name == "init m1") moduleConstant() = rt::initializeString("constant");
  if (name == "term m1") rt::destroyArray(moduleConstant());
}
constexpr char kInitA[] = "init array", kTermA[] = "term array", kInitG[] = "init graphics",
               kTermG[] = "term graphics", kInit1[] = "init m1", kTerm1[] = "term m1",
               kInit2[] = "init m2", kTerm2[] = "term m2";
const rt::InitTermPair kPairs[] = {{&step<kInitA>, &step<kTermA>},
                                   {&step<kInitG>, &step<kTermG>},
                                   {&step<kInit1>, &step<kTerm1>},
                                   {&step<kInit2>, &step<kTerm2>}};
const rt::MainInfo kMainInfo{1, kProgram, {}, {}, kPairs};

void mainEntry(int nargout, std::span<rt::Array> out, std::span<const rt::Array> in) {
  ++mainCalls;
  order().push_back("main " + std::to_string(nargout) + " " + std::to_string(out.size()) + " " +
                    std::to_string(in.size()));
  EXPECT_EQ(rt::findFunction("program_callback"), &kProgram[0]);
  EXPECT_EQ(rt::currentMainInfo(), &kMainInfo);
  if (mainOpensWindow) {
    const rt::Array f = rt::figure({s("HandleVisibility"), s("callback")});
    rt::uicontrol({s("Parent"), f, s("Tag"), s("slider1"), s("Callback"), s("program_callback"),
                   s("UserData"), rt::row({1, 2, 3})});
  }
  if (mainFails) rt::error("The main module failed.");
}

class RunMain : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::graphicsLibraryTerminate();
    order().clear();
    mainCalls = 0;
    mainOpensWindow = true;
    mainFails = false;
    log = std::make_shared<Log>();
  }
  void TearDown() override {
    rt::graphicsLibraryTerminate();
    rt::setFrontEnd(nullptr);
  }
  int run() {
    char name[] = "tessivar";
    char* argv[] = {name, nullptr};
    return rt::runMain(1, argv, &mainEntry, 0, kMainInfo);
  }
  std::shared_ptr<Log> log;
};

TEST_F(RunMain, InitialisesRunsTheLoopAndTerminatesModulesBeforeLibraries) {
  rt::setFrontEnd(std::make_unique<HeadlessFrontEnd>(log, [] {
    const rt::Array found = rt::findall(n(rt::gfx::figures().front()));
    for (double x : found.re())
      if (rt::gfx::type(x) == "uicontrol") rt::gfx::userAct(x, {{"Value", n(1)}});
  }));
  const std::size_t before = rt::liveArrays();
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(order(), (std::vector<std::string>{"init array", "init graphics", "init m1", "init m2",
                                               "main 0 0 0", "callback slider1", "term m2",
                                               "term m1", "term graphics", "term array"}));
  EXPECT_EQ(mainCalls, 1);
  EXPECT_EQ(log->runs, 1);
  EXPECT_TRUE(log->figureOpenWhenRun);
  EXPECT_EQ(rt::liveArrays(), before);
  EXPECT_EQ(rt::currentMainInfo(), nullptr);
  EXPECT_EQ(rt::findFunction("program_callback"), nullptr);

  // A second run in the same process starts afresh; without an open figure
  // it serves no event loop.
  order().clear();
  mainOpensWindow = false;
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(mainCalls, 2);
  EXPECT_EQ(log->runs, 1);
  EXPECT_EQ(order().size(), 9u);
  EXPECT_EQ(order().back(), "term array");
  EXPECT_EQ(rt::liveArrays(), before);
}

TEST_F(RunMain, AnErrorInTheMainEntryIsReportedAndTheRunGoesOn) {
  rt::setFrontEnd(std::make_unique<HeadlessFrontEnd>(log));
  mainFails = true;
  const std::size_t before = rt::liveArrays();
  testing::internal::CaptureStderr();
  EXPECT_EQ(run(), 0);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("The main module failed."), std::string::npos) << err;
  EXPECT_EQ(log->runs, 1);  // the window it opened before failing is served
  EXPECT_EQ(order().back(), "term array");
  EXPECT_EQ(rt::liveArrays(), before);
}

}  // namespace

// The module frame, exercised through small modules of the test's own.

#include "platform/graphics/headless.h"
#include "window/frame/frame.h"

namespace {

// What the last body saw of its call.
struct Seen {
  int nargout = -1, nargin = -1;
  std::size_t listSize = 0;
  bool firstGiven = false;
};
Seen seen;

}  // namespace

// One input, one output: echoes its input.
namespace echo {
rt::Array body(int nargout, const rt::Array& x);
FRAME_MODULE(.name = "echo", .inputs = 1, .outputs = 1, .output = "y", .locals = &localFunctions);
rt::Array helper_body(int, const rt::Array& x) {
  return x;
}
// A local function, with its own line in messages.
FRAME_LOCAL_FUNCTION(helper, .name = "echo/helper", .inputs = 1, .outputs = 1, .output = "x",
                     .line = 78, .entryName = "helper");
const rt::FunctionEntry kLocalEntries[1] = {{"helper", helper_byName, 1, 1, nullptr}};
const rt::LocalFunctionTable localFunctions{kLocalEntries};
frame::ConstantTable Def::constants;

rt::Array body(int nargout, const rt::Array& xIn) {
  seen = {nargout, rt::nargin(), 0, !xIn.isNull()};
  return xIn;
}
}  // namespace echo

// One named input followed by a variable list, one output.
namespace labelish {
rt::Array body(int nargout, const rt::Array& text, const rt::Array& varargin) {
  seen = {nargout, rt::nargin(), varargin.numel(), !text.isNull()};
  return nargout > 0 ? rt::scalar(static_cast<double>(varargin.numel())) : rt::Array();
}
FRAME_VARARGS_MODULE(.name = "labelish", .inputs = -2, .outputs = 1, .output = "hh");
frame::ConstantTable Def::constants;
}  // namespace labelish

// No inputs, no outputs.
namespace quiet {
void body() {}
FRAME_MODULE(.name = "quiet");
frame::ConstantTable Def::constants;
}  // namespace quiet

namespace {

using gtest_graphics::errorOf;

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::arrayLibraryInitialize();
    start_ = rt::liveArrays();
    echo::initialize();
  }
  void TearDown() override {
    echo::terminate();
    EXPECT_EQ(rt::liveArrays(), start_);
    EXPECT_EQ(rt::contextDepth(), 0u);
    rt::arrayLibraryTerminate();
  }
  std::size_t start_ = 0;
};

// The message of a call with more arguments than `name` declares.
std::string surplus(const std::string& name, int line, const char* kind, int declared) {
  return "Run-time Error: File: " + name + " Line: " + std::to_string(line) +
         " Column: 1 The function \"" + name +
         "\" was called with more than the declared number of " + kind + " (" +
         std::to_string(declared) + ").";
}

TEST_F(FrameTest, ByNameChecksOutputsBeforeInputsAndVariableListsTakeAnyInputs) {
  rt::Array out[2];
  const rt::Array in[2] = {rt::scalar(1), rt::scalar(2)};
  seen = {};
  EXPECT_EQ(errorOf([&] { echo::M::byName(2, out, in); }), surplus("echo", 1, "outputs", 1));
  EXPECT_EQ(errorOf([&] { echo::M::byName(1, out, in); }), surplus("echo", 1, "inputs", 1));
  EXPECT_EQ(seen.nargout, -1) << "a refused call must not reach the body";
  EXPECT_TRUE(out[0].isNull());
  EXPECT_EQ(errorOf([&] { frame::Module<echo::helper_Def>::byName(1, out, in); }),
            surplus("echo/helper", 78, "inputs", 1));
  EXPECT_EQ(errorOf([&] { quiet::M::byName(1, out, {}); }), surplus("quiet", 1, "outputs", 0));

  // A variable list packs what follows the named inputs and refuses no input.
  const rt::Array five[5] = {rt::str("t"), rt::str("a"), rt::scalar(1), rt::str("b"),
                             rt::scalar(2)};
  labelish::M::byName(1, out, five);
  EXPECT_TRUE(seen.listSize == 4 && seen.nargin == 5 && out[0].scalar() == 4);
  EXPECT_EQ(errorOf([&] { labelish::M::byName(2, out, five); }),
            surplus("labelish", 1, "outputs", 1));
  EXPECT_EQ(labelish::callN(1, {rt::str("t"), rt::str("a"), rt::scalar(1)}).scalar(), 2);
  EXPECT_TRUE(labelish::callN(0, {rt::str("t")}).isNull()) << "no output wanted: null";
  labelish::callV({});
  EXPECT_TRUE(!seen.firstGiven && seen.listSize == 0 && seen.nargin == 0);
}

TEST_F(FrameTest, ConstantsAreMadeInOrderAndDestroyedOnceInReverse) {
  frame::ConstantTable t;
  const rt::Array& a = t.number(1);
  const rt::Array& b = t.string("two");
  const rt::Array& c = t.add([&] { return rt::cellRow({b}); });  // built from an earlier one
  EXPECT_TRUE(a.isNull() && b.isNull() && c.isNull()) << "null until initialisation";
  const std::size_t before = rt::liveArrays();
  t.initialize();
  ASSERT_FALSE(c.isNull());
  EXPECT_EQ(c.cells()[0].id(), b.id());
  const std::vector<const void*> reverse = {c.id(), b.id(), a.id()};
  std::vector<const void*> destroyed;
  rt::setDestroyObserver([&](const rt::Array& x) { destroyed.push_back(x.id()); });
  t.terminate();
  rt::setDestroyObserver(nullptr);
  EXPECT_EQ(destroyed, reverse);
  EXPECT_TRUE(a.isNull() && b.isNull() && c.isNull());
  EXPECT_EQ(rt::liveArrays(), before);
}

}  // namespace

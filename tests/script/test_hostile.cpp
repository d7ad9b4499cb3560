// Hostile use of the real program's window: text that is no number, or a
// number out of every range, typed into each of the eight edit boxes, and
// sliders moved to their ends and beyond. Nothing may crash or hang; each
// act either completes or reports one clear message; the window keeps
// working; after shut-down no array is left alive.

#include "window/window_session.h"

namespace {

using namespace session;
using Strings = std::vector<std::string>;

const std::string kNotOneNumber = "The radiation pattern frequency must be one number (in GHz).";

// What a careless or malicious user may type: nothing, words, numbers that
// overflow or are no numbers, 100 000 letters or digits, non-ASCII letters,
// statements, a list and a command.
const std::string kLongNumber = "1." + std::string(99998, '0'),
                  kLongWord(100000, 'x'), kNonAscii = "Gr\u00f6\u00dfe 3,5 \u043c\u043c";
const std::string kHostileTexts[] = {"",        "abc",       "1e999",  "-1e999",  "NaN",
                                     "-0",      "Inf",       "1;2",    "[1 2 3]", "exit",
                                     kNonAscii, kLongNumber, kLongWord};

// Closes the pattern windows that acts opened; gives how many there were.
std::size_t closePatterns() {
  std::size_t n = 0;
  for (double f : rt::gfx::figures())
    if (f != mainWindow()) rt::gfx::deleteObject(f), ++n;
  return n;
}

// One pattern window is open and its surface has at least one finite point.
bool patternShowsSomething() {
  const std::vector<double> figs = rt::gfx::figures();
  if (figs.size() != 2) return false;
  std::vector<double> all;
  below(figs[0] == mainWindow() ? figs[1] : figs[0], all);
  for (double h : all)
    if (rt::gfx::type(h) == "surface")
      for (double v : rt::gfx::prop(h, "ZData").re())
        if (std::isfinite(v)) return true;
  return false;
}

// Every control keeps values of the types the callbacks and models read.
void expectSaneWindow() {
  ASSERT_GE(mainWindow(), 0) << "the main window is gone";
  for (int i = 1; i <= 6; ++i)
    for (const char* p : {"Value", "Min", "Max"}) {
      const rt::Array& v = prop("slider" + std::to_string(i), p);
      EXPECT_TRUE(v.isNumeric() && !v.isComplex() && v.numel() == 1) << "slider" << i << p;
    }
  for (int i = 1; i <= 8; ++i) {
    const rt::Array& v = prop("edit" + std::to_string(i), "String");
    EXPECT_TRUE(v.isChar() && v.rows() <= 1) << "edit" << i;
  }
  for (const char* ax : {"axes1", "axes2"}) {
    EXPECT_LE(lineCount(ax), 1u) << ax;
    for (const char* p : {"XLim", "YLim"}) {
      const std::vector<double> lim = limits(ax, p);
      ASSERT_EQ(lim.size(), 2u);
      EXPECT_TRUE(std::isfinite(lim[0]) && std::isfinite(lim[1]) && lim[0] < lim[1]) << ax << p;
    }
  }
}

// The worked example: the window computes it exactly, whatever came before.
void expectWorkedExample() {
  play(kWorkedExampleScript);
  const std::vector<double> y = data("axes1", "YData");
  ASSERT_EQ(y.size(), 1000u);
  const auto at = std::max_element(y.begin(), y.end());
  EXPECT_EQ(at - y.begin(), 406);
  EXPECT_NEAR(*at, 159.3132, 5e-5);
  closePatterns();
  slide("slider6", 1.8);
  EXPECT_TRUE(patternShowsSomething()) << "the pattern did not open, or shows nothing";
  closePatterns();
}

TEST(Hostile, EveryEditBoxAndSliderCompletesOrReportsOneClearMessageAndNothingIsLeftAlive) {
  const std::size_t before = rt::liveArrays();
  inProgram([] {
    EXPECT_FALSE(rt::warningsEnabled()) << "slider6's creation function did not run";
    for (int box = 1; box <= 8; ++box) {
      const std::string tag = "edit" + std::to_string(box);
      for (const std::string& typed : kHostileTexts) {
        SCOPED_TRACE(tag + " <- " + typed.substr(0, 20));
        // Only the pattern-frequency box refuses text: what is not one
        // finite number ("-0" is a frequency of 0: nothing to draw).
        const bool refused = box == 8 && typed != "-0" && typed != kLongNumber;
        EXPECT_EQ(messagesOf([&] { type(tag, typed); }),
                  refused ? Strings{kNotOneNumber} : Strings{});
        EXPECT_EQ(text(tag), typed) << "the box lost what was typed";
        // A pattern window opens only for a frequency the box took
        // that is not 0 (the sizes are no numbers by then: it shows
        // nothing).
        EXPECT_EQ(closePatterns(), box == 8 && typed == kLongNumber ? 1u : 0u);
        expectSaneWindow();
      }
    }
    expectWorkedExample();
    // The object system takes any number a user act gives a slider
    // (the front ends keep a drag inside the range): at its ends and
    // beyond them the callbacks complete and the partner box shows it.
    for (int i = 1; i <= 6; ++i) {
      const std::string s = "slider" + std::to_string(i);
      const std::string partner = "edit" + std::to_string(i < 5 ? i : i + 2);
      const double lo = number(s, "Min"), hi = number(s, "Max");
      for (double v : {lo, hi, lo - (hi - lo), hi + (hi - lo), -1e308, 1e308}) {
        SCOPED_TRACE(s + " at " + std::to_string(v));
        EXPECT_EQ(messagesOf([&] { slide(s, v); }), Strings{});
        EXPECT_EQ(number(s), v);
        EXPECT_EQ(rt::str2double(prop(partner, "String")).scalar(),
                  rt::str2double(rt::num2str(rt::scalar(v))).scalar());
        EXPECT_LE(closePatterns(), 1u);
        expectSaneWindow();
      }
      play(kWorkedExampleScript);
    }
    expectWorkedExample();
  });
  EXPECT_EQ(rt::liveArrays(), before) << "arrays outlived the run";
}

// An unphysical design (a negative width or height, a negative
// permittivity) turns the pattern's grids complex: its window shows the
// real parts, as the impedance plots do, instead of staying empty.
TEST(Hostile, APatternOfAnUnphysicalDesignStillShowsItsSurface) {
  inProgram([] {
    for (auto [tag, v] : {std::pair{"edit1", "-0.5"}, {"edit3", "-5"}, {"edit4", "-3"}}) {
      SCOPED_TRACE(std::string(tag) + " <- " + v);
      play(kWorkedExampleScript);
      type(tag, v);
      EXPECT_EQ(messagesOf([] { type("edit8", "2"); }), Strings{});
      EXPECT_TRUE(patternShowsSomething());
      closePatterns();
    }
  });
}

}  // namespace

// Hostile use of the real program's window: text that is no number, or a
// number out of every range, typed into each of the eight edit boxes, and
// sliders moved to their ends and beyond. Nothing may crash or hang; each
// act either completes or reports one clear message; the window keeps
// working; after shut-down no array is left alive.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "shell/test_window_session.h"

namespace {

using namespace session;

const std::string kNotOneNumber = "The radiation pattern frequency must be one number (in GHz).";

struct Hostile {
  std::string label;
  std::string text;
};

// The texts a careless or malicious user may type.
std::vector<Hostile> hostileTexts() {
  return {
      {"nothing", ""},
      {"a word", "abc"},
      {"an overflowing number", "1e999"},
      {"a negative overflow", "-1e999"},
      {"NaN", "NaN"},
      {"minus zero", "-0"},
      {"Inf", "Inf"},
      {"100 000 letters", std::string(100000, 'x')},
      {"a 100 000-character number", "1." + std::string(99998, '0')},
      {"non-ASCII letters",
       "Gr\xc3\xb6\xc3\x9f"
       "e 3,5 \xd0\xbc\xd0\xbc"},
      {"two statements", "1;2"},
      {"a list", "[1 2 3]"},
      {"a command", "exit"},
  };
}

// The pattern-frequency box refuses text that is not one finite number ("-0"
// is a frequency of 0: nothing to draw).
bool refusedAsFrequency(const Hostile& h) {
  return h.label != "minus zero" && h.label != "a 100 000-character number";
}

// Closes the pattern windows that acts opened; gives how many there were.
std::size_t closePatterns() {
  std::size_t n = 0;
  for (double f : rt::gfx::figures())
    if (f != mainWindow()) {
      rt::gfx::deleteObject(f);
      ++n;
    }
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
      std::vector<double> lim = values(prop(ax, p));
      ASSERT_EQ(lim.size(), 2u);
      EXPECT_TRUE(std::isfinite(lim[0]) && std::isfinite(lim[1]) && lim[0] < lim[1]) << ax << p;
    }
  }
}

// The worked example: the window computes it exactly, whatever came before.
void expectWorkedExample() {
  play(kWorkedExampleScript);
  std::vector<double> y = data("axes1", "YData");
  ASSERT_EQ(y.size(), 1000u);
  const auto at = std::max_element(y.begin(), y.end());
  EXPECT_EQ(at - y.begin(), 406);
  EXPECT_NEAR(*at, 159.3132, 5e-5);
  closePatterns();
  slide("slider6", 1.8);
  EXPECT_TRUE(patternShowsSomething()) << "the pattern did not open, or shows nothing";
  closePatterns();
}

TEST(HostileTyping, EveryEditBoxCompletesOrReportsOneClearMessageAndNothingIsLeftAlive) {
  const std::size_t before = rt::liveArrays();
  const std::vector<Hostile> texts = hostileTexts();
  int status = run([&] {
    for (int box = 1; box <= 8; ++box) {
      const std::string tag = "edit" + std::to_string(box);
      for (const Hostile& h : texts) {
        SCOPED_TRACE(tag + " <- " + h.label);
        std::vector<std::string> m = messagesOf([&] { type(tag, h.text); });
        // Only the pattern-frequency box refuses text.
        const bool refused = box == 8 && refusedAsFrequency(h);
        EXPECT_EQ(m,
                  refused ? std::vector<std::string>{kNotOneNumber} : std::vector<std::string>{});
        EXPECT_EQ(text(tag), h.text) << "the box lost what was typed";
        // A pattern window opens only for a frequency the box took that is
        // not 0 (the sizes are no numbers by then: it shows nothing).
        const bool opens = box == 8 && h.label == "a 100 000-character number";
        if (opens) {
          EXPECT_EQ(number("slider6"), 1);
        }
        EXPECT_EQ(closePatterns(), opens ? 1u : 0u);
        expectSaneWindow();
      }
    }
    expectWorkedExample();
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(rt::liveArrays(), before) << "arrays outlived the run";
}

TEST(HostileTyping, TypedValuesReachTheirSlidersAsTheNumbersTheyRead) {
  run([] {
    type("edit3", "-0");
    EXPECT_TRUE(std::signbit(number("slider3")));
    type("edit3", "1e999");
    EXPECT_EQ(number("slider3"), INFINITY);

    // A length that overflows: the offset range follows it to Inf.
    type("edit2", "1e999");
    EXPECT_EQ(number("slider5", "Max"), INFINITY);
    EXPECT_EQ(text("text27"), "Inf");

    // A band start that is no number moves the pattern slider to NaN, which
    // its edit box and minimum label show.
    type("edit5", "abc");
    EXPECT_TRUE(std::isnan(number("slider6")));
    EXPECT_EQ(text("text30"), "NaN");
  });
}

// An unphysical design (a negative width or height, a negative
// permittivity) turns the pattern's grids complex: its window shows the
// real parts, as the impedance plots do, instead of staying empty.
TEST(HostileTyping, APatternOfAnUnphysicalDesignStillShowsItsSurface) {
  run([] {
    play(kWorkedExampleScript);
    for (auto [tag, v] : {std::pair{"edit1", "-0.5"}, {"edit3", "-5"}, {"edit4", "-3"}}) {
      SCOPED_TRACE(std::string(tag) + " <- " + v);
      type(tag, v);
      std::vector<std::string> m = messagesOf([] { type("edit8", "2"); });
      EXPECT_TRUE(m.empty()) << m.front();
      EXPECT_TRUE(patternShowsSomething());
      closePatterns();
      play(kWorkedExampleScript);
    }
  });
}

// The object system takes any number a user act gives a slider (the front
// ends keep a drag inside the range); at its ends and beyond it the
// callbacks complete and the partner edit box shows the value.
TEST(HostileSliders, EverySliderAtItsEndsAndBeyondThem) {
  run([] {
    play(kWorkedExampleScript);
    for (int i = 1; i <= 6; ++i) {
      const std::string s = "slider" + std::to_string(i);
      const std::string partner = i == 5 ? "edit7" : i == 6 ? "edit8" : "edit" + std::to_string(i);
      const double lo = number(s, "Min"), hi = number(s, "Max");
      for (double v : {lo, hi, lo - (hi - lo), hi + (hi - lo), -1e308, 1e308}) {
        SCOPED_TRACE(s + " at " + std::to_string(v));
        std::vector<std::string> m = messagesOf([&] { slide(s, v); });
        EXPECT_TRUE(m.empty()) << m.front();
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
}

// The whole hostile session through tessivar-script, rendered to files at
// the end: sliders refuse moves beyond their ends with a message naming the
// range, also when the range is inverted or no number.
class HostileScript : public session::ScriptTest {};

TEST_F(HostileScript, RunsToTheEndAndRendersTheWindowItLeaves) {
  std::string script;
  std::size_t refusedTexts = 0;
  for (int box = 1; box <= 8; ++box)
    for (const Hostile& h : hostileTexts()) {
      script += "type edit" + std::to_string(box) + " " + h.text + "\n";
      refusedTexts += box == 8 && refusedAsFrequency(h);
    }
  script += "png 1 hostile.png\nsvg 1 hostile.svg\n" + std::string(kWorkedExampleScript);
  // The offset first: the length slider moves the offset's range.
  const std::pair<std::string, std::pair<double, double>> ranges[] = {
      {"slider5", {0, 20}},   {"slider1", {1, 300}}, {"slider2", {1, 300}},
      {"slider3", {0.1, 20}}, {"slider4", {1, 20}},  {"slider6", {1, 3}}};
  std::size_t refusedSlides = 2;  // the two of the broken ranges below
  for (const auto& [s, r] : ranges) {
    std::ostringstream lines;
    lines.precision(17);
    for (double v : {r.first, r.second, r.first - 1, r.second + 1})
      lines << "slide " << s << " " << v << "\n";
    script += lines.str() + "get " + s + " Value\n";
    refusedSlides += 2;
  }
  // An inverted pattern range, then one that is no number.
  script += "type edit5 5\nslide slider6 4\ntype edit5 abc\nslide slider6 2\nget slider6 Value\n";
  script += "type edit5 1\ntype edit6 3\nslide slider6 2\nfigures\npng 2 pattern.png\n";

  Outcome r = run(script);
  EXPECT_EQ(r.status, 2) << "refused slides make the script's status 2";
  std::size_t pattern = 0, slides = 0;
  for (const std::string& e : messages(r.err)) {
    if (e == kNotOneNumber)
      ++pattern;
    else if (e.find(" moves only from its Min ") != std::string::npos)
      ++slides;
    else
      ADD_FAILURE() << "unexpected message: " << e;
  }
  EXPECT_EQ(pattern, refusedTexts);
  EXPECT_EQ(slides, refusedSlides);
  // Each slider stayed at its Max, where the last accepted move left it.
  const std::vector<std::string> out = lines(r.out);
  ASSERT_EQ(out.size(), 8u);
  for (std::size_t i = 0; i < std::size(ranges); ++i)
    EXPECT_EQ(std::stod(out[i]), ranges[i].second.second) << ranges[i].first;
  EXPECT_EQ(out[6], "null") << "the pattern slider's Value is NaN after a Fmin of abc";
  // Pattern windows: the long number typed into edit8, the pattern slider
  // at its two ends, and at 2 once its range was sound again.
  EXPECT_EQ(out[7], "5") << "figures open at the end";
  for (const char* f : {"hostile.png", "hostile.svg", "pattern.png"})
    EXPECT_GT(read(f).size(), 1000u) << f;
}

}  // namespace

// A whole run of the program without a display: rt::runMain with the real
// start-up record, and a front end whose run() carries out the test's steps
// where the event loop would wait for the user, then closes every figure;
// and tessivar-script run as its own process, with readers for what it prints.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <span>
#include <sstream>
#include <utility>

#include "platform/graphics/headless.h"
#include "window/main_info.h"
#include "window/tessivar.h"

namespace session {

inline void closeAllFigures() {
  for (double f : rt::gfx::figures())
    if (rt::gfx::exists(f)) rt::gfx::deleteObject(f);
}

class Headless : public rt::FrontEnd {
 public:
  explicit Headless(std::function<void()> steps) : steps_(std::move(steps)) {}
  int run() override {
    ran = true;
    steps_();
    closeAllFigures();
    return 0;
  }
  bool ran = false;

 private:
  std::function<void()> steps_;
};

// Runs the program with `fe` (a front end that sets `ran` when its loop
// runs) in place of the user; gives runMain's result.
template <class F>
int run(std::unique_ptr<F> fe) {
  F* seen = fe.get();
  rt::setFrontEnd(std::move(fe));
  static char name[] = "tessivar";
  static char* argv[] = {name, nullptr};
  int status = rt::runMain(1, argv, tessivar::byName, 0, mainInfo);
  bool ran = seen->ran;
  rt::setFrontEnd(nullptr);
  return ran ? status : -1;  // -1: the window never opened
}
inline int run(std::function<void()> steps) {
  return run(std::make_unique<Headless>(std::move(steps)));
}
// Runs the program with `steps`, which must open its window and end well.
inline void inProgram(std::function<void()> steps) {
  EXPECT_EQ(run(std::move(steps)), 0);
}

inline double mainWindow() {
  for (double f : rt::gfx::figures())
    if (rt::gfx::prop(f, "Tag").text() == "figure1") return f;
  return -1;
}

inline void below(double h, std::vector<double>& out) {
  out.push_back(h);
  for (double c : rt::gfx::children(h)) below(c, out);
}

// The strings of every control below figure `fig`, a line each.
inline std::string controlText(double fig) {
  std::vector<double> all;
  below(fig, all);
  std::string out;
  for (double h : all) {
    if (rt::gfx::type(h) != "uicontrol") continue;
    const rt::Array& s = rt::gfx::prop(h, "String");
    if (!s.isCell()) out += s.text() + "\n";
    for (const rt::Array& line : s.isCell() ? s.cells() : std::span<const rt::Array>())
      out += line.text() + "\n";
  }
  return out;
}

// Whether the controls below figure `fig` show `what`; when not, what they show.
inline testing::AssertionResult shows(double fig, const std::string& what) {
  const std::string text = controlText(fig);
  if (text.find(what) != std::string::npos) return testing::AssertionSuccess() << text;
  return testing::AssertionFailure() << "no \"" << what << "\" in:\n" << text;
}

// The object of the main window with this tag (-1 when there is none).
inline double tagged(std::string_view tag) {
  return rt::findByTag(mainWindow(), tag).value_or(-1);
}

inline const rt::Array& prop(std::string_view tag, std::string_view name) {
  return rt::gfx::prop(tagged(tag), name);
}
inline std::string text(std::string_view tag, std::string_view name = "String") {
  return prop(tag, name).text();
}
inline double number(std::string_view tag, std::string_view name = "Value") {
  return prop(tag, name).scalar();
}
using gtest_graphics::values;

// The user types `text` into an edit box and presses Enter.
inline void type(std::string_view tag, std::string_view text) {
  rt::gfx::userAct(tagged(tag), {{"String", rt::str(text)}});
}
// The user moves a slider.
inline void slide(std::string_view tag, double v) {
  rt::gfx::userAct(tagged(tag), {{"Value", rt::scalar(v)}});
}

// Acts each line "type TAG TEXT" or "slide TAG VALUE" of a script on the
// window, as the user would.
inline void play(std::string_view script) {
  std::istringstream in{std::string(script)};
  for (std::string act, tag, value; in >> act >> tag && std::getline(in >> std::ws, value);)
    act == "slide" ? slide(tag, std::stod(value)) : type(tag, value);
}

inline std::size_t lineCount(std::string_view axesTag) {
  return gtest_graphics::ofType(tagged(axesTag), "line").size();
}
// The newest line of the axes with this tag, if any.
inline std::optional<double> line(std::string_view axesTag) {
  const std::vector<double> all = gtest_graphics::ofType(tagged(axesTag), "line");
  return all.empty() ? std::nullopt : std::optional(all.back());
}

// The data of the newest line of an axes (empty when it has none).
inline std::vector<double> data(std::string_view axes, std::string_view which) {
  auto l = line(axes);
  return l ? values(rt::gfx::prop(*l, which)) : std::vector<double>{};
}
inline std::vector<double> limits(std::string_view axes, std::string_view which) {
  return values(prop(axes, which));
}

// [min max] of the finite values.
inline std::vector<double> range(std::vector<double> v) {
  std::erase_if(v, [](double x) { return !std::isfinite(x); });
  if (v.empty()) return {};
  const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
  return {*lo, *hi};
}

// The impedance axes are fitted tightly to their lines.
inline void expectFitted() {
  for (const char* ax : {"axes1", "axes2"}) {
    SCOPED_TRACE(ax);
    ASSERT_TRUE(line(ax).has_value());
    EXPECT_EQ(limits(ax, "XLim"), range(data(ax, "XData")));
    EXPECT_EQ(limits(ax, "YLim"), range(data(ax, "YData")));
  }
}

inline std::string exactText(const std::vector<double>& v) {
  std::ostringstream s;
  s.precision(17);
  for (double x : v) s << x << ' ';
  return s.str();
}

// Every property a user or a callback can change, of every control, and the
// data and limits of both impedance axes.
inline std::map<std::string, std::string> snapshot() {
  std::map<std::string, std::string> all;
  std::vector<double> objects;
  below(mainWindow(), objects);
  for (double h : objects) {
    if (rt::gfx::type(h) != "uicontrol") continue;
    for (const char* p : {"String", "Value", "Min", "Max", "Visible"}) {
      const rt::Array& v = rt::gfx::prop(h, p);
      all[rt::gfx::prop(h, "Tag").text() + "." + p] =
          v.isChar() ? '"' + v.text() + '"'
                     : exactText(v.isNumeric() ? values(v) : std::vector<double>{});
    }
  }
  for (const char* ax : {"axes1", "axes2"})
    for (const char* p : {"XData", "YData", "XLim", "YLim"})
      all[std::string(ax) + "." + p] = exactText(p[1] == 'L' ? limits(ax, p) : data(ax, p));
  return all;
}

// The lines of a text.
inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// What the runtime reported on standard error during `act`, one a line.
inline std::vector<std::string> messagesOf(const std::function<void()>& act) {
  std::ostringstream captured;
  std::streambuf* saved = std::cerr.rdbuf(captured.rdbuf());
  act();
  std::cerr.rdbuf(saved);
  return lines(captured.str());
}

// The numbers of the JSON value after "key" (from `from` on), nested lists
// flattened and null read as NaN.
inline std::vector<double> numbersAfter(const std::string& json, const std::string& key,
                                        std::size_t from = 0) {
  std::vector<double> v;
  const std::size_t at = json.find("\"" + key + "\": ", from);
  if (at == std::string::npos) return v;
  const char* p = json.c_str() + at + key.size() + 4;
  int depth = 0;
  do {
    if (*p == '[' || *p == ']') {
      depth += *p++ == '[' ? 1 : -1;
    } else if (*p == ',' || *p == ' ') {
      ++p;
    } else if (std::strncmp(p, "null", 4) == 0) {
      v.push_back(NAN);
      p += 4;
    } else {
      char* end = nullptr;
      v.push_back(std::strtod(p, &end));
      if (end == p) break;
      p = end;
    }
  } while (depth > 0 && *p);
  return v;
}

// tessivar-script run as its own process, in a folder of the test's own.
class ScriptTest : public ::testing::Test {
 protected:
  struct Outcome {
    int status = -1;
    std::string out, err;
  };
  void SetUp() override {
    const char* build = std::getenv("TESSIVAR_BUILD_DIR");
    program_ = std::filesystem::path(build ? build : ".") / "tessivar-script";
    ASSERT_TRUE(std::filesystem::exists(program_)) << program_ << " is not built";
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ =
        std::filesystem::temp_directory_path() / ("tessivar-" + std::to_string(::getpid()) + "-" +
                                                  test->test_suite_name() + "-" + test->name());
    std::filesystem::create_directories(dir_);
    // The recent designs the test's saves and opens note stay in its folder.
    ::setenv("XDG_STATE_HOME", (dir_ / "state").c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Runs `command` in the test's folder; a run over two minutes is killed.
  Outcome shell(const std::string& command) {
    Outcome r;
    const std::string cmd = "cd '" + dir_.string() + "' && timeout 120 " + command + " 2> err.txt";
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int raw = ::pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.err = read("err.txt");
    return r;
  }
  // Runs `script` from a file of that name, or from standard input.
  Outcome run(const std::string& script, bool fromStdin = false,
              const std::string& name = "script.txt") {
    std::ofstream(dir_ / name) << script;
    return shell("'" + program_.string() + "' " + (fromStdin ? "< " : "") + name);
  }
  std::string read(const std::string& name) const {
    std::ifstream in(dir_ / name);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // The script's own messages (not Qt's notes about its runtime folders).
  static std::vector<std::string> messages(const std::string& err) {
    std::vector<std::string> out;
    for (const std::string& l : lines(err))
      if (l.rfind("QStandardPaths:", 0) != 0) out.push_back(l);
    return out;
  }

  std::filesystem::path program_, dir_;
};

// The worked example typed into the window: a 30 x 40 mm patch on 1.6 mm of
// er 4.4, fed 10 mm from its edge, over 1 to 3 GHz.
inline const char* const kWorkedExampleScript =
    "type edit1 30\ntype edit2 40\ntype edit3 1.6\ntype edit4 4.4\ntype edit7 10\n"
    "type edit5 1\ntype edit6 3\n";

}  // namespace session

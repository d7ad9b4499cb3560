// Fuzz target: the input is typed, as a user would type it, into every edit
// box of the real program's window, and a slider is moved; the window must
// come out of it in working order.
//
// The program runs in-process without a display: the libraries and modules
// of the real start-up record are initialised once, and each input gets a
// freshly built main window (tessivar's own main module), so that one input
// always gives the same run. Input layout: byte 0 picks the edit box typed
// first (the others follow in turn), byte 1 the slider and where it goes
// (an end, the middle, beyond an end, or the number in bytes 2..9); the
// bytes from 2 on are the typed text, one line for each edit box in turn
// (a single line goes into all eight).
//
// Checked after every act: the callback either completed or reported one
// message that is one of the program's own; every control keeps values of
// sane types (a slider one real number, an edit box one line of text); the
// impedance axes hold at most one curve and finite limits; at most one
// pattern window opened (closed again at once to bound memory); the call
// context and the callback stack are back where they were. After each input
// every figure is closed and no array may be left alive.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>

#include "fuzz_check.h"
#include "platform/array/array.h"
#include "platform/graphics/graphics.h"
#include "window/main_info.h"
#include "window/tessivar.h"

namespace {

using fuzz::check;
using fuzz::fail;

// Messages a user may see from the window: each names what was wrong.
const std::vector<std::string_view> kKnownMessages = {
    "The radiation pattern frequency must be one number (in GHz).",
    "The radiation pattern frequency cannot be below 0 GHz (0 draws no pattern).",
};

std::size_t gBaselineArrays = 0;
std::size_t gBaselineDepth = 0;

void closeAll() {
  for (double f : rt::gfx::figures())
    if (rt::gfx::exists(f)) rt::gfx::deleteObject(f);
}

double mainWindow() {
  for (double f : rt::gfx::figures())
    if (rt::gfx::prop(f, "Tag").text() == "figure1") return f;
  return -1;
}

struct Window {
  double figure = -1;
  std::vector<double> edits, sliders, axes, texts;  // texts: text27, text30, text31
};

Window openWindow() {
  tessivar::call();
  Window w;
  w.figure = mainWindow();
  check(w.figure >= 0, "the main window did not open");
  const auto find = [&](std::vector<double>& into, const std::string& tag) {
    const std::optional<double> h = rt::findByTag(w.figure, tag);
    check(h.has_value(), "no object tagged " + tag);
    into.push_back(*h);
  };
  for (int i = 1; i <= 8; ++i) find(w.edits, "edit" + std::to_string(i));
  for (int i = 1; i <= 6; ++i) find(w.sliders, "slider" + std::to_string(i));
  for (const char* tag : {"axes1", "axes2"}) find(w.axes, tag);
  for (const char* tag : {"text27", "text30", "text31"}) find(w.texts, tag);
  return w;
}

bool oneRealNumber(const rt::Array& a) {
  return !a.isNull() && a.isNumeric() && !a.isComplex() && a.numel() == 1;
}

bool oneLineOfText(const rt::Array& a) {
  return !a.isNull() && a.isChar() && a.rows() <= 1;
}

void checkWindow(const Window& w, const std::string& act) {
  const std::string at = " (after " + act + ")";
  check(rt::gfx::exists(w.figure) && mainWindow() == w.figure, "the main window is gone" + at);
  for (std::size_t i = 0; i < w.sliders.size(); ++i) {
    const std::string name = "slider" + std::to_string(i + 1);
    check(rt::gfx::exists(w.sliders[i]), name + " is gone" + at);
    for (const char* p : {"Value", "Min", "Max"})
      check(oneRealNumber(rt::gfx::prop(w.sliders[i], p)),
            name + " " + p + " is not one real number" + at);
  }
  for (std::size_t i = 0; i < w.edits.size(); ++i)
    check(rt::gfx::exists(w.edits[i]) && oneLineOfText(rt::gfx::prop(w.edits[i], "String")),
          "edit" + std::to_string(i + 1) + " is gone or its String is not one line of text" + at);
  for (double t : w.texts)
    check(oneLineOfText(rt::gfx::prop(t, "String")), "a range label lost its text" + at);
  for (double ax : w.axes) {
    check(rt::gfx::exists(ax) && rt::gfx::type(ax) == "axes", "an impedance axes is gone" + at);
    const std::vector<double> children = rt::gfx::children(ax);
    check(std::ranges::count_if(children, [](double c) { return rt::gfx::type(c) == "line"; }) <= 1,
          "an impedance axes holds more than one curve" + at);
    for (const char* p : {"XLim", "YLim"}) {
      const rt::Array& lim = rt::gfx::prop(ax, p);
      check(lim.numel() == 2 && std::isfinite(lim.re()[0]) && std::isfinite(lim.re()[1]) &&
                lim.re()[0] < lim.re()[1],
            std::string("axes ") + p + " is not two finite increasing numbers" + at);
    }
  }
  check(rt::contextDepth() == gBaselineDepth, "a call context was left open" + at);
  check(!rt::gfx::callbackRunning(), "the callback stack was left set" + at);

  // A pattern opens one window per act at most; they are closed again here.
  std::size_t others = 0;
  for (double f : rt::gfx::figures())
    if (f != w.figure) {
      ++others;
      rt::gfx::deleteObject(f);
    }
  check(others <= 1, "one act opened more than one pattern window" + at);
}

// Runs one user act and checks what it reported.
template <class Act>
void act(const Window& w, const std::string& what, Act&& doIt) {
  std::ostringstream captured;
  std::streambuf* saved = std::cerr.rdbuf(captured.rdbuf());
  doIt();
  std::cerr.rdbuf(saved);
  const std::string text = captured.str(), line = text.substr(0, text.find('\n'));
  check(text == line || text == line + "\n", "more than one message after " + what + ": " + text);
  check(text.empty() || std::ranges::find(kKnownMessages, line) != kKnownMessages.end(),
        "unclear message after " + what + ": " + line);
  checkWindow(w, what);
}

double position(const rt::Array& min, const rt::Array& max, std::uint8_t kind,
                const std::uint8_t* raw, std::size_t rawSize) {
  const double lo = min.scalar(), hi = max.scalar();
  const double span = std::isfinite(hi - lo) ? std::fabs(hi - lo) : 1.0;
  // The ends, the middle, beyond either end, or the number in the input.
  const double at[] = {lo, hi, lo + (hi - lo) / 2, lo - span - 1, hi + span + 1};
  if (kind % 6 < 5) return at[kind % 6];
  double v = 0;
  std::memcpy(&v, raw, std::min(rawSize, sizeof v));
  return v;
}

// The typed texts: one a line, taken in turn by the edit boxes (a text of
// one line goes into all eight).
std::vector<rt::Array> lines(std::string_view text) {
  std::vector<rt::Array> out;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find('\n', start);
    out.push_back(rt::str(text.substr(start, end == std::string_view::npos ? end : end - start)));
    if (end == std::string_view::npos) return out;
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  for (const rt::InitTermPair& p : mainInfo.initTermTable)
    if (p.initialize != nullptr) p.initialize();
  rt::gfx::setMainInfo(&mainInfo);
  // One window built and closed, so that whatever the first build keeps for
  // good (root defaults, caches) is counted in the baseline.
  openWindow();
  closeAll();
  gBaselineArrays = rt::liveArrays();
  gBaselineDepth = rt::contextDepth();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t first = size > 0 ? data[0] : 0;
  const std::uint8_t move = size > 1 ? data[1] : 0;
  const std::size_t textAt = size > 2 ? 2 : size;
  {
    const Window w = openWindow();
    const std::vector<rt::Array> texts =
        lines(std::string_view(reinterpret_cast<const char*>(data) + textAt, size - textAt));
    for (std::size_t k = 0; k < 8; ++k) {
      const std::size_t i = (first + k) % 8;
      const rt::Array& typed = texts[k % texts.size()];
      act(w, "typing into edit" + std::to_string(i + 1), [&] {
        rt::gfx::userAct(w.edits[i], {{"String", typed}});
      });
    }
    const int s = move % 6;
    const double v =
        position(rt::gfx::prop(w.sliders[s], "Min"), rt::gfx::prop(w.sliders[s], "Max"),
                 static_cast<std::uint8_t>(move / 6), data + textAt, size - textAt);
    act(w, "moving slider" + std::to_string(s + 1), [&] {
      rt::gfx::userAct(w.sliders[s], {{"Value", rt::scalar(v)}});
    });
    closeAll();
  }
  check(rt::gfx::figures().empty(), "a figure outlived the round");
  check(rt::liveArrays() == gBaselineArrays,
        "arrays left alive after the round: " + std::to_string(rt::liveArrays()) + " instead of " +
            std::to_string(gBaselineArrays));
  return 0;
}

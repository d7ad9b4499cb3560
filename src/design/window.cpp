// The main window's controls reached the way its callbacks reach them: the
// handles record of the figure, by tag. Acts go through the graphics
// runtime's user-act entry, the one the script and the front end use.
#include "design/window.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "platform/graphics/graphics.h"
#include "toolbox/guihandles.h"

namespace design {
namespace {

bool same(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

// The shortest text that reads back as the same number.
std::string shortest(double v) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, v).ptr;
  return std::string(text, end);
}

// The number an edit box's callback makes of its text.
double numberOf(const std::string& text) {
  return rt::str2double(rt::str(text)).scalar();
}

class Window {
 public:
  Window() : handles_(guihandles::call(rt::gfx::handleArray(figure()))) {}

  double control(std::string_view tag) const {
    return rt::indexRef(handles_, "." + std::string(tag)).scalar();
  }
  std::string text(std::string_view tag) const {
    return rt::gfx::prop(control(tag), "String").text();
  }
  // NaN when the property holds no single number (an emptied pattern slider).
  double number(std::string_view tag, std::string_view property = "Value") const {
    const rt::Array& v = rt::gfx::prop(control(tag), property);
    return v.isNumeric() && v.numel() == 1 ? v.re()[0] : std::nan("");
  }
  Range range(std::string_view slider) const {
    return {number(slider, "Min"), number(slider, "Max")};
  }

 private:
  static double figure() {
    for (double f : rt::gfx::figures())
      if (rt::gfx::prop(f, "Tag").text() == "figure1") return f;
    throw std::runtime_error("the main window is not open");
  }

  rt::Array handles_;
};

const Parameter& parameterOf(const Act& act) {
  for (const Parameter& p : parameters())
    if (p.editBox == act.tag || p.slider == act.tag) return p;
  throw std::logic_error("an act names no parameter");
}

// The number an act gives its parameter.
double valueOf(const Act& act) {
  return act.kind == Act::Kind::slide ? std::strtod(act.text.c_str(), nullptr) : numberOf(act.text);
}

auto forBox(std::string_view box) {
  return [box](const Act& a) { return parameterOf(a).editBox == box; };
}

const Act* lastFor(const std::vector<Act>& acts, std::string_view box) {
  const auto found = std::find_if(acts.rbegin(), acts.rend(), forBox(box));
  return found == acts.rend() ? nullptr : &*found;
}

// Moves the acts of one box ahead of those of another (which come first).
void moveBefore(std::vector<Act>& acts, std::string_view mover, std::string_view anchor) {
  const auto at = std::find_if(acts.begin(), acts.end(), forBox(anchor));
  std::stable_partition(at, acts.end(), forBox(mover));
}

Act typed(std::string_view box, double v) {
  return {Act::Kind::type, std::string(box), shortest(v)};
}

}  // namespace

std::string boxText(std::string_view tag) {
  return Window().text(tag);
}

Limits sliderLimits() {
  const Window w;
  return {w.range("slider1"), w.range("slider2"), w.range("slider3"), w.range("slider4")};
}

std::vector<Act> actsOf(const Design& d) {
  return {typed("edit3", d.hMm),    typed("edit4", d.er),       typed("edit1", d.wMm),
          typed("edit2", d.lMm),    typed("edit7", d.offsetMm), typed("edit6", d.fmaxGHz),
          typed("edit5", d.fminGHz)};
}

std::vector<Act> presentActs() {
  const Window w;
  std::vector<Act> acts;
  for (const Parameter& p : parameters()) {
    const std::string text = w.text(p.editBox);
    if (p.slider.empty()) {
      // A band box that was never typed into stays empty; typing an empty
      // text would move the pattern slider to NaN.
      if (text.empty()) continue;
      if (!carriesText(text))
        throw std::runtime_error("the text of " + std::string(p.editBox) +
                                 " does not fit on one line");
      acts.push_back({Act::Kind::type, std::string(p.editBox), text});
      continue;
    }
    const double value = w.number(p.slider);
    if (p.slider == "slider6") {
      // Typing Fmin moves the pattern slider to it; only a pattern
      // frequency set apart from that needs its own act, which opens a
      // pattern figure.
      const std::string fmin = w.text("edit5");
      if (same(value, fmin.empty() ? 0.0 : numberOf(fmin))) continue;
      const rt::Array typedValue = rt::str2num(rt::str(text));
      if (carriesText(text) && typedValue.numel() == 1 && same(typedValue.re()[0], value))
        acts.push_back({Act::Kind::type, std::string(p.editBox), text});
      else
        acts.push_back({Act::Kind::slide, std::string(p.slider), shortest(value)});
      continue;
    }
    if (carriesText(text) && same(numberOf(text), value))
      acts.push_back({Act::Kind::type, std::string(p.editBox), text});
    else
      acts.push_back({Act::Kind::slide, std::string(p.slider), shortest(value)});
  }
  return acts;
}

void perform(std::vector<Act> acts) {
  const Window w;
  std::stable_sort(acts.begin(), acts.end(), [](const Act& a, const Act& b) {
    return &parameterOf(a) < &parameterOf(b);  // rows of one table: its order
  });

  // An offset above half the new length goes in before the length, while
  // the old length still allows it; Fmin goes in before Fmax when it is not
  // above the pattern slider's present Max.
  const Act* length = lastFor(acts, "edit2");
  const Act* offset = lastFor(acts, "edit7");
  if (length && offset && w.number("slider5") > valueOf(*length) / 2.0)
    moveBefore(acts, "edit7", "edit2");
  const Act* fmin = lastFor(acts, "edit5");
  if (fmin && valueOf(*fmin) <= w.number("slider6", "Max")) moveBefore(acts, "edit5", "edit6");

  for (const Act& a : acts) {
    const double h = w.control(a.tag);
    if (a.kind == Act::Kind::type)
      rt::gfx::userAct(h, {{"String", rt::str(a.text)}});
    else
      rt::gfx::userAct(h, {{"Value", rt::scalar(valueOf(a))}});
  }
}

}  // namespace design

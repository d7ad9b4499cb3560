#include "shell/tessivar.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tessivar {

frame::ConstantTable Def::constants;

namespace {

// ------------------------------------------------------------ the constants
// Every name, number, text and vector that the body passes is one constant of
// the module. A value used in several places is one constant; the table lists
// the constants in the order in which the body first uses them.
class Interned {
 public:
  const rt::Array& text(std::string_view s) {
    return add("s" + std::string(s), [v = std::string(s)] { return rt::initializeString(v); });
  }
  const rt::Array& number(double v) {
    return add("n" + std::to_string(std::bit_cast<std::uint64_t>(v)),
               [v] { return rt::initializeDouble(v); });
  }
  const rt::Array& vector(std::size_t rows, std::size_t cols, std::vector<double> byColumns) {
    std::string key = "v" + std::to_string(rows) + "x" + std::to_string(cols);
    for (double d : byColumns) key += ":" + std::to_string(std::bit_cast<std::uint64_t>(d));
    return add(key, [rows, cols, d = std::move(byColumns)] {
      return rt::initializeDoubleVector(rows, cols, d);
    });
  }
  const rt::Array& row(std::initializer_list<double> values) {
    return vector(1, values.size(), std::vector<double>(values));
  }
  const rt::Array& add(const std::string& key, std::function<rt::Array()> make) {
    auto [it, fresh] = seen_.try_emplace(key, nullptr);
    if (fresh) it->second = &Def::constants.add(std::move(make));
    return *it->second;
  }

 private:
  std::map<std::string, const rt::Array*> seen_;
};

Interned k;

// An 8-bit colour; its constant is the row (r g b)/255.
struct Rgb {
  int r = -1, g = -1, b = -1;
  bool isSet() const { return r >= 0; }
};

// The 64-entry colour map, 64 rows by 3 columns: for row i each channel is
// min(i - a, b - i)/16 limited to [0, 1], with (a, b) = (24, 73) for red,
// (8, 57) for green and (-8, 41) for blue.
std::vector<double> colourMap() {
  constexpr std::array<std::pair<int, int>, 3> bounds = {{{24, 73}, {8, 57}, {-8, 41}}};
  std::vector<double> byColumns;
  for (const auto& [a, b] : bounds)
    for (int i = 1; i <= 64; ++i)
      byColumns.push_back(std::clamp(std::min(i - a, b - i) / 16.0, 0.0, 1.0));
  return byColumns;
}

// ----------------------------------------------------------------- the plan
// The body's creation calls as data: each call is a list of property/value
// pairs in the order they are passed. A value is a constant or one of the
// arrays that exist only while the body runs.
enum class From {
  constant,     // a constant of the table
  figure,       // the figure's handle (h1)
  axes,         // the handle of the axes being set up (h40 or h45)
  rootDefault,  // the root's value of the default named by the constant
  cdata,        // the fresh 1-by-0 array made for CData
  userData,     // the fresh 1-by-0 array made for UserData
  taginfo,      // the taginfo structure, for the options structure
};

// A value of the plan, interned into the constant table when the plan is
// resolved (so the table follows the order in which the body uses them).
using Lazy = std::function<const rt::Array&()>;

Lazy txt(std::string_view s) {
  return [s]() -> const rt::Array& { return k.text(s); };
}
Lazy num(double v) {
  return [v]() -> const rt::Array& { return k.number(v); };
}
Lazy vec(std::size_t rows, std::size_t cols, std::vector<double> byColumns) {
  return [rows, cols, d = std::move(byColumns)]() -> const rt::Array& {
    return k.vector(rows, cols, d);
  };
}
Lazy row(std::initializer_list<double> values) {
  return vec(1, values.size(), std::vector<double>(values));
}

// A property of a creation call as written in the plan.
struct Setting {
  std::string_view name;
  From from;
  Lazy value;  // the constant, or the name of the root default
};

Setting set(std::string_view name, Lazy value) {
  return {name, From::constant, std::move(value)};
}
Setting set(std::string_view name, std::string_view text) {
  return set(name, txt(text));
}
Setting from(std::string_view name, From source) {
  return {name, source, nullptr};
}
Setting rootDefault(std::string_view name, std::string_view defaultName) {
  return {name, From::rootDefault, txt(defaultName)};
}

// The same property with its constants in the table.
struct Pair {
  const rt::Array* name;
  From from;
  const rt::Array* value;
};

using Pairs = std::vector<Pair>;

// Interns the constants of one call in the order the body uses them: the
// root handle and the names of the root defaults it reads first, then the
// sizes of the fresh 1-by-0 arrays, then each name and value.
Pairs resolve(const std::vector<Setting>& settings, bool empties = false) {
  bool readsRoot =
      std::ranges::any_of(settings, [](const Setting& s) { return s.from == From::rootDefault; });
  if (readsRoot) k.number(0);
  for (const Setting& s : settings)
    if (s.from == From::rootDefault) s.value();
  if (empties) {
    k.number(1);
    k.number(0);
  }
  Pairs pairs;
  for (const Setting& s : settings) {
    const rt::Array* name = &k.text(s.name);
    pairs.push_back({name, s.from, s.value ? &s.value() : nullptr});
  }
  return pairs;
}

// What a control's "String" holds.
enum class Caption { none, text, emptyList, zeroThenEmpty };

// One row of the window's control table. Properties that a row does not
// give are not passed and keep the runtime's defaults.
struct Control {
  std::string_view style;
  std::string_view tag;
  std::array<double, 4> position{};  // x, y, width, height
  Caption string = Caption::none;
  std::string_view text;
  std::string_view callbackName;
  std::optional<double> value, min, max;
  Rgb back, fore;
  double fontSize = 0;
  std::string_view fontWeight;
  std::string_view alignment;
  bool withEmpties = false;  // CData and UserData: fresh 1-by-0 arrays
  bool isHidden = false;
  std::string_view creation;

  Control& says(std::string_view t) {
    string = Caption::text;
    text = t;
    return *this;
  }
  Control& emptyList() {
    string = Caption::emptyList;
    return *this;
  }
  Control& zeroThenEmpty() {
    string = Caption::zeroThenEmpty;
    return *this;
  }
  Control& callback(std::string_view c) {
    callbackName = c;
    return *this;
  }
  Control& range(double v, double lo, double hi) {
    value = v;
    min = lo;
    max = hi;
    return *this;
  }
  Control& maximum(double hi) {
    max = hi;
    return *this;
  }
  Control& background(Rgb c) {
    back = c;
    return *this;
  }
  Control& foreground(Rgb c) {
    fore = c;
    return *this;
  }
  Control& font(double size) {
    fontSize = size;
    return *this;
  }
  Control& weight(std::string_view w) {
    fontWeight = w;
    return *this;
  }
  Control& align(std::string_view a) {
    alignment = a;
    return *this;
  }
  Control& empties() {
    withEmpties = true;
    return *this;
  }
  Control& hidden() {
    isHidden = true;
    return *this;
  }
  Control& createFcn(std::string_view c) {
    creation = c;
    return *this;
  }
};

Control control(std::string_view style, std::string_view tag, std::array<double, 4> position) {
  Control c;
  c.style = style;
  c.tag = tag;
  c.position = position;
  return c;
}

constexpr std::string_view kCredit = "(c) 2026 P. Atch, patch@example.org";

// Controls 1 to 38, in creation order.
const std::vector<Control> kUpperControls = {
    control("frame", "frame11", {0.024, 0.0303687635574837, 0.37, 0.95119305856833})
        .emptyList()
        .font(0.0121626757886735)
        .empties(),  // 1
    control("frame", "frame6", {0.034, 0.442516268980477, 0.349826388888889, 0.129067245119306})
        .emptyList()
        .background({25, 194, 127})
        .foreground({25, 194, 127})
        .font(0.0896358543417367),  // 2
    control("frame", "frame7", {0.034, 0.308026030368764, 0.349826388888889, 0.129067245119306})
        .emptyList()
        .background({253, 255, 24})
        .foreground({253, 255, 24})
        .font(0.0896358543417367),  // 3
    control("frame", "frame5", {0.034, 0.577006507592191, 0.349826388888889, 0.129067245119306})
        .emptyList()
        .background({26, 220, 255})
        .foreground({26, 220, 255})
        .font(0.0896358543417367)
        .weight("bold")
        .empties(),  // 4
    control("frame", "frame4",
            {0.0338541666666667, 0.711496746203905, 0.349826388888889, 0.129067245119306})
        .emptyList()
        .background({85, 134, 211})
        .foreground({85, 134, 211})
        .font(0.0896358543417367),  // 5
    control("frame", "frame3", {0.034, 0.845986984815618, 0.349826388888889, 0.129067245119306})
        .emptyList()
        .background({183, 27, 154})
        .foreground({183, 27, 154})
        .font(0.0896358543417367),  // 6
    control("slider", "slider1",
            {0.0694444444444444, 0.761388286334056, 0.277777777777778, 0.0292841648590022})
        .emptyList()
        .callback("inter_func_s1")
        .range(1, 1, 300)
        .background({255, 255, 255})
        .font(0.7),  // 7
    control("slider", "slider2",
            {0.0694444444444444, 0.626898047722343, 0.277777777777778, 0.0292841648590022})
        .emptyList()
        .callback("inter_func_s2")
        .range(1, 1, 300)
        .background({255, 255, 255})
        .font(0.7),  // 8
    control("slider", "slider3",
            {0.0694444444444444, 0.492407809110629, 0.277777777777778, 0.0292841648590022})
        .emptyList()
        .callback("inter_func_s3")
        .range(0.1, 0.1, 20)
        .background({255, 255, 255})
        .font(0.7),  // 9
    control("slider", "slider4",
            {0.0694444444444444, 0.357917570498915, 0.277777777777778, 0.0292841648590022})
        .callback("inter_func_s4")
        .range(1, 1, 20)
        .background({255, 255, 255})
        .font(0.7),  // 10
    control("text", "text1",
            {0.0729166666666666, 0.726681127982646, 0.118923611111111, 0.0195227765726681})
        .says("Current value")
        .background({85, 134, 211})
        .foreground({255, 255, 255})
        .font(0.888888888888889)
        .align("left")
        .empties(),  // 11
    control("text", "text2",
            {0.0729166666666666, 0.592190889370933, 0.118923611111111, 0.0195227765726681})
        .says("Current value")
        .background({26, 220, 255})
        .font(0.888888888888889)
        .align("left")
        .empties(),  // 12
    control("text", "text3",
            {0.0729166666666666, 0.457700650759219, 0.118923611111111, 0.0195227765726681})
        .says("Current value")
        .background({25, 194, 127})
        .foreground({255, 255, 255})
        .font(0.888888888888889)
        .align("left")
        .empties(),  // 13
    control("text", "text4",
            {0.0729166666666666, 0.323210412147506, 0.118923611111111, 0.0195227765726681})
        .says("Current value")
        .background({253, 255, 24})
        .foreground({64, 0, 64})
        .font(0.888888888888889)
        .align("left")
        .empties(),  // 14
    control("edit", "edit1",
            {0.248263888888889, 0.72234273318872, 0.0989583333333333, 0.0281995661605206})
        .says("1")
        .callback("inter_func_e1;")
        .background({255, 255, 255})
        .font(0.615384615384615)
        .align("left")
        .empties(),  // 15
    control("edit", "edit2",
            {0.248263888888889, 0.587852494577007, 0.0989583333333333, 0.0281995661605206})
        .says("1")
        .callback("inter_func_e2")
        .background({255, 255, 255})
        .font(0.615384615384615)
        .align("left")
        .empties(),  // 16
    control("edit", "edit3",
            {0.248263888888889, 0.453362255965293, 0.0989583333333333, 0.0281995661605206})
        .says("0.1")
        .callback("inter_func_e3")
        .background({255, 255, 255})
        .font(0.615384615384615)
        .align("left")
        .empties(),  // 17
    control("edit", "edit4",
            {0.248263888888889, 0.318872017353579, 0.0989583333333333, 0.0281995661605206})
        .says("1")
        .callback("inter_func_e4")
        .background({255, 255, 255})
        .font(0.615384615384615)
        .align("left")
        .empties(),  // 18
    control("text", "text5",
            {0.0729166666666666, 0.803687635574837, 0.138888888888889, 0.0216919739696312})
        .says("Patch width W (mm)")
        .background({85, 134, 211})
        .foreground({255, 255, 255})
        .font(0.8)
        .weight("demi")
        .align("left")
        .empties(),  // 19
    control("text", "text6",
            {0.0729166666666666, 0.670281995661605, 0.149305555555556, 0.0216919739696312})
        .says("Patch length L (mm)")
        .background({26, 220, 255})
        .font(0.8)
        .weight("demi")
        .align("left")
        .empties(),  // 20
    control("text", "text7", {0.0729166666666666, 0.536876355748373, 0.1796875, 0.0216919739696312})
        .says("Substrate height H (mm)")
        .background({25, 194, 127})
        .foreground({255, 255, 255})
        .font(0.8)
        .weight("demi")
        .align("left")
        .empties(),  // 21
    control("text", "text8",
            {0.0729166666666666, 0.403470715835141, 0.217013888888889, 0.0216919739696312})
        .says("Substrate relative permittivity er")
        .background({253, 255, 24})
        .font(0.8)
        .weight("demi")
        .align("left")
        .empties(),  // 22
    control("edit", "edit5",
            {0.0694444444444444, 0.856832971800434, 0.0989583333333333, 0.0281995661605206})
        .callback("inter_func_e5")
        .background({255, 255, 255})
        .font(0.615384615384615)
        .align("left")
        .empties(),  // 23
    control("edit", "edit6",
            {0.248263888888889, 0.856832971800434, 0.0989583333333333, 0.0281995661605206})
        .callback("inter_func_e6")
        .background({255, 255, 255})
        .font(0.615384615384615)
        .align("left")
        .empties(),  // 24
    control("text", "text9",
            {0.0729166666666666, 0.937093275488069, 0.129340277777778, 0.0216919739696312})
        .says("Frequency (GHz)")
        .background({183, 27, 154})
        .font(0.8)
        .weight("demi")
        .align("left")
        .empties(),  // 25
    control("text", "text10",
            {0.0729166666666666, 0.893709327548807, 0.0590277777777778, 0.0195227765726681})
        .says("Fmin")
        .background({183, 27, 154})
        .font(0.888888888888889)
        .align("left")
        .empties(),  // 26
    control("text", "text11",
            {0.248263888888889, 0.893709327548807, 0.0590277777777778, 0.0195227765726681})
        .says("Fmax")
        .background({183, 27, 154})
        .font(0.888888888888889)
        .align("left")
        .empties(),  // 27
    control("text", "text12",
            {0.0520833333333333, 0.766811279826464, 0.0112847222222222, 0.0195227765726681})
        .says("1")
        .background({85, 134, 211})
        .foreground({255, 255, 255})
        .font(0.888888888888889)
        .align("right")
        .empties(),  // 28
    control("text", "text13",
            {0.352430555555555, 0.766811279826464, 0.0286458333333333, 0.0195227765726681})
        .says("300")
        .background({85, 134, 211})
        .foreground({255, 255, 255})
        .font(0.888888888888889)
        .align("left")
        .empties(),  // 29
    control("text", "text14",
            {0.0520833333333333, 0.632321041214751, 0.0112847222222222, 0.0195227765726681})
        .says("1")
        .background({26, 220, 255})
        .font(0.888888888888889)
        .align("right")
        .empties(),  // 30
    control("text", "text15",
            {0.352430555555555, 0.632321041214751, 0.0286458333333333, 0.0195227765726681})
        .says("300")
        .background({26, 220, 255})
        .font(0.888888888888889)
        .align("left")
        .empties(),  // 31
    control("text", "text16",
            {0.0399305555555556, 0.497830802603037, 0.0234375, 0.0195227765726681})
        .says("0.1")
        .background({25, 194, 127})
        .foreground({255, 255, 255})
        .font(0.888888888888889)
        .align("right")
        .empties(),  // 32
    control("text", "text17",
            {0.352430555555555, 0.497830802603037, 0.0286458333333333, 0.0195227765726681})
        .says("20")
        .background({25, 194, 127})
        .foreground({255, 255, 255})
        .font(0.888888888888889)
        .align("left")
        .empties(),  // 33
    control("text", "text18",
            {0.0520833333333333, 0.363340563991323, 0.0112847222222222, 0.0195227765726681})
        .says("1")
        .background({253, 255, 24})
        .foreground({64, 0, 64})
        .font(0.888888888888889)
        .align("right")
        .empties(),  // 34
    control("text", "text19",
            {0.352430555555555, 0.363340563991323, 0.0286458333333333, 0.0195227765726681})
        .says("20")
        .background({253, 255, 24})
        .foreground({64, 0, 64})
        .font(0.888888888888889)
        .align("left")
        .empties(),  // 35
    control("text", "text21",
            {0.616319444444444, 0.0314533622559653, 0.199652777777778, 0.0281995661605206})
        .says("Frequency (GHz)")
        .font(0.615384615384615)
        .empties(),  // 36
    control("text", "text20",
            {0.616319444444444, 0.513015184381779, 0.199652777777778, 0.0281995661605206})
        .says("Frequency (GHz)")
        .font(0.615384615384615)
        .empties(),  // 37
    control("text", "text23",
            {0.1015625, 0.00108459869848156, 0.214409722222222, 0.0216919739696312})
        .says(kCredit)
        .font(0.666666666666667)
        .empties(),  // 38
};

// Controls 41 to 54, created after the two axes.
const std::vector<Control> kLowerControls = {
    control("frame", "frame13", {0.034, 0.17353579175705, 0.349826388888889, 0.129067245119306})
        .emptyList()
        .background({255, 170, 41})
        .foreground({255, 170, 41})
        .font(0.0896358543417367),  // 41
    control("frame", "frame14", {0.034, 0.0368763557483731, 0.349826388888889, 0.129067245119306})
        .emptyList()
        .background({252, 25, 70})
        .foreground({252, 25, 70})
        .font(0.0896358543417367),  // 42
    control("text", "text24",
            {0.0729166666666666, 0.270065075921909, 0.214409722222222, 0.0216919739696312})
        .says("Feed point offset (mm)")
        .background({255, 170, 41})
        .foreground({255, 255, 255})
        .font(0.8)
        .weight("demi")
        .align("left")
        .empties(),  // 43
    control("slider", "slider5",
            {0.0694444444444444, 0.223427331887202, 0.277777777777778, 0.0292841648590022})
        .callback("inter_func_s5")
        .maximum(0.5)
        .background({255, 255, 255})
        .font(0.7),  // 44
    control("text", "text25",
            {0.0729166666666666, 0.188720173535792, 0.118923611111111, 0.0195227765726681})
        .says("Current value")
        .background({255, 170, 41})
        .foreground({255, 255, 255})
        .font(0.888888888888889)
        .align("left")
        .empties(),  // 45
    control("text", "text26",
            {0.0520833333333333, 0.22885032537961, 0.0112847222222222, 0.0195227765726681})
        .zeroThenEmpty()
        .background({255, 170, 41})
        .foreground({255, 255, 255})
        .font(0.888888888888889)
        .align("right")
        .empties(),  // 46
    control("text", "text27",
            {0.352430555555555, 0.22885032537961, 0.0286458333333333, 0.0195227765726681})
        .says("0.5")
        .background({255, 170, 41})
        .foreground({255, 255, 255})
        .font(0.888888888888889)
        .align("left")
        .empties(),  // 47
    control("edit", "edit7",
            {0.248263888888889, 0.184381778741866, 0.0989583333333333, 0.0281995661605206})
        .says("0")
        .callback("inter_func_e7")
        .background({255, 255, 255})
        .font(0.615384615384615)
        .align("left")
        .empties(),  // 48
    control("text", "text28",
            {0.0729166666666666, 0.131236442516269, 0.243055555555556, 0.0216919739696312})
        .says("Radiation pattern frequency (GHz)")
        .background({252, 25, 70})
        .font(0.8)
        .weight("demi")
        .align("left")
        .empties(),  // 49
    control("text", "text29",
            {0.0729166666666666, 0.052060737527115, 0.118923611111111, 0.0195227765726681})
        .says("Current value")
        .background({252, 25, 70})
        .font(0.888888888888889)
        .align("left")
        .empties(),  // 50
    control("edit", "edit8",
            {0.248263888888889, 0.0477223427331887, 0.0989583333333333, 0.0281995661605206})
        .says("0")
        .callback("inter_func_e8")
        .background({255, 255, 255})
        .font(0.615384615384615)
        .align("left")
        .empties(),  // 51
    control("slider", "slider6",
            {0.0694444444444444, 0.0867678958785249, 0.277777777777778, 0.0292841648590022})
        .callback("inter_func_s6")
        .range(0, 0, 0)
        .background({255, 255, 255})
        .font(0.7)
        .createFcn("warning off"),  // 52
    control("text", "text30",
            {0.0520833333333333, 0.0921908893709328, 0.0112847222222222, 0.0195227765726681})
        .says("0")
        .background({252, 25, 70})
        .foreground({64, 0, 64})
        .font(0.888888888888889)
        .align("right")
        .empties()
        .hidden(),  // 53
    control("text", "text31",
            {0.352430555555555, 0.0921908893709328, 0.0286458333333333, 0.0195227765726681})
        .says("0")
        .background({252, 25, 70})
        .foreground({64, 0, 64})
        .font(0.888888888888889)
        .align("left")
        .empties()
        .hidden(),  // 54
};

Lazy colour(Rgb c) {
  return row({c.r / 255.0, c.g / 255.0, c.b / 255.0});
}

Lazy position(const std::array<double, 4>& p) {
  return row({p[0], p[1], p[2], p[3]});
}

// The empty character array, the cell holding it, and the 1-by-2 cell of
// "0" and the empty character array.
const rt::Array& emptyText() {
  return k.add("c0x0", [] { return rt::initializeCharVector(0, 0, u""); });
}
const rt::Array& emptyList() {
  const rt::Array& none = emptyText();
  return k.add("{''}", [&none] { return rt::initializeCell({none}); });
}
const rt::Array& zeroThenEmpty() {
  const rt::Array& zero = k.text("0");
  const rt::Array& none = emptyText();
  return k.add("{'0',''}", [&zero, &none] { return rt::initializeCell({zero, none}); });
}

// Parent, Units and FontUnits first, then the rest by name without regard
// to case; a slider passes Tag last (after Value) and slider6 passes its
// CreateFcn just before Callback.
std::vector<Setting> controlSettings(const Control& c) {
  std::vector<Setting> p = {from("Parent", From::figure), set("Units", "normalized"),
                            set("FontUnits", "normalized")};
  if (c.back.isSet()) p.push_back(set("BackgroundColor", colour(c.back)));
  if (!c.creation.empty()) p.push_back(set("CreateFcn", c.creation));
  if (!c.callbackName.empty()) p.push_back(set("Callback", c.callbackName));
  if (c.withEmpties) p.push_back(from("CData", From::cdata));
  p.push_back(set("FontSize", num(c.fontSize)));
  if (!c.fontWeight.empty()) p.push_back(set("FontWeight", c.fontWeight));
  if (c.fore.isSet()) p.push_back(set("ForegroundColor", colour(c.fore)));
  if (!c.alignment.empty()) p.push_back(set("HorizontalAlignment", c.alignment));
  p.push_back(set("ListboxTop", num(0)));
  if (c.max) p.push_back(set("Max", num(*c.max)));
  if (c.min) p.push_back(set("Min", num(*c.min)));
  p.push_back(set("Position", position(c.position)));
  switch (c.string) {
    case Caption::none:
      break;
    case Caption::text:
      p.push_back(set("String", c.text));
      break;
    case Caption::emptyList:
      p.push_back(set("String", emptyList));
      break;
    case Caption::zeroThenEmpty:
      p.push_back(set("String", zeroThenEmpty));
      break;
  }
  p.push_back(set("Style", c.style));
  if (c.style == "slider") {
    if (c.value) p.push_back(set("Value", num(*c.value)));
    p.push_back(set("Tag", c.tag));
  } else {
    p.push_back(set("Tag", c.tag));
  }
  if (c.withEmpties) p.push_back(from("UserData", From::userData));
  if (c.isHidden) p.push_back(set("Visible", "off"));
  return p;
}

std::vector<Setting> axesSettings(const std::array<double, 4>& pos, std::string_view tag) {
  return {from("Parent", From::figure),
          set("FontUnits", "normalized"),
          rootDefault("ALim", "defaultaxesALim"),
          set("ALimMode", "manual"),
          set("CameraPosition", row({0.5, 0.5, 9.16025403784439})),
          rootDefault("CameraPositionMode", "defaultaxesCameraPositionMode"),
          rootDefault("Color", "defaultaxesColor"),
          rootDefault("ColorOrder", "defaultaxesColorOrder"),
          set("FontSize", num(0.0364298724954463)),
          set("NextPlot", "replacechildren"),
          set("Position", position(pos)),
          rootDefault("XColor", "defaultaxesXColor"),
          set("XGrid", "on"),
          rootDefault("YColor", "defaultaxesYColor"),
          set("YGrid", "on"),
          rootDefault("ZColor", "defaultaxesZColor"),
          set("Tag", tag)};
}

// A title or label object of an axes: the axes property that gives it, then
// the properties set on it.
struct Label {
  const rt::Array* which;
  Pairs pairs;
};

std::array<Label, 4> labels() {
  const Lazy black = row({0, 0, 0});
  const std::array<std::pair<std::string_view, std::vector<Setting>>, 4> settings = {{
      {"title",
       {from("Parent", From::axes), set("Color", black), set("HorizontalAlignment", "center"),
        set("Position", row({0.499131944444444, 1.01780821917808, 1.00005459937205})),
        set("VerticalAlignment", "bottom"), set("HandleVisibility", "off")}},
      {"xlabel",
       {from("Parent", From::axes), set("Color", black), set("HorizontalAlignment", "center"),
        set("VerticalAlignment", "cap"), set("HandleVisibility", "off")}},
      {"ylabel",
       {from("Parent", From::axes), set("Color", black), set("HorizontalAlignment", "center"),
        set("Rotation", num(90)), set("VerticalAlignment", "bottom"),
        set("HandleVisibility", "off")}},
      {"zlabel",
       {from("Parent", From::axes), set("Color", black), set("HorizontalAlignment", "right"),
        set("HandleVisibility", "off"), set("Visible", "off")}},
  }};
  std::array<Label, 4> out;
  for (std::size_t i = 0; i < settings.size(); ++i) {
    out[i].which = &k.text(settings[i].first);
    out[i].pairs = resolve(settings[i].second);
  }
  return out;
}

struct AxesPlan {
  Pairs axes;
  std::array<Label, 4> labels;
};

AxesPlan axesPlan(const std::array<double, 4>& pos, std::string_view tag) {
  AxesPlan a;
  a.axes = resolve(axesSettings(pos, tag));
  a.labels = labels();
  return a;
}

struct ControlPlan {
  bool empties;
  Pairs pairs;
};

std::vector<ControlPlan> controlPlans(const std::vector<Control>& controls) {
  std::vector<ControlPlan> plans;
  for (const Control& c : controls)
    plans.push_back({c.withEmpties, resolve(controlSettings(c), c.withEmpties)});
  return plans;
}

struct Plan {
  Pairs figure;
  Pairs taginfo;
  Pairs options;
  const rt::Array* layoutOptions = nullptr;
  std::vector<ControlPlan> upper;
  AxesPlan axes1, axes2;
  std::vector<ControlPlan> lower;
};

// Built when the program loads, so that the constants are in the table
// before the module is initialised.
Plan makePlan() {
  Plan plan;
  plan.figure = resolve({
      set("Units", "normalized"),
      rootDefault("PaperUnits", "defaultfigurePaperUnits"),
      set("Color", row({0.831372549019608, 0.815686274509804, 0.784313725490196})),
      set("Colormap", vec(64, 3, colourMap())),
      set("IntegerHandle", "off"),
      rootDefault("InvertHardcopy", "defaultfigureInvertHardcopy"),
      set("MenuBar", "none"),
      set("Name", "Rectangular patch"),
      set("NumberTitle", "off"),
      set("PaperPosition", row({0.6345175, 6.345175, 20.30456, 15.22842})),
      set("PaperSize", row({20.98404194812, 29.67743169791})),
      rootDefault("PaperType", "defaultfigurePaperType"),
      set("Position", row({0.05, 0.05, 0.9, 0.9})),
      set("Resize", "off"),
      set("HandleVisibility", "callback"),
      set("Tag", "figure1"),
  });
  plan.taginfo = resolve({set("figure", num(2)), set("slider", num(7)), set("text", num(32)),
                          set("edit", num(9)), set("axes", num(10)), set("frame", num(15))});
  plan.options = resolve({
      set("active_h", vec(0, 0, {})),
      from("taginfo", From::taginfo),
      set("override", num(0)),
      set("resize", "none"),
      set("accessibility", "callback"),
      set("codefile", num(1)),
      set("callbacks", num(1)),
      set("singleton", num(1)),
      set("blocking", num(0)),
      set("syscolorfig", num(1)),
      set("lastSavedFile", "/home/tessivar/src/shell/layout/tessivar_window.fig"),
      set("release", num(12)),
  });
  plan.layoutOptions = &k.text("LayoutOptions");
  plan.upper = controlPlans(kUpperControls);
  plan.axes1 = axesPlan({0.466145833333333, 0.562906724511931, 0.5, 0.39587852494577}, "axes1");
  plan.axes2 = axesPlan({0.466145833333333, 0.0813449023861171, 0.5, 0.39587852494577}, "axes2");
  plan.lower = controlPlans(kLowerControls);
  return plan;
}

const Plan kPlan = makePlan();

// Constants the body uses besides the pairs: the root handle and the sizes
// of the 1-by-0 arrays (all made by the plan above).
const rt::Array& kRoot = k.number(0);
const rt::Array& kOne = k.number(1);
const rt::Array& kZero = k.number(0);

// ------------------------------------------------------------ running it
// The runtime's creation functions take their pairs as one list; the plan's
// lists are only known at run time, so they are spread into a list here.
using Creator = rt::Array (*)(std::initializer_list<rt::Array>);

template <std::size_t... I>
rt::Array spreadInto(Creator create, [[maybe_unused]] std::span<const rt::Array> a,
                     std::index_sequence<I...>) {
  return create({a[I]...});
}

constexpr std::size_t kMaxArgs = 40;

template <std::size_t... N>
constexpr auto spreaders(std::index_sequence<N...>) {
  using Fn = rt::Array (*)(Creator, std::span<const rt::Array>);
  return std::array<Fn, sizeof...(N)>{+[](Creator c, std::span<const rt::Array> a) {
    return spreadInto(c, a, std::make_index_sequence<N>());
  }...};
}

rt::Array callWith(Creator create, std::span<const rt::Array> args) {
  static constexpr auto table = spreaders(std::make_index_sequence<kMaxArgs + 1>());
  return table.at(args.size())(create, args);
}

std::size_t dim(const rt::Array& n) {
  return static_cast<std::size_t>(n.scalar());
}

// The arrays a pair list may refer to while the body runs.
struct Scope {
  const frame::Var* figure = nullptr;
  const frame::Var* axes = nullptr;
  std::vector<rt::Array> roots;
  rt::Array cdata, userData, taginfo;
};

// Reads the root defaults that the pairs name, in their order.
void readRootDefaults(const Pairs& pairs, Scope& s) {
  for (const Pair& p : pairs)
    if (p.from == From::rootDefault) s.roots.push_back(rt::get(kRoot, *p.value));
}

std::vector<rt::Array> arguments(const Pairs& pairs, const Scope& s) {
  std::vector<rt::Array> args;
  std::size_t root = 0;
  for (const Pair& p : pairs) {
    args.push_back(*p.name);
    switch (p.from) {
      case From::constant:
        args.push_back(*p.value);
        break;
      case From::figure:
        args.push_back(s.figure->get());
        break;
      case From::axes:
        args.push_back(s.axes->get());
        break;
      case From::rootDefault:
        args.push_back(s.roots.at(root++));
        break;
      case From::cdata:
        args.push_back(s.cdata);
        break;
      case From::userData:
        args.push_back(s.userData);
        break;
      case From::taginfo:
        args.push_back(s.taginfo);
        break;
    }
  }
  return args;
}

rt::Array figureWith(std::initializer_list<rt::Array> pairs) {
  return rt::figure(pairs);
}
rt::Array axesWith(std::initializer_list<rt::Array> pairs) {
  return rt::axes(pairs);
}
rt::Array structWith(std::initializer_list<rt::Array> pairs) {
  return rt::struct_(pairs);
}

rt::Array createControl(const ControlPlan& c, const frame::Var& h1) {
  Scope s;
  s.figure = &h1;
  if (c.empties) {
    s.cdata = rt::zeros(dim(kOne), dim(kZero));
    s.userData = rt::zeros(dim(kOne), dim(kZero));
  }
  return callWith(&rt::uicontrol, arguments(c.pairs, s));
}

// Creates an axes, then reads each of its title and label objects and sets
// it up.
void createAxes(const AxesPlan& a, const frame::Var& h1, frame::Var& ax,
                std::span<frame::Var, 4> label) {
  Scope s;
  s.figure = &h1;
  readRootDefaults(a.axes, s);
  ax = callWith(&axesWith, arguments(a.axes, s));
  Scope onAxes;
  onAxes.axes = &ax;
  for (std::size_t i = 0; i < a.labels.size(); ++i) {
    label[i] = rt::get(ax.get(), *a.labels[i].which);
    std::vector<rt::Array> args = arguments(a.labels[i].pairs, onAxes);
    rt::set(label[i].get(), args);
  }
}

}  // namespace

void body() {
  frame::Var h1("h1"), h40("h40"), h45("h45");
  std::array<frame::Var, 4> axes1Labels = {frame::Var("h41"), frame::Var("h42"), frame::Var("h43"),
                                           frame::Var("h44")};
  std::array<frame::Var, 4> axes2Labels = {frame::Var("h46"), frame::Var("h47"), frame::Var("h48"),
                                           frame::Var("h49")};
  std::vector<rt::Array> controls;  // the controls' handles, never read again

  Scope onRoot;
  readRootDefaults(kPlan.figure, onRoot);
  h1 = callWith(&figureWith, arguments(kPlan.figure, onRoot));

  Scope options;
  options.taginfo = callWith(&structWith, arguments(kPlan.taginfo, options));
  rt::setappdata(h1.get(), *kPlan.layoutOptions,
                 callWith(&structWith, arguments(kPlan.options, options)));

  for (const ControlPlan& c : kPlan.upper) controls.push_back(createControl(c, h1));
  createAxes(kPlan.axes1, h1, h40, axes1Labels);
  createAxes(kPlan.axes2, h1, h45, axes2Labels);
  for (const ControlPlan& c : kPlan.lower) controls.push_back(createControl(c, h1));

  // Releasing the handle arrays leaves the objects they name in place.
  for (rt::Array& c : controls) rt::destroyArray(c);
}

}  // namespace tessivar

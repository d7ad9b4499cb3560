// The main module's body: the window "Rectangular patch" written as tables,
// the figure's properties, its layout options, one row per control in
// creation order and the two impedance axes with their label objects, and
// the body that creates them from those tables and returns.
#include "window/tessivar.h"

#include <array>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "antenna/slider_ranges.h"
#include "platform/graphics/graphics.h"
#include "window/frame/interned.h"

namespace tessivar {

frame::ConstantTable Def::constants;

namespace {

// Every name, number, text and vector that the body passes is a constant of
// the module, one per distinct value. The tables below intern their values
// when the program loads, so every constant is in the table before the
// module is initialised and the body itself never makes one.
frame::InternedConstants k(Def::constants);

// What a property is given: a constant, or an array that exists only while
// the body runs.
enum class Source { constant, figure, axes, rootDefault, cdata, userData, taginfo };

struct Value {
  template <std::size_t N>
  Value(const char (&t)[N]) : constant(&k.text(t)) {}  // NOLINT: tables read as data
  Value(std::string_view t) : constant(&k.text(t)) {}  // NOLINT
  Value(double v) : constant(&k.number(v)) {}          // NOLINT
  Value(std::initializer_list<double> row)             // NOLINT
      : constant(&k.matrix(1, row.size(), row)) {}
  Value(const rt::Array& c) : constant(&c) {}  // NOLINT
  Value(Source from) : source(from) {}         // NOLINT

  const rt::Array* constant = nullptr;  // for a root default: the default's name
  Source source = Source::constant;
};

// The root's value of a "default<type><property>", read just before the
// object is created.
Value rootDefault(std::string_view name) {
  Value v(name);
  v.source = Source::rootDefault;
  return v;
}

struct Pair {
  Pair(std::string_view n, Value v) : name(&k.text(n)), value(v) {}
  const rt::Array* name;
  Value value;
};
using Pairs = std::vector<Pair>;

// ------------------------------------------------------------------ figure
const Pairs kFigure = {
    {"Units", "normalized"},
    {"PaperUnits", rootDefault("defaultfigurePaperUnits")},
    {"Color", {0.831372549019608, 0.815686274509804, 0.784313725490196}},
    {"Colormap", k.matrix(rt::kDefaultColormapRows, 3, rt::defaultColormap())},
    {"IntegerHandle", "off"},
    {"InvertHardcopy", rootDefault("defaultfigureInvertHardcopy")},
    {"MenuBar", "none"},
    {"Name", "Rectangular patch"},
    {"NumberTitle", "off"},
    {"PaperPosition", {0.6345175, 6.345175, 20.30456, 15.22842}},
    {"PaperSize", {20.98404194812, 29.67743169791}},
    {"PaperType", rootDefault("defaultfigurePaperType")},
    {"Position", {0.05, 0.05, 0.9, 0.9}},
    {"Resize", "off"},
    {"HandleVisibility", "callback"},
    {"Tag", "figure1"},
};

// The layout editor's options, stored on the figure; nothing reads them back.
const std::array<Pair, 6> kTaginfo = {
    {{"figure", 2}, {"slider", 7}, {"text", 32}, {"edit", 9}, {"axes", 10}, {"frame", 15}}};

const std::array<Pair, 12> kOptions = {{
    {"active_h", k.matrix(0, 0, {})},
    {"taginfo", Source::taginfo},
    {"override", 0.0},
    {"resize", "none"},
    {"accessibility", "callback"},
    {"codefile", 1},
    {"callbacks", 1},
    {"singleton", 1},
    {"blocking", 0.0},
    {"syscolorfig", 1},
    {"lastSavedFile", "/home/tessivar/src/shell/layout/tessivar_window.fig"},
    {"release", 12},
}};

const Value kLayoutOptions = "LayoutOptions";

// ---------------------------------------------------------------- controls
// Positions are x, y, width and height in fractions of the figure. The left
// panel's objects stand in a few columns, each with one size.
struct Box {
  double x, y, w, h;
};
struct Column {
  double x, w, h;
};
constexpr Box at(Column c, double y) {
  return {c.x, y, c.w, c.h};
}

constexpr Column kGroups{0.034, 0.349826388888889, 0.129067245119306},
    kSliders{0.0694444444444444, 0.277777777777778, 0.0292841648590022},
    kValues{0.0729166666666666, 0.118923611111111, 0.0195227765726681},
    kEdits{0.248263888888889, 0.0989583333333333, 0.0281995661605206},
    kLefts{0.0520833333333333, 0.0112847222222222, 0.0195227765726681},
    kRights{0.352430555555555, 0.0286458333333333, 0.0195227765726681},
    kAxisCaptions{0.616319444444444, 0.199652777777778, 0.0281995661605206};

// A group's caption starts where its "Current value" label does; each has
// its own width and all one height.
constexpr double kCaptionHeight = 0.0216919739696312;
constexpr Box caption(double y, double width) {
  return {kValues.x, y, width, kCaptionHeight};
}

// 8-bit colours; each group of the panel has its colour band.
struct Rgb {
  int r = -1, g = -1, b = -1;  // -1: not set, the runtime's default
};
constexpr Rgb kBand{183, 27, 154}, kW{85, 134, 211}, kL{26, 220, 255}, kH{25, 194, 127},
    kEr{253, 255, 24}, kFeed{255, 170, 41}, kPattern{252, 25, 70}, kWhite{255, 255, 255},
    kInk{64, 0, 64}, kUnset{};

// Font classes: a size in fractions of the control's height, and a weight.
struct Font {
  double size;
  std::string_view weight;
};
constexpr Font kBackdrop{0.0121626757886735, ""}, kFrame{0.0896358543417367, ""},
    kFrameBold{0.0896358543417367, "bold"}, kSliderFont{0.7, ""}, kLabel{0.888888888888889, ""},
    kEntry{0.615384615384615, ""}, kCaption{0.8, "demi"}, kCredit{0.666666666666667, ""};

// A control's String: not passed, a text, or a cell of texts.
struct Caption {
  Caption() = default;
  Caption(const char* text) : texts{text} {}  // NOLINT: rows read as data
  Caption(std::initializer_list<std::string_view> list) : isCell(true), texts(list) {}
  bool isCell = false;
  std::vector<std::string_view> texts;
};
const Caption kEmptyList = {""};

struct Range {
  std::optional<double> value{}, min{}, max{};
};

enum Extra : unsigned {
  E = 1,        // CData and UserData: a fresh 1-by-0 array each
  kHidden = 2,  // Visible "off"
};

// One row of the window. What a row leaves out is not passed and keeps the
// runtime's default. The Style is the tag without its number.
struct Control {
  std::string_view tag;
  Box position;
  Caption string{};
  Rgb back{}, fore{};
  Font font{};
  std::string_view align{};
  unsigned extras = 0;
  std::string_view callback{};
  Range range{};
  std::string_view createFcn{};
};

// The patch's and the substrate's sliders: their ranges are shared with
// synthesis outside the window, and each starts at its lower end.
constexpr const antenna::Limits& kSliderRanges = antenna::kSliderRangesMm;
Range fromMin(antenna::Range r) {
  return {r.min, r.min, r.max};
}

// Controls 1 to 38, created before the axes.
// clang-format off
const Control kBeforeAxes[] = {
    {"frame11", {0.024, 0.0303687635574837, 0.37, 0.95119305856833}, kEmptyList, kUnset, kUnset, kBackdrop, "", E},
    {"frame6", at(kGroups, 0.442516268980477), kEmptyList, kH, kH, kFrame},
    {"frame7", at(kGroups, 0.308026030368764), kEmptyList, kEr, kEr, kFrame},
    {"frame5", at(kGroups, 0.577006507592191), kEmptyList, kL, kL, kFrameBold, "", E},
    {"frame4", {0.0338541666666667, 0.711496746203905, kGroups.w, kGroups.h}, kEmptyList, kW, kW, kFrame},
    {"frame3", at(kGroups, 0.845986984815618), kEmptyList, kBand, kBand, kFrame},
    {"slider1", at(kSliders, 0.761388286334056), kEmptyList, kWhite, kUnset, kSliderFont, "", 0, "inter_func_s1", fromMin(kSliderRanges.w)},
    {"slider2", at(kSliders, 0.626898047722343), kEmptyList, kWhite, kUnset, kSliderFont, "", 0, "inter_func_s2", fromMin(kSliderRanges.l)},
    {"slider3", at(kSliders, 0.492407809110629), kEmptyList, kWhite, kUnset, kSliderFont, "", 0, "inter_func_s3", fromMin(kSliderRanges.h)},
    {"slider4", at(kSliders, 0.357917570498915), {}, kWhite, kUnset, kSliderFont, "", 0, "inter_func_s4", fromMin(kSliderRanges.er)},
    {"text1", at(kValues, 0.726681127982646), "Current value", kW, kWhite, kLabel, "left", E},
    {"text2", at(kValues, 0.592190889370933), "Current value", kL, kUnset, kLabel, "left", E},
    {"text3", at(kValues, 0.457700650759219), "Current value", kH, kWhite, kLabel, "left", E},
    {"text4", at(kValues, 0.323210412147506), "Current value", kEr, kInk, kLabel, "left", E},
    {"edit1", at(kEdits, 0.72234273318872), "1", kWhite, kUnset, kEntry, "left", E, "inter_func_e1;"},
    {"edit2", at(kEdits, 0.587852494577007), "1", kWhite, kUnset, kEntry, "left", E, "inter_func_e2"},
    {"edit3", at(kEdits, 0.453362255965293), "0.1", kWhite, kUnset, kEntry, "left", E, "inter_func_e3"},
    {"edit4", at(kEdits, 0.318872017353579), "1", kWhite, kUnset, kEntry, "left", E, "inter_func_e4"},
    {"text5", caption(0.803687635574837, 0.138888888888889), "Patch width W (mm)", kW, kWhite, kCaption, "left", E},
    {"text6", caption(0.670281995661605, 0.149305555555556), "Patch length L (mm)", kL, kUnset, kCaption, "left", E},
    {"text7", caption(0.536876355748373, 0.1796875), "Substrate height H (mm)", kH, kWhite, kCaption, "left", E},
    {"text8", caption(0.403470715835141, 0.217013888888889), "Substrate relative permittivity er", kEr, kUnset, kCaption, "left", E},
    {"edit5", {kSliders.x, 0.856832971800434, kEdits.w, kEdits.h}, {}, kWhite, kUnset, kEntry, "left", E, "inter_func_e5"},
    {"edit6", at(kEdits, 0.856832971800434), {}, kWhite, kUnset, kEntry, "left", E, "inter_func_e6"},
    {"text9", caption(0.937093275488069, 0.129340277777778), "Frequency (GHz)", kBand, kUnset, kCaption, "left", E},
    {"text10", {kValues.x, 0.893709327548807, 0.0590277777777778, kValues.h}, "Fmin", kBand, kUnset, kLabel, "left", E},
    {"text11", {kEdits.x, 0.893709327548807, 0.0590277777777778, kValues.h}, "Fmax", kBand, kUnset, kLabel, "left", E},
    {"text12", at(kLefts, 0.766811279826464), "1", kW, kWhite, kLabel, "right", E},
    {"text13", at(kRights, 0.766811279826464), "300", kW, kWhite, kLabel, "left", E},
    {"text14", at(kLefts, 0.632321041214751), "1", kL, kUnset, kLabel, "right", E},
    {"text15", at(kRights, 0.632321041214751), "300", kL, kUnset, kLabel, "left", E},
    {"text16", {0.0399305555555556, 0.497830802603037, 0.0234375, kLefts.h}, "0.1", kH, kWhite, kLabel, "right", E},
    {"text17", at(kRights, 0.497830802603037), "20", kH, kWhite, kLabel, "left", E},
    {"text18", at(kLefts, 0.363340563991323), "1", kEr, kInk, kLabel, "right", E},
    {"text19", at(kRights, 0.363340563991323), "20", kEr, kInk, kLabel, "left", E},
    {"text21", at(kAxisCaptions, 0.0314533622559653), "Frequency (GHz)", kUnset, kUnset, kEntry, "", E},
    {"text20", at(kAxisCaptions, 0.513015184381779), "Frequency (GHz)", kUnset, kUnset, kEntry, "", E},
    {"text23", {0.1015625, 0.00108459869848156, 0.214409722222222, kCaptionHeight}, "(c) 2026 P. Atch, patch@example.org", kUnset, kUnset, kCredit, "", E},
};

// Controls 41 to 54, created after the axes: the feed offset and the
// pattern frequency.
const Control kAfterAxes[] = {
    {"frame13", at(kGroups, 0.17353579175705), kEmptyList, kFeed, kFeed, kFrame},
    {"frame14", at(kGroups, 0.0368763557483731), kEmptyList, kPattern, kPattern, kFrame},
    {"text24", caption(0.270065075921909, 0.214409722222222), "Feed point offset (mm)", kFeed, kWhite, kCaption, "left", E},
    {"slider5", at(kSliders, 0.223427331887202), {}, kWhite, kUnset, kSliderFont, "", 0, "inter_func_s5", {.max = 0.5}},
    {"text25", at(kValues, 0.188720173535792), "Current value", kFeed, kWhite, kLabel, "left", E},
    {"text26", at(kLefts, 0.22885032537961), {"0", ""}, kFeed, kWhite, kLabel, "right", E},
    {"text27", at(kRights, 0.22885032537961), "0.5", kFeed, kWhite, kLabel, "left", E},
    {"edit7", at(kEdits, 0.184381778741866), "0", kWhite, kUnset, kEntry, "left", E, "inter_func_e7"},
    {"text28", caption(0.131236442516269, 0.243055555555556), "Radiation pattern frequency (GHz)", kPattern, kUnset, kCaption, "left", E},
    {"text29", at(kValues, 0.052060737527115), "Current value", kPattern, kUnset, kLabel, "left", E},
    {"edit8", at(kEdits, 0.0477223427331887), "0", kWhite, kUnset, kEntry, "left", E, "inter_func_e8"},
    {"slider6", at(kSliders, 0.0867678958785249), {}, kWhite, kUnset, kSliderFont, "", 0, "inter_func_s6", {0, 0, 0}, "warning off"},
    {"text30", at(kLefts, 0.0921908893709328), "0", kPattern, kInk, kLabel, "right", E | kHidden},
    {"text31", at(kRights, 0.0921908893709328), "0", kPattern, kInk, kLabel, "left", E | kHidden},
};
// clang-format on

Value colour(Rgb c) {
  return {c.r / 255.0, c.g / 255.0, c.b / 255.0};
}

// A control's creation call: Parent, Units and FontUnits first, then the
// rest by name without regard to case, except that Value goes just before
// Tag and CreateFcn just before Callback.
struct Creation {
  Pairs pairs;
  bool empties;
};

Creation creation(const Control& c) {
  Pairs p = {{"Parent", Source::figure}, {"Units", "normalized"}, {"FontUnits", "normalized"}};
  if (c.back.r >= 0) p.emplace_back("BackgroundColor", colour(c.back));
  if (!c.createFcn.empty()) p.emplace_back("CreateFcn", c.createFcn);
  if (!c.callback.empty()) p.emplace_back("Callback", c.callback);
  if (c.extras & E) p.emplace_back("CData", Source::cdata);
  p.emplace_back("FontSize", c.font.size);
  if (!c.font.weight.empty()) p.emplace_back("FontWeight", c.font.weight);
  if (c.fore.r >= 0) p.emplace_back("ForegroundColor", colour(c.fore));
  if (!c.align.empty()) p.emplace_back("HorizontalAlignment", c.align);
  p.emplace_back("ListboxTop", 0.0);
  if (c.range.max) p.emplace_back("Max", *c.range.max);
  if (c.range.min) p.emplace_back("Min", *c.range.min);
  const Box& b = c.position;
  p.emplace_back("Position", Value{b.x, b.y, b.w, b.h});
  if (c.string.isCell)
    p.emplace_back("String", k.cell(c.string.texts));
  else if (!c.string.texts.empty())
    p.emplace_back("String", c.string.texts.front());
  p.emplace_back("Style", c.tag.substr(0, c.tag.find_first_of("0123456789")));
  if (c.range.value) p.emplace_back("Value", *c.range.value);
  p.emplace_back("Tag", c.tag);
  if (c.extras & E) p.emplace_back("UserData", Source::userData);
  if (c.extras & kHidden) p.emplace_back("Visible", "off");
  return {std::move(p), (c.extras & E) != 0};
}

std::vector<Creation> creations(std::span<const Control> rows) {
  std::vector<Creation> out;
  for (const Control& c : rows) out.push_back(creation(c));
  return out;
}

const std::vector<Creation> kBeforeAxesCalls = creations(kBeforeAxes);

// -------------------------------------------------------------------- axes
// Only Position and Tag differ between the two axes.
Pairs axesPairs(const Box& b, std::string_view tag) {
  return {{"Parent", Source::figure},
          {"FontUnits", "normalized"},
          {"ALim", rootDefault("defaultaxesALim")},
          {"ALimMode", "manual"},
          {"CameraPosition", {0.5, 0.5, 9.16025403784439}},
          {"CameraPositionMode", rootDefault("defaultaxesCameraPositionMode")},
          {"Color", rootDefault("defaultaxesColor")},
          {"ColorOrder", rootDefault("defaultaxesColorOrder")},
          {"FontSize", 0.0364298724954463},
          {"NextPlot", "replacechildren"},
          {"Position", {b.x, b.y, b.w, b.h}},
          {"XColor", rootDefault("defaultaxesXColor")},
          {"XGrid", "on"},
          {"YColor", rootDefault("defaultaxesYColor")},
          {"YGrid", "on"},
          {"ZColor", rootDefault("defaultaxesZColor")},
          {"Tag", tag}};
}

const Pairs kAxes1 =
    axesPairs({0.466145833333333, 0.562906724511931, 0.5, 0.39587852494577}, "axes1");
const Pairs kAxes2 =
    axesPairs({0.466145833333333, 0.0813449023861171, 0.5, 0.39587852494577}, "axes2");

// The title and label objects of each axes: the axes property that gives
// the object, then what is set on it.
struct Label {
  Value which;
  Pairs pairs;
};

// clang-format off
const Label kLabels[] = {
    {"title", {{"Parent", Source::axes}, {"Color", {0, 0, 0}}, {"HorizontalAlignment", "center"},
               {"Position", {0.499131944444444, 1.01780821917808, 1.00005459937205}},
               {"VerticalAlignment", "bottom"}, {"HandleVisibility", "off"}}},
    {"xlabel", {{"Parent", Source::axes}, {"Color", {0, 0, 0}}, {"HorizontalAlignment", "center"},
                {"VerticalAlignment", "cap"}, {"HandleVisibility", "off"}}},
    {"ylabel", {{"Parent", Source::axes}, {"Color", {0, 0, 0}}, {"HorizontalAlignment", "center"},
                {"Rotation", 90}, {"VerticalAlignment", "bottom"}, {"HandleVisibility", "off"}}},
    {"zlabel", {{"Parent", Source::axes}, {"Color", {0, 0, 0}}, {"HorizontalAlignment", "right"},
                {"HandleVisibility", "off"}, {"Visible", "off"}}},
};
// clang-format on

const std::vector<Creation> kAfterAxesCalls = creations(kAfterAxes);

// The root handle, and the size of the 1-by-0 arrays.
const rt::Array& kRoot = k.number(0);
const rt::Array& kOne = k.number(1);
const rt::Array& kZero = k.number(0);

// ------------------------------------------------------------ running them
// The arrays that exist only while the body runs, for the pairs that name
// them.
struct Scope {
  const frame::Var* figure = nullptr;
  const frame::Var* axes = nullptr;
  rt::Array cdata, userData, taginfo;

  // What a pair passes; a root default is read when its turn comes.
  rt::Array operator()(const Value& v) const {
    switch (v.source) {
      case Source::constant:
        return *v.constant;
      case Source::figure:
        return figure->get();
      case Source::axes:
        return axes->get();
      case Source::rootDefault:
        return rt::get(kRoot, *v.constant);
      case Source::cdata:
        return cdata;
      case Source::userData:
        return userData;
      case Source::taginfo:
        return taginfo;
    }
    return {};
  }
};

std::vector<rt::Array> arguments(std::span<const Pair> pairs, const Scope& s) {
  std::vector<rt::Array> args;
  for (const Pair& p : pairs) {
    args.push_back(*p.name);
    args.push_back(s(p.value));
  }
  return args;
}

rt::Array structure(std::span<const Pair> fields, const Scope& s) {
  return rt::struct_(arguments(fields, s));
}

std::size_t dim(const rt::Array& n) {
  return static_cast<std::size_t>(n.scalar());
}

rt::Array createControl(const Creation& c, const frame::Var& h1) {
  Scope s;
  s.figure = &h1;
  if (c.empties) {
    s.cdata = rt::zeros(dim(kOne), dim(kZero));
    s.userData = rt::zeros(dim(kOne), dim(kZero));
  }
  return rt::uicontrol(arguments(c.pairs, s));
}

// Creates an axes, then reads each of its title and label objects and sets
// it up.
void createAxes(const Pairs& pairs, const frame::Var& h1, frame::Var& ax,
                std::span<frame::Var, 4> labels) {
  Scope onFigure;
  onFigure.figure = &h1;
  ax = rt::axes(arguments(pairs, onFigure));
  Scope onAxes;
  onAxes.axes = &ax;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    labels[i] = rt::get(ax.get(), *kLabels[i].which.constant);
    rt::set(labels[i].get(), arguments(kLabels[i].pairs, onAxes));
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

  h1 = rt::figure(arguments(kFigure, {}));

  Scope options;
  options.taginfo = structure(kTaginfo, options);
  rt::setappdata(h1.get(), *kLayoutOptions.constant, structure(kOptions, options));

  for (const Creation& c : kBeforeAxesCalls) controls.push_back(createControl(c, h1));
  createAxes(kAxes1, h1, h40, axes1Labels);
  createAxes(kAxes2, h1, h45, axes2Labels);
  for (const Creation& c : kAfterAxesCalls) controls.push_back(createControl(c, h1));

  // Releasing the handle arrays leaves the objects they name in place.
  for (rt::Array& c : controls) rt::destroyArray(c);
}

}  // namespace tessivar

// The property tables of every object type, name resolution and the value
// checks.
#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics/graphics_internal.h"

namespace rt::gfx::detail {

// ------------------------------------------------------------ text helpers
std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool iequals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::optional<std::string> textOf(const Array& a) {
  if (a.isNull() || !a.isChar()) return std::nullopt;
  if (a.rows() > 1) return std::nullopt;
  return a.text();
}

std::size_t givenPairs(std::span<const Array> pairs, std::string_view oddMessage) {
  std::size_t n = pairs.size();
  for (std::size_t i = 0; i < pairs.size(); i += 2) {
    if (pairs[i].isNull()) {
      n = i;
      break;
    }
  }
  if (n % 2 != 0) error(oddMessage);
  return n;
}

std::string formatHandle(double h) {
  char buf[64];  // to_chars: the same text under every locale
  return {buf, std::to_chars(buf, buf + sizeof buf, h, std::chars_format::general, 15).ptr};
}

std::string Object::text(std::string_view canonical) const {
  const Array& v = value(canonical);
  return (v.isNull() || !v.isChar()) ? std::string() : v.text();
}

bool Object::textIs(std::string_view canonical, std::string_view ascii) const {
  const Array& v = value(canonical);
  if (v.isNull() || !v.isChar() || v.rows() > 1 || v.numel() != ascii.size()) return false;
  const std::span<const double> codes = v.re();
  for (std::size_t i = 0; i < ascii.size(); ++i)
    if (codes[i] != static_cast<unsigned char>(ascii[i])) return false;
  return true;
}

// ------------------------------------------------------------ table helpers
namespace {

Array charRow(std::string_view s) {
  return str(s);
}

PropDef enumP(std::string_view name, std::vector<std::string_view> words,
              std::string_view def = {}) {
  std::string d(def.empty() ? words.front() : def);
  return PropDef{name, Kind::Enum, std::move(words), 0, {}, false, [d] { return charRow(d); }};
}
PropDef onOff(std::string_view name, std::string_view def) {
  return enumP(name, {"on", "off"}, def);
}
PropDef colour(std::string_view name, double r, double g, double b,
               std::vector<std::string_view> words = {}) {
  return PropDef{
      name, Kind::Colour, std::move(words), 0, {}, false, [r, g, b] { return row({r, g, b}); }};
}
PropDef colourWord(std::string_view name, std::string_view def,
                   std::vector<std::string_view> words) {
  std::string d(def);
  return PropDef{name, Kind::Colour, std::move(words), 0, {}, false, [d] { return charRow(d); }};
}
PropDef vec(std::string_view name, std::vector<double> def) {
  std::size_t n = def.size();
  return PropDef{name, Kind::Vector, {}, n, {}, false, [def] { return row(def); }};
}
PropDef lim(std::string_view name, double lo, double hi) {
  return PropDef{name, Kind::Lim, {}, 2, {}, false, [lo, hi] { return row({lo, hi}); }};
}
PropDef num(std::string_view name, double v) {
  return PropDef{name, Kind::Scalar, {}, 0, {}, false, [v] { return scalar(v); }};
}
PropDef positive(std::string_view name, double v) {
  return PropDef{name, Kind::Positive, {}, 0, {}, false, [v] { return scalar(v); }};
}
PropDef data(std::string_view name, std::vector<double> def) {
  return PropDef{name,
                 Kind::Matrix,
                 {},
                 0,
                 {},
                 false,
                 [def] {
                   return def.empty() ? emptyDouble() : row(def); }};
}
// Text with its default, empty when none is given; a command is text too.
PropDef textP(std::string_view name, std::string_view def = {}, Kind kind = Kind::Text) {
  std::string d(def);
  return PropDef{
      name, kind, {}, 0, {}, false, [d] { return d.empty() ? emptyChar() : charRow(d); }};
}
PropDef textOrCell(std::string_view name) {
  return PropDef{name, Kind::TextOrCell, {}, 0, {}, false, [] { return emptyChar(); }};
}
PropDef command(std::string_view name, std::string_view def = {}) {
  return textP(name, def, Kind::Command);
}
PropDef any(std::string_view name) {
  return PropDef{name, Kind::Any, {}, 0, {}, false, [] { return emptyDouble(); }};
}
PropDef handleP(std::string_view name, std::string_view type, bool allowEmpty) {
  return PropDef{name, Kind::Handle, {}, 0, type, allowEmpty, [] { return emptyDouble(); }};
}
PropDef special(std::string_view name, Kind k) {
  return PropDef{name, k, {}, 0, {}, false, [] { return emptyDouble(); }};
}
PropDef readOnly(std::string_view name, std::vector<double> def) {
  return PropDef{name, Kind::ReadOnly, {}, 0, {}, false, [def] { return row(def); }};
}

const std::vector<std::string_view> kUnits = {"pixels",      "normalized", "inches",
                                              "centimeters", "points",     "characters"};
const std::vector<std::string_view> kFontUnits = {"points", "normalized", "inches", "centimeters",
                                                  "pixels"};
const std::vector<std::string_view> kFontAngle = {"normal", "italic", "oblique"};
const std::vector<std::string_view> kFontWeight = {"normal", "bold", "light", "demi"};
const std::vector<std::string_view> kVisibility = {"on", "callback", "off"};
const std::vector<std::string_view> kNextPlot = {"replace", "replacechildren", "add"};

Array jetColormap() {
  return matrix(kDefaultColormapRows, 3, defaultColormap());
}

Array colorOrder() {
  // Blue, dark green, red, teal, purple, olive, dark grey (by rows).
  const double rows[7][3] = {{0, 0, 1},       {0, 0.5, 0},     {1, 0, 0},         {0, 0.75, 0.75},
                             {0.75, 0, 0.75}, {0.75, 0.75, 0}, {0.25, 0.25, 0.25}};
  std::vector<double> m(21);
  for (int r = 0; r < 7; ++r)
    for (int c = 0; c < 3; ++c) m[c * 7 + r] = rows[r][c];
  return matrix(7, 3, m);
}

// A type with its properties in order, given as groups: those several types
// share (common, fonts) and the type's own, one row per property.
TypeDef typeOf(std::string_view name, std::initializer_list<std::vector<PropDef>> groups) {
  TypeDef t{name, {}, {}, {}};
  for (const std::vector<PropDef>& g : groups) t.props.insert(t.props.end(), g.begin(), g.end());
  return t;
}

// clang-format off
// Properties every object below the root has.
std::vector<PropDef> common() {
  return {
      special("Type", Kind::Type),
      special("Parent", Kind::Parent),
      special("Children", Kind::Children),
      textP("Tag"),
      any("UserData"),
      onOff("Visible", "on"),
      enumP("HandleVisibility", kVisibility, "on"),
  };
}

std::vector<PropDef> fonts(double size) {
  return {
      enumP("FontAngle", kFontAngle),
      textP("FontName", "Helvetica"),
      positive("FontSize", size),
      enumP("FontUnits", kFontUnits, "points"),
      enumP("FontWeight", kFontWeight),
  };
}

TypeDef makeRoot() {
  return typeOf("root", {{
      special("Type", Kind::Type),
      special("Parent", Kind::Parent),
      special("Children", Kind::Children),
      handleP("CurrentFigure", "figure", true),
      onOff("ShowHiddenHandles", "off"),
      readOnly("ScreenSize", {1, 1, 1280, 1024}),
      textP("Tag"),
      any("UserData"),
  }});
}

TypeDef makeFigure() {
  return typeOf("figure", {common(), {
      enumP("Units", kUnits, "normalized"),
      enumP("PaperUnits", {"inches", "centimeters", "normalized", "points"}, "centimeters"),
      colour("Color", 0.8, 0.8, 0.8),
      PropDef{"Colormap", Kind::ColourMatrix, {}, 0, {}, false, jetColormap},
      onOff("IntegerHandle", "on"),
      onOff("InvertHardcopy", "on"),
      enumP("MenuBar", {"figure", "none"}),
      textP("Name"),
      onOff("NumberTitle", "on"),
      vec("PaperPosition", {0.6345175, 6.345175, 20.30456, 15.22842}),
      vec("PaperSize", {20.98404194812, 29.67743169791}),
      enumP("PaperType", {"usletter", "uslegal", "tabloid", "A0", "A1", "A2", "A3", "A4", "A5",
                          "B4", "B5", "arch-A", "arch-B", "arch-C", "arch-D", "arch-E",
                          "<custom>"}, "A4"),
      vec("Position", {0.25, 0.25, 0.5, 0.5}),
      onOff("Resize", "on"),
      enumP("NextPlot", {"add", "replace", "replacechildren"}, "add"),
      handleP("CurrentAxes", "axes", true),
      command("CloseRequestFcn", "closereq"),
  }});
}

TypeDef makeAxes() {
  return typeOf("axes", {common(), {
      enumP("Units", kUnits, "normalized"),
      vec("Position", {0.13, 0.11, 0.775, 0.815}),
      vec("OuterPosition", {0, 0, 1, 1}),
  }, fonts(10), {
      lim("ALim", 0, 1),
      enumP("ALimMode", {"auto", "manual"}),
      vec("CameraPosition", {0.5, 0.5, 9.16025403784439}),
      enumP("CameraPositionMode", {"auto", "manual"}),
      colour("Color", 1, 1, 1, {"none"}),
      vec("DataAspectRatio", {1, 1, 1}),
      enumP("DataAspectRatioMode", {"auto", "manual"}),
      PropDef{"ColorOrder", Kind::ColourMatrix, {}, 0, {}, false, colorOrder},
      enumP("NextPlot", kNextPlot, "replace"),
      colour("XColor", 0, 0, 0),
      colour("YColor", 0, 0, 0),
      colour("ZColor", 0, 0, 0),
      onOff("XGrid", "off"),
      onOff("YGrid", "off"),
      onOff("ZGrid", "off"),
      lim("XLim", 0, 1),
      lim("YLim", 0, 1),
      lim("ZLim", 0, 1),
      enumP("XLimMode", {"auto", "manual"}),
      enumP("YLimMode", {"auto", "manual"}),
      enumP("ZLimMode", {"auto", "manual"}),
      lim("CLim", 0, 1),
      enumP("CLimMode", {"auto", "manual"}),
      vec("View", {0, 90}),
      onOff("Box", "off"),
      handleP("Title", "text", false),
      handleP("XLabel", "text", false),
      handleP("YLabel", "text", false),
      handleP("ZLabel", "text", false),
  }});
}

TypeDef makeUicontrol() {
  return typeOf("uicontrol", {common(), {
      enumP("Units", kUnits, "pixels"),
  }, fonts(8), {
      colour("BackgroundColor", 0.831372549019608, 0.815686274509804, 0.784313725490196),
      colour("ForegroundColor", 0, 0, 0),
      command("Callback"),
      command("CreateFcn"),
      command("KeyPressFcn"),
      any("CData"),
      enumP("HorizontalAlignment", {"left", "center", "right"}, "center"),
      num("ListboxTop", 1),
      num("Max", 1),
      num("Min", 0),
      data("Value", {0}),
      vec("Position", {20, 20, 60, 20}),
      textOrCell("String"),
      enumP("Style", {"pushbutton", "togglebutton", "radiobutton", "checkbox", "edit", "text",
                      "slider", "frame", "listbox", "popupmenu"}),
      enumP("Enable", {"on", "off", "inactive"}),
      vec("SliderStep", {0.01, 0.1}),
      textP("TooltipString"),
  }});
}

TypeDef makeText() {
  return typeOf("text", {common(), {
      textOrCell("String"),
      colour("Color", 0, 0, 0),
  }, fonts(10), {
      enumP("HorizontalAlignment", {"left", "center", "right"}, "left"),
      enumP("VerticalAlignment", {"top", "cap", "middle", "baseline", "bottom"}, "middle"),
      num("Rotation", 0),
      vec("Position", {0, 0, 0}),
      enumP("Units", {"data", "normalized", "pixels", "inches", "centimeters", "points"}),
  }});
}

TypeDef makeLine() {
  return typeOf("line", {common(), {
      data("XData", {0, 1}),
      data("YData", {0, 1}),
      data("ZData", {}),
      colour("Color", 0, 0, 1),
      enumP("LineStyle", {"-", "--", ":", "-.", "none"}),
      positive("LineWidth", 0.5),
      enumP("Marker", {"none", "+", "o", "*", ".", "x", "square", "diamond", "^", "v", ">", "<",
                       "pentagram", "hexagram"}),
      positive("MarkerSize", 6),
      onOff("HitTest", "on"),
  }});
}

TypeDef makeSurface() {
  return typeOf("surface", {common(), {
      data("XData", {}),
      data("YData", {}),
      data("ZData", {}),
      data("CData", {}),
      colourWord("FaceColor", "flat", {"none", "flat", "interp"}),
      colour("EdgeColor", 0, 0, 0, {"none", "flat", "interp"}),
      enumP("LineStyle", {"-", "--", ":", "-.", "none"}),
      onOff("HitTest", "on"),
  }});
}
// clang-format on

TypeDef indexed(TypeDef t) {
  for (std::size_t i = 0; i < t.props.size(); ++i) {
    t.byLowerName.emplace(lower(t.props[i].name), i);
    t.byName.emplace(t.props[i].name, i);
  }
  return t;
}

struct Tables {
  TypeDef rootT = indexed(makeRoot());
  TypeDef figureT = indexed(makeFigure());
  TypeDef axesT = indexed(makeAxes());
  TypeDef uicontrolT = indexed(makeUicontrol());
  TypeDef textT = indexed(makeText());
  TypeDef lineT = indexed(makeLine());
  TypeDef surfaceT = indexed(makeSurface());
  std::vector<const TypeDef*> objectTypes = {&figureT, &axesT, &uicontrolT,
                                             &textT,   &lineT, &surfaceT};
};

const Tables& tables() {
  static const Tables t;
  return t;
}

std::string quotedList(const std::vector<std::string_view>& words) {
  std::string out;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) out += (i + 1 == words.size()) ? " or " : ", ";
    out += '"';
    out += words[i];
    out += '"';
  }
  return out;
}

bool realNumbers(const Array& v) {
  return !v.isNull() && (v.isNumeric() || v.isLogical()) && !v.isComplex();
}

Array asDoubleRow(const Array& v) {
  std::vector<double> d(v.re().begin(), v.re().end());
  return row(d);
}

Array asDouble(const Array& v) {
  if (v.isNumeric()) return v;
  return matrix(v.rows(), v.cols(), v.re());
}

const std::array<std::pair<std::string_view, std::array<double, 3>>, 16> kColourNames = {{
    {"y", {1, 1, 0}},
    {"yellow", {1, 1, 0}},
    {"m", {1, 0, 1}},
    {"magenta", {1, 0, 1}},
    {"c", {0, 1, 1}},
    {"cyan", {0, 1, 1}},
    {"r", {1, 0, 0}},
    {"red", {1, 0, 0}},
    {"g", {0, 1, 0}},
    {"green", {0, 1, 0}},
    {"b", {0, 0, 1}},
    {"blue", {0, 0, 1}},
    {"w", {1, 1, 1}},
    {"white", {1, 1, 1}},
    {"k", {0, 0, 0}},
    {"black", {0, 0, 0}},
}};

bool inUnitRange(std::span<const double> v) {
  return std::all_of(v.begin(), v.end(), [](double x) { return x >= 0 && x <= 1; });
}

}  // namespace

std::size_t TypeDef::at(std::string_view canonical) const {
  if (auto exact = byName.find(canonical); exact != byName.end()) return exact->second;
  auto it = byLowerName.find(lower(canonical));
  if (it == byLowerName.end())
    error("Internal error: no \"" + std::string(canonical) + "\" property of the \"" +
          std::string(name) + "\" object.");
  return it->second;
}

std::optional<std::size_t> TypeDef::find(std::string_view n) const {
  if (auto exact = byName.find(n); exact != byName.end()) return exact->second;
  auto it = byLowerName.find(lower(n));
  if (it == byLowerName.end()) return std::nullopt;
  return it->second;
}

const TypeDef& typeDef(std::string_view type) {
  const Tables& t = tables();
  if (type == "root") return t.rootT;
  for (const TypeDef* d : t.objectTypes)
    if (d->name == type) return *d;
  error("Internal error: unknown object type \"" + std::string(type) + "\".");
}

const std::vector<const TypeDef*>& objectTypes() {
  return tables().objectTypes;
}

std::optional<std::size_t> tryResolve(const TypeDef& t, std::string_view name) {
  if (name.empty()) return std::nullopt;
  if (auto exact = t.find(name)) return exact;
  std::optional<std::size_t> found;
  for (std::size_t i = 0; i < t.props.size(); ++i) {
    const std::string_view n = t.props[i].name;
    if (n.size() > name.size() && iequals(n.substr(0, name.size()), name)) {
      if (found) return std::nullopt;
      found = i;
    }
  }
  return found;
}

std::size_t resolve(const TypeDef& t, std::string_view name) {
  if (auto i = tryResolve(t, name)) return *i;
  std::vector<std::string_view> candidates;
  if (!name.empty()) {
    for (const PropDef& p : t.props)
      if (p.name.size() > name.size() && iequals(p.name.substr(0, name.size()), name))
        candidates.push_back(p.name);
  }
  if (candidates.size() > 1)
    error("The property name \"" + std::string(name) + "\" of the \"" + std::string(t.name) +
          "\" object is ambiguous: it may mean " + quotedList(candidates) + ".");
  error("There is no \"" + std::string(name) + "\" property of the \"" + std::string(t.name) +
        "\" object.");
}

void badValue(const TypeDef& t, const PropDef& p, std::string_view expected) {
  error("Bad value for the \"" + std::string(p.name) + "\" property of the \"" +
        std::string(t.name) + "\" object: expected " + std::string(expected) + ".");
}

Array validate(const TypeDef& t, const PropDef& p, const Array& v) {
  if (p.readOnly())
    error("The \"" + std::string(p.name) + "\" property of the \"" + std::string(t.name) +
          "\" object is read-only.");
  if (v.isNull()) badValue(t, p, "a value");
  switch (p.kind) {
    case Kind::Enum: {
      if (auto s = textOf(v)) {
        for (std::string_view w : p.words)
          if (iequals(w, *s)) return charRow(w);
      }
      badValue(t, p, quotedList(p.words));
    }
    case Kind::Colour: {
      if (auto s = textOf(v)) {
        for (std::string_view w : p.words)
          if (iequals(w, *s)) return charRow(w);
        for (const auto& [n, rgb] : kColourNames)
          if (iequals(n, *s)) return row({rgb[0], rgb[1], rgb[2]});
      } else if (realNumbers(v) && v.numel() == 3 && inUnitRange(v.re())) {
        return asDoubleRow(v);
      }
      if (p.words.empty()) badValue(t, p, "a colour");
      badValue(t, p, "a colour or " + quotedList(p.words));
    }
    case Kind::ColourMatrix:
      if (realNumbers(v) && v.cols() == 3 && v.rows() >= 1 && inUnitRange(v.re()))
        return asDouble(v);
      badValue(t, p, "an n-by-3 matrix of colours in [0, 1]");
    case Kind::Vector: {
      if (realNumbers(v) && v.numel() == p.length &&
          std::all_of(v.re().begin(), v.re().end(), [](double x) { return std::isfinite(x); }))
        return asDoubleRow(v);
      // A text position may leave out z.
      if (p.length == 3 && realNumbers(v) && v.numel() == 2 && std::isfinite(v.re()[0]) &&
          std::isfinite(v.re()[1]))
        return row({v.re()[0], v.re()[1], 0.0});
      badValue(t, p, std::to_string(p.length) + " finite numbers");
    }
    case Kind::Lim:
      if (realNumbers(v) && v.numel() == 2 && std::isfinite(v.re()[0]) &&
          std::isfinite(v.re()[1]) && v.re()[0] < v.re()[1])
        return asDoubleRow(v);
      badValue(t, p, "two finite increasing numbers");
    case Kind::Scalar:
      if (realNumbers(v) && v.numel() == 1) return v.isNumeric() ? v : scalar(v.re()[0]);
      badValue(t, p, "a number");
    case Kind::Positive:
      if (realNumbers(v) && v.numel() == 1 && std::isfinite(v.re()[0]) && v.re()[0] > 0)
        return v.isNumeric() ? v : scalar(v.re()[0]);
      badValue(t, p, "a positive number");
    case Kind::Matrix:
      if (realNumbers(v)) return asDouble(v);
      badValue(t, p, "real numbers");
    case Kind::Text:
      if (v.isChar()) return v;
      if ((v.isNumeric() || v.isCell()) && v.empty()) return emptyChar();
      badValue(t, p, "a string");
    case Kind::TextOrCell:
      if (v.isChar()) return v;
      if ((v.isNumeric() || v.isCell()) && v.empty()) return emptyChar();
      if (v.isCell() && std::all_of(v.cells().begin(), v.cells().end(), [](const Array& e) {
            return !e.isNull() && (e.isChar() || (e.isNumeric() && e.empty()));
          }))
        return v;
      badValue(t, p, "a string or a cell array of strings");
    case Kind::Command:
      if (v.isChar() && v.rows() <= 1) return v;
      if (v.isNumeric() && v.empty()) return emptyChar();
      badValue(t, p, "a command string");
    case Kind::Any:
      return v;
    case Kind::Handle:
    case Kind::Parent:
      return v;  // checked by the object store
    case Kind::Children:
    case Kind::Type:
    case Kind::ReadOnly:
      break;
  }
  badValue(t, p, "a value");
}

}  // namespace rt::gfx::detail

namespace rt {

// Row i of 64 (1-based): min(i - a, b - i)/16 limited to [0, 1], with (a, b)
// = (24, 73) for red, (8, 57) for green and (-8, 41) for blue.
std::vector<double> defaultColormap() {
  constexpr std::array<std::pair<int, int>, 3> bounds = {{{24, 73}, {8, 57}, {-8, 41}}};
  std::vector<double> byColumns;
  byColumns.reserve(kDefaultColormapRows * bounds.size());
  for (const auto& [a, b] : bounds)
    for (int i = 1; i <= static_cast<int>(kDefaultColormapRows); ++i)
      byColumns.push_back(std::clamp(std::min(i - a, b - i) / 16.0, 0.0, 1.0));
  return byColumns;
}

}  // namespace rt

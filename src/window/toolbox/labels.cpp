// The axis-label functions xlabel, ylabel and zlabel: one body, each function
// told apart by its constants and whether it has a bypass.
#include "window/toolbox/labels.h"

#include <vector>

#include "platform/graphics/graphics.h"

namespace {

// What tells one label function from another: its constants, and whether it
// has a bypass (null when not) and fetches its axes before the count test.
struct Label {
  const rt::Array* incorrectCount = nullptr;
  const rt::Array* bypass = nullptr;
  const rt::Array* labelProperty = nullptr;
  const rt::Array* fontAngle = nullptr;
  const rt::Array* fontName = nullptr;
  const rt::Array* fontSize = nullptr;
  const rt::Array* fontWeight = nullptr;
  const rt::Array* string = nullptr;
  bool axesBeforeCount = false;
};

// The further arguments must come in name / value pairs: with n arguments in
// all (the text included), n - 1 must be even.
void checkPairs(int n, const rt::Array& message) {
  const rt::Array several = rt::logicalScalar(n > 1);
  if (!rt::tobool(several)) return;
  const double half = rt::scalarRdivide(n - 1, 2.0);
  const rt::Array odd = rt::minus(rt::scalar(half), rt::fix(rt::scalar(half)));
  if (rt::tobool(rt::and_(several, odd))) rt::error(message);
}

rt::Array labelBody(const Label& k, int nargout, const rt::Array& stringIn,
                    const rt::Array& vararginIn) {
  frame::Var string = frame::input("string", stringIn);
  frame::Var varargin = frame::input("varargin", vararginIn);
  frame::Var ax("ax");
  frame::Var h("h");
  frame::Var hh("hh");
  const int n = rt::nargin();

  if (!k.axesBeforeCount) checkPairs(n, *k.incorrectCount);
  ax = rt::gca();
  if (k.bypass != nullptr && rt::tobool(rt::isappdata(ax, *k.bypass))) {
    std::vector<rt::Array> args{ax.get(), *k.bypass, string.get()};
    for (rt::Array& a : rt::spread(varargin)) args.push_back(std::move(a));
    h = rt::labelBypass(args);
  } else {
    h = rt::get(ax, *k.labelProperty);
    if (k.axesBeforeCount) checkPairs(n, *k.incorrectCount);
    rt::Array angle = rt::get(ax, *k.fontAngle);
    rt::Array name = rt::get(ax, *k.fontName);
    rt::Array size = rt::get(ax, *k.fontSize);
    rt::Array weight = rt::get(ax, *k.fontWeight);
    std::vector<rt::Array> pairs{*k.fontAngle, std::move(angle), *k.fontName,   std::move(name),
                                 *k.fontSize,  std::move(size),  *k.fontWeight, std::move(weight),
                                 *k.string,    string.get()};
    for (rt::Array& a : rt::spread(varargin)) pairs.push_back(std::move(a));
    rt::set(h, pairs);
  }
  if (nargout > 0) hh = h.get();
  return hh.take();
}

// The font properties and "string", the tail of every label's table.
void addFontsAndString(frame::ConstantTable& c, Label& k) {
  k.fontAngle = &c.string("FontAngle");
  k.fontName = &c.string("FontName");
  k.fontSize = &c.string("FontSize");
  k.fontWeight = &c.string("FontWeight");
  k.string = &c.string("string");
}

// The table of xlabel and ylabel: message, bypass name, label property, fonts.
Label withBypass(frame::ConstantTable& c, std::string_view bypass, std::string_view property) {
  Label k;
  k.incorrectCount = &c.string("Incorrect number of input arguments");
  k.bypass = &c.string(bypass);
  k.labelProperty = &c.string(property);
  addFontsAndString(c, k);
  return k;
}

// The table of zlabel: label property, message, fonts; no bypass, and the
// axes and their label come before the count test.
Label withoutBypass(frame::ConstantTable& c, std::string_view property) {
  Label k;
  k.labelProperty = &c.string(property);
  k.incorrectCount = &c.string("Incorrect number of input arguments");
  addFontsAndString(c, k);
  k.axesBeforeCount = true;
  return k;
}

}  // namespace

// Defines a label function's module: its constant table, empty local
// function table, constants and body. One row per label function.
#define LABEL_MODULE(module, makeLabel)                                             \
  namespace module {                                                                \
  frame::ConstantTable Def::constants;                                              \
  constinit const rt::LocalFunctionTable localFunctions{};                          \
  namespace {                                                                       \
  const Label kLabel = makeLabel;                                                   \
  }                                                                                 \
  rt::Array body(int nargout, const rt::Array& string, const rt::Array& varargin) { \
    return labelBody(kLabel, nargout, string, varargin);                            \
  }                                                                                 \
  }

// clang-format off
LABEL_MODULE(xlabel, withBypass(Def::constants, "BYPASS_xlabel", "xlabel"))
LABEL_MODULE(ylabel, withBypass(Def::constants, "BYPASS_ylabel", "ylabel"))
LABEL_MODULE(zlabel, withoutBypass(Def::constants, "zlabel"))
// clang-format on

#include "support/guihandles.h"

#include <array>
#include <string>

#include "support/isvarname.h"

namespace guihandles {

frame::ConstantTable Def::constants;

namespace {
const rt::Array& kEmpty = Def::constants.empty();
const rt::Array& kNotAFigure =
    Def::constants.string("H must be the handle to a figure or figure descendent.");
const rt::Array& kFigure = Def::constants.string("figure");
const rt::Array& kType = Def::constants.string("type");
const rt::Array& kParent = Def::constants.string("parent");
const rt::Array& kTag = Def::constants.string("tag");

// The local functions have no local table of their own.
constinit const std::array<rt::FunctionEntry, 2> kLocalEntries{{
    {"getParentFigure", &GetParentFigureM::byName, 1, 1, nullptr},
    {"createHandles", &CreateHandlesM::byName, 1, 1, nullptr},
}};
}  // namespace

constinit const rt::LocalFunctionTable localFunctions{kLocalEntries};

rt::Array body(int /*nargout*/, const rt::Array& hIn) {
  frame::Var h = frame::input("h", hIn);
  frame::Var fig("fig");
  frame::Var handles("handles");
  if (rt::nargin() >= 1) {
    fig = rt::copyArray(kEmpty);
    if (rt::tobool(rt::ishandle(h)) && rt::lengthInt(h) == 1) fig = getParentFigure(h);
    if (rt::tobool(rt::isempty(fig))) rt::error(kNotAFigure);
  } else {
    fig = rt::gcf();
  }
  handles = createHandles(fig);
  return handles.take();
}

rt::Array getParentFigure_body(int /*nargout*/, const rt::Array& figIn) {
  // Input and output share the name: the input is the output variable.
  frame::Var fig("fig", 0, rt::copyInputArg(figIn));
  while (!rt::tobool(rt::isempty(fig)) && !rt::tobool(rt::strcmp(rt::get(fig, kType), kFigure)))
    fig = rt::get(fig, kParent);
  return fig.take();
}

rt::Array createHandles_body(int /*nargout*/, const rt::Array& figIn) {
  frame::Var fig = frame::input("fig", figIn);
  frame::Var all_h("all_h");
  frame::Var this_h("this_h");
  frame::Var tag("tag");
  frame::Var prev_h("prev_h");
  frame::Var handles("handles");

  all_h = rt::findall(fig);
  handles = rt::copyArray(kEmpty);
  for (rt::Array& pass : rt::columns(rt::ctranspose(all_h))) {
    this_h = std::move(pass);
    tag = rt::get(this_h, kTag);
    if (rt::tobool(rt::isempty(tag))) continue;
    if (!rt::tobool(isvarname::call(tag))) continue;
    if (rt::tobool(rt::isfield(handles, tag)))
      prev_h = rt::indexRef(handles, "." + tag.get().text());
    else
      prev_h = rt::copyArray(kEmpty);
    handles = rt::indexAssign(handles, tag, rt::horzcat({prev_h, this_h}));
  }
  return handles.take();
}

}  // namespace guihandles

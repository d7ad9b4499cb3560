// guihandles: the tagged objects of a figure gathered into the `handles`
// structure, one field per usable tag, in the order the object search finds
// them.
#include "window/toolbox/guihandles.h"

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/graphics/graphics.h"
#include "window/toolbox/isvarname.h"

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
  // The fields are gathered first and the structure made once: assigning
  // field by field copied the growing structure for every tagged object.
  std::vector<rt::Array> fields;  // name, value, name, value, ...
  std::unordered_map<std::string, std::size_t> valueAt;
  for (rt::Array& pass : rt::columns(rt::ctranspose(all_h))) {
    this_h = std::move(pass);
    tag = rt::get(this_h, kTag);
    if (rt::tobool(rt::isempty(tag))) continue;
    if (!rt::tobool(isvarname::call(tag))) continue;
    auto [at, fresh] = valueAt.try_emplace(tag.get().text(), fields.size() + 1);
    if (fresh) {
      prev_h = rt::copyArray(kEmpty);
      fields.push_back(tag.get());
      fields.push_back(rt::horzcat({prev_h, this_h}));
    } else {
      prev_h = fields[at->second];
      fields[at->second] = rt::horzcat({prev_h, this_h});
    }
  }
  if (!fields.empty()) handles = rt::struct_(fields);
  return handles.take();
}

}  // namespace guihandles

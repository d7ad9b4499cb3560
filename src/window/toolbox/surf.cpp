#include "window/toolbox/surf.h"

#include <cstddef>
#include <vector>

#include "platform/graphics/graphics.h"

namespace surf {

frame::ConstantTable Def::constants;
constinit const rt::LocalFunctionTable localFunctions{};

namespace {
const rt::Array& kOne = Def::constants.number(1);
const rt::Array& kInf = Def::constants.add([] { return rt::getInf(); });
const rt::Array& kEmpty = Def::constants.empty();
const rt::Array& kParent = Def::constants.string("parent");
const rt::Array& kThree = Def::constants.number(3);
const rt::Array& kOn = Def::constants.string("on");

// Whether `a` names the parent property: a string that is a leading part of
// "parent" in any case.
bool namesParent(const rt::Array& a) {
  return rt::tobool(rt::isstr(a)) && rt::tobool(rt::strncmpi(a, kParent, rt::length(a)));
}
}  // namespace

rt::Array body(int nargout, const rt::Array& vararginIn) {
  frame::Var varargin = frame::input("varargin", vararginIn);
  frame::Var cax("cax");
  frame::Var hh("hh");
  frame::Var h("h");
  const int n = rt::nargin();

  rt::error(rt::nargchk(kOne, kInf, rt::scalar(n)));
  cax = rt::copyArray(kEmpty);
  const std::vector<rt::Array> args = rt::spread(varargin);
  if (n > 1) {
    // A parent name counts only when a value follows it.
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (namesParent(args[i]) && i + 1 < args.size()) {
        cax = args[i + 1];
        break;
      }
    }
  }
  if (rt::tobool(rt::isempty(cax))) cax = rt::newplot();
  hh = rt::surface(args);
  if (!rt::ishold(cax)) {
    rt::view(cax, kThree);
    rt::grid(cax, kOn);
  }
  if (nargout == 1) h = hh.get();
  return h.take();
}

}  // namespace surf

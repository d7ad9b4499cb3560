#include "support/isvarname.h"

#include "support/iskeyword.h"

namespace isvarname {

frame::ConstantTable Def::constants;
constinit const rt::LocalFunctionTable localFunctions{};

namespace {
const rt::Array& kOne = Def::constants.number(1);
const rt::Array& kUnderscore = Def::constants.string("_");
const rt::Array& kZero = Def::constants.string("0");
const rt::Array& kNine = Def::constants.string("9");

// The longest name that is accepted; one character more is refused.
constexpr std::size_t kMaxNameLength = 63;
}  // namespace

rt::Array body(int /*nargout*/, const rt::Array& sIn) {
  frame::Var s = frame::input("s", sIn);
  frame::Var t("t");
  t = rt::and_(rt::and_(rt::ischar(s), rt::eq(rt::size(s, kOne), kOne)),
               rt::logicalScalar(rt::lengthInt(s) <= kMaxNameLength));
  // A row without characters has no first letter: not a name.
  t = rt::and_(t, rt::not_(rt::isempty(s)));
  if (rt::tobool(t)) {
    const rt::Array digit = rt::and_(rt::le(kZero, s), rt::le(s, kNine));
    t = rt::and_(rt::isletter(rt::intArrayRef1(s, 1)),
                 rt::all(rt::or_(rt::or_(rt::isletter(s), rt::eq(s, kUnderscore)), digit)));
    t = rt::and_(t, rt::not_(iskeyword::call(s)));
  }
  return t.take();
}

}  // namespace isvarname

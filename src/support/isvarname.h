// isvarname: whether a value can serve as a field (variable) name.
#pragma once

#include "frame/frame.h"

namespace isvarname {

extern const rt::LocalFunctionTable localFunctions;  // empty

// True when `s` is a one-row character array of at most 63 characters that
// starts with a letter, holds only letters, digits and "_", and is not a
// keyword.
rt::Array body(int nargout, const rt::Array& s);

struct Def {
  static constexpr std::string_view name = "isvarname";
  static constexpr int inputs = 1;
  static constexpr int outputs = 1;
  static constexpr std::string_view output = "t";
  static constexpr auto body = &isvarname::body;
  static constexpr const rt::LocalFunctionTable* locals = &localFunctions;
  static frame::ConstantTable constants;
};

using M = frame::Module<Def>;
inline constexpr auto& call = M::call<rt::Array>;
inline constexpr auto& byName = M::byName;
inline constexpr auto& initialize = M::initialize;
inline constexpr auto& terminate = M::terminate;

}  // namespace isvarname

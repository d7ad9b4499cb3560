// surf: a three-dimensional surface; on axes that are not held it also sets
// the default three-dimensional view and turns the grid on. A variable
// argument module: surface data, then property name / value pairs.
#pragma once

#include <initializer_list>

#include "frame/frame.h"

namespace surf {
extern const rt::LocalFunctionTable localFunctions;  // empty
rt::Array body(int nargout, const rt::Array& varargin);
struct Def {
  static constexpr std::string_view name = "surf";
  static constexpr int inputs = -1;
  static constexpr int outputs = 1;
  static constexpr std::string_view output = "h";
  static constexpr auto body = &surf::body;
  static constexpr const rt::LocalFunctionTable* locals = &localFunctions;
  static frame::ConstantTable constants;
};
using M = frame::Module<Def>;
inline constexpr auto& callN = M::callN;
inline constexpr rt::Array (&call)(std::initializer_list<rt::Array>) = M::call;
inline constexpr auto& callV = M::callV;
inline constexpr auto& byName = M::byName;
inline constexpr auto& initialize = M::initialize;
inline constexpr auto& terminate = M::terminate;
}  // namespace surf

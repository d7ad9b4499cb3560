// xlabel, ylabel, zlabel: put a text on the x, y or z label of the current
// axes and give it the axes' font. Variable-argument modules: the label text,
// then property name / value pairs.
#pragma once

#include <initializer_list>

#include "frame/frame.h"

namespace xlabel {
extern const rt::LocalFunctionTable localFunctions;  // empty
rt::Array body(int nargout, const rt::Array& string, const rt::Array& varargin);
struct Def {
  static constexpr std::string_view name = "xlabel";
  static constexpr int inputs = -2;
  static constexpr int outputs = 1;
  static constexpr std::string_view output = "hh";
  static constexpr auto body = &xlabel::body;
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
}  // namespace xlabel

namespace ylabel {
extern const rt::LocalFunctionTable localFunctions;  // empty
rt::Array body(int nargout, const rt::Array& string, const rt::Array& varargin);
struct Def {
  static constexpr std::string_view name = "ylabel";
  static constexpr int inputs = -2;
  static constexpr int outputs = 1;
  static constexpr std::string_view output = "hh";
  static constexpr auto body = &ylabel::body;
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
}  // namespace ylabel

// zlabel has no bypass, and fetches the current axes and their label object
// before it checks the argument count.
namespace zlabel {
extern const rt::LocalFunctionTable localFunctions;  // empty
rt::Array body(int nargout, const rt::Array& string, const rt::Array& varargin);
struct Def {
  static constexpr std::string_view name = "zlabel";
  static constexpr int inputs = -2;
  static constexpr int outputs = 1;
  static constexpr std::string_view output = "hh";
  static constexpr auto body = &zlabel::body;
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
}  // namespace zlabel

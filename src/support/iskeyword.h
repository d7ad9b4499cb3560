// iskeyword: the reserved words that a field name may not be.
#pragma once

#include "frame/frame.h"

namespace iskeyword {

// Without input: the 17-by-1 keyword list; with input: whether `s` is one of
// the keywords (whole text, case-sensitive).
rt::Array body(int nargout, const rt::Array& s);

struct Def {
  static constexpr std::string_view name = "iskeyword";
  static constexpr int inputs = 1;
  static constexpr int outputs = 1;
  static constexpr std::string_view output = "L";
  static constexpr auto body = &iskeyword::body;
  static frame::ConstantTable constants;
};

using M = frame::Module<Def>;
inline constexpr auto& call = M::call<rt::Array>;
inline constexpr auto& byName = M::byName;
inline constexpr auto& initialize = M::initialize;
inline constexpr auto& terminate = M::terminate;

}  // namespace iskeyword

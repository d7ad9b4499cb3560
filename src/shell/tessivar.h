// tessivar: the main module. Builds the window "Rectangular patch" with its
// frames, sliders, edit boxes, texts and the two impedance axes, and returns;
// everything after that starts from a control's callback.
#pragma once

#include "frame/frame.h"

namespace tessivar {

// Creates the window. No inputs, no outputs; runs once at start-up.
void body();

struct Def {
  static constexpr std::string_view name = "tessivar";
  static constexpr int inputs = 0;
  static constexpr int outputs = 0;
  static constexpr std::string_view output = "";
  static constexpr auto body = &tessivar::body;
  static frame::ConstantTable constants;
};

using M = frame::Module<Def>;
inline constexpr auto& call = M::call<>;
inline constexpr auto& byName = M::byName;
inline constexpr auto& initialize = M::initialize;
inline constexpr auto& terminate = M::terminate;

}  // namespace tessivar

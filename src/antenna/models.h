// The impedance models of the patch the program offers, by name.
#pragma once

#include <string_view>

namespace antenna {

enum class ImpedanceModel { classic, refined };

// "classic" or "refined", as the script, saved designs and JSON name them.
inline std::string_view modelName(ImpedanceModel m) {
  return m == ImpedanceModel::refined ? "refined" : "classic";
}

}  // namespace antenna

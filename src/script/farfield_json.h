// The far field as the script prints it: one line of JSON with the model's
// numbers and, when a solver's result is shown, the same under "fullwave".
#pragma once

#include <optional>
#include <string>

#include "figures/farfield_figure.h"

namespace script {

std::string farFieldJson(const figures::FarFieldCase& c,
                         const std::optional<figures::FullWaveCuts>& fullWave = {});

}  // namespace script

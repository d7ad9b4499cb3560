// The far field as the script prints it: one line of JSON with the model's
// numbers and, when a solver's result is shown, the same under "fullwave".
#pragma once

#include <optional>
#include <string>

#include "rf/farfield_figure.h"

namespace script {

std::string farFieldJson(const rf::FarFieldCase& c,
                         const std::optional<rf::FullWaveCuts>& fullWave = {});

}  // namespace script

// The design's side of the main window: the ranges of its sliders, the acts
// that rebuild its state, and acts performed on it as a user performs them,
// through the controls' own callbacks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "design/acts.h"
#include "design/synthesis.h"

namespace design {

// Each of these throws std::runtime_error when the main window is not open.

// The ranges of the width, length, height and permittivity sliders.
Limits sliderLimits();

// The text of one of the window's edit boxes ("edit1" ...).
std::string boxText(std::string_view tag);

// The acts that type a design into the window's edit boxes.
std::vector<Act> actsOf(const Design& d);

// The acts that rebuild the window's parameters on a new window: each box's
// text, or a slider position where the box's text does not carry the
// slider's exact value (a dragged slider shows a rounded number).
std::vector<Act> presentActs();

// Performs the acts through the controls' callbacks, so that the window
// draws them. The feed offset and the band limits are ordered against the
// window's present state so that no callback sees an offset beyond half the
// length or a pattern slider whose Min is above its Max.
void perform(std::vector<Act> acts);

}  // namespace design

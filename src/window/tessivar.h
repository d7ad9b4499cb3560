// tessivar: the main module. Builds the window "Rectangular patch" with its
// frames, sliders, edit boxes, texts and the two impedance axes, and returns;
// everything after that starts from a control's callback.
#pragma once

#include "window/frame/frame.h"

namespace tessivar {

// Creates the window. No inputs, no outputs; runs once at start-up.
void body();

FRAME_MODULE(.name = "tessivar");

}  // namespace tessivar

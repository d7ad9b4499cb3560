// surf: a three-dimensional surface; on axes that are not held it also sets
// the default three-dimensional view and turns the grid on. A variable
// argument module: surface data, then property name / value pairs.
#pragma once

#include "window/frame/frame.h"

namespace surf {
rt::Array body(int nargout, const rt::Array& varargin);
FRAME_VARARGS_MODULE(.name = "surf", .inputs = -1, .outputs = 1, .output = "h",
                     .locals = &localFunctions);
}  // namespace surf

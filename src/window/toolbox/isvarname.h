// isvarname: whether a value can serve as a field (variable) name.
#pragma once

#include "window/frame/frame.h"

namespace isvarname {

// True when `s` is a one-row character array of at most 63 characters that
// starts with a letter, holds only letters, digits and "_", and is not a
// keyword.
rt::Array body(int nargout, const rt::Array& s);

FRAME_MODULE(.name = "isvarname", .inputs = 1, .outputs = 1, .output = "t",
             .locals = &localFunctions);

}  // namespace isvarname

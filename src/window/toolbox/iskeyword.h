// iskeyword: the reserved words that a field name may not be.
#pragma once

#include "window/frame/frame.h"

namespace iskeyword {

// Without input: the 17-by-1 keyword list; with input: whether `s` is one of
// the keywords (whole text, case-sensitive).
rt::Array body(int nargout, const rt::Array& s);

FRAME_MODULE(.name = "iskeyword", .inputs = 1, .outputs = 1, .output = "L");

}  // namespace iskeyword

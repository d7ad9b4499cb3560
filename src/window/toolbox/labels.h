// xlabel, ylabel, zlabel: put a text on the x, y or z label of the current
// axes and give it the axes' font. Variable-argument modules: the label text,
// then property name / value pairs.
#pragma once

#include "window/frame/frame.h"

namespace xlabel {
rt::Array body(int nargout, const rt::Array& string, const rt::Array& varargin);
FRAME_VARARGS_MODULE(.name = "xlabel", .inputs = -2, .outputs = 1, .output = "hh",
                     .locals = &localFunctions);
}  // namespace xlabel

namespace ylabel {
rt::Array body(int nargout, const rt::Array& string, const rt::Array& varargin);
FRAME_VARARGS_MODULE(.name = "ylabel", .inputs = -2, .outputs = 1, .output = "hh",
                     .locals = &localFunctions);
}  // namespace ylabel

// zlabel has no bypass, and fetches the current axes and their label object
// before it checks the argument count.
namespace zlabel {
rt::Array body(int nargout, const rt::Array& string, const rt::Array& varargin);
FRAME_VARARGS_MODULE(.name = "zlabel", .inputs = -2, .outputs = 1, .output = "hh",
                     .locals = &localFunctions);
}  // namespace zlabel

// guihandles: collects the tagged objects of a figure into the `handles`
// structure, one field per usable tag.
#pragma once

#include "window/frame/frame.h"

namespace guihandles {

// Local function table of the module: "getParentFigure", "createHandles".
extern const rt::LocalFunctionTable localFunctions;

// With input: the figure of the one live handle `h` (error otherwise);
// without: the current figure. Returns createHandles of that figure.
rt::Array body(int nargout, const rt::Array& h);
// `fig` itself when it is a figure, else the nearest figure above it, or
// empty when the chain of parents ends without one.
rt::Array getParentFigure_body(int nargout, const rt::Array& fig);
// The structure of the figure's objects by tag, or the empty matrix when no
// object has a usable tag.
rt::Array createHandles_body(int nargout, const rt::Array& fig);

FRAME_MODULE(.name = "guihandles", .inputs = 1, .outputs = 1, .output = "handles",
             .locals = &localFunctions);
FRAME_LOCAL_FUNCTION(getParentFigure, .name = "guihandles/getParentFigure", .inputs = 1,
                     .outputs = 1, .output = "fig", .line = 78, .entryName = "getParentFigure",
                     .locals = &localFunctions);
FRAME_LOCAL_FUNCTION(createHandles, .name = "guihandles/createHandles", .inputs = 1, .outputs = 1,
                     .output = "handles", .line = 86, .entryName = "createHandles",
                     .locals = &localFunctions);

// The names by which guihandles.cpp lists the two in the local table.
using GetParentFigureM = frame::Module<getParentFigure_Def>;
using CreateHandlesM = frame::Module<createHandles_Def>;

}  // namespace guihandles

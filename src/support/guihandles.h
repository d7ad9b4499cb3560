// guihandles: collects the tagged objects of a figure into the `handles`
// structure, one field per usable tag.
#pragma once

#include "frame/frame.h"

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

struct Def {
  static constexpr std::string_view name = "guihandles";
  static constexpr int inputs = 1;
  static constexpr int outputs = 1;
  static constexpr std::string_view output = "handles";
  static constexpr auto body = &guihandles::body;
  static constexpr const rt::LocalFunctionTable* locals = &localFunctions;
  static frame::ConstantTable constants;
};

struct GetParentFigureDef {
  static constexpr std::string_view name = "guihandles/getParentFigure";
  static constexpr const char* entryName = "getParentFigure";
  static constexpr int line = 78;
  static constexpr int inputs = 1;
  static constexpr int outputs = 1;
  static constexpr std::string_view output = "fig";
  static constexpr auto body = &guihandles::getParentFigure_body;
  static constexpr const rt::LocalFunctionTable* locals = &localFunctions;
};

struct CreateHandlesDef {
  static constexpr std::string_view name = "guihandles/createHandles";
  static constexpr const char* entryName = "createHandles";
  static constexpr int line = 86;
  static constexpr int inputs = 1;
  static constexpr int outputs = 1;
  static constexpr std::string_view output = "handles";
  static constexpr auto body = &guihandles::createHandles_body;
  static constexpr const rt::LocalFunctionTable* locals = &localFunctions;
};

using M = frame::Module<Def>;
using GetParentFigureM = frame::Module<GetParentFigureDef>;
using CreateHandlesM = frame::Module<CreateHandlesDef>;

inline constexpr auto& call = M::call<rt::Array>;
inline constexpr auto& byName = M::byName;
inline constexpr auto& initialize = M::initialize;
inline constexpr auto& terminate = M::terminate;

inline constexpr auto& getParentFigure = GetParentFigureM::call<rt::Array>;
inline constexpr auto& getParentFigure_byName = GetParentFigureM::byName;
inline constexpr auto& createHandles = CreateHandlesM::call<rt::Array>;
inline constexpr auto& createHandles_byName = CreateHandlesM::byName;

}  // namespace guihandles

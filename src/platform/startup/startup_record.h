// The program's start-up record: its function table (each function callable
// by name, with its local functions), the global names, the search paths and
// the initialise/terminate pair of every library and module, in start-up
// order. The modules are written against it and runMain starts the program
// from it; it is data alone, so a module describes itself without the
// graphics object system.
#pragma once

#include <span>

#include "platform/array/array.h"

namespace rt {

using ByNameFn = void (*)(int nargout, std::span<Array> outputs, std::span<const Array> inputs);

struct FunctionEntry;

struct LocalFunctionTable {
  std::span<const FunctionEntry> entries;
};

struct FunctionEntry {
  const char* name;
  ByNameFn byName;
  int inputs;  // -1: variable list only; -2: one named input, then a list
  int outputs;
  const LocalFunctionTable* locals;  // null when the module has none
};

struct InitTermPair {
  void (*initialize)();
  void (*terminate)();
};

struct MainInfo {
  int formatVersion;
  std::span<const FunctionEntry> functionTable;
  std::span<const char* const> globals;
  std::span<const char* const> paths;
  std::span<const InitTermPair> initTermTable;
};

}  // namespace rt

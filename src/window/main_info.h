// The start-up record of the program: its function table (the modules that
// the runtime can call by name) and the initialise/terminate pairs of the
// runtime libraries and the modules.
#pragma once

#include <span>

#include "platform/graphics/graphics.h"

extern const std::span<const rt::FunctionEntry> function_table;
extern const std::span<const rt::InitTermPair> init_term_table;
extern const rt::MainInfo mainInfo;

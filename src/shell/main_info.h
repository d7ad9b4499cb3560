// The start-up record of the program: its function table (the modules that
// the runtime can call by name) and the initialise/terminate pairs of the
// runtime libraries and the modules.
#pragma once

#include <array>

#include "platform/graphics/graphics.h"

extern const std::array<rt::FunctionEntry, 24> function_table;
extern const std::array<rt::InitTermPair, 26> init_term_table;
extern const rt::MainInfo mainInfo;

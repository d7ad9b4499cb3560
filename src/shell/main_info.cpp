#include "shell/main_info.h"

#include "model/offset_impedance.h"
#include "model/pattern.h"
#include "shell/callbacks.h"
#include "shell/tessivar.h"
#include "toolbox/guihandles.h"
#include "toolbox/iskeyword.h"
#include "toolbox/isvarname.h"
#include "toolbox/labels.h"
#include "toolbox/surf.h"

namespace {

// Every module of the program, in the order in which the runtime lists them
// by name and initialises them.
// clang-format off
using Modules = frame::ModuleList<
    tessivar::M,
    inter_func_e1::M,
    inter_func_e2::M,
    inter_func_e3::M,
    inter_func_e4::M,
    inter_func_e5::M,
    inter_func_e6::M,
    inter_func_e7::M,
    inter_func_e8::M,
    inter_func_s1::M,
    inter_func_s2::M,
    inter_func_s3::M,
    inter_func_s4::M,
    inter_func_s5::M,
    inter_func_s6::M,
    guihandles::M,
    offset_impedance::M,
    pattern::M,
    isvarname::M,
    ylabel::M,
    surf::M,
    xlabel::M,
    zlabel::M,
    iskeyword::M>;
// clang-format on

const auto kFunctions = Modules::functionTable();

// The runtime libraries come first: the modules' constants are made and
// destroyed through them.
constexpr auto kInitTerm = Modules::initTermTable(std::array<rt::InitTermPair, 2>{{
    {&rt::arrayLibraryInitialize, &rt::arrayLibraryTerminate},
    {&rt::graphicsLibraryInitialize, &rt::graphicsLibraryTerminate},
}});

}  // namespace

const std::span<const rt::FunctionEntry> function_table = kFunctions;
const std::span<const rt::InitTermPair> init_term_table = kInitTerm;

const rt::MainInfo mainInfo = {
    1,           // format version
    kFunctions,  // one entry per module
    {},          // no global variables
    {},          // no search paths
    kInitTerm,   // the libraries' pairs, then one per module
};

#include "window/main_info.h"

#include "window/callbacks.h"
#include "window/model/offset_impedance.h"
#include "window/model/pattern.h"
#include "window/tessivar.h"
#include "window/toolbox/guihandles.h"
#include "window/toolbox/iskeyword.h"
#include "window/toolbox/isvarname.h"
#include "window/toolbox/labels.h"
#include "window/toolbox/surf.h"

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

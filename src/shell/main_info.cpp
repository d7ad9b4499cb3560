#include "shell/main_info.h"

#include "support/guihandles.h"
#include "support/iskeyword.h"
#include "support/isvarname.h"
#include "support/labels.h"
#include "support/surf.h"
#include "model/offset_impedance.h"
#include "model/pattern.h"
#include "shell/callbacks.h"
#include "shell/tessivar.h"

namespace {
template <class M>
constexpr rt::InitTermPair pair() {
  return {&M::initialize, &M::terminate};
}
}  // namespace

const std::array<rt::FunctionEntry, 24> function_table = {
    tessivar::M::entry(),      inter_func_e1::M::entry(),    inter_func_e2::M::entry(),
    inter_func_e3::M::entry(), inter_func_e4::M::entry(),    inter_func_e5::M::entry(),
    inter_func_e6::M::entry(), inter_func_e7::M::entry(),    inter_func_e8::M::entry(),
    inter_func_s1::M::entry(), inter_func_s2::M::entry(),    inter_func_s3::M::entry(),
    inter_func_s4::M::entry(), inter_func_s5::M::entry(),    inter_func_s6::M::entry(),
    guihandles::M::entry(),    offset_impedance::M::entry(), pattern::M::entry(),
    isvarname::M::entry(),     ylabel::M::entry(),           surf::M::entry(),
    xlabel::M::entry(),        zlabel::M::entry(),           iskeyword::M::entry(),
};

const std::array<rt::InitTermPair, 26> init_term_table = {{
    {&rt::arrayLibraryInitialize, &rt::arrayLibraryTerminate},
    {&rt::graphicsLibraryInitialize, &rt::graphicsLibraryTerminate},
    pair<tessivar::M>(),
    pair<inter_func_e1::M>(),
    pair<inter_func_e2::M>(),
    pair<inter_func_e3::M>(),
    pair<inter_func_e4::M>(),
    pair<inter_func_e5::M>(),
    pair<inter_func_e6::M>(),
    pair<inter_func_e7::M>(),
    pair<inter_func_e8::M>(),
    pair<inter_func_s1::M>(),
    pair<inter_func_s2::M>(),
    pair<inter_func_s3::M>(),
    pair<inter_func_s4::M>(),
    pair<inter_func_s5::M>(),
    pair<inter_func_s6::M>(),
    pair<guihandles::M>(),
    pair<offset_impedance::M>(),
    pair<pattern::M>(),
    pair<isvarname::M>(),
    pair<ylabel::M>(),
    pair<surf::M>(),
    pair<xlabel::M>(),
    pair<zlabel::M>(),
    pair<iskeyword::M>(),
}};

const rt::MainInfo mainInfo = {
    1,                // format version
    function_table,   // 24 function entries
    {},               // no global variables
    {},               // no search paths
    init_term_table,  // 26 initialise/terminate pairs
};

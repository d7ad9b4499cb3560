// Writing an act as the line that performs it.
#include "design/acts.h"

namespace design {

std::string line(const Act& act) {
  return (act.kind == Act::Kind::type ? "type " : "slide ") + act.tag + " " + act.text;
}

}  // namespace design

// Fuzz target: the design-file reader must take any bytes without crashing,
// and the acts it takes must be written back as a file that reads as the
// same acts.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "design/design_file.h"
#include "formats/words.h"
#include "fuzz_check.h"

using fuzz::check;

namespace {

bool same(const std::vector<design::Act>& a, const std::vector<design::Act>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].kind != b[i].kind || a[i].tag != b[i].tag || a[i].text != b[i].text) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  design::DesignFile design;
  try {
    design = design::parseDesign(bytes, "fuzz.txt");
  } catch (const std::runtime_error& e) {
    check(std::string(e.what()).size() < 1000, "a message of bounded length");
    return 0;
  }
  const std::vector<design::Act>& acts = design.acts;
  check(!acts.empty(), "a design has acts");
  const std::string text = design::designText(design, "now");
  design::DesignFile back;
  try {
    back = design::parseDesign(text, "back.txt");
  } catch (const std::runtime_error&) {
    // A typed text with trailing blanks loses them when read: it is not a
    // text a line carries, and save never writes one.
    for (const design::Act& a : acts)
      if (!formats::carriesText(a.text)) return 0;
    check(false, "a written design reads back");
  }
  for (const design::Act& a : acts)
    if (!formats::carriesText(a.text)) return 0;
  check(same(back.acts, acts), "a written design reads back as the same acts");
  check(back.model == design.model, "a written design keeps its model");
  return 0;
}

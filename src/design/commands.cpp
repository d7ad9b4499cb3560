// Each entry gathers what it needs from the window first, so that a refusal
// or a failure happens before any control is touched.
#include "design/commands.h"

#include <ctime>
#include <stdexcept>

#include "design/design_file.h"
#include "design/window.h"
#include "platform/files/atomic_file.h"

namespace design {
namespace {

std::string nowUtc() {
  const std::time_t t = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
  return text;
}

}  // namespace

Synthesis propose(const Target& target) {
  try {
    return synthesise(target, sliderLimits());
  } catch (const std::runtime_error& e) {
    return {{}, e.what()};
  }
}

void apply(const Design& design) {
  perform(actsOf(design));
}

Synthesis designFor(const Target& target) {
  Synthesis s = propose(target);
  if (s.design) apply(*s.design);
  return s;
}

std::string saveDesign(const std::string& path) {
  try {
    return rt::writeFileAtomically(path, designText(presentActs(), nowUtc()), "\"" + path + "\"");
  } catch (const std::runtime_error& e) {
    return e.what();
  }
}

std::string openDesign(const std::string& path) {
  const Reading r = readDesign(path);
  if (!r.error.empty()) return r.error;
  try {
    perform(r.acts);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return {};
}

}  // namespace design

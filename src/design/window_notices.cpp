// The main window's standing notice, worded from the design it holds.
#include "design/window_notices.h"

#include <exception>
#include <optional>

#include "design/main_window.h"

namespace design {

std::string windowNotice(double fig) {
  const std::optional<double> main = findMainFigure();
  if (!main || *main != fig) return {};
  WindowDesign d;
  try {
    d = windowDesign();
  } catch (const std::exception&) {
    return {};  // the window is still being built
  }
  std::string text;
  for (const auto* reasons : {&d.unusable, &d.notes})
    for (const std::string& r : *reasons) text += (text.empty() ? "" : "\n") + r;
  return text;
}

}  // namespace design

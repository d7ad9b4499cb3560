// Figures, axes and controls of the program's own windows (the Match figure,
// the design dialog and the figures to come) made from typed descriptions:
// each part is one record of what it shows, where, and what it calls, rather
// than a list of property names and values.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/array/array.h"

namespace design {

// A place in pixels, from the figure's bottom left corner.
struct Box {
  double left = 0, bottom = 0, width = 0, height = 0;
  rt::Array array() const;
};

struct Rgb {
  double r = 0, g = 0, b = 0;
  rt::Array array() const;
};

struct FigureSpec {
  std::string name{}, tag{};
  Box position{};
  bool menuBar = true;
};
// A figure without its number in the title.
double makeFigure(const FigureSpec& spec);

// The open figure tagged `tag`, if any: how a dialog finds itself again.
std::optional<double> findFigure(std::string_view tag);

// Axes of `figure` that keep what is plotted into them.
double makeAxes(double figure, const Box& position);

struct ControlSpec {
  std::string style{};  // "text", "edit", "pushbutton", ...
  Box position{};
  std::string text{};
  std::string tag{};       // none when empty
  std::string callback{};  // the name of a registered function; none when empty
  std::optional<Rgb> foreground{}, background{};
};
// A control of `figure`, its text aligned left.
double makeControl(double figure, const ControlSpec& spec);

}  // namespace design

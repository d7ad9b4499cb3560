// Figures, axes and controls of the program's own windows (the Match figure,
// the design dialog and the figures to come) made from typed descriptions:
// each part is one record of what it shows, where, and what it calls, rather
// than a list of property names and values.
#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/array/array.h"

namespace figures {

// A place in pixels, from the figure's bottom left corner, at the size the
// figure was described with; the parts keep their share of the window when
// it is resized, so a figure shrunk to a small screen keeps all it shows.
struct Box {
  double left = 0, bottom = 0, width = 0, height = 0;
  rt::Array array() const;
};

struct Rgb {
  double r = 0, g = 0, b = 0;
  rt::Array array() const;
};

struct FigureDescription {
  std::string name{}, tag{};
  Box position{};
  bool menuBar = true;
};
// A figure without its number in the title.
double makeFigure(const FigureDescription& part);

// `box` (pixels of the figure as described) as fractions of that figure.
Box fractionOf(double figure, const Box& box);
// Moves an axes or control of `figure` to `box`, as makeAxes and
// makeControl place them.
void placePart(double part, double figure, const Box& box);

// The open figure tagged `tag`, if any: how a dialog finds itself again.
std::optional<double> findFigure(std::string_view tag);

// Registers `name` as a callback that runs `fn` on the open figure tagged
// `figureTag`, and does nothing once that figure is gone.
void registerFigureCallback(const char* name, const char* figureTag, void (*fn)(double figure));

// Axes of `figure` that keep what is plotted into them. Equal-aspect axes
// (a Smith chart, a polar plot) keep one data unit as long across as up
// whatever shape the window gives them.
double makeAxes(double figure, const Box& position, bool equalAspect = false);

struct ControlDescription {
  std::string style{};  // "text", "edit", "pushbutton", ...
  Box position{};
  std::string text{};
  std::string tag{};       // none when empty
  std::string callback{};  // the name of a registered function; none when empty
  std::optional<Rgb> foreground{}, background{};
};
// A control of `figure`, its text aligned left.
double makeControl(double figure, const ControlDescription& part);

// A line of axes `ax` through (x, y) in `colour`, with further properties
// as name-value pairs.
double makeLine(double ax, const std::vector<double>& x, const std::vector<double>& y, Rgb colour,
                std::initializer_list<rt::Array> style = {});
void setLineData(double line, const std::vector<double>& x, const std::vector<double>& y);

// Lines of text as a text control's String.
rt::Array textLines(const std::vector<std::string>& lines);

// A text control does not wrap its lines: `text` as lines of at most
// `width` characters, broken at spaces, and a word longer than that (a
// path) after one of its slashes.
std::vector<std::string> wrappedLines(std::string_view text, std::size_t width);

// The one open figure of a kind the program keeps one of at a time (T has
// alive(), false once the user closed it): a closed one is let go when next
// asked for.
template <class T>
class OneFigure {
 public:
  T* open() {
    if (figure_ && !figure_->alive()) figure_.reset();
    return figure_.get();
  }
  T& ensureOpen() {
    if (open() == nullptr) figure_ = std::make_unique<T>();
    return *figure_;
  }

 private:
  std::unique_ptr<T> figure_;
};

}  // namespace figures

// Figures, axes and controls of the program's own windows (the Match figure,
// the design dialog and the figures to come) made from typed descriptions:
// each part is one record of what it shows, where, and what it calls, rather
// than a list of property names and values.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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

// The colours the figures draw with, one a row, so that a thing has the
// same colour in every figure that shows it: the chosen model blue, a
// solver's result or a file red, the other model green.
struct Colours {
  Rgb model{0, 0.447, 0.741};       // the chosen model's lines and readout
  Rgb solver{0.85, 0.325, 0.098};   // a solver's result, a Touchstone file
  Rgb otherModel{0.2, 0.55, 0.2};   // the model the window does not show
  Rgb marker{0.494, 0.184, 0.556};  // the Match figure's markers
  Rgb message{0.75, 0, 0};          // why something was refused or failed
  Rgb smithGrid{0.72, 0.72, 0.72};  // the Smith chart's circles and arcs
  Rgb smithLabel{0.35, 0.35, 0.35};
  Rgb polarGrid{0.75, 0.75, 0.75};  // a polar plot's rings and spokes
  Rgb polarLabel{0.3, 0.3, 0.3};
  Rgb within{0.3, 0.6, 0.3};     // the VSWR 2 circle, the progress bar
  Rgb trough{0.85, 0.85, 0.85};  // behind the progress bar
  Rgb panel{1, 1, 1};            // edit boxes, and the Far-field figure behind its plots
  Rgb ink{0, 0, 0};              // the -10 dB line
};
inline constexpr Colours kColours{};

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

// Whether `fig` is a figure tagged `tag`: how a figure kept by OneFigure
// tells it is still open (its tag holds while it is being built, when its
// window's menus are made).
bool isFigureTagged(double fig, std::string_view tag);

// The open figure tagged `tag`, if any: how a dialog finds itself again.
std::optional<double> findFigure(std::string_view tag);

// Registers `name` as a callback that runs `fn` on the open figure tagged
// `figureTag`, and does nothing once that figure is gone.
void registerFigureCallback(std::string name, std::string figureTag,
                            std::function<void(double figure)> fn);

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

// Lines of text as a text control's String, and shown in `control`.
rt::Array textLines(const std::vector<std::string>& lines);
void setTextLines(double control, const std::vector<std::string>& lines);

// A text control does not wrap its lines: `text` as lines of at most
// `width` characters, broken at spaces, and a word longer than that (a
// path) after one of its slashes.
std::vector<std::string> wrappedLines(std::string_view text, std::size_t width);

// A dialog of the program's own controls, without a menu bar: its fields,
// a message line, and Apply and Cancel at its bottom right, tagged so that
// tests and scripts drive it like the main window. Cancel closes it. Apply
// runs `apply`, which gives whether the dialog has done its work and
// closes; a std::invalid_argument it raises is shown in the message line
// ("Not applied: ...") and the dialog stays open, nothing changed. The
// buttons' callbacks are named after the dialog's tag ("<tag>_apply",
// "<tag>_cancel"). Kept with OneFigure, so that opening it again gives the
// open one.
struct DialogDescription {
  FigureDescription figure{};    // its menuBar is not read
  ControlDescription message{};  // its tag is how Apply finds it
  double buttonsBottom = 0;
  std::string applyTag{}, cancelTag{};
  std::function<void(double dialog)> fields{};  // makes the dialog's own controls
  std::function<bool(double dialog)> apply{};
  std::function<void(double dialog)> opened{};  // once all is made, if given
};

class Dialog {
 public:
  explicit Dialog(const DialogDescription& description);
  double handle() const { return fig_; }
  bool alive() const;

 private:
  double fig_ = 0;
  std::string tag_;
};

// Makes `figure` the current one, where what is drawn next goes and which
// the front end brings to the front.
void makeCurrent(double figure);

// The one open figure of a kind the program keeps one of at a time (T has
// alive(), false once the user closed it, and handle(), its figure): a
// closed one is let go when next asked for.
template <class T>
class OneFigure {
 public:
  T* open() {
    if (figure_ && !figure_->alive()) figure_.reset();
    return figure_.get();
  }
  // The open one, or a new one made of `args`.
  template <class... Args>
  T& ensureOpen(Args&&... args) {
    if (open() == nullptr) figure_ = std::make_unique<T>(std::forward<Args>(args)...);
    return *figure_;
  }
  // The same, and current: an open one is made so, a new one is as made.
  template <class... Args>
  T& current(Args&&... args) {
    if (T* f = open()) {
      makeCurrent(f->handle());
      return *f;
    }
    return ensureOpen(std::forward<Args>(args)...);
  }

 private:
  std::unique_ptr<T> figure_;
};

}  // namespace figures

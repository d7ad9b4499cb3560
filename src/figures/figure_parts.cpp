// Each description becomes one call of the graphics runtime. A figure is
// placed in pixels; its parts are described in pixels of that size and
// stored as fractions of it, so they follow the window when it is resized
// or opened smaller on a small screen. The size described is kept with the
// figure for parts placed later.
#include "figures/figure_parts.h"

#include <span>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/graphics/graphics.h"

namespace figures {

rt::Array Box::array() const {
  return rt::row({left, bottom, width, height});
}

rt::Array Rgb::array() const {
  return rt::row({r, g, b});
}

void makeCurrent(double figure) {
  rt::set(rt::scalar(0), {rt::str("CurrentFigure"), rt::scalar(figure)});
}

bool isFigureTagged(double fig, std::string_view tag) {
  return rt::gfx::exists(fig) && rt::gfx::type(fig) == "figure" &&
         rt::gfx::prop(fig, "Tag").text() == tag;
}

std::optional<double> findFigure(std::string_view tag) {
  for (double f : rt::gfx::figures())
    if (rt::gfx::prop(f, "Tag").text() == tag) return f;
  return std::nullopt;
}

void registerFigureCallback(std::string name, std::string figureTag,
                            std::function<void(double figure)> fn) {
  rt::gfx::registerFunction(std::move(name), [figureTag = std::move(figureTag),
                                              fn = std::move(fn)](std::span<const rt::Array>) {
    if (std::optional<double> f = findFigure(figureTag)) fn(*f);
    return rt::Array();
  });
}

namespace {
const char* const kLayoutSize = "tessivarLayoutSize";
}  // namespace

double makeFigure(const FigureDescription& part) {
  std::vector<rt::Array> props = {rt::str("Name"), rt::str(part.name), rt::str("NumberTitle"),
                                  rt::str("off")};
  if (!part.menuBar) props.insert(props.end(), {rt::str("MenuBar"), rt::str("none")});
  props.insert(props.end(), {rt::str("Tag"), rt::str(part.tag), rt::str("Units"), rt::str("pixels"),
                             rt::str("Position"), part.position.array()});
  const double fig = rt::figure(props).scalar();
  rt::setappdata(rt::scalar(fig), rt::str(kLayoutSize),
                 rt::row({part.position.width, part.position.height}));
  return fig;
}

Box fractionOf(double figure, const Box& box) {
  const rt::Array size = rt::getappdata(rt::scalar(figure), rt::str(kLayoutSize));
  if (size.numel() != 2 || !(size.re()[0] > 0) || !(size.re()[1] > 0))
    throw std::invalid_argument("The figure was not made by makeFigure: it has no layout size.");
  const double w = size.re()[0], h = size.re()[1];
  return {box.left / w, box.bottom / h, box.width / w, box.height / h};
}

void placePart(double part, double figure, const Box& box) {
  rt::set(rt::scalar(part), {rt::str("Units"), rt::str("normalized"), rt::str("Position"),
                             fractionOf(figure, box).array()});
}

double makeAxes(double figure, const Box& position, bool equalAspect) {
  const double ax =
      rt::axes({rt::str("Parent"), rt::scalar(figure), rt::str("Units"), rt::str("normalized"),
                rt::str("Position"), fractionOf(figure, position).array(), rt::str("NextPlot"),
                rt::str("add")})
          .scalar();
  if (equalAspect) rt::set(rt::scalar(ax), {rt::str("DataAspectRatioMode"), rt::str("manual")});
  return ax;
}

double makeControl(double figure, const ControlDescription& part) {
  std::vector<rt::Array> props = {rt::str("Parent"), rt::scalar(figure), rt::str("Style"),
                                  rt::str(part.style)};
  if (!part.tag.empty()) props.insert(props.end(), {rt::str("Tag"), rt::str(part.tag)});
  props.insert(props.end(), {rt::str("Units"), rt::str("normalized"), rt::str("Position"),
                             fractionOf(figure, part.position).array(), rt::str("String"),
                             rt::str(part.text), rt::str("HorizontalAlignment"), rt::str("left")});
  if (!part.callback.empty())
    props.insert(props.end(), {rt::str("Callback"), rt::str(part.callback)});
  if (part.foreground)
    props.insert(props.end(), {rt::str("ForegroundColor"), part.foreground->array()});
  if (part.background)
    props.insert(props.end(), {rt::str("BackgroundColor"), part.background->array()});
  return rt::uicontrol(props).scalar();
}

namespace {
rt::Array rowOf(const std::vector<double>& v) {
  return rt::row(std::span<const double>(v));
}
}  // namespace

double makeLine(double ax, const std::vector<double>& x, const std::vector<double>& y, Rgb colour,
                std::initializer_list<rt::Array> style) {
  rt::axes(rt::scalar(ax));
  const rt::Array h = rt::plot(rowOf(x), rowOf(y));
  rt::set(h, {rt::str("Color"), colour.array()});
  rt::set(h, style);
  return h.scalar();
}

void setLineData(double line, const std::vector<double>& x, const std::vector<double>& y) {
  rt::set(rt::scalar(line), {rt::str("XData"), rowOf(x), rt::str("YData"), rowOf(y)});
}

namespace {
// Apply and Cancel, this wide and high, this far apart and from the right.
constexpr double kButtonWidth = 90, kButtonHeight = 28, kButtonGap = 10, kButtonMargin = 15;
}  // namespace

// The callbacks are registered anew with each dialog (the same functions
// under the same names); they find the dialog by its tag, so one closed
// meanwhile is left alone.
Dialog::Dialog(const DialogDescription& d) : tag_(d.figure.tag) {
  const std::string applyCallback = tag_ + "_apply", cancelCallback = tag_ + "_cancel";
  registerFigureCallback(
      applyCallback, tag_, [apply = d.apply, messageTag = d.message.tag](double dialog) {
        try {
          if (!apply(dialog)) return;
        } catch (const std::invalid_argument& e) {
          rt::set(rt::scalar(rt::findByTag(dialog, messageTag).value()),
                  {rt::str("String"), rt::str(std::string("Not applied: ") + e.what())});
          return;
        }
        rt::gfx::deleteObject(dialog);
      });
  registerFigureCallback(cancelCallback, tag_,
                         [](double dialog) { rt::gfx::deleteObject(dialog); });
  FigureDescription figure = d.figure;
  figure.menuBar = false;
  fig_ = makeFigure(figure);
  if (d.fields) d.fields(fig_);
  ControlDescription message = d.message;
  message.style = "text";
  makeControl(fig_, message);
  const double right = figure.position.width - kButtonMargin;
  makeControl(
      fig_, {"pushbutton",
             {right - 2 * kButtonWidth - kButtonGap, d.buttonsBottom, kButtonWidth, kButtonHeight},
             "Apply",
             d.applyTag,
             applyCallback});
  makeControl(fig_, {"pushbutton",
                     {right - kButtonWidth, d.buttonsBottom, kButtonWidth, kButtonHeight},
                     "Cancel",
                     d.cancelTag,
                     cancelCallback});
  if (d.opened) d.opened(fig_);
}

bool Dialog::alive() const {
  return isFigureTagged(fig_, tag_);
}

rt::Array textLines(const std::vector<std::string>& lines) {
  std::vector<rt::Array> cells;
  for (const std::string& l : lines) cells.push_back(rt::str(l));
  return rt::cellRow(std::move(cells));
}

void setTextLines(double control, const std::vector<std::string>& lines) {
  rt::set(rt::scalar(control), {rt::str("String"), textLines(lines)});
}

std::vector<std::string> wrappedLines(std::string_view text, std::size_t width) {
  std::vector<std::string> lines{""};
  std::istringstream words{std::string(text)};
  for (std::string w; words >> w;) {
    if (!lines.back().empty() && lines.back().size() + 1 + w.size() > width) lines.emplace_back();
    while (w.size() > width) {  // on a line of its own
      const std::size_t slash = w.rfind('/', width - 1);
      const std::size_t cut = slash == std::string::npos || slash == 0 ? width : slash + 1;
      lines.back() = w.substr(0, cut);
      w.erase(0, cut);
      lines.emplace_back();
    }
    lines.back() += (lines.back().empty() ? "" : " ") + w;
  }
  return lines;
}

}  // namespace figures

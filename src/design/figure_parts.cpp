// Each description becomes one call of the graphics runtime; units come
// before the position so that the position is read in pixels.
#include "design/figure_parts.h"

#include <span>
#include <vector>

#include "platform/graphics/graphics.h"

namespace design {

rt::Array Box::array() const {
  return rt::row({left, bottom, width, height});
}

rt::Array Rgb::array() const {
  return rt::row({r, g, b});
}

std::optional<double> findFigure(std::string_view tag) {
  for (double f : rt::gfx::figures())
    if (rt::gfx::prop(f, "Tag").text() == tag) return f;
  return std::nullopt;
}

void registerFigureCallback(const char* name, const char* figureTag, void (*fn)(double figure)) {
  rt::gfx::registerFunction(name, [figureTag, fn](std::span<const rt::Array>) {
    if (std::optional<double> f = findFigure(figureTag)) fn(*f);
    return rt::Array();
  });
}

double makeFigure(const FigureDescription& part) {
  std::vector<rt::Array> props = {rt::str("Name"), rt::str(part.name), rt::str("NumberTitle"),
                                  rt::str("off")};
  if (!part.menuBar) props.insert(props.end(), {rt::str("MenuBar"), rt::str("none")});
  props.insert(props.end(), {rt::str("Tag"), rt::str(part.tag), rt::str("Units"), rt::str("pixels"),
                             rt::str("Position"), part.position.array()});
  return rt::figure(props).scalar();
}

double makeAxes(double figure, const Box& position) {
  return rt::axes({rt::str("Parent"), rt::scalar(figure), rt::str("Units"), rt::str("pixels"),
                   rt::str("Position"), position.array(), rt::str("NextPlot"), rt::str("add")})
      .scalar();
}

double makeControl(double figure, const ControlDescription& part) {
  std::vector<rt::Array> props = {rt::str("Parent"), rt::scalar(figure), rt::str("Style"),
                                  rt::str(part.style)};
  if (!part.tag.empty()) props.insert(props.end(), {rt::str("Tag"), rt::str(part.tag)});
  props.insert(props.end(), {rt::str("Units"), rt::str("pixels"), rt::str("Position"),
                             part.position.array(), rt::str("String"), rt::str(part.text),
                             rt::str("HorizontalAlignment"), rt::str("left")});
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

rt::Array textLines(const std::vector<std::string>& lines) {
  std::vector<rt::Array> cells;
  for (const std::string& l : lines) cells.push_back(rt::str(l));
  return rt::cellRow(std::move(cells));
}

}  // namespace design

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

double makeFigure(const FigureSpec& spec) {
  std::vector<rt::Array> props = {rt::str("Name"), rt::str(spec.name), rt::str("NumberTitle"),
                                  rt::str("off")};
  if (!spec.menuBar) props.insert(props.end(), {rt::str("MenuBar"), rt::str("none")});
  props.insert(props.end(), {rt::str("Tag"), rt::str(spec.tag), rt::str("Units"), rt::str("pixels"),
                             rt::str("Position"), spec.position.array()});
  return rt::figure(props).scalar();
}

double makeAxes(double figure, const Box& position) {
  return rt::axes({rt::str("Parent"), rt::scalar(figure), rt::str("Units"), rt::str("pixels"),
                   rt::str("Position"), position.array(), rt::str("NextPlot"), rt::str("add")})
      .scalar();
}

double makeControl(double figure, const ControlSpec& spec) {
  std::vector<rt::Array> props = {rt::str("Parent"), rt::scalar(figure), rt::str("Style"),
                                  rt::str(spec.style)};
  if (!spec.tag.empty()) props.insert(props.end(), {rt::str("Tag"), rt::str(spec.tag)});
  props.insert(props.end(), {rt::str("Units"), rt::str("pixels"), rt::str("Position"),
                             spec.position.array(), rt::str("String"), rt::str(spec.text),
                             rt::str("HorizontalAlignment"), rt::str("left")});
  if (!spec.callback.empty())
    props.insert(props.end(), {rt::str("Callback"), rt::str(spec.callback)});
  if (spec.foreground)
    props.insert(props.end(), {rt::str("ForegroundColor"), spec.foreground->array()});
  if (spec.background)
    props.insert(props.end(), {rt::str("BackgroundColor"), spec.background->array()});
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

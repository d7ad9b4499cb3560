#include "platform/qt/renderer.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPolygonF>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <string>

#include "platform/graphics/graphics.h"
#include "platform/qt/face_raster.h"
#include "platform/qt/props.h"

namespace rt::qt {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = std::numbers::pi;

// Text needs the font database of a QGuiApplication.
bool textAvailable() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

struct Range {
  double lo = kInf;
  double hi = -kInf;
  bool valid() const { return lo <= hi; }
  void add(double v) {
    if (!std::isfinite(v)) return;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  void add(const std::vector<double>& vs) {
    for (double v : vs) add(v);
  }
};

std::vector<double> childrenOfType(double h, std::string_view type) {
  std::vector<double> out;
  try {
    for (double c : gfx::children(h)) {
      if (gfx::type(c) == type) out.push_back(c);
    }
  } catch (const std::exception&) {
  }
  return out;
}

bool visible(double h) {
  return propOn(h, "Visible", true);
}

// A non-degenerate range for an axis: the limits property when it holds two
// finite increasing numbers (the object system keeps it fitted to the data in
// automatic mode), else the data range.
Projection::Limits axisLimits(double ax, const char* limName, const Range& data) {
  std::vector<double> lim = propValues(ax, limName);
  if (lim.size() >= 2 && std::isfinite(lim[0]) && std::isfinite(lim[1]) && lim[0] < lim[1]) {
    return {lim[0], lim[1]};
  }
  if (!data.valid()) return {0, 1};
  if (data.lo == data.hi) {
    double pad = data.lo == 0 ? 1.0 : std::abs(data.lo) * 0.1;
    return {data.lo - pad, data.hi + pad};
  }
  return {data.lo, data.hi};
}

// --------------------------------------------------------------- text
enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Middle, Bottom };

HAlign hAlignOf(const std::string& k, HAlign fallback) {
  if (k == "left") return HAlign::Left;
  if (k == "center") return HAlign::Center;
  if (k == "right") return HAlign::Right;
  return fallback;
}

VAlign vAlignOf(const std::string& k, VAlign fallback) {
  if (k == "top" || k == "cap") return VAlign::Top;
  if (k == "middle") return VAlign::Middle;
  if (k == "bottom" || k == "baseline") return VAlign::Bottom;
  return fallback;
}

QSizeF textBlockSize(const QStringList& lines, const QFont& font) {
  if (!textAvailable() || lines.isEmpty()) return {};
  QFontMetricsF fm(font);
  double w = 0;
  for (const QString& l : lines) w = std::max(w, fm.horizontalAdvance(l));
  return {w, fm.lineSpacing() * lines.size()};
}

// The area of an unturned block of `size` anchored at `anchor`.
QRectF blockRect(QSizeF size, QPointF anchor, HAlign h, VAlign v) {
  double x0 = h == HAlign::Left ? 0 : h == HAlign::Center ? -size.width() / 2 : -size.width();
  double y0 = v == VAlign::Top ? 0 : v == VAlign::Middle ? -size.height() / 2 : -size.height();
  return {anchor + QPointF(x0, y0), size};
}

// Draws a block of lines anchored at `anchor`, turned by `rotationDeg`
// counter-clockwise about the anchor.
void drawTextBlock(QPainter& p, const QStringList& lines, QPointF anchor, const QFont& font,
                   const QColor& color, HAlign h, VAlign v, double rotationDeg = 0) {
  if (!textAvailable() || lines.isEmpty()) return;
  QSizeF size = textBlockSize(lines, font);
  QFontMetricsF fm(font);
  QPointF origin = blockRect(size, QPointF(0, 0), h, v).topLeft();
  double x0 = origin.x(), y0 = origin.y();
  int flags = h == HAlign::Left     ? Qt::AlignLeft
              : h == HAlign::Center ? Qt::AlignHCenter
                                    : Qt::AlignRight;
  p.save();
  p.translate(anchor);
  if (rotationDeg != 0) p.rotate(-rotationDeg);
  p.setFont(font);
  p.setPen(color);
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QRectF r(x0, y0 + i * fm.lineSpacing(), size.width(), fm.lineSpacing());
    p.drawText(r, flags | Qt::AlignVCenter | Qt::TextDontClip, lines[i]);
  }
  p.restore();
}

// A text object of an axes (title, labels): its lines, font and colour.
struct TextObject {
  QStringList lines;
  QFont font;
  QColor color = Qt::black;
  bool shown() const { return !lines.isEmpty() && !(lines.size() == 1 && lines[0].isEmpty()); }
};

TextObject readText(double t, double axesHeight) {
  TextObject obj;
  if (!std::isfinite(t) || !visible(t)) return obj;
  obj.lines = propLines(t, "String");
  if (!obj.shown()) return obj;
  if (textAvailable()) {
    obj.font = propFont(t, axesHeight);
    // A size below one point or pixel cannot be meant in those units: it is
    // the normalised size of an axes whose font the label copied (the label
    // functions copy FontSize but not FontUnits). Read it as the axes does.
    double size = propScalar(t, "FontSize", 10);
    double ax = gfx::exists(t) ? gfx::parent(t) : std::nan("");
    if (size < 1 && propKeyword(t, "FontUnits") != "normalized" &&
        propKeyword(ax, "FontUnits") == "normalized") {
      obj.font.setPixelSize(std::max(1, static_cast<int>(std::lround(size * axesHeight))));
    }
  }
  obj.color = propColor(t, "Color").value_or(Qt::black);
  return obj;
}

double labelHandle(double ax, const char* name) {
  Array h = tryProp(ax, name);
  if (h.isNull() || !h.isNumeric() || h.empty()) return std::nan("");
  double v = h.re()[0];
  return gfx::exists(v) ? v : std::nan("");
}

// Texts of an axes other than its title and labels, at their Position (in
// data units unless their Units say otherwise).
template <class ToScreen>
void drawFreeTexts(QPainter& p, double ax, const QRectF& box, ToScreen toScreen) {
  if (!textAvailable()) return;
  double labels[4] = {labelHandle(ax, "Title"), labelHandle(ax, "XLabel"),
                      labelHandle(ax, "YLabel"), labelHandle(ax, "ZLabel")};
  for (double t : childrenOfType(ax, "text")) {
    if (std::find(std::begin(labels), std::end(labels), t) != std::end(labels)) continue;
    TextObject obj = readText(t, box.height());
    std::vector<double> pos = propValues(t, "Position");
    if (!obj.shown() || pos.size() < 2) continue;
    double z = pos.size() >= 3 ? pos[2] : 0.0;
    std::string units = propKeyword(t, "Units");
    QPointF at;
    if (units.empty() || units == "data") {
      if (!std::isfinite(pos[0]) || !std::isfinite(pos[1]) || !std::isfinite(z)) continue;
      at = toScreen(pos[0], pos[1], z);
    } else {
      at = QPointF(box.left() + toPixels(pos[0], units, box.width()),
                   box.bottom() - toPixels(pos[1], units, box.height()));
    }
    double rotation = propScalar(t, "Rotation", 0);
    drawTextBlock(p, obj.lines, at, obj.font, obj.color,
                  hAlignOf(propKeyword(t, "HorizontalAlignment"), HAlign::Left),
                  vAlignOf(propKeyword(t, "VerticalAlignment"), VAlign::Middle),
                  std::isfinite(rotation) ? rotation : 0);
  }
}

// ----------------------------------------------------------- line helpers
Qt::PenStyle penStyleOf(const std::string& style) {
  if (style == "--") return Qt::DashLine;
  if (style == ":") return Qt::DotLine;
  if (style == "-.") return Qt::DashDotLine;
  if (style == "none") return Qt::NoPen;
  return Qt::SolidLine;
}

double pointsToPixels(double pt) {
  return pt * 96.0 / 72.0;
}

QPen linePen(double line) {
  QColor color = propColor(line, "Color").value_or(QColor(0, 0, 255));
  double width = propScalar(line, "LineWidth", 0.5);
  if (!std::isfinite(width) || width <= 0) width = 0.5;
  QPen pen(color, std::max(1.0, pointsToPixels(width)));
  pen.setStyle(penStyleOf(propKeyword(line, "LineStyle")));
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

void drawMarkers(QPainter& p, double line, const std::vector<QPointF>& points) {
  std::string marker = propKeyword(line, "Marker");
  if (marker.empty() || marker == "none" || points.empty()) return;
  double size = pointsToPixels(propScalar(line, "MarkerSize", 6.0));
  if (!std::isfinite(size) || size <= 0) size = 8;
  double r = size / 2;
  QColor color = propColor(line, "Color").value_or(QColor(0, 0, 255));
  p.save();
  p.setPen(QPen(color, 1));
  p.setBrush(Qt::NoBrush);
  for (const QPointF& c : points) {
    if (marker == "." || marker == "point") {
      p.setBrush(color);
      p.drawEllipse(c, 1.5, 1.5);
    } else if (marker == "o" || marker == "circle") {
      p.drawEllipse(c, r, r);
    } else if (marker == "s" || marker == "square") {
      p.drawRect(QRectF(c.x() - r, c.y() - r, size, size));
    } else if (marker == "x") {
      p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
      p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
    } else {  // "+", "*" and the others: a cross
      p.drawLine(c + QPointF(-r, 0), c + QPointF(r, 0));
      p.drawLine(c + QPointF(0, -r), c + QPointF(0, r));
      if (marker == "*") {
        p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
        p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
      }
    }
  }
  p.restore();
}

// Clips the segment a-b to `r` (Liang-Barsky); false when nothing is left.
bool clipSegment(QPointF& a, QPointF& b, const QRectF& r) {
  double t0 = 0, t1 = 1;
  double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  QPointF a0 = a;
  a = a0 + t0 * QPointF(dx, dy);
  b = a0 + t1 * QPointF(dx, dy);
  return true;
}

// Draws a polyline of device points, broken at non-finite points and clipped
// to `clip`. Coordinates far outside the device never reach the painter.
void drawClippedPolyline(QPainter& p, const std::vector<QPointF>& pts, const std::vector<bool>& ok,
                         const QRectF& clip) {
  QPolygonF run;
  auto flush = [&] {
    if (run.size() >= 2) p.drawPolyline(run);
    run.clear();
  };
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
    if (!ok[i] || !ok[i + 1]) {
      flush();
      continue;
    }
    QPointF a = pts[i], b = pts[i + 1];
    if (!clipSegment(a, b, clip)) {
      flush();
      continue;
    }
    if (run.isEmpty() || run.back() != a) {
      flush();
      run << a;
    }
    run << b;
    if (b != pts[i + 1]) flush();
  }
  flush();
  // A single finite point draws as a dot.
  if (pts.size() == 1 && ok[0] && clip.contains(pts[0])) p.drawPoint(pts[0]);
}

// ----------------------------------------------------------- 2-D axes
struct Axis2D {
  Projection::Limits lim;
  double pixel0, pixelLength;  // device coordinate of lim[0] and signed length
  double toPixel(double v) const { return pixel0 + (v - lim[0]) / (lim[1] - lim[0]) * pixelLength; }
};

QColor axisColor(double ax, const char* name) {
  return propColor(ax, name).value_or(Qt::black);
}

void paintAxes2D(QPainter& p, double ax, const QRectF& box) {
  std::vector<double> lines = childrenOfType(ax, "line");
  Range xs, ys;
  for (double l : lines) {
    if (!visible(l)) continue;
    xs.add(propValues(l, "XData"));
    ys.add(propValues(l, "YData"));
  }
  Axis2D xAxis{axisLimits(ax, "XLim", xs), box.left(), box.width()};
  Axis2D yAxis{axisLimits(ax, "YLim", ys), box.bottom(), -box.height()};

  bool text = textAvailable();
  QFont font = text ? propFont(ax, box.height()) : QFont();
  double fontPx = text ? QFontMetricsF(font).height() : 12.0;
  QColor xColor = axisColor(ax, "XColor"), yColor = axisColor(ax, "YColor");

  if (std::optional<QColor> bg = propColor(ax, "Color")) p.fillRect(box, *bg);

  int xMax = std::clamp(static_cast<int>(box.width() / std::max(3.2 * fontPx, 20.0)), 2, 11);
  int yMax = std::clamp(static_cast<int>(box.height() / std::max(2.5 * fontPx, 15.0)), 2, 11);
  Ticks xt = niceTicks(xAxis.lim[0], xAxis.lim[1], xMax);
  Ticks yt = niceTicks(yAxis.lim[0], yAxis.lim[1], yMax);

  // Grids under the data.
  p.setRenderHint(QPainter::Antialiasing, false);
  auto gridPen = [](QColor c) {
    c.setAlpha(90);
    QPen pen(c, 0);
    pen.setStyle(Qt::DotLine);
    return pen;
  };
  if (propOn(ax, "XGrid", false)) {
    p.setPen(gridPen(xColor));
    for (double v : xt.values) {
      double x = xAxis.toPixel(v);
      p.drawLine(QPointF(x, box.top()), QPointF(x, box.bottom()));
    }
  }
  if (propOn(ax, "YGrid", false)) {
    p.setPen(gridPen(yColor));
    for (double v : yt.values) {
      double y = yAxis.toPixel(v);
      p.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
    }
  }

  // Lines, on pixel centres so that thin level lines stay crisp.
  p.save();
  p.translate(0.5, 0.5);
  p.setRenderHint(QPainter::Antialiasing, true);
  QRectF clip = box.adjusted(-1, -1, 1, 1);
  for (double l : lines) {
    if (!visible(l)) continue;
    std::vector<double> xd = propValues(l, "XData"), yd = propValues(l, "YData");
    std::size_t n = std::min(xd.size(), yd.size());
    std::vector<QPointF> pts(n);
    std::vector<bool> ok(n);
    std::vector<QPointF> marks;
    for (std::size_t i = 0; i < n; ++i) {
      ok[i] = std::isfinite(xd[i]) && std::isfinite(yd[i]);
      if (ok[i]) pts[i] = QPointF(xAxis.toPixel(xd[i]), yAxis.toPixel(yd[i]));
      if (ok[i] && clip.contains(pts[i])) marks.push_back(pts[i]);
    }
    QPen pen = linePen(l);
    if (pen.style() != Qt::NoPen) {
      p.setPen(pen);
      drawClippedPolyline(p, pts, ok, clip);
    }
    drawMarkers(p, l, marks);
  }
  p.restore();

  // Box, ticks and tick labels.
  p.setRenderHint(QPainter::Antialiasing, false);
  double tickLen = std::max(3.0, 0.01 * std::max(box.width(), box.height()));
  p.setPen(QPen(xColor, 0));
  p.drawLine(box.bottomLeft(), box.bottomRight());
  p.drawLine(box.topLeft(), box.topRight());
  for (double v : xt.values) {
    double x = xAxis.toPixel(v);
    p.drawLine(QPointF(x, box.bottom()), QPointF(x, box.bottom() - tickLen));
    p.drawLine(QPointF(x, box.top()), QPointF(x, box.top() + tickLen));
  }
  p.setPen(QPen(yColor, 0));
  p.drawLine(box.topLeft(), box.bottomLeft());
  p.drawLine(box.topRight(), box.bottomRight());
  for (double v : yt.values) {
    double y = yAxis.toPixel(v);
    p.drawLine(QPointF(box.left(), y), QPointF(box.left() + tickLen, y));
    p.drawLine(QPointF(box.right(), y), QPointF(box.right() - tickLen, y));
  }
  if (!text) return;
  p.setRenderHint(QPainter::Antialiasing, true);
  double gap = 0.3 * fontPx;
  TickLabels xl = formatTicks(xt), yl = formatTicks(yt);
  for (std::size_t i = 0; i < xt.values.size(); ++i) {
    drawTextBlock(p, {xl.labels[i]}, QPointF(xAxis.toPixel(xt.values[i]), box.bottom() + gap), font,
                  xColor, HAlign::Center, VAlign::Top);
  }
  double yLabelWidth = 0;
  for (std::size_t i = 0; i < yt.values.size(); ++i) {
    yLabelWidth = std::max(yLabelWidth, textBlockSize({yl.labels[i]}, font).width());
    drawTextBlock(p, {yl.labels[i]}, QPointF(box.left() - gap, yAxis.toPixel(yt.values[i])), font,
                  yColor, HAlign::Right, VAlign::Middle);
  }
  if (xl.exponent != 0) {
    drawTextBlock(p, {QStringLiteral("x10^%1").arg(xl.exponent)},
                  QPointF(box.right(), box.bottom() + gap + fontPx), font, xColor, HAlign::Right,
                  VAlign::Top);
  }
  if (yl.exponent != 0) {
    drawTextBlock(p, {QStringLiteral("x10^%1").arg(yl.exponent)},
                  QPointF(box.left(), box.top() - gap), font, yColor, HAlign::Left, VAlign::Bottom);
  }

  drawFreeTexts(p, ax, box, [&](double x, double y, double) {
    return QPointF(xAxis.toPixel(x), yAxis.toPixel(y));
  });

  // Labels: title above, x label below, y label turned on the left.
  TextObject title = readText(labelHandle(ax, "Title"), box.height());
  TextObject xlabel = readText(labelHandle(ax, "XLabel"), box.height());
  TextObject ylabel = readText(labelHandle(ax, "YLabel"), box.height());
  double titleRaise = yl.exponent != 0 ? fontPx + gap : 0;
  if (title.shown()) {
    drawTextBlock(p, title.lines, QPointF(box.center().x(), box.top() - gap - titleRaise),
                  title.font, title.color, HAlign::Center, VAlign::Bottom);
  }
  if (xlabel.shown()) {
    drawTextBlock(p, xlabel.lines, QPointF(box.center().x(), box.bottom() + 2 * gap + fontPx),
                  xlabel.font, xlabel.color, HAlign::Center, VAlign::Top);
  }
  if (ylabel.shown()) {
    drawTextBlock(p, ylabel.lines, QPointF(box.left() - 2 * gap - yLabelWidth, box.center().y()),
                  ylabel.font, ylabel.color, HAlign::Center, VAlign::Bottom, 90);
  }
}

// ----------------------------------------------------------- 3-D axes
// The points of a surface on its m x n grid, column by column.
struct SurfaceGrid {
  std::size_t m = 0, n = 0;
  std::vector<double> x, y, z, c;
};

// Expands XData (a row of n or an m x n matrix) and YData (m or m x n) to
// the grid of ZData; false when the sizes do not fit.
bool readSurface(double s, SurfaceGrid& g) {
  Array z = tryProp(s, "ZData");
  if (z.isNull() || !z.isNumeric() || z.empty()) return false;
  g.m = z.rows();
  g.n = z.cols();
  std::size_t count = g.m * g.n;
  g.z.assign(z.re().begin(), z.re().end());
  std::vector<double> xd = propValues(s, "XData"), yd = propValues(s, "YData");
  g.x.resize(count);
  g.y.resize(count);
  for (std::size_t j = 0; j < g.n; ++j) {
    for (std::size_t i = 0; i < g.m; ++i) {
      std::size_t k = j * g.m + i;
      if (xd.size() == count) {
        g.x[k] = xd[k];
      } else if (xd.size() == g.n) {
        g.x[k] = xd[j];
      } else if (xd.empty()) {
        g.x[k] = static_cast<double>(j + 1);
      } else {
        return false;
      }
      if (yd.size() == count) {
        g.y[k] = yd[k];
      } else if (yd.size() == g.m) {
        g.y[k] = yd[i];
      } else if (yd.empty()) {
        g.y[k] = static_cast<double>(i + 1);
      } else {
        return false;
      }
    }
  }
  std::vector<double> cd = propValues(s, "CData");
  g.c = cd.size() == count ? std::move(cd) : g.z;
  return true;
}

struct Face {
  float depth;
  std::uint32_t surface;
  std::uint32_t index;  // grid index of the face's first corner
};

struct SurfaceStyle {
  enum Kind { Mapped, Fixed, None } face = Mapped, edge = Fixed;
  QColor faceColor, edgeColor = Qt::black;
};

SurfaceStyle surfaceStyle(double s) {
  SurfaceStyle st;
  Array fc = tryProp(s, "FaceColor");
  if (!fc.isNull() && fc.isChar()) {
    std::string k = propKeyword(s, "FaceColor");
    if (k == "none") {
      st.face = SurfaceStyle::None;
    } else if (std::optional<QColor> c = toColor(fc)) {
      st.face = SurfaceStyle::Fixed;
      st.faceColor = *c;
    }
  } else if (std::optional<QColor> c = toColor(fc)) {
    st.face = SurfaceStyle::Fixed;
    st.faceColor = *c;
  }
  Array ec = tryProp(s, "EdgeColor");
  std::string ek = propKeyword(s, "EdgeColor");
  if (ek == "none") {
    st.edge = SurfaceStyle::None;
  } else if (ek == "flat" || ek == "interp") {
    st.edge = SurfaceStyle::Mapped;
  } else if (std::optional<QColor> c = toColor(ec)) {
    st.edgeColor = *c;
  }
  return st;
}

// Colour limits: CLim (kept at the finite range of the colour data in
// automatic mode by the object system), else the range of the data here.
Projection::Limits colorLimits(double ax, const std::vector<SurfaceGrid>& grids) {
  std::vector<double> clim = propValues(ax, "CLim");
  if (clim.size() >= 2 && std::isfinite(clim[0]) && std::isfinite(clim[1]) && clim[0] < clim[1]) {
    return {clim[0], clim[1]};
  }
  Range r;
  for (const SurfaceGrid& g : grids) r.add(g.c);
  if (!r.valid()) return {0, 1};
  if (r.lo == r.hi) return {r.lo - 1, r.hi + 1};
  return {r.lo, r.hi};
}

int colorIndex(double c, const Projection::Limits& clim, int mapSize) {
  int i = static_cast<int>(std::floor((c - clim[0]) / (clim[1] - clim[0]) * mapSize));
  return std::clamp(i, 0, mapSize - 1);
}

// The edge of the data box parallel to `axis` chosen by `better` among the
// four candidates; returns the two free coordinates.
struct Edge {
  int axis;
  double a, b;  // the other two coordinates, in axis order
  QPointF from, to;
};

QPointF project(const Projection& pr, int axis, double t, double a, double b) {
  switch (axis) {
    case 0:
      return pr.toScreen(t, a, b);
    case 1:
      return pr.toScreen(a, t, b);
    default:
      return pr.toScreen(a, b, t);
  }
}

template <class Better>
Edge pickEdge(const Projection& pr, int axis, Better better) {
  const auto& L = pr.limits();
  int o1 = axis == 0 ? 1 : 0, o2 = axis == 2 ? 1 : 2;
  std::optional<Edge> best;
  for (double a : L[o1]) {
    for (double b : L[o2]) {
      Edge e{axis, a, b, project(pr, axis, L[axis][0], a, b), project(pr, axis, L[axis][1], a, b)};
      if (!best || better(e, *best)) best = e;
    }
  }
  return *best;
}

QPointF midpoint(const Edge& e) {
  return (e.from + e.to) / 2;
}

// A face ready to draw: its corners on the device and its colours (none:
// not drawn).
struct FaceDraw {
  QPointF quad[4];
  std::optional<QRgb> fill, edge;
};

// Draws faces in order, clipped to `area`. Raster devices get them through a
// transparent layer filled by FaceRaster; other devices (SVG) as polygons.
void drawFaces(QPainter& p, const std::vector<FaceDraw>& faces, const QRectF& area) {
  if (faces.empty()) return;
  QPaintEngine* engine = p.paintEngine();
  if (engine && engine->type() == QPaintEngine::Raster &&
      p.worldTransform().type() <= QTransform::TxTranslate) {
    double left = kInf, top = kInf, right = -kInf, bottom = -kInf;
    for (const FaceDraw& f : faces) {
      for (const QPointF& q : f.quad) {
        left = std::min(left, q.x());
        right = std::max(right, q.x());
        top = std::min(top, q.y());
        bottom = std::max(bottom, q.y());
      }
    }
    left = std::max(left, area.left());
    top = std::max(top, area.top());
    right = std::min(right + 1, area.right());
    bottom = std::min(bottom + 1, area.bottom());
    if (!(left < right && top < bottom)) return;
    QRect r = QRectF(QPointF(left, top), QPointF(right, bottom)).toAlignedRect();
    if (r.isEmpty()) return;
    const qreal dpr = std::max<qreal>(1, p.device()->devicePixelRatioF());
    QImage layer(r.size() * dpr, QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull()) return;
    layer.fill(Qt::transparent);
    FaceRaster raster(layer);
    auto local = [&](const QPointF& q) { return (q - r.topLeft()) * dpr; };
    for (const FaceDraw& f : faces) {
      const QPointF quad[4] = {local(f.quad[0]), local(f.quad[1]), local(f.quad[2]),
                               local(f.quad[3])};
      if (f.fill) raster.fillQuad(quad, *f.fill);
      if (f.edge) {
        for (int e = 0; e < 4; ++e) raster.line(quad[e], quad[(e + 1) % 4], *f.edge);
      }
    }
    layer.setDevicePixelRatio(dpr);
    p.drawImage(r.topLeft(), layer);
    return;
  }
  p.save();
  p.setClipRect(area, Qt::IntersectClip);
  std::optional<QRgb> brush, pen;
  p.setBrush(Qt::NoBrush);
  p.setPen(Qt::NoPen);
  for (const FaceDraw& f : faces) {
    // Brush and pen change only with the colour: state changes are slow.
    if (f.fill != brush) {
      brush = f.fill;
      p.setBrush(brush ? QBrush(QColor(*brush)) : QBrush(Qt::NoBrush));
    }
    if (f.edge != pen) {
      pen = f.edge;
      p.setPen(pen ? QPen(QColor(*pen), 0) : QPen(Qt::NoPen));
    }
    p.drawConvexPolygon(f.quad, 4);
  }
  p.restore();
}

void paintAxes3D(QPainter& p, double ax, const QRectF& box) {
  std::vector<double> surfaces = childrenOfType(ax, "surface");
  std::vector<double> lines = childrenOfType(ax, "line");
  std::vector<SurfaceGrid> grids;
  std::vector<double> gridOwner;
  Range ranges[3];
  for (double s : surfaces) {
    SurfaceGrid g;
    if (!visible(s) || !readSurface(s, g)) continue;
    std::size_t count = g.m * g.n;
    for (std::size_t k = 0; k < count; ++k) {
      if (std::isfinite(g.x[k]) && std::isfinite(g.y[k]) && std::isfinite(g.z[k])) {
        ranges[0].add(g.x[k]);
        ranges[1].add(g.y[k]);
        ranges[2].add(g.z[k]);
      }
    }
    grids.push_back(std::move(g));
    gridOwner.push_back(s);
  }
  for (double l : lines) {
    if (!visible(l)) continue;
    ranges[0].add(propValues(l, "XData"));
    ranges[1].add(propValues(l, "YData"));
    ranges[2].add(propValues(l, "ZData"));
  }
  std::array<Projection::Limits, 3> lim = {
      axisLimits(ax, "XLim", ranges[0]),
      axisLimits(ax, "YLim", ranges[1]),
      axisLimits(ax, "ZLim", ranges[2]),
  };
  std::vector<double> view = propValues(ax, "View");
  double az = view.size() >= 2 && std::isfinite(view[0]) ? view[0] : -37.5;
  double el = view.size() >= 2 && std::isfinite(view[1]) ? view[1] : 30.0;

  bool text = textAvailable();
  QFont font = text ? propFont(ax, box.height()) : QFont();
  double fontPx = text ? QFontMetricsF(font).height() : 12.0;
  // Room for the tick labels and axis labels around the box.
  double margin = text ? 2.2 * fontPx : 4.0;
  QRectF viewport = box.adjusted(margin, margin * 0.5, -margin, -margin);
  if (viewport.width() < 10 || viewport.height() < 10) viewport = box;
  Projection pr(az, el, lim, viewport);

  // The planes of the box away from the viewer, one per axis.
  std::array<double, 3> back;
  std::array<double, 3> mid = {(lim[0][0] + lim[0][1]) / 2, (lim[1][0] + lim[1][1]) / 2,
                               (lim[2][0] + lim[2][1]) / 2};
  for (int k = 0; k < 3; ++k) {
    std::array<double, 3> lo = mid, hi = mid;
    lo[k] = lim[k][0];
    hi[k] = lim[k][1];
    back[k] =
        pr.depth(lo[0], lo[1], lo[2]) <= pr.depth(hi[0], hi[1], hi[2]) ? lim[k][0] : lim[k][1];
  }
  auto planePoint = [&](int k, double fixed, int a, double va, int b, double vb) {
    double c[3];
    c[k] = fixed;
    c[a] = va;
    c[b] = vb;
    return pr.toScreen(c[0], c[1], c[2]);
  };
  auto others = [](int k) { return std::pair<int, int>{k == 0 ? 1 : 0, k == 2 ? 1 : 2}; };

  QColor colors[3] = {axisColor(ax, "XColor"), axisColor(ax, "YColor"), axisColor(ax, "ZColor")};
  std::optional<QColor> bg = propColor(ax, "Color");
  p.setRenderHint(QPainter::Antialiasing, false);
  for (int k = 0; k < 3; ++k) {
    auto [a, b] = others(k);
    QPointF quad[4] = {planePoint(k, back[k], a, lim[a][0], b, lim[b][0]),
                       planePoint(k, back[k], a, lim[a][1], b, lim[b][0]),
                       planePoint(k, back[k], a, lim[a][1], b, lim[b][1]),
                       planePoint(k, back[k], a, lim[a][0], b, lim[b][1])};
    if (bg) {
      p.setPen(Qt::NoPen);
      p.setBrush(*bg);
      p.drawConvexPolygon(quad, 4);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colors[a], 0));
    p.drawLine(quad[0], quad[1]);
    p.drawLine(quad[3], quad[2]);
    p.setPen(QPen(colors[b], 0));
    p.drawLine(quad[0], quad[3]);
    p.drawLine(quad[1], quad[2]);
  }

  // Ticks per axis; grids on the two back planes that hold the axis.
  std::array<Ticks, 3> ticks;
  const char* gridNames[3] = {"XGrid", "YGrid", "ZGrid"};
  for (int k = 0; k < 3; ++k) {
    QPointF e0 = project(pr, k, lim[k][0], mid[others(k).first], mid[others(k).second]);
    QPointF e1 = project(pr, k, lim[k][1], mid[others(k).first], mid[others(k).second]);
    double len = std::hypot(e1.x() - e0.x(), e1.y() - e0.y());
    if (len < 2 * fontPx) continue;  // seen end on: no ticks
    ticks[k] = niceTicks(lim[k][0], lim[k][1],
                         std::clamp(static_cast<int>(len / std::max(3.5 * fontPx, 20.0)), 3, 9));
    if (!propOn(ax, gridNames[k], false)) continue;
    QColor gc = colors[k];
    gc.setAlpha(90);
    QPen pen(gc, 0);
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    for (int plane = 0; plane < 3; ++plane) {
      if (plane == k) continue;
      int free = 3 - plane - k;
      for (double t : ticks[k].values) {
        double c0[3], c1[3];
        c0[plane] = c1[plane] = back[plane];
        c0[k] = c1[k] = t;
        c0[free] = lim[free][0];
        c1[free] = lim[free][1];
        p.drawLine(pr.toScreen(c0[0], c0[1], c0[2]), pr.toScreen(c1[0], c1[1], c1[2]));
      }
    }
  }

  // Surfaces, all faces of the axes back to front.
  std::vector<QColor> cmap = figureColormap(figureOf(ax));
  Projection::Limits clim = colorLimits(ax, grids);
  std::vector<std::vector<QPointF>> screen(grids.size());
  std::vector<Face> faces;
  std::vector<SurfaceStyle> styles;
  for (std::size_t s = 0; s < grids.size(); ++s) {
    const SurfaceGrid& g = grids[s];
    styles.push_back(surfaceStyle(gridOwner[s]));
    std::size_t count = g.m * g.n;
    std::vector<float> depth(count);
    std::vector<bool> ok(count);
    screen[s].resize(count);
    for (std::size_t k = 0; k < count; ++k) {
      ok[k] = std::isfinite(g.x[k]) && std::isfinite(g.y[k]) && std::isfinite(g.z[k]);
      if (!ok[k]) continue;
      screen[s][k] = pr.toScreen(g.x[k], g.y[k], g.z[k]);
      depth[k] = static_cast<float>(pr.depth(g.x[k], g.y[k], g.z[k]));
    }
    for (std::size_t j = 0; j + 1 < g.n; ++j) {
      for (std::size_t i = 0; i + 1 < g.m; ++i) {
        std::size_t k00 = j * g.m + i, k10 = k00 + 1, k01 = k00 + g.m, k11 = k01 + 1;
        if (!ok[k00] || !ok[k10] || !ok[k01] || !ok[k11]) continue;
        float d = (depth[k00] + depth[k10] + depth[k01] + depth[k11]) / 4;
        faces.push_back({d, static_cast<std::uint32_t>(s), static_cast<std::uint32_t>(k00)});
      }
    }
  }
  std::sort(faces.begin(), faces.end(),
            [](const Face& a, const Face& b) { return a.depth < b.depth; });
  std::vector<FaceDraw> draws;
  draws.reserve(faces.size());
  int mapSize = static_cast<int>(cmap.size());
  for (const Face& f : faces) {
    const SurfaceGrid& g = grids[f.surface];
    const SurfaceStyle& st = styles[f.surface];
    const std::vector<QPointF>& pts = screen[f.surface];
    std::size_t k00 = f.index, k10 = k00 + 1, k01 = k00 + g.m, k11 = k01 + 1;
    double c = g.c[k00];
    std::optional<QRgb> mapped;
    if (std::isfinite(c)) mapped = cmap[colorIndex(c, clim, mapSize)].rgb();
    FaceDraw d{{pts[k00], pts[k01], pts[k11], pts[k10]}, std::nullopt, std::nullopt};
    if (st.face == SurfaceStyle::Mapped) {
      if (!mapped) continue;  // a face without a colour value is left out
      d.fill = mapped;
    } else if (st.face == SurfaceStyle::Fixed) {
      d.fill = st.faceColor.rgb();
    }
    if (st.edge == SurfaceStyle::Mapped) {
      d.edge = mapped;
    } else if (st.edge == SurfaceStyle::Fixed) {
      d.edge = st.edgeColor.rgb();
    }
    if (d.fill || d.edge) draws.push_back(d);
  }
  drawFaces(p, draws, box);

  // Lines in space.
  p.save();
  p.translate(0.5, 0.5);
  p.setRenderHint(QPainter::Antialiasing, true);
  for (double l : lines) {
    if (!visible(l)) continue;
    std::vector<double> xd = propValues(l, "XData"), yd = propValues(l, "YData"),
                        zd = propValues(l, "ZData");
    std::size_t n = std::min(xd.size(), yd.size());
    std::vector<QPointF> pts(n);
    std::vector<bool> ok(n);
    for (std::size_t i = 0; i < n; ++i) {
      double z = zd.size() == n ? zd[i] : 0.0;
      ok[i] = std::isfinite(xd[i]) && std::isfinite(yd[i]) && std::isfinite(z);
      if (ok[i]) pts[i] = pr.toScreen(xd[i], yd[i], z);
    }
    QPen pen = linePen(l);
    if (pen.style() == Qt::NoPen) continue;
    p.setPen(pen);
    drawClippedPolyline(p, pts, ok, box);
  }
  p.restore();

  // Ticks and labels on the outer edges: x and y along the lowest edges on
  // the screen, z along the leftmost upright edge.
  QPointF centre = pr.toScreen(mid[0], mid[1], mid[2]);
  auto lowest = [](const Edge& a, const Edge& b) { return midpoint(a).y() > midpoint(b).y(); };
  auto leftmost = [](const Edge& a, const Edge& b) { return midpoint(a).x() < midpoint(b).x(); };
  Edge edges[3] = {pickEdge(pr, 0, lowest), pickEdge(pr, 1, lowest), pickEdge(pr, 2, leftmost)};
  TextObject labels[3] = {readText(labelHandle(ax, "XLabel"), box.height()),
                          readText(labelHandle(ax, "YLabel"), box.height()),
                          readText(labelHandle(ax, "ZLabel"), box.height())};
  double tickLen = std::max(3.0, 0.012 * std::max(viewport.width(), viewport.height()));
  double gap = 0.3 * fontPx;
  std::vector<QRectF> placed;
  for (int k = 0; k < 3; ++k) {
    const Edge& e = edges[k];
    QPointF out = midpoint(e) - centre;
    double norm = std::hypot(out.x(), out.y());
    if (norm < 1e-9) continue;
    out /= norm;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(colors[k], 0));
    p.drawLine(e.from, e.to);
    TickLabels tl = formatTicks(ticks[k]);
    HAlign ha = out.x() > 0.3 ? HAlign::Left : out.x() < -0.3 ? HAlign::Right : HAlign::Center;
    VAlign va = out.y() > 0.3 ? VAlign::Top : out.y() < -0.3 ? VAlign::Bottom : VAlign::Middle;
    QSizeF extent;
    for (std::size_t i = 0; i < ticks[k].values.size(); ++i) {
      QPointF at = project(pr, k, ticks[k].values[i], e.a, e.b);
      p.setRenderHint(QPainter::Antialiasing, false);
      p.setPen(QPen(colors[k], 0));
      p.drawLine(at, at + out * tickLen);
      if (!text) continue;
      p.setRenderHint(QPainter::Antialiasing, true);
      // Labels of two axes may meet at a corner of the box: the first stays.
      QSizeF s = textBlockSize({tl.labels[i]}, font);
      QRectF area = blockRect(s, at + out * (tickLen + gap), ha, va);
      extent = extent.expandedTo(s);
      if (std::any_of(placed.begin(), placed.end(),
                      [&](const QRectF& r) { return r.intersects(area); })) {
        continue;
      }
      placed.push_back(area);
      drawTextBlock(p, {tl.labels[i]}, at + out * (tickLen + gap), font, colors[k], ha, va);
    }
    if (!text || !labels[k].shown()) continue;
    double reach = tickLen + 2 * gap + std::abs(out.x()) * extent.width() +
                   std::abs(out.y()) * extent.height();
    p.setRenderHint(QPainter::Antialiasing, true);
    if (k == 2) {
      drawTextBlock(p, labels[k].lines, midpoint(e) + out * reach, labels[k].font, labels[k].color,
                    HAlign::Center, out.x() < 0 ? VAlign::Bottom : VAlign::Top, 90);
    } else {
      drawTextBlock(p, labels[k].lines, midpoint(e) + out * reach, labels[k].font, labels[k].color,
                    ha, va);
    }
  }

  drawFreeTexts(p, ax, box, [&](double x, double y, double z) { return pr.toScreen(x, y, z); });

  TextObject title = readText(labelHandle(ax, "Title"), box.height());
  if (text && title.shown()) {
    double top = kInf;
    for (double x : lim[0])
      for (double y : lim[1])
        for (double z : lim[2]) top = std::min(top, pr.toScreen(x, y, z).y());
    p.setRenderHint(QPainter::Antialiasing, true);
    drawTextBlock(p, title.lines, QPointF(box.center().x(), top - gap), title.font, title.color,
                  HAlign::Center, VAlign::Bottom);
  }
}

// ------------------------------------------------------------- controls
// A plain drawing of a control for figures painted without widgets.
void paintControl(QPainter& p, double c, const QRectF& figureRect) {
  if (!visible(c)) return;
  QRectF r = positionRect(c, figureRect);
  if (r.isEmpty()) return;
  std::string style = propKeyword(c, "Style");
  QColor bg = propColor(c, "BackgroundColor").value_or(QColor(204, 204, 204));
  QColor fg = propColor(c, "ForegroundColor").value_or(Qt::black);
  p.setRenderHint(QPainter::Antialiasing, false);
  QStringList lines = propLines(c, "String");
  HAlign ha = hAlignOf(propKeyword(c, "HorizontalAlignment"), HAlign::Center);
  QFont font = textAvailable() ? propFont(c, r.height()) : QFont();
  auto label = [&](const QRectF& area, VAlign va) {
    if (lines.isEmpty()) return;
    QPointF anchor(ha == HAlign::Left    ? area.left() + 2
                   : ha == HAlign::Right ? area.right() - 2
                                         : area.center().x(),
                   va == VAlign::Top ? area.top() : area.center().y());
    p.save();
    p.setClipRect(area);
    p.setRenderHint(QPainter::Antialiasing, true);
    drawTextBlock(p, lines, anchor, font, fg, ha, va);
    p.restore();
  };
  if (style == "frame") {
    p.fillRect(r, bg);
    p.setPen(QPen(bg.lighter(150), 0));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(QPen(bg.darker(150), 0));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
  } else if (style == "text") {
    p.fillRect(r, bg);
    label(r, VAlign::Top);
  } else if (style == "edit") {
    p.fillRect(r, bg);
    p.setPen(QPen(QColor(128, 128, 128), 0));
    p.drawRect(r);
    label(r, VAlign::Middle);
  } else if (style == "slider") {
    p.fillRect(r, bg.darker(110));
    bool horizontal = r.width() >= r.height();
    double arrow =
        horizontal ? std::min(r.height(), r.width() / 3) : std::min(r.width(), r.height() / 3);
    QColor button(212, 208, 200);
    double lo = propScalar(c, "Min", 0), hi = propScalar(c, "Max", 1),
           v = propScalar(c, "Value", lo);
    double f = hi > lo && std::isfinite(v) ? std::clamp((v - lo) / (hi - lo), 0.0, 1.0) : 0.0;
    if (horizontal) {
      double track = r.width() - 2 * arrow, thumb = std::max(arrow * 0.8, track * 0.1);
      p.fillRect(QRectF(r.left(), r.top(), arrow, r.height()), button);
      p.fillRect(QRectF(r.right() - arrow, r.top(), arrow, r.height()), button);
      p.fillRect(QRectF(r.left() + arrow + f * (track - thumb), r.top(), thumb, r.height()),
                 button);
    } else {
      double track = r.height() - 2 * arrow, thumb = std::max(arrow * 0.8, track * 0.1);
      p.fillRect(QRectF(r.left(), r.top(), r.width(), arrow), button);
      p.fillRect(QRectF(r.left(), r.bottom() - arrow, r.width(), arrow), button);
      p.fillRect(
          QRectF(r.left(), r.bottom() - arrow - thumb - f * (track - thumb), r.width(), thumb),
          button);
    }
    p.setPen(QPen(QColor(128, 128, 128), 0));
    p.drawRect(r);
  } else {
    p.fillRect(r, bg);
    p.setPen(QPen(bg.darker(150), 0));
    p.drawRect(r);
    ha = HAlign::Center;
    label(r, VAlign::Middle);
  }
}

}  // namespace

// ---------------------------------------------------------------- ticks
Ticks niceTicks(double lo, double hi, int maxTicks) {
  Ticks t;
  if (!std::isfinite(lo) || !std::isfinite(hi) || !(lo < hi) || maxTicks < 1) return t;
  double span = hi - lo;
  if (!std::isfinite(span)) return t;
  double rough = span / std::max(1, maxTicks - 1);
  double power = std::pow(10.0, std::floor(std::log10(rough)));
  static constexpr double kMantissas[] = {1, 2, 5, 10, 20};
  for (double m : kMantissas) {
    double step = m * power;
    if (!(step > 0) || !std::isfinite(step)) return t;
    double first = std::ceil(lo / step - 1e-9), last = std::floor(hi / step + 1e-9);
    if (last - first + 1 > maxTicks) continue;
    t.step = step;
    for (double k = first; k <= last; ++k) {
      double v = k * step;
      t.values.push_back(std::abs(v) < step * 1e-9 ? 0.0 : v);
    }
    return t;
  }
  return t;
}

TickLabels formatTicks(const Ticks& ticks) {
  TickLabels out;
  if (ticks.values.empty() || !(ticks.step > 0)) return out;
  double biggest = 0;
  for (double v : ticks.values) biggest = std::max(biggest, std::abs(v));
  int exponent = 0;
  if (biggest >= 1e5 || (biggest > 0 && biggest < 1e-3)) {
    exponent = static_cast<int>(std::floor(std::log10(biggest)));
  }
  double scale = std::pow(10.0, exponent);
  double step = ticks.step / scale;
  int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 15);
  for (double v : ticks.values) {
    double shown = v / scale;
    if (std::abs(shown) < step * 1e-6) shown = 0;  // no "-0"
    QString label = QString::number(shown, 'f', decimals);
    if (label.contains(QLatin1Char('.'))) {
      while (label.endsWith(QLatin1Char('0'))) label.chop(1);
      if (label.endsWith(QLatin1Char('.'))) label.chop(1);
    }
    out.labels.push_back(label);
  }
  out.exponent = exponent;
  return out;
}

// ------------------------------------------------------------ projection
Projection::Projection(double azimuthDeg, double elevationDeg, const std::array<Limits, 3>& limits,
                       const QRectF& viewport)
    : limits_(limits) {
  double az = azimuthDeg * kPi / 180, el = elevationDeg * kPi / 180;
  double sa = std::sin(az), ca = std::cos(az), se = std::sin(el), ce = std::cos(el);
  // Rows: screen right, screen up, towards the viewer.
  double m[3][3] = {{ca, sa, 0}, {-se * sa, se * ca, ce}, {ce * sa, -ce * ca, se}};
  std::copy(&m[0][0], &m[0][0] + 9, &m_[0][0]);
  double minX = kInf, maxX = -kInf, minY = kInf, maxY = -kInf;
  for (double ux : {-0.5, 0.5}) {
    for (double uy : {-0.5, 0.5}) {
      for (double uz : {-0.5, 0.5}) {
        double sx = m_[0][0] * ux + m_[0][1] * uy + m_[0][2] * uz;
        double sy = m_[1][0] * ux + m_[1][1] * uy + m_[1][2] * uz;
        minX = std::min(minX, sx);
        maxX = std::max(maxX, sx);
        minY = std::min(minY, sy);
        maxY = std::max(maxY, sy);
      }
    }
  }
  double w = std::max(maxX - minX, 1e-9), h = std::max(maxY - minY, 1e-9);
  scale_ = std::min(viewport.width() / w, viewport.height() / h);
  // Centre the projected box (not the origin) in the viewport.
  centre_ = viewport.center() - QPointF((minX + maxX) / 2 * scale_, -(minY + maxY) / 2 * scale_);
}

void Projection::unit(double x, double y, double z, double u[3]) const {
  const double v[3] = {x, y, z};
  for (int k = 0; k < 3; ++k) {
    double span = limits_[k][1] - limits_[k][0];
    u[k] = span != 0 ? (v[k] - limits_[k][0]) / span - 0.5 : 0.0;
  }
}

QPointF Projection::toScreen(double x, double y, double z) const {
  double u[3];
  unit(x, y, z, u);
  double sx = m_[0][0] * u[0] + m_[0][1] * u[1] + m_[0][2] * u[2];
  double sy = m_[1][0] * u[0] + m_[1][1] * u[1] + m_[1][2] * u[2];
  return {centre_.x() + sx * scale_, centre_.y() - sy * scale_};
}

double Projection::depth(double x, double y, double z) const {
  double u[3];
  unit(x, y, z, u);
  return m_[2][0] * u[0] + m_[2][1] * u[1] + m_[2][2] * u[2];
}

// --------------------------------------------------------------- drawing
bool isThreeD(double ax) {
  std::vector<double> view = propValues(ax, "View");
  if (view.size() >= 2 && std::isfinite(view[1]) && view[1] != 90) return true;
  return !childrenOfType(ax, "surface").empty();
}

void paintAxes(QPainter& painter, double ax, const QRectF& figureRect) {
  if (!visible(ax)) return;
  QRectF box = positionRect(ax, figureRect);
  if (box.width() < 2 || box.height() < 2) return;
  painter.save();
  if (isThreeD(ax)) {
    paintAxes3D(painter, ax, box);
  } else {
    paintAxes2D(painter, ax, box);
  }
  painter.restore();
}

void paintFigure(QPainter& painter, double fig, QSize size, PaintOptions options) {
  QRectF rect(QPointF(0, 0), QSizeF(size));
  painter.fillRect(rect, propColor(fig, "Color").value_or(QColor(204, 204, 204)));
  std::vector<double> kids;
  try {
    kids = gfx::children(fig);
  } catch (const std::exception&) {
    return;
  }
  for (double c : kids) {
    std::string type;
    try {
      type = gfx::type(c);
    } catch (const std::exception&) {
      continue;
    }
    if (type == "axes") {
      paintAxes(painter, c, rect);
    } else if (type == "uicontrol" && options.controls) {
      painter.save();
      paintControl(painter, c, rect);
      painter.restore();
    }
  }
}

QImage renderFigureImage(double fig, QSize size) {
  if (size.isEmpty() || !gfx::exists(fig) || gfx::type(fig) != "figure") return {};
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) return {};
  QPainter painter(&image);
  paintFigure(painter, fig, size);
  painter.end();
  return image;
}

bool savePng(double fig, const QString& path, QSize size) {
  QImage image = renderFigureImage(fig, size);
  return !image.isNull() && image.save(path, "PNG");
}

bool saveSvg(double fig, const QString& path, QSize size) {
  if (size.isEmpty() || !gfx::exists(fig) || gfx::type(fig) != "figure") return false;
  QSvgGenerator generator;
  generator.setFileName(path);
  generator.setSize(size);
  generator.setViewBox(QRect(QPoint(0, 0), size));
  QPainter painter;
  if (!painter.begin(&generator)) return false;
  paintFigure(painter, fig, size);
  return painter.end();
}

}  // namespace rt::qt

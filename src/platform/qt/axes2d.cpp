// 2-D axes: plot box, grids, lines, ticks, tick labels and the labels.
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/qt/props.h"
#include "platform/qt/render_support.h"

namespace rt::qt::render {
namespace {

struct Axis2D {
  Projection::Limits lim;
  double pixel0, pixelLength;  // device coordinate of lim[0] and signed length
  double toPixel(double v) const { return pixel0 + (v - lim[0]) / (lim[1] - lim[0]) * pixelLength; }
};

}  // namespace

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

}  // namespace rt::qt::render

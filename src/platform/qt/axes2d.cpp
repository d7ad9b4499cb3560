// 2-D axes: plot box, grids, lines, ticks, tick labels and the labels.
#include <QFontMetricsF>
#include <QPaintEngine>
#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/qt/axes_painting.h"
#include "platform/qt/line_drawing.h"
#include "platform/qt/object_queries.h"
#include "platform/qt/polyline_thinning.h"
#include "platform/qt/props.h"
#include "platform/qt/text_drawing.h"

namespace rt::qt::render {
namespace {

// How far (in device pixels) a point dropped from a line drawn on a raster
// device may lie from the line drawn: a twentieth of a pixel, well inside
// the antialiased edge, which no eye tells apart.
constexpr double kThinTolerance = 0.05;

// One drawing of a 2-D axes: the lines, axis mappings, ticks and fonts that
// its steps share. The steps run in painting order, data over grids, text
// last.
class Axes2D {
 public:
  Axes2D(QPainter& p, double ax, const QRectF& box, const std::vector<QRectF>& controls)
      : p_(p), ax_(ax), box_(box), lines_(childrenOfType(ax, "line")) {
    roomBelow_ = roomBelow(controls);
    fitAxes();
    text_ = textAvailable();
    font_ = text_ ? legibleFont(propFont(ax, box.height()), deviceScale(p), box.height()) : QFont();
    fontPx_ = text_ ? QFontMetricsF(font_).height() : 12.0;
    xColor_ = axisColor(ax, "XColor");
    yColor_ = axisColor(ax, "YColor");
    int xMax = std::clamp(static_cast<int>(box_.width() / std::max(3.2 * fontPx_, 20.0)), 2, 11);
    int yMax = std::clamp(static_cast<int>(box_.height() / std::max(2.5 * fontPx_, 15.0)), 2, 11);
    xt_ = niceTicks(x_.lim[0], x_.lim[1], xMax);
    yt_ = niceTicks(y_.lim[0], y_.lim[1], yMax);
  }

  void paint() {
    drawBackground();
    drawGrids();
    drawLines();
    drawBoxAndTicks();
    if (!text_) return;  // everything after this is text
    drawTickLabels();
    {
      // A chart's labels stop at its box when it is zoomed.
      const bool clip = isChartAxes(ax_);
      if (clip) {
        p_.save();
        p_.setClipRect(box_, Qt::IntersectClip);
      }
      drawFreeTexts(p_, ax_, box_, [this](double x, double y, double) {
        return QPointF(x_.toPixel(x), y_.toPixel(y));
      });
      if (clip) p_.restore();
    }
    drawLabels();
  }

  AxesLayout layout() const {
    // The box's own lines may fall a pixel outside it; the lines' pens and
    // markers reach past the clip a pixel outside it. Texts are added by
    // the caller, which sees every block painted.
    double m = 2 + lineReach_;
    return {.axes = ax_,
            .box = box_,
            .x = x_,
            .y = y_,
            .projection = std::nullopt,
            .extent = box_.adjusted(-m, -m, m, m)};
  }

 private:
  // Limits from XLim and YLim, else the data of the visible lines; y runs up.
  void fitAxes() {
    Range xs, ys;
    for (double l : lines_) {
      if (!visible(l)) continue;
      xs.add(propValues(l, "XData"));
      ys.add(propValues(l, "YData"));
    }
    const auto xLim = axisLimits(ax_, "XLim", xs), yLim = axisLimits(ax_, "YLim", ys);
    keepDataAspect(xLim[1] - xLim[0], yLim[1] - yLim[0]);
    x_ = {xLim, box_.left(), box_.width()};
    y_ = {yLim, box_.bottom(), -box_.height()};
  }

  // Axes whose DataAspectRatio is set draw in the middle of their box at
  // that ratio: a circle stays round in a window of any shape.
  void keepDataAspect(double xSpan, double ySpan) {
    if (propKeyword(ax_, "DataAspectRatioMode") != "manual") return;
    std::vector<double> ratio = propValues(ax_, "DataAspectRatio");
    if (ratio.size() < 2 || !(ratio[0] > 0) || !(ratio[1] > 0) || !(xSpan > 0) || !(ySpan > 0))
      return;
    const double wide = (xSpan / ratio[0]) / (ySpan / ratio[1]);  // width over height
    QSizeF size = box_.size();
    if (size.width() > wide * size.height()) {
      size.setWidth(wide * size.height());
    } else {
      size.setHeight(size.width() / wide);
    }
    QRectF kept(QPointF(), size);
    kept.moveCenter(box_.center());
    box_ = kept;
  }

  void drawBackground() {
    if (std::optional<QColor> bg = propColor(ax_, "Color")) p_.fillRect(box_, *bg);
  }

  // Grids under the data.
  void drawGrids() {
    p_.setRenderHint(QPainter::Antialiasing, false);
    auto gridPen = [](QColor c) {
      c.setAlpha(90);
      QPen pen(c, 0);
      pen.setStyle(Qt::DotLine);
      return pen;
    };
    if (propOn(ax_, "XGrid", false)) {
      std::vector<QLineF> lines;
      for (double v : xt_.values) {
        double x = x_.toPixel(v);
        lines.emplace_back(QPointF(x, box_.top()), QPointF(x, box_.bottom()));
      }
      strokeLines(gridPen(xColor_), lines);
    }
    if (propOn(ax_, "YGrid", false)) {
      std::vector<QLineF> lines;
      for (double v : yt_.values) {
        double y = y_.toPixel(v);
        lines.emplace_back(QPointF(box_.left(), y), QPointF(box_.right(), y));
      }
      strokeLines(gridPen(yColor_), lines);
    }
  }

  // Grid lines, the box and ticks, each line drawn by the painter on its
  // own (a dotted pen starts its pattern afresh at each line).
  void strokeLines(const QPen& pen, const std::vector<QLineF>& lines) {
    p_.setPen(pen);
    for (const QLineF& l : lines) p_.drawLine(l);
  }

  // Lines, on pixel centres so that thin level lines stay crisp.
  void drawLines() {
    p_.save();
    p_.translate(0.5, 0.5);
    p_.setRenderHint(QPainter::Antialiasing, true);
    QRectF clip = box_.adjusted(-1, -1, 1, 1);
    for (double l : lines_) {
      if (!visible(l)) continue;
      std::vector<double> xd = propValues(l, "XData"), yd = propValues(l, "YData");
      std::size_t n = std::min(xd.size(), yd.size());
      std::vector<QPointF> pts(n);
      std::vector<bool> ok(n);
      std::vector<QPointF> marks;
      const bool marked = hasMarker(l);
      for (std::size_t i = 0; i < n; ++i) {
        ok[i] = std::isfinite(xd[i]) && std::isfinite(yd[i]);
        if (ok[i]) pts[i] = QPointF(x_.toPixel(xd[i]), y_.toPixel(yd[i]));
        if (marked && ok[i] && clip.contains(pts[i])) marks.push_back(pts[i]);
      }
      QPen pen = linePen(l);
      if (pen.style() != Qt::NoPen) {
        p_.setPen(pen);
        if (thinOnScreen()) {
          // Points closer together than pixels cost a segment each to
          // draw while the eye sees their chord; files keep every point.
          Polyline thin = thinPolyline(pts, ok, kThinTolerance / deviceScale(p_));
          drawClippedPolyline(p_, thin.pts, thin.ok, clip);
        } else {
          drawClippedPolyline(p_, pts, ok, clip);
        }
        lineReach_ = std::max(lineReach_, pen.widthF() / 2 + 1);  // with the antialiased fringe
      }
      lineReach_ = std::max(lineReach_, drawMarkers(p_, l, marks));
    }
    p_.restore();
  }

  // A raster device (a window, an image) gets lines thinned; vector files
  // may be enlarged without end.
  bool thinOnScreen() const {
    const QPaintEngine* engine = p_.paintEngine();
    return engine && engine->type() == QPaintEngine::Raster;
  }

  // The box with ticks pointing in on all four sides.
  void drawBoxAndTicks() {
    p_.setRenderHint(QPainter::Antialiasing, false);
    double tickLen = std::max(3.0, 0.01 * std::max(box_.width(), box_.height()));
    std::vector<QLineF> xLines = {{box_.bottomLeft(), box_.bottomRight()},
                                  {box_.topLeft(), box_.topRight()}};
    for (double v : xt_.values) {
      double x = x_.toPixel(v);
      xLines.emplace_back(QPointF(x, box_.bottom()), QPointF(x, box_.bottom() - tickLen));
      xLines.emplace_back(QPointF(x, box_.top()), QPointF(x, box_.top() + tickLen));
    }
    strokeLines(QPen(xColor_, 0), xLines);
    std::vector<QLineF> yLines = {{box_.topLeft(), box_.bottomLeft()},
                                  {box_.topRight(), box_.bottomRight()}};
    for (double v : yt_.values) {
      double y = y_.toPixel(v);
      yLines.emplace_back(QPointF(box_.left(), y), QPointF(box_.left() + tickLen, y));
      yLines.emplace_back(QPointF(box_.right(), y), QPointF(box_.right() - tickLen, y));
    }
    strokeLines(QPen(yColor_, 0), yLines);
  }

  // Tick labels below and left of the box, with a shared power of ten at the
  // axis end when the values need one.
  void drawTickLabels() {
    p_.setRenderHint(QPainter::Antialiasing, true);
    double gap = 0.3 * fontPx_;
    TickLabels xl = formatTicks(xt_), yl = formatTicks(yt_);
    auto [xFont, xGap] = fitBelow(gap);
    for (std::size_t i = 0; i < xt_.values.size(); ++i) {
      drawTextBlock(p_, {xl.labels[i]}, QPointF(x_.toPixel(xt_.values[i]), box_.bottom() + xGap),
                    xFont, xColor_, HAlign::Center, VAlign::Top);
    }
    for (std::size_t i = 0; i < yt_.values.size(); ++i) {
      yLabelWidth_ = std::max(yLabelWidth_, textBlockSize({yl.labels[i]}, font_).width());
      drawTextBlock(p_, {yl.labels[i]}, QPointF(box_.left() - gap, y_.toPixel(yt_.values[i])),
                    font_, yColor_, HAlign::Right, VAlign::Middle);
    }
    if (xl.exponent != 0) {
      drawTextBlock(p_, {QStringLiteral("x10^%1").arg(xl.exponent)},
                    QPointF(box_.right(), box_.bottom() + gap + fontPx_), font_, xColor_,
                    HAlign::Right, VAlign::Top);
    }
    if (yl.exponent != 0) {
      yExponentShown_ = true;
      drawTextBlock(p_, {QStringLiteral("x10^%1").arg(yl.exponent)},
                    QPointF(box_.left(), box_.top() - gap), font_, yColor_, HAlign::Left,
                    VAlign::Bottom);
    }
  }

  // The lowest edge free of the figure's controls under the box (a caption
  // set just below the axes): how far the tick labels may reach.
  double roomBelow(const std::vector<QRectF>& controls) const {
    double room = kInf;
    for (const QRectF& r : controls) {
      if (r.top() >= box_.bottom() && r.left() < box_.right() && r.right() > box_.left())
        room = std::min(room, r.top() - box_.bottom());
    }
    return room;
  }

  // The font of the x tick labels and where their block starts under the
  // box: the axes' own font and gap, unless the room under the box is short.
  // Then the digits hang right under the box line (the blank a line keeps
  // above capitals lies over it) and the font shrinks, down to
  // kLeastTextPx device pixels at most.
  std::pair<QFont, double> fitBelow(double gap) const {
    QFont font = font_;
    if (QFontMetricsF(font).height() + gap <= roomBelow_) return {font, gap};
    auto lift = [](const QFont& f) {
      QFontMetricsF m(f);
      return std::max(0.0, m.ascent() - m.capHeight());
    };
    auto reach = [&](const QFont& f) { return QFontMetricsF(f).height() - lift(f); };
    int least = static_cast<int>(std::ceil(kLeastTextPx / std::max(deviceScale(p_), 1e-9)));
    while (font.pixelSize() > least && reach(font) > roomBelow_)
      font.setPixelSize(font.pixelSize() - 1);
    return {font, std::clamp(roomBelow_ - reach(font), 0.0, std::min(gap, 1.0)) - lift(font)};
  }

  // Title above (raised over a y power of ten), x label below, y label
  // turned on the left, clear of the tick labels.
  void drawLabels() {
    double gap = 0.3 * fontPx_;
    TextObject title = readText(labelHandle(ax_, "Title"), box_.height(), deviceScale(p_));
    TextObject xlabel = readText(labelHandle(ax_, "XLabel"), box_.height(), deviceScale(p_));
    TextObject ylabel = readText(labelHandle(ax_, "YLabel"), box_.height(), deviceScale(p_));
    double titleRaise = yExponentShown_ ? fontPx_ + gap : 0;
    if (title.shown()) {
      drawTextBlock(p_, title.lines, QPointF(box_.center().x(), box_.top() - gap - titleRaise),
                    title.font, title.color, HAlign::Center, VAlign::Bottom);
    }
    if (xlabel.shown()) {
      drawTextBlock(p_, xlabel.lines, QPointF(box_.center().x(), box_.bottom() + 2 * gap + fontPx_),
                    xlabel.font, xlabel.color, HAlign::Center, VAlign::Top);
    }
    if (ylabel.shown()) {
      drawTextBlock(p_, ylabel.lines,
                    QPointF(box_.left() - 2 * gap - yLabelWidth_, box_.center().y()), ylabel.font,
                    ylabel.color, HAlign::Center, VAlign::Bottom, 90);
    }
  }

  QPainter& p_;
  double ax_;
  QRectF box_;
  std::vector<double> lines_;
  AxisMap x_{}, y_{};
  bool text_ = false;
  QFont font_;
  double fontPx_ = 12;
  QColor xColor_, yColor_;
  Ticks xt_, yt_;
  double yLabelWidth_ = 0;
  double roomBelow_ = kInf;
  bool yExponentShown_ = false;
  // How far past the clip box the lines drew (their pixel-centre shift too).
  double lineReach_ = 0.5;
};

}  // namespace

AxesLayout paintAxes2D(QPainter& p, double ax, const QRectF& box,
                       const std::vector<QRectF>& controls) {
  return paintWith<Axes2D>(p, ax, box, controls);
}

}  // namespace rt::qt::render

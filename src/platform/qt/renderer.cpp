#include "platform/qt/renderer.h"

#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "platform/graphics/graphics.h"
#include "platform/qt/axes_painting.h"
#include "platform/qt/controls.h"
#include "platform/qt/file_output.h"
#include "platform/qt/object_queries.h"
#include "platform/qt/props.h"
#include "platform/qt/text_drawing.h"

namespace rt::qt {
namespace {

using namespace render;

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
  QFont font = textAvailable() ? legibleFont(propFont(c, r.height()), deviceScale(p)) : QFont();
  if (textAvailable() && style == "text")
    lines = fitCaption(lines, font, r.width() - 5, deviceScale(p), r.height());
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
           v = propScalar(c, "Value", std::nan(""));
    SliderShows shows = sliderShows(lo, hi, v);
    double f = shows == SliderShows::Nothing ? 0.0 : std::clamp((v - lo) / (hi - lo), 0.0, 1.0);
    QRectF thumbRect, less, more;  // the arrow buttons towards Min and Max
    if (horizontal) {
      double track = r.width() - 2 * arrow, thumb = std::max(arrow * 0.8, track * 0.1);
      less = QRectF(r.left(), r.top(), arrow, r.height());
      more = QRectF(r.right() - arrow, r.top(), arrow, r.height());
      thumbRect = QRectF(r.left() + arrow + f * (track - thumb), r.top(), thumb, r.height());
    } else {
      double track = r.height() - 2 * arrow, thumb = std::max(arrow * 0.8, track * 0.1);
      less = QRectF(r.left(), r.bottom() - arrow, r.width(), arrow);
      more = QRectF(r.left(), r.top(), r.width(), arrow);
      thumbRect =
          QRectF(r.left(), r.bottom() - arrow - thumb - f * (track - thumb), r.width(), thumb);
    }
    for (const QRectF& b : {less, more, thumbRect}) p.fillRect(b, button);
    drawSliderArrow(p, less, horizontal ? Qt::LeftArrow : Qt::DownArrow);
    drawSliderArrow(p, more, horizontal ? Qt::RightArrow : Qt::UpArrow);
    markSlider(p, r, thumbRect, shows);
    p.setPen(QPen(QColor(128, 128, 128), 0));
    p.drawRect(r);
  } else if (style == "popupmenu") {
    // The chosen item, and an arrow saying there are others.
    const int chosen = static_cast<int>(propScalar(c, "Value", 1)) - 1;
    lines = chosen >= 0 && chosen < lines.size() ? QStringList{lines[chosen]} : QStringList{};
    p.fillRect(r, bg);
    p.setPen(QPen(QColor(128, 128, 128), 0));
    p.drawRect(r);
    const double arrow = std::min(r.height(), r.width() / 3);
    drawSliderArrow(p, QRectF(r.right() - arrow, r.top(), arrow, r.height()), Qt::DownArrow);
    label(r.adjusted(0, 0, -arrow, 0), VAlign::Middle);
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
    : limits_(limits), azimuth_(azimuthDeg), elevation_(elevationDeg) {
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

std::array<double, 3> Projection::toData(QPointF screen, double depth) const {
  // The rows of m_ are orthonormal: its transpose turns the view back.
  const double s[3] = {(screen.x() - centre_.x()) / scale_, -(screen.y() - centre_.y()) / scale_,
                       depth};
  std::array<double, 3> out;
  for (int k = 0; k < 3; ++k) {
    double u = m_[0][k] * s[0] + m_[1][k] * s[1] + m_[2][k] * s[2];
    out[k] = limits_[k][0] + (u + 0.5) * (limits_[k][1] - limits_[k][0]);
  }
  return out;
}

// --------------------------------------------------------------- drawing
bool isThreeD(double ax) {
  std::vector<double> view = propValues(ax, "View");
  if (view.size() >= 2 && std::isfinite(view[1]) && view[1] != 90) return true;
  return !childrenOfType(ax, "surface").empty();
}

namespace {

std::vector<std::function<bool(double)>>& chartTests() {
  static std::vector<std::function<bool(double)>> tests;
  return tests;
}

}  // namespace

void addChartAxes(std::function<bool(double ax)> isChart) {
  chartTests().push_back(std::move(isChart));
}

bool isChartAxes(double ax) {
  for (const auto& test : chartTests())
    if (test(ax)) return true;
  return false;
}

namespace {

// Glyphs may overhang the advance widths that measure a text block (italics,
// antialiased edges).
constexpr double kGlyphOverhang = 3;

// The painter's area that an axes' drawing covers: what its painter bounded
// (nothing when it cannot tell: then the whole figure area) and its texts.
QRectF axesExtent(const QPainter& painter, QRectF painted, const std::vector<PaintedText>& texts,
                  const QRectF& figureRect) {
  if (painted.isEmpty()) return figureRect;
  QTransform toPainter = painter.deviceTransform().inverted();
  for (const PaintedText& t : texts) {
    painted |= toPainter.mapRect(t.box).adjusted(-kGlyphOverhang, -kGlyphOverhang, kGlyphOverhang,
                                                 kGlyphOverhang);
  }
  return painted;
}

// An axes that lies wholly outside the region being repainted keeps its
// pixels and the layout it had.
std::optional<AxesLayout> keptLayout(double ax, const std::vector<AxesLayout>& before,
                                     const QRegion* region) {
  if (!region) return std::nullopt;
  auto it = std::find_if(before.begin(), before.end(),
                         [ax](const AxesLayout& l) { return l.axes == ax; });
  if (it == before.end() || region->intersects(it->extent.toAlignedRect())) return std::nullopt;
  return *it;
}

}  // namespace

std::vector<QRectF> shownControls(double fig, const QRectF& figureRect) {
  std::vector<QRectF> rects;
  for (double c : childrenOfType(fig, "uicontrol"))
    if (visible(c)) rects.push_back(positionRect(c, figureRect));
  return rects;
}

std::optional<AxesLayout> paintAxes(QPainter& painter, double ax, const QRectF& figureRect,
                                    const std::vector<QRectF>& controls) {
  if (!visible(ax)) return std::nullopt;
  QRectF box = positionRect(ax, figureRect);
  if (box.width() < 2 || box.height() < 2) return std::nullopt;
  std::vector<PaintedText> texts;
  AxesLayout layout;
  painter.save();
  {
    TextLogScope log(&texts);
    layout = isThreeD(ax) ? paintAxes3D(painter, ax, box) : paintAxes2D(painter, ax, box, controls);
  }
  painter.restore();
  layout.extent = axesExtent(painter, layout.extent, texts, figureRect);
  return layout;
}

void paintFigure(QPainter& painter, double fig, QSize size, PaintOptions options) {
  QRectF rect(options.origin, QSizeF(size));
  std::vector<AxesLayout> before;
  if (options.layouts) before.swap(*options.layouts);
  TextLogScope textLog(options.texts);
  painter.fillRect(rect, propColor(fig, "Color").value_or(QColor(204, 204, 204)));
  std::vector<double> kids;
  try {
    kids = gfx::children(fig);
  } catch (const std::exception&) {
    // A figure deleted after its repaint was queued: its background alone is
    // drawn, and its window goes with the deletion's own notice.
    return;
  }
  std::optional<std::vector<QRectF>> controls;  // made when an axes is painted
  for (double c : kids) {
    std::string type;
    try {
      type = gfx::type(c);
    } catch (const std::exception&) {
      continue;  // a child deleted since the list was read: nothing to draw
    }
    if (type == "axes") {
      std::optional<AxesLayout> layout = keptLayout(c, before, options.region);
      if (!layout) {
        if (!controls) controls = shownControls(fig, rect);
        layout = paintAxes(painter, c, rect, *controls);
      }
      if (layout && options.layouts) options.layouts->push_back(std::move(*layout));
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

namespace {

// Empty when `fig` can be drawn at `size`, otherwise why not.
std::string notDrawable(double fig, const QString& path, QSize size) {
  if (!size.isEmpty() && gfx::exists(fig) && gfx::type(fig) == "figure") return {};
  return "cannot write " + path.toStdString() + ": there is no figure to draw";
}

}  // namespace

std::string savePng(double fig, const QString& path, QSize size) {
  if (std::string why = notDrawable(fig, path, size); !why.empty()) return why;
  return writePng(path, renderFigureImage(fig, size));
}

std::string saveSvg(double fig, const QString& path, QSize size) {
  if (std::string why = notDrawable(fig, path, size); !why.empty()) return why;
  return writeSvg(path, size, {}, [&](QPainter& p) { paintFigure(p, fig, size); });
}

std::string savePdf(double fig, const QString& path, QSize size) {
  if (std::string why = notDrawable(fig, path, size); !why.empty()) return why;
  return writePdf(path, size, {}, [&](QPainter& p) { paintFigure(p, fig, size); });
}

}  // namespace rt::qt
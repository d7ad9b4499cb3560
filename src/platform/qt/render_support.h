// Inner parts of the renderer: helpers shared by the drawing of figures,
// 2-D axes and 3-D axes. Not for use outside src/platform/qt.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <functional>
#include <limits>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/qt/renderer.h"

namespace rt::qt::render {

inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline constexpr double kPi = std::numbers::pi;

// Text needs the font database of a QGuiApplication.
bool textAvailable();

// The finite range of some values (empty until one is added).
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

std::vector<double> childrenOfType(double h, std::string_view type);
bool visible(double h);
// A non-degenerate range for an axis: the limits property when it holds two
// finite increasing numbers (the object system keeps it fitted to the data in
// automatic mode), else the data range.
Projection::Limits axisLimits(double ax, const char* limName, const Range& data);
// An axis colour property (XColor, ...); black when unusable.
QColor axisColor(double ax, const char* name);

// ------------------------------------------------------------------- text
enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Middle, Bottom };
HAlign hAlignOf(const std::string& keyword, HAlign fallback);
VAlign vAlignOf(const std::string& keyword, VAlign fallback);

// Text is never drawn smaller than kLeastTextPx device pixels (`deviceScale`
// device pixels to a pixel of the font); in a large plot box it grows with
// the box (a pattern window filling a 4K screen shows text a user can read
// from the chair).
inline constexpr int kLeastTextPx = 9;
inline constexpr double kTextPerBoxHeight = 1.0 / 50;
QFont legibleFont(QFont font, double deviceScale, double boxHeight = 0);
// Device pixels to a pixel of what `p` paints.
double deviceScale(const QPainter& p);

// While one lives, every block drawTextBlock paints is added to `log`; a
// scope opened inside another hands its blocks on to the outer log as well
// when it ends.
class TextLogScope {
 public:
  explicit TextLogScope(std::vector<PaintedText>* log);
  ~TextLogScope();
  TextLogScope(const TextLogScope&) = delete;
  TextLogScope& operator=(const TextLogScope&) = delete;

 private:
  std::vector<PaintedText>* log_;
  std::vector<PaintedText>* saved_;
};

QSizeF textBlockSize(const QStringList& lines, const QFont& font);
// The area of an unturned block of `size` anchored at `anchor`.
QRectF blockRect(QSizeF size, QPointF anchor, HAlign h, VAlign v);
// Draws a block of lines anchored at `anchor`, turned by `rotationDeg`
// counter-clockwise about the anchor.
void drawTextBlock(QPainter& p, const QStringList& lines, QPointF anchor, const QFont& font,
                   const QColor& color, HAlign h, VAlign v, double rotationDeg = 0);

// A text object of an axes (title, labels): its lines, font and colour.
struct TextObject {
  QStringList lines;
  QFont font;
  QColor color = Qt::black;
  bool shown() const { return !lines.isEmpty() && !(lines.size() == 1 && lines[0].isEmpty()); }
};
// A text object's lines, font (`axesHeight` for normalised sizes) and colour;
// nothing to show when it is hidden or has no text.
TextObject readText(double t, double axesHeight, double deviceScale = 1);
// The text object an axes names in `name` ("Title", "XLabel", ...), or NaN.
double labelHandle(double ax, const char* name);
// Texts of an axes other than its title and labels, at their Position (in
// data units, mapped by `toScreen`, unless their Units say otherwise).
void drawFreeTexts(QPainter& p, double ax, const QRectF& box,
                   const std::function<QPointF(double, double, double)>& toScreen);

// ------------------------------------------------------------------ lines
QPen linePen(double line);
// Whether the line has a marker at its points.
bool hasMarker(double line);
// Draws the line's markers at `points`; gives how far past a point they
// reach (0 when the line has none).
double drawMarkers(QPainter& p, double line, const std::vector<QPointF>& points);
// The polyline of `pts` (broken where `ok` is false) with the points dropped
// that lie within `tolerance` of the segment joining the points kept around
// them: each unbroken run keeps its ends, and every dropped point lies that
// near the line drawn. A curve sampled far finer than the pixels keeps a
// small share of its points.
struct Polyline {
  std::vector<QPointF> pts;
  std::vector<bool> ok;
};
Polyline thinPolyline(const std::vector<QPointF>& pts, const std::vector<bool>& ok,
                      double tolerance);
// Draws a polyline of device points, broken where `ok` is false and clipped
// to `clip`. Coordinates far outside the device never reach the painter.
void drawClippedPolyline(QPainter& p, const std::vector<QPointF>& pts, const std::vector<bool>& ok,
                         const QRectF& clip);
// A view of the image under a painter, and where its top left pixel is in
// the painter's coordinates.
struct DeviceView {
  QImage image;
  QPoint origin;
};

// The 32-bit image under a raster painter, viewed over `r` (logical
// coordinates) as far as the painter's clip lets it draw there, when faces
// can be written into it directly: reached by a whole-pixel translation,
// painted opaquely, clipped to one rectangle. An empty view: nothing of `r`
// shows. None: the faces need a layer that the painter composes.
std::optional<DeviceView> deviceView(QPainter& p, const QRect& r);

// Draws 1-pixel lines that run along an axis (grid lines, the box, ticks)
// with a cosmetic pen, aliased, as the painter would draw them one by one.
// On a raster device moved by whole pixels a solid line is one rectangle
// fill and a dotted one a set of points, instead of a span for every pixel
// the painter's line stroker would send through.
void drawAxisLines(QPainter& p, const QPen& pen, const std::vector<QLineF>& lines);

// ------------------------------------------------------------------- axes
// `box` is the axes' plot box on the device, `figureRect` the figure's area
// (a 2-D axes keeps its tick labels clear of the controls under it). Each
// gives the layout it drew.
AxesLayout paintAxes2D(QPainter& p, double ax, const QRectF& box,
                       const std::vector<QRectF>& controls);
AxesLayout paintAxes3D(QPainter& p, double ax, const QRectF& box);

// Paints one axes with the painter class `A` (made from the painter, the
// axes, its box and whatever else that painter takes) and gives the layout
// it drew.
template <class A, class... Extra>
AxesLayout paintWith(QPainter& p, double ax, const QRectF& box, const Extra&... extra) {
  A axes(p, ax, box, extra...);
  axes.paint();
  return axes.layout();
}

}  // namespace rt::qt::render

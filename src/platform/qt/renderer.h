// Our own drawing of figures on a QPainter: the figure's background, its axes
// (2-D plots with ticks, grids, lines and labels; 3-D boxes with coloured
// surfaces), and, when no widgets stand in for them, its controls.
//
// Text needs a QGuiApplication; without one the drawings carry no text.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QRegion>
#include <QSize>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rt::qt {

// ------------------------------------------------------------------ ticks
// Round tick positions over [lo, hi]: multiples of a step of 1, 2 or 5 times
// a power of ten, the smallest such step that gives at most `maxTicks`
// positions inside the range (both ends included when they fall on the step).
struct Ticks {
  std::vector<double> values;
  double step = 0;
};
Ticks niceTicks(double lo, double hi, int maxTicks);

// Tick labels sharing one power-of-ten factor: `labels[i]` shows
// values[i] / 10^exponent with as many decimals as the step needs, trailing
// zeros dropped ("0", "0.5", "1").
struct TickLabels {
  std::vector<QString> labels;
  int exponent = 0;
};
TickLabels formatTicks(const Ticks& ticks);

// ------------------------------------------------------------- projection
// Orthographic view of an axes' data box: azimuth turns about z and is
// measured from the negative y axis, elevation is the angle above the x-y
// plane (both in degrees). The data box, each axis scaled to the unit length,
// is fitted centred into `viewport`.
class Projection {
 public:
  using Limits = std::array<double, 2>;
  Projection(double azimuthDeg, double elevationDeg, const std::array<Limits, 3>& limits,
             const QRectF& viewport);

  QPointF toScreen(double x, double y, double z) const;
  // Distance towards the viewer: larger is nearer.
  double depth(double x, double y, double z) const;
  // The data point that shows at `screen` and lies at `depth`: a pixel alone
  // names a whole line of sight, the depth picks the point on it.
  std::array<double, 3> toData(QPointF screen, double depth) const;
  const std::array<Limits, 3>& limits() const { return limits_; }
  double azimuth() const { return azimuth_; }
  double elevation() const { return elevation_; }

 private:
  void unit(double x, double y, double z, double u[3]) const;

  std::array<Limits, 3> limits_;
  double azimuth_, elevation_;
  double m_[3][3];
  double scale_ = 1;
  QPointF centre_;
};

// A linear axis of a 2-D plot: data limits laid along a run of device
// pixels (a negative length runs up or left).
struct AxisMap {
  Projection::Limits lim;
  double pixel0, pixelLength;  // device coordinate of lim[0] and signed length
  double toPixel(double v) const { return pixel0 + (v - lim[0]) / (lim[1] - lim[0]) * pixelLength; }
  double toData(double pixel) const {
    return lim[0] + (pixel - pixel0) / pixelLength * (lim[1] - lim[0]);
  }
};

// Where one axes was painted, kept so that a pixel can be traced back to
// the data under it: the plot box, and either the two axis mappings of a
// 2-D plot or the projection (view and data box) of a 3-D one. `extent`
// bounds every pixel the axes painted (its labels and line ends outside the
// box too), so that a window can repaint that much alone when it changes.
struct AxesLayout {
  double axes = 0;
  QRectF box;
  AxisMap x{}, y{};                      // 2-D
  std::optional<Projection> projection;  // 3-D
  QRectF extent = QRectF();
  bool threeD() const { return projection.has_value(); }
  QPointF toPixel(double xv, double yv) const { return {x.toPixel(xv), y.toPixel(yv)}; }
  QPointF toData(QPointF pixel) const { return {x.toData(pixel.x()), y.toData(pixel.y())}; }
};

// ---------------------------------------------------------------- drawing
// A block of text as it was painted: its text, the box it takes on the
// device and the height of its font, both in device pixels.
struct PaintedText {
  QString text;
  QRectF box;
  double pixelHeight = 0;
};

struct PaintOptions {
  // Draw the figure's controls too (false when widgets show them).
  bool controls = true;
  // Filled anew with the layout of each axes painted, in painting order
  // (the last one lies on top); untouched when null.
  std::vector<AxesLayout>* layouts = nullptr;
  // Filled anew with every block of text painted (tools and tests that
  // check legibility read it); untouched when null.
  std::vector<PaintedText>* texts = nullptr;
  // Where the figure's area starts on the device (below a window's menus).
  QPointF origin;
  // Set when the device keeps its pixels outside this region (a window's
  // partial repaint): an axes listed in *layouts whose extent lies wholly
  // outside it is not painted again and keeps its layout.
  const QRegion* region = nullptr;
};

// Paints figure `fig` filling a device area of `size` pixels from options.origin.
void paintFigure(QPainter& painter, double fig, QSize size, PaintOptions options = {});
// Rectangles of the figure's visible controls in a figure area of `figureRect`.
std::vector<QRectF> shownControls(double fig, const QRectF& figureRect);
// Paints one axes into a figure area of `figureRect` whose visible controls
// stand at `controls` (tick labels keep clear of a caption under the box);
// its layout, none when it is hidden or too small to draw.
std::optional<AxesLayout> paintAxes(QPainter& painter, double ax, const QRectF& figureRect,
                                    const std::vector<QRectF>& controls);

QImage renderFigureImage(double fig, QSize size);
// Each returns an empty string, or a message naming the file and the reason
// it could not be written (the file is then as it was).
std::string savePng(double fig, const QString& path, QSize size);
std::string saveSvg(double fig, const QString& path, QSize size);
std::string savePdf(double fig, const QString& path, QSize size);

// Whether an axes is drawn in three dimensions: its elevation is not 90
// degrees or it holds a surface.
bool isThreeD(double ax);

// Which 3-D axes get a colour bar for their mapped surfaces (none until set),
// with its label (the quantity and its unit) and a note on what the surface
// leaves out, shown above the view ("" for none): whether a bar is worth its
// room is the program's to say, as it knows what the colours stand for.
struct ColourKey {
  std::string label, note;
};
void setColourBars(std::function<std::optional<ColourKey>(double ax)> key);
// Axes that show a chart whose shape means something (a Smith chart): a
// zoom keeps their data aspect, and their texts are clipped to their box.
void addChartAxes(std::function<bool(double ax)> isChart);
bool isChartAxes(double ax);

}  // namespace rt::qt

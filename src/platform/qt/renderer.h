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
#include <QSize>
#include <QString>
#include <array>
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
  const std::array<Limits, 3>& limits() const { return limits_; }

 private:
  void unit(double x, double y, double z, double u[3]) const;

  std::array<Limits, 3> limits_;
  double m_[3][3];
  double scale_ = 1;
  QPointF centre_;
};

// ---------------------------------------------------------------- drawing
struct PaintOptions {
  // Draw the figure's controls too (false when widgets show them).
  bool controls = true;
};

// Paints figure `fig` filling a device area of `size` pixels.
void paintFigure(QPainter& painter, double fig, QSize size, PaintOptions options = {});
// Paints one axes into a figure area of `figureRect`.
void paintAxes(QPainter& painter, double ax, const QRectF& figureRect);

QImage renderFigureImage(double fig, QSize size);
// Each returns an empty string, or a message naming the file and the reason
// it could not be written (the file is then as it was).
std::string savePng(double fig, const QString& path, QSize size);
std::string saveSvg(double fig, const QString& path, QSize size);
std::string savePdf(double fig, const QString& path, QSize size);

// Whether an axes is drawn in three dimensions: its elevation is not 90
// degrees or it holds a surface.
bool isThreeD(double ax);

}  // namespace rt::qt

// The renderer's two ways of setting pixels without the painter's
// rasteriser, each kept because it saves a large share of what a user waits
// for (bench/README.md gives the numbers): 1-pixel axis lines (grids, box,
// ticks) as fills and dots, and surface faces written by FaceRaster into
// the painter's own image. Each sets the pixels the painter would set (the
// tests compare them with QPainter's). Not for use outside src/platform/qt.
#pragma once

#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <optional>
#include <vector>

namespace rt::qt::render {

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

}  // namespace rt::qt::render

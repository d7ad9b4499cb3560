// Lines as the renderer draws them: the pen of a line object, its markers,
// and a polyline broken at missing points and clipped before it reaches the
// painter. Not for use outside src/platform/qt.
#pragma once

#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <vector>

namespace rt::qt::render {

QPen linePen(double line);
// Whether the line has a marker at its points.
bool hasMarker(double line);
// Draws the line's markers at `points`; gives how far past a point they
// reach (0 when the line has none).
double drawMarkers(QPainter& p, double line, const std::vector<QPointF>& points);
// Draws a polyline of device points, broken where `ok` is false and clipped
// to `clip`. Coordinates far outside the device never reach the painter.
void drawClippedPolyline(QPainter& p, const std::vector<QPointF>& pts, const std::vector<bool>& ok,
                         const QRectF& clip);

}  // namespace rt::qt::render

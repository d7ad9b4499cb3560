// Painting one axes, 2-D or 3-D, into its plot box: what the figure
// painter calls for each axes. Not for use outside src/platform/qt.
#pragma once

#include <QPainter>
#include <QRectF>
#include <vector>

#include "platform/qt/renderer.h"

namespace rt::qt::render {

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

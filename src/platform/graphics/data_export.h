// The data that a figure shows, read back out of its objects: the points of
// its lines and the grid of its surfaces (with their axes' label texts), and
// the same as comma-separated text for a user to take elsewhere. No window
// toolkit is involved, so the script and the front end write the same text.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/array/array.h"

namespace rt::gfx {

// The points of a surface on its m x n grid, column by column: XData and
// YData given as vectors are spread over the grid of ZData, and CData
// defaults to ZData.
struct SurfaceGrid {
  std::size_t m = 0, n = 0;
  std::vector<double> x, y, z, c;
};
// None when the surface has no ZData or its X or Y data do not fit it.
std::optional<SurfaceGrid> surfaceGrid(double surface);

// The same grid read in place, for a reader that only looks (the painter, at
// every frame of a turn): the spans view the object's own arrays, held here
// so that they outlive any change to the object, and only X or Y data given
// as vectors are spread into a grid of their own. Moved, never copied: the
// spans may point into this object's own grids.
struct SurfaceView {
  std::size_t m = 0, n = 0;
  std::span<const double> x, y, z, c;

  SurfaceView() = default;
  SurfaceView(SurfaceView&&) = default;
  SurfaceView& operator=(SurfaceView&&) = default;
  SurfaceView(const SurfaceView&) = delete;
  SurfaceView& operator=(const SurfaceView&) = delete;

 private:
  friend std::optional<SurfaceView> surfaceView(double surface);
  std::vector<Array> held_;
  std::vector<double> spreadX_, spreadY_;
};
std::optional<SurfaceView> surfaceView(double surface);

// An axes' label text ("XLabel", "YLabel", "ZLabel") on one line; "" when
// the label is absent or empty.
std::string labelText(double ax, const char* label);

// Numbers as the exported text writes them: 17 significant digits, so that
// reading the text back gives the same double; "NaN", "Inf", "-Inf".
std::string exactNumber(double v);

// The data of one axes: a block "x,y" (header from the labels) per line and
// "x,y,z,c" per surface, one row per point, blocks separated by a blank
// line; lines and surfaces whose HitTest is off (a chart's grid) are left
// out. Empty when the axes holds no data.
std::string axesCsv(double ax);

// What the program knows of its data that the objects do not say, asked
// by axesCsv and figureCsv: the name of a column whose label is empty
// ("XLabel", "YLabel", "ZLabel", or "CData" for a surface's colour; "" keeps
// "x", "y", "z", "c"), and data text of its own for a figure or axes (none
// keeps the objects' points), for plots whose points are not the quantity
// shown (a polar plot's positions on the page).
using ColumnNamer = std::function<std::string(double ax, std::string_view label)>;
using OwnData = std::function<std::optional<std::string>(double figureOrAxes)>;
void setColumnNamer(ColumnNamer name);
void setOwnData(OwnData data);
// Every axes of the figure in the order they were created, blocks separated
// by a blank line.
std::string figureCsv(double fig);

}  // namespace rt::gfx

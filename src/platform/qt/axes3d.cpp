// 3-D axes: the grid box seen from the axes' view, surfaces coloured through
// the figure's colour map and drawn back to front, lines, ticks and labels.
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "platform/graphics/data_export.h"
#include "platform/graphics/graphics.h"
#include "platform/qt/axes_painting.h"
#include "platform/qt/face_raster.h"
#include "platform/qt/line_drawing.h"
#include "platform/qt/object_queries.h"
#include "platform/qt/props.h"
#include "platform/qt/text_drawing.h"

namespace rt::qt::render {
namespace {

using gfx::SurfaceView;

struct Face {
  float depth;
  std::uint32_t surface;
  std::uint32_t index;  // grid index of the face's first corner
};

struct SurfaceStyle {
  enum Kind { Mapped, Fixed, None } face = Mapped, edge = Fixed;
  QColor faceColor, edgeColor = Qt::black;
};

SurfaceStyle surfaceStyle(double s) {
  SurfaceStyle st;
  Array fc = tryProp(s, "FaceColor");
  if (!fc.isNull() && fc.isChar()) {
    std::string k = propKeyword(s, "FaceColor");
    if (k == "none") {
      st.face = SurfaceStyle::None;
    } else if (std::optional<QColor> c = toColor(fc)) {
      st.face = SurfaceStyle::Fixed;
      st.faceColor = *c;
    }
  } else if (std::optional<QColor> c = toColor(fc)) {
    st.face = SurfaceStyle::Fixed;
    st.faceColor = *c;
  }
  Array ec = tryProp(s, "EdgeColor");
  std::string ek = propKeyword(s, "EdgeColor");
  if (ek == "none") {
    st.edge = SurfaceStyle::None;
  } else if (ek == "flat" || ek == "interp") {
    st.edge = SurfaceStyle::Mapped;
  } else if (std::optional<QColor> c = toColor(ec)) {
    st.edgeColor = *c;
  }
  return st;
}

// Colour limits: CLim (kept at the finite range of the colour data in
// automatic mode by the object system), else the range of the data here.
Projection::Limits colorLimits(double ax, const std::vector<SurfaceView>& grids) {
  std::vector<double> clim = propValues(ax, "CLim");
  if (clim.size() >= 2 && std::isfinite(clim[0]) && std::isfinite(clim[1]) && clim[0] < clim[1]) {
    return {clim[0], clim[1]};
  }
  Range r;
  for (const SurfaceView& g : grids)
    for (double c : g.c) r.add(c);
  if (!r.valid()) return {0, 1};
  if (r.lo == r.hi) return {r.lo - 1, r.hi + 1};
  return {r.lo, r.hi};
}

int colorIndex(double c, const Projection::Limits& clim, int mapSize) {
  int i = static_cast<int>(std::floor((c - clim[0]) / (clim[1] - clim[0]) * mapSize));
  return std::clamp(i, 0, mapSize - 1);
}

// The edge of the data box parallel to `axis` chosen by `better` among the
// four candidates; returns the two free coordinates.
struct Edge {
  int axis;
  double a, b;  // the other two coordinates, in axis order
  QPointF from, to;
};

QPointF project(const Projection& pr, int axis, double t, double a, double b) {
  switch (axis) {
    case 0:
      return pr.toScreen(t, a, b);
    case 1:
      return pr.toScreen(a, t, b);
    default:
      return pr.toScreen(a, b, t);
  }
}

template <class Better>
Edge pickEdge(const Projection& pr, int axis, Better better) {
  const auto& L = pr.limits();
  int o1 = axis == 0 ? 1 : 0, o2 = axis == 2 ? 1 : 2;
  std::optional<Edge> best;
  for (double a : L[o1]) {
    for (double b : L[o2]) {
      Edge e{axis, a, b, project(pr, axis, L[axis][0], a, b), project(pr, axis, L[axis][1], a, b)};
      if (!best || better(e, *best)) best = e;
    }
  }
  return *best;
}

QPointF midpoint(const Edge& e) {
  return (e.from + e.to) / 2;
}

// Where the points of one surface's grid fall: on the device, and their
// depth; `ok` is false for a point with a coordinate that is not a number.
struct ScreenGrid {
  std::size_t m = 0;
  std::vector<QPointF> at;
  std::vector<float> depth;
  std::vector<std::uint8_t> ok;
};

// A face ready to draw: its colours (none: not drawn) and the edges it
// draws, bit e for the edge from corner e to corner e + 1. On raster devices
// an edge shared with a face drawn later is left to that face, which covers
// the same pixels (polygons on other devices draw all four).
struct FaceDraw {
  std::uint32_t surface;
  std::uint32_t index;  // grid index of the face's first corner
  std::optional<QRgb> fill, edge;
  std::uint8_t edges = 0xf;
};

// The smallest convex polygon round `points` (Andrew's monotone chain).
QPolygonF convexHull(std::vector<QPointF> points) {
  std::sort(points.begin(), points.end(), [](const QPointF& a, const QPointF& b) {
    return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
  });
  auto turn = [](const QPointF& o, const QPointF& a, const QPointF& b) {
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
  };
  QPolygonF hull;
  for (int pass = 0; pass < 2; ++pass) {
    const qsizetype start = hull.size();
    for (const QPointF& pt : points) {
      while (hull.size() >= start + 2 && turn(hull[hull.size() - 2], hull.back(), pt) <= 0)
        hull.pop_back();
      hull.push_back(pt);
    }
    hull.pop_back();  // the next chain starts where this one ends
    std::reverse(points.begin(), points.end());
  }
  return hull;
}

// The face's corners on the device, in drawing order.
void cornersOf(const std::vector<ScreenGrid>& screens, const FaceDraw& f, QPointF (&q)[4]) {
  const ScreenGrid& s = screens[f.surface];
  const std::size_t k00 = f.index, k10 = k00 + 1, k01 = k00 + s.m, k11 = k01 + 1;
  q[0] = s.at[k00];
  q[1] = s.at[k01];
  q[2] = s.at[k11];
  q[3] = s.at[k10];
}

// Draws faces in order, clipped to `area`. Raster devices get them through
// FaceRaster, into a transparent layer the painter then composes: setting a
// brush for nearly every face costs the painter more than the drawing
// itself, and a turned pattern frame takes less than half the time this way
// (bench/README.md). Other devices (SVG) get them as polygons.
void drawFaces(QPainter& p, const std::vector<FaceDraw>& faces,
               const std::vector<ScreenGrid>& screens, const QRectF& area) {
  if (faces.empty()) return;
  QPaintEngine* engine = p.paintEngine();
  QPointF q[4];
  if (engine && engine->type() == QPaintEngine::Raster &&
      p.worldTransform().type() <= QTransform::TxTranslate) {
    double left = kInf, top = kInf, right = -kInf, bottom = -kInf;
    for (const FaceDraw& f : faces) {
      cornersOf(screens, f, q);
      for (const QPointF& c : q) {
        left = std::min(left, c.x());
        right = std::max(right, c.x());
        top = std::min(top, c.y());
        bottom = std::max(bottom, c.y());
      }
    }
    left = std::max(left, area.left());
    top = std::max(top, area.top());
    right = std::min(right + 1, area.right());
    bottom = std::min(bottom + 1, area.bottom());
    if (!(left < right && top < bottom)) return;
    QRect r = QRectF(QPointF(left, top), QPointF(right, bottom)).toAlignedRect();
    if (r.isEmpty()) return;
    const qreal dpr = std::max<qreal>(1, p.device()->devicePixelRatioF());
    QImage layer(r.size() * dpr, QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull()) return;
    layer.fill(Qt::transparent);
    const QPointF origin(r.topLeft());
    FaceRaster raster(layer);
    auto local = [&](const QPointF& c) { return (c - origin) * dpr; };
    for (const FaceDraw& f : faces) {
      cornersOf(screens, f, q);
      const QPointF quad[4] = {local(q[0]), local(q[1]), local(q[2]), local(q[3])};
      if (f.fill) raster.fillQuad(quad, *f.fill);
      if (f.edge) {
        for (int e = 0; e < 4; ++e)
          if (f.edges & (1u << e)) raster.line(quad[e], quad[(e + 1) % 4], *f.edge);
      }
    }
    layer.setDevicePixelRatio(dpr);
    p.drawImage(r.topLeft(), layer);
    return;
  }
  p.save();
  p.setClipRect(area, Qt::IntersectClip);
  std::optional<QRgb> brush, pen;
  p.setBrush(Qt::NoBrush);
  p.setPen(Qt::NoPen);
  for (const FaceDraw& f : faces) {
    // Brush and pen change only with the colour: state changes are slow.
    if (f.fill != brush) {
      brush = f.fill;
      p.setBrush(brush ? QBrush(QColor(*brush)) : QBrush(Qt::NoBrush));
    }
    if (f.edge != pen) {
      pen = f.edge;
      p.setPen(pen ? QPen(QColor(*pen), 0) : QPen(Qt::NoPen));
    }
    cornersOf(screens, f, q);
    p.drawConvexPolygon(q, 4);
  }
  p.restore();
}

std::function<std::optional<ColourKey>(double)>& colourKeys() {
  static std::function<std::optional<ColourKey>(double)> keys;
  return keys;
}

// One drawing of a 3-D axes: the data, limits, view and fonts that its steps
// share. The steps run in painting order, back to front.
class Axes3D {
 public:
  Axes3D(QPainter& p, double ax, const QRectF& box)
      : p_(p), ax_(ax), box_(box), lim_(readData()), pr_(makeProjection()) {
    for (int k = 0; k < 3; ++k) mid_[k] = (lim_[k][0] + lim_[k][1]) / 2;
    colors_[0] = axisColor(ax, "XColor");
    colors_[1] = axisColor(ax, "YColor");
    colors_[2] = axisColor(ax, "ZColor");
    findBackPlanes();
  }

  void paint() {
    drawBox();
    drawGrids();
    drawSurfaces();
    drawLines();
    drawTicksAndLabels();
    drawFreeTexts(p_, ax_, box_,
                  [this](double x, double y, double z) { return pr_.toScreen(x, y, z); });
    drawTitle();
    drawColourBar();
  }

  AxesLayout layout() const {
    return {.axes = ax_, .box = box_, .x = {}, .y = {}, .projection = pr_};
  }

 private:
  // The two other axes of axis k, in order.
  static std::pair<int, int> others(int k) { return {k == 0 ? 1 : 0, k == 2 ? 1 : 2}; }

  // Reads the surfaces and lines; limits from XLim, YLim, ZLim or the data.
  std::array<Projection::Limits, 3> readData() {
    Range ranges[3];
    for (double s : childrenOfType(ax_, "surface")) {
      if (!visible(s)) continue;
      std::optional<SurfaceView> read = gfx::surfaceView(s);
      if (!read) continue;
      SurfaceView& g = *read;
      for (std::size_t k = 0; k < g.m * g.n; ++k) {
        if (std::isfinite(g.x[k]) && std::isfinite(g.y[k]) && std::isfinite(g.z[k])) {
          ranges[0].add(g.x[k]);
          ranges[1].add(g.y[k]);
          ranges[2].add(g.z[k]);
        }
      }
      grids_.push_back(std::move(g));
      styles_.push_back(surfaceStyle(s));
    }
    for (double l : childrenOfType(ax_, "line")) {
      if (!visible(l)) continue;
      lines_.push_back(l);
      ranges[0].add(propValues(l, "XData"));
      ranges[1].add(propValues(l, "YData"));
      ranges[2].add(propValues(l, "ZData"));
    }
    std::array<Projection::Limits, 3> lim = {axisLimits(ax_, "XLim", ranges[0]),
                                             axisLimits(ax_, "YLim", ranges[1]),
                                             axisLimits(ax_, "ZLim", ranges[2])};
    for (int k = 0; k < 3; ++k)
      beyondLimits_ = beyondLimits_ ||
                      (ranges[k].valid() && (ranges[k].lo < lim[k][0] || ranges[k].hi > lim[k][1]));
    return lim;
  }

  // Zoomed in, the data reach past the box of the limits, and over where
  // the tick labels stand outside it: the data are then drawn only within
  // the outline of that box on the screen.
  void clipToDataBox() {
    if (!beyondLimits_) return;
    std::vector<QPointF> corners;
    for (int i = 0; i < 8; ++i)
      corners.push_back(at({lim_[0][i & 1], lim_[1][(i >> 1) & 1], lim_[2][(i >> 2) & 1]}));
    QPainterPath outline;
    outline.addPolygon(convexHull(corners));
    outline.closeSubpath();
    p_.setClipPath(outline, Qt::IntersectClip);
  }

  // The view fitted into the plot box, less room for tick labels and labels.
  Projection makeProjection() {
    std::vector<double> view = propValues(ax_, "View");
    double az = view.size() >= 2 && std::isfinite(view[0]) ? view[0] : -37.5;
    double el = view.size() >= 2 && std::isfinite(view[1]) ? view[1] : 30.0;
    text_ = textAvailable();
    font_ =
        text_ ? legibleFont(propFont(ax_, box_.height()), deviceScale(p_), box_.height()) : QFont();
    fontPx_ = text_ ? QFontMetricsF(font_).height() : 12.0;
    double margin = text_ ? 2.2 * fontPx_ : 4.0;
    key_ = mapsColours() ? colourKeys()(ax_) : std::nullopt;
    // The bar, its tick labels, and its label turned upright beside them.
    barRoom_ = key_ ? barWidth() + (text_ ? 6 * fontPx_ : 4.0) : 0;
    // The note wraps in the width the bar leaves, a third of the box high at
    // most: on a small window it would run into the bar's label.
    noteFont_ = font_;
    note_ = key_ && text_ && !key_->note.empty()
                ? fitCaption(QString::fromStdString(key_->note).split(QLatin1Char('\n')), noteFont_,
                             box_.width() - barRoom_ - fontPx_, deviceScale(p_), box_.height() / 3)
                : QStringList();
    const double noteRoom =
        1.1 * QFontMetricsF(noteFont_).height() * static_cast<double>(note_.size());
    viewport_ = box_.adjusted(margin, margin * 0.5 + noteRoom, -margin - barRoom_, -margin);
    if (viewport_.width() < 10 || viewport_.height() < 10) viewport_ = box_;
    return Projection(az, el, lim_, viewport_);
  }

  // Of the two planes of the box across each axis, the one away from the
  // viewer.
  void findBackPlanes() {
    for (int k = 0; k < 3; ++k) {
      std::array<double, 3> lo = mid_, hi = mid_;
      lo[k] = lim_[k][0];
      hi[k] = lim_[k][1];
      back_[k] = pr_.depth(lo[0], lo[1], lo[2]) <= pr_.depth(hi[0], hi[1], hi[2]) ? lim_[k][0]
                                                                                  : lim_[k][1];
    }
  }

  QPointF at(const std::array<double, 3>& c) const { return pr_.toScreen(c[0], c[1], c[2]); }

  // The back planes filled with the axes colour, with their edges.
  void drawBox() {
    std::optional<QColor> bg = propColor(ax_, "Color");
    p_.setRenderHint(QPainter::Antialiasing, false);
    for (int k = 0; k < 3; ++k) {
      auto [a, b] = others(k);
      QPointF quad[4];
      const double corners[4][2] = {{lim_[a][0], lim_[b][0]},
                                    {lim_[a][1], lim_[b][0]},
                                    {lim_[a][1], lim_[b][1]},
                                    {lim_[a][0], lim_[b][1]}};
      for (int i = 0; i < 4; ++i) {
        std::array<double, 3> c;
        c[k] = back_[k];
        c[a] = corners[i][0];
        c[b] = corners[i][1];
        quad[i] = at(c);
      }
      if (bg) {
        p_.setPen(Qt::NoPen);
        p_.setBrush(*bg);
        p_.drawConvexPolygon(quad, 4);
      }
      p_.setBrush(Qt::NoBrush);
      p_.setPen(QPen(colors_[a], 0));
      p_.drawLine(quad[0], quad[1]);
      p_.drawLine(quad[3], quad[2]);
      p_.setPen(QPen(colors_[b], 0));
      p_.drawLine(quad[0], quad[3]);
      p_.drawLine(quad[1], quad[2]);
    }
  }

  // Ticks per axis (none for an axis seen end on), and the grid lines on the
  // two back planes that hold the axis.
  void drawGrids() {
    const char* gridNames[3] = {"XGrid", "YGrid", "ZGrid"};
    for (int k = 0; k < 3; ++k) {
      auto [a, b] = others(k);
      QPointF e0 = project(pr_, k, lim_[k][0], mid_[a], mid_[b]);
      QPointF e1 = project(pr_, k, lim_[k][1], mid_[a], mid_[b]);
      double len = std::hypot(e1.x() - e0.x(), e1.y() - e0.y());
      if (len < 2 * fontPx_) continue;
      int most = std::clamp(static_cast<int>(len / std::max(3.5 * fontPx_, 20.0)), 3, 9);
      ticks_[k] = niceTicks(lim_[k][0], lim_[k][1], most);
      if (!propOn(ax_, gridNames[k], false)) continue;
      QColor gc = colors_[k];
      gc.setAlpha(90);
      QPen pen(gc, 0);
      pen.setStyle(Qt::DotLine);
      p_.setPen(pen);
      for (int plane : {a, b}) {
        int free = 3 - plane - k;
        for (double t : ticks_[k].values) {
          std::array<double, 3> c0, c1;
          c0[plane] = c1[plane] = back_[plane];
          c0[k] = c1[k] = t;
          c0[free] = lim_[free][0];
          c1[free] = lim_[free][1];
          p_.drawLine(at(c0), at(c1));
        }
      }
    }
  }

  // All faces of all surfaces, sorted back to front and coloured through
  // the figure's colour map.
  void drawSurfaces() {
    std::vector<ScreenGrid> screens = projectSurfaces();
    std::vector<Face> faces = sortedFaces(screens);
    std::vector<FaceDraw> draws = colourFaces(faces);
    leaveSharedEdgesToLaterFaces(draws);
    p_.save();
    clipToDataBox();
    drawFaces(p_, draws, screens, box_);
    p_.restore();
  }

  std::vector<ScreenGrid> projectSurfaces() const {
    std::vector<ScreenGrid> screens(grids_.size());
    for (std::size_t s = 0; s < grids_.size(); ++s) {
      const SurfaceView& g = grids_[s];
      ScreenGrid& sg = screens[s];
      const std::size_t count = g.m * g.n;
      sg.m = g.m;
      sg.at.resize(count);
      sg.depth.resize(count);
      sg.ok.resize(count);
      for (std::size_t k = 0; k < count; ++k) {
        sg.ok[k] = std::isfinite(g.x[k]) && std::isfinite(g.y[k]) && std::isfinite(g.z[k]);
        if (!sg.ok[k]) continue;
        sg.at[k] = pr_.toScreen(g.x[k], g.y[k], g.z[k]);
        sg.depth[k] = static_cast<float>(pr_.depth(g.x[k], g.y[k], g.z[k]));
      }
    }
    return screens;
  }

  // The faces back to front; a face touching a point that is not a number
  // is left out.
  std::vector<Face> sortedFaces(const std::vector<ScreenGrid>& screens) const {
    std::vector<Face> faces;
    for (std::size_t s = 0; s < grids_.size(); ++s) {
      const SurfaceView& g = grids_[s];
      const ScreenGrid& sg = screens[s];
      for (std::size_t j = 0; j + 1 < g.n; ++j) {
        for (std::size_t i = 0; i + 1 < g.m; ++i) {
          std::size_t k00 = j * g.m + i, k10 = k00 + 1, k01 = k00 + g.m, k11 = k01 + 1;
          if (!sg.ok[k00] || !sg.ok[k10] || !sg.ok[k01] || !sg.ok[k11]) continue;
          float d = (sg.depth[k00] + sg.depth[k10] + sg.depth[k01] + sg.depth[k11]) / 4;
          faces.push_back({d, static_cast<std::uint32_t>(s), static_cast<std::uint32_t>(k00)});
        }
      }
    }
    std::sort(faces.begin(), faces.end(),
              [](const Face& a, const Face& b) { return a.depth < b.depth; });
    return faces;
  }

  // Each face's fill and edge colours by its surface's style, the mapped
  // ones from the colour of its first corner; faces with nothing to draw go.
  std::vector<FaceDraw> colourFaces(const std::vector<Face>& faces) const {
    std::vector<QRgb> cmap;
    for (const QColor& c : figureColormap(figureOf(ax_))) cmap.push_back(c.rgb());
    const Projection::Limits clim = colorLimits(ax_, grids_);
    const int mapSize = static_cast<int>(cmap.size());
    std::vector<FaceDraw> draws;
    draws.reserve(faces.size());
    for (const Face& f : faces) {
      const SurfaceStyle& st = styles_[f.surface];
      const double c = grids_[f.surface].c[f.index];
      std::optional<QRgb> mapped;
      if (std::isfinite(c)) mapped = cmap[colorIndex(c, clim, mapSize)];
      FaceDraw d{f.surface, f.index, std::nullopt, std::nullopt};
      if (st.face == SurfaceStyle::Mapped) {
        if (!mapped) continue;  // a face without a colour value is left out
        d.fill = mapped;
      } else if (st.face == SurfaceStyle::Fixed) {
        d.fill = st.faceColor.rgb();
      }
      if (st.edge == SurfaceStyle::Mapped) {
        d.edge = mapped;
      } else if (st.edge == SurfaceStyle::Fixed) {
        d.edge = st.edgeColor.rgb();
      }
      if (d.fill || d.edge) draws.push_back(d);
    }
    return draws;
  }

  // An edge between two faces that both draw their edges is drawn once, by
  // the one drawn later: its drawing covers the earlier one's pixels anyway.
  void leaveSharedEdgesToLaterFaces(std::vector<FaceDraw>& draws) const {
    std::vector<std::vector<std::int32_t>> order(grids_.size());
    for (std::size_t s = 0; s < grids_.size(); ++s) order[s].assign(grids_[s].m * grids_[s].n, -1);
    for (std::size_t k = 0; k < draws.size(); ++k)
      if (draws[k].edge) order[draws[k].surface][draws[k].index] = static_cast<std::int32_t>(k);
    for (std::size_t k = 0; k < draws.size(); ++k) {
      FaceDraw& d = draws[k];
      if (!d.edge) continue;
      const std::size_t m = grids_[d.surface].m, n = grids_[d.surface].n;
      const std::size_t i = d.index % m, j = d.index / m;
      const std::vector<std::int32_t>& at = order[d.surface];
      // The face across each edge: the one above, right, below and left of
      // this one on the grid (corners k00-k01, k01-k11, k11-k10, k10-k00).
      const bool across[4] = {i > 0 && at[d.index - 1] > static_cast<std::int32_t>(k),
                              j + 2 < n && at[d.index + m] > static_cast<std::int32_t>(k),
                              i + 2 < m && at[d.index + 1] > static_cast<std::int32_t>(k),
                              j > 0 && at[d.index - m] > static_cast<std::int32_t>(k)};
      for (int e = 0; e < 4; ++e)
        if (across[e]) d.edges &= static_cast<std::uint8_t>(~(1u << e));
    }
  }

  void drawLines() {
    p_.save();
    clipToDataBox();
    p_.translate(0.5, 0.5);  // pixel centres: thin lines stay crisp
    p_.setRenderHint(QPainter::Antialiasing, true);
    for (double l : lines_) {
      std::vector<double> xd = propValues(l, "XData"), yd = propValues(l, "YData"),
                          zd = propValues(l, "ZData");
      std::size_t n = std::min(xd.size(), yd.size());
      std::vector<QPointF> pts(n);
      std::vector<bool> ok(n);
      for (std::size_t i = 0; i < n; ++i) {
        double z = zd.size() == n ? zd[i] : 0.0;
        ok[i] = std::isfinite(xd[i]) && std::isfinite(yd[i]) && std::isfinite(z);
        if (ok[i]) pts[i] = pr_.toScreen(xd[i], yd[i], z);
      }
      QPen pen = linePen(l);
      if (pen.style() == Qt::NoPen) continue;
      p_.setPen(pen);
      drawClippedPolyline(p_, pts, ok, box_);
    }
    p_.restore();
  }

  // Ticks and labels on the outer edges: x and y along the lowest edges on
  // the screen, z along the leftmost upright edge, all pointing away from
  // the box's centre.
  void drawTicksAndLabels() {
    QPointF centre = pr_.toScreen(mid_[0], mid_[1], mid_[2]);
    auto lowest = [](const Edge& a, const Edge& b) { return midpoint(a).y() > midpoint(b).y(); };
    auto leftmost = [](const Edge& a, const Edge& b) { return midpoint(a).x() < midpoint(b).x(); };
    Edge edges[3] = {pickEdge(pr_, 0, lowest), pickEdge(pr_, 1, lowest),
                     pickEdge(pr_, 2, leftmost)};
    const char* labelNames[3] = {"XLabel", "YLabel", "ZLabel"};
    double tickLen = std::max(3.0, 0.012 * std::max(viewport_.width(), viewport_.height()));
    double gap = 0.3 * fontPx_;
    std::vector<QRectF> placed;
    for (int k = 0; k < 3; ++k) {
      const Edge& e = edges[k];
      QPointF out = midpoint(e) - centre;
      double norm = std::hypot(out.x(), out.y());
      if (norm < 1e-9) continue;
      out /= norm;
      p_.setRenderHint(QPainter::Antialiasing, false);
      p_.setPen(QPen(colors_[k], 0));
      p_.drawLine(e.from, e.to);
      TickLabels tl = formatTicks(ticks_[k]);
      HAlign ha = out.x() > 0.3 ? HAlign::Left : out.x() < -0.3 ? HAlign::Right : HAlign::Center;
      VAlign va = out.y() > 0.3 ? VAlign::Top : out.y() < -0.3 ? VAlign::Bottom : VAlign::Middle;
      QSizeF extent;
      for (std::size_t i = 0; i < ticks_[k].values.size(); ++i) {
        QPointF tick = project(pr_, k, ticks_[k].values[i], e.a, e.b);
        p_.setRenderHint(QPainter::Antialiasing, false);
        p_.setPen(QPen(colors_[k], 0));
        p_.drawLine(tick, tick + out * tickLen);
        if (!text_) continue;
        // Labels of two axes may meet at a corner of the box: the first
        // stays, and one that would come within a space of it goes, so
        // that two never read as one ("0-1").
        QSizeF size = textBlockSize({tl.labels[i]}, font_);
        QPointF anchor = tick + out * (tickLen + gap);
        QRectF area = blockRect(size, anchor, ha, va);
        extent = extent.expandedTo(size);
        const QRectF spaced = area.adjusted(-gap, -gap, gap, gap);
        if (std::any_of(placed.begin(), placed.end(),
                        [&](const QRectF& r) { return r.intersects(spaced); })) {
          continue;
        }
        placed.push_back(area);
        p_.setRenderHint(QPainter::Antialiasing, true);
        drawTextBlock(p_, {tl.labels[i]}, anchor, font_, colors_[k], ha, va);
      }
      TextObject label = readText(labelHandle(ax_, labelNames[k]), box_.height(), deviceScale(p_));
      if (!text_ || !label.shown()) continue;
      double reach = tickLen + 2 * gap + std::abs(out.x()) * extent.width() +
                     std::abs(out.y()) * extent.height();
      p_.setRenderHint(QPainter::Antialiasing, true);
      if (k == 2) {  // upright, like its axis
        drawTextBlock(p_, label.lines, midpoint(e) + out * reach, label.font, label.color,
                      HAlign::Center, out.x() < 0 ? VAlign::Bottom : VAlign::Top, 90);
      } else {
        drawTextBlock(p_, label.lines, midpoint(e) + out * reach, label.font, label.color, ha, va);
      }
    }
  }

  bool mapsColours() const {
    return colourKeys() && std::any_of(styles_.begin(), styles_.end(), [](const SurfaceStyle& st) {
             return st.face == SurfaceStyle::Mapped || st.edge == SurfaceStyle::Mapped;
           });
  }

  double barWidth() const { return std::max(8.0, 0.8 * fontPx_); }

  // What a mapped surface's colours stand for: the figure's colour map from
  // the low colour limit at the bottom to the high one at the top, at the
  // right of the data box, as tall as the view, with ticks on its right.
  void drawColourBar() {
    if (!key_) return;
    // Near the data box as the view projects it, clear of its tick labels.
    double right = -kInf;
    for (double x : lim_[0])
      for (double y : lim_[1])
        for (double z : lim_[2]) right = std::max(right, pr_.toScreen(x, y, z).x());
    const double left = std::min(box_.right() - barRoom_, right + 3 * fontPx_);
    const QRectF bar(left, viewport_.top(), barWidth(), viewport_.height());
    const std::vector<QColor> cmap = figureColormap(figureOf(ax_));
    const Projection::Limits clim = colorLimits(ax_, grids_);
    if (cmap.empty() || bar.height() < 4) return;
    p_.setRenderHint(QPainter::Antialiasing, false);
    const double step = bar.height() / static_cast<double>(cmap.size());
    for (std::size_t i = 0; i < cmap.size(); ++i)
      p_.fillRect(QRectF(bar.left(), bar.bottom() - (i + 1) * step, bar.width(), step), cmap[i]);
    p_.setPen(QPen(colors_[2], 0));
    p_.setBrush(Qt::NoBrush);
    p_.drawRect(bar);
    const Ticks ticks = niceTicks(
        clim[0], clim[1], std::clamp(static_cast<int>(bar.height() / (2.5 * fontPx_)), 2, 11));
    const TickLabels labels = formatTicks(ticks);
    const double tickLen = std::max(2.0, 0.25 * fontPx_);
    double labelsRight = bar.right() + tickLen;
    for (std::size_t i = 0; i < ticks.values.size(); ++i) {
      const double y =
          bar.bottom() - (ticks.values[i] - clim[0]) / (clim[1] - clim[0]) * bar.height();
      if (y < bar.top() - 0.5 || y > bar.bottom() + 0.5) continue;
      p_.setRenderHint(QPainter::Antialiasing, false);
      p_.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + tickLen, y));
      if (!text_) continue;
      p_.setRenderHint(QPainter::Antialiasing, true);
      const QPointF at(bar.right() + tickLen + 0.3 * fontPx_, y);
      drawTextBlock(p_, {labels.labels[i]}, at, font_, colors_[2], HAlign::Left, VAlign::Middle);
      labelsRight =
          std::max(labelsRight, at.x() + textBlockSize({labels.labels[i]}, font_).width());
    }
    if (!text_) return;
    // Upright beside the tick labels, no longer than the bar: smaller type,
    // then wrapped into the room the bar keeps beside them.
    QFont labelFont = font_;
    const double across = box_.right() - labelsRight - 0.3 * fontPx_;
    const QStringList label = fitCaption({QString::fromStdString(key_->label)}, labelFont,
                                         bar.height(), deviceScale(p_), across);
    drawTextBlock(p_, label, QPointF(labelsRight + 0.3 * fontPx_, bar.center().y()), labelFont,
                  colors_[2], HAlign::Center, VAlign::Top, 90);
    if (!note_.isEmpty())
      drawTextBlock(p_, note_, QPointF(box_.left() + 0.3 * fontPx_, box_.top() + 0.2 * fontPx_),
                    noteFont_, colors_[2], HAlign::Left, VAlign::Top);
  }

  // The title, centred above the box.
  void drawTitle() {
    TextObject title = readText(labelHandle(ax_, "Title"), box_.height(), deviceScale(p_));
    if (!text_ || !title.shown()) return;
    double top = kInf;
    for (double x : lim_[0])
      for (double y : lim_[1])
        for (double z : lim_[2]) top = std::min(top, pr_.toScreen(x, y, z).y());
    p_.setRenderHint(QPainter::Antialiasing, true);
    drawTextBlock(p_, title.lines, QPointF(box_.center().x(), top - 0.3 * fontPx_), title.font,
                  title.color, HAlign::Center, VAlign::Bottom);
  }

  QPainter& p_;
  double ax_;
  QRectF box_, viewport_;
  double barRoom_ = 0;            // beside the view, for the colour bar
  std::optional<ColourKey> key_;  // the colour bar's, when it has one
  QStringList note_;              // its note's lines, above the view
  QFont noteFont_;
  std::vector<SurfaceView> grids_;
  std::vector<SurfaceStyle> styles_;
  std::vector<double> lines_;
  bool text_ = false;
  QFont font_;
  double fontPx_ = 12;
  bool beyondLimits_ = false;  // set by readData, which lim_ comes from: declared before it
  std::array<Projection::Limits, 3> lim_;
  Projection pr_;
  std::array<double, 3> mid_{}, back_{};
  QColor colors_[3];
  std::array<Ticks, 3> ticks_;
};

}  // namespace

AxesLayout paintAxes3D(QPainter& p, double ax, const QRectF& box) {
  return paintWith<Axes3D>(p, ax, box);
}

}  // namespace rt::qt::render

void rt::qt::setColourBars(std::function<std::optional<ColourKey>(double ax)> key) {
  render::colourKeys() = std::move(key);
}

// Helpers shared by the figure, 2-D and 3-D drawing code.
#include "platform/qt/render_support.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QPaintEngine>
#include <QPolygonF>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "platform/graphics/graphics.h"
#include "platform/qt/face_raster.h"
#include "platform/qt/props.h"

namespace rt::qt::render {
namespace {

// ----------------------------------------------------------- line helpers
Qt::PenStyle penStyleOf(const std::string& style) {
  if (style == "--") return Qt::DashLine;
  if (style == ":") return Qt::DotLine;
  if (style == "-.") return Qt::DashDotLine;
  if (style == "none") return Qt::NoPen;
  return Qt::SolidLine;
}

double pointsToPixels(double pt) {
  return pt * 96.0 / 72.0;
}

std::vector<PaintedText>* textLog = nullptr;

// The advance of a line of text in a font. Shaping a tick label costs as
// much as drawing it, and an axes measures the same few labels on every
// repaint (the y labels twice), so advances are kept per font and text.
// Painting runs on the one GUI thread; the store is never freed, so no font
// outlives the font system when the program ends.
double textAdvance(const QFont& font, const QFontMetricsF& fm, const QString& line) {
  // Bounds: a program drawing ever new texts or fonts starts a store afresh.
  constexpr qsizetype kMostFonts = 64, kMostAdvances = 4096;
  static auto* advances = new QHash<QFont, QHash<QString, double>>();
  if (advances->size() >= kMostFonts && !advances->contains(font)) advances->clear();
  QHash<QString, double>& ofFont = (*advances)[font];
  if (auto known = ofFont.constFind(line); known != ofFont.constEnd()) return *known;
  if (ofFont.size() >= kMostAdvances) ofFont.clear();
  return ofFont[line] = fm.horizontalAdvance(line);
}

// Whether a line holds only what numbers are written with (tick labels and
// their power of ten). A line of these, shaped once and drawn where the
// painter's own text drawing puts it, sets the same pixels; for other text
// the two can differ, so it is laid out afresh each time.
bool numberText(const QString& line) {
  for (QChar c : line)
    if (!((c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'+' || c == u'x' ||
          c == u'^' || c == u'e' || c == u'E'))
      return false;
  return !line.isEmpty();
}

// A line of text laid out and shaped once in a pixel-sized font. An axes
// draws the same few tick labels at every repaint, and laying out and
// shaping a label costs more than drawing its glyphs. Bounded like the
// advances above.
const QTextLayout& shapedLine(const QFont& font, const QString& line) {
  constexpr qsizetype kMostLines = 1024;
  static auto* shaped = new QHash<std::pair<QFont, QString>, std::shared_ptr<QTextLayout>>();
  std::pair<QFont, QString> key(font, line);
  if (auto known = shaped->constFind(key); known != shaped->constEnd()) return **known;
  if (shaped->size() >= kMostLines) shaped->clear();
  auto layout = std::make_shared<QTextLayout>(line, font);
  layout->setCacheEnabled(true);
  layout->beginLayout();
  layout->createLine();
  layout->endLayout();
  return *shaped->insert(key, std::move(layout)).value();
}

}  // namespace

TextLogScope::TextLogScope(std::vector<PaintedText>* log) : log_(log), saved_(textLog) {
  if (log) log->clear();
  textLog = log;
}

TextLogScope::~TextLogScope() {
  if (log_ && saved_) saved_->insert(saved_->end(), log_->begin(), log_->end());
  textLog = saved_;
}

bool textAvailable() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

std::vector<double> childrenOfType(double h, std::string_view type) {
  std::vector<double> out;
  try {
    for (double c : gfx::children(h)) {
      if (gfx::type(c) == type) out.push_back(c);
    }
  } catch (const std::exception&) {
  }
  return out;
}

bool visible(double h) {
  return propOn(h, "Visible", true);
}

// A non-degenerate range for an axis: the limits property when it holds two
// finite increasing numbers (the object system keeps it fitted to the data in
// automatic mode), else the data range.
Projection::Limits axisLimits(double ax, const char* limName, const Range& data) {
  std::vector<double> lim = propValues(ax, limName);
  if (lim.size() >= 2 && std::isfinite(lim[0]) && std::isfinite(lim[1]) && lim[0] < lim[1]) {
    return {lim[0], lim[1]};
  }
  if (!data.valid()) return {0, 1};
  if (data.lo == data.hi) {
    double pad = data.lo == 0 ? 1.0 : std::abs(data.lo) * 0.1;
    return {data.lo - pad, data.hi + pad};
  }
  return {data.lo, data.hi};
}

// --------------------------------------------------------------- text

HAlign hAlignOf(const std::string& k, HAlign fallback) {
  if (k == "left") return HAlign::Left;
  if (k == "center") return HAlign::Center;
  if (k == "right") return HAlign::Right;
  return fallback;
}

VAlign vAlignOf(const std::string& k, VAlign fallback) {
  if (k == "top" || k == "cap") return VAlign::Top;
  if (k == "middle") return VAlign::Middle;
  if (k == "bottom" || k == "baseline") return VAlign::Bottom;
  return fallback;
}

QSizeF textBlockSize(const QStringList& lines, const QFont& font) {
  if (!textAvailable() || lines.isEmpty()) return {};
  QFontMetricsF fm(font);
  double w = 0;
  for (const QString& l : lines) w = std::max(w, textAdvance(font, fm, l));
  return {w, fm.lineSpacing() * lines.size()};
}

// The area of an unturned block of `size` anchored at `anchor`.
QRectF blockRect(QSizeF size, QPointF anchor, HAlign h, VAlign v) {
  double x0 = h == HAlign::Left ? 0 : h == HAlign::Center ? -size.width() / 2 : -size.width();
  double y0 = v == VAlign::Top ? 0 : v == VAlign::Middle ? -size.height() / 2 : -size.height();
  return {anchor + QPointF(x0, y0), size};
}

// Draws a block of lines anchored at `anchor`, turned by `rotationDeg`
// counter-clockwise about the anchor.
void drawTextBlock(QPainter& p, const QStringList& lines, QPointF anchor, const QFont& font,
                   const QColor& color, HAlign h, VAlign v, double rotationDeg) {
  if (!textAvailable() || lines.isEmpty()) return;
  QSizeF size = textBlockSize(lines, font);
  QFontMetricsF fm(font);
  QPointF origin = blockRect(size, QPointF(0, 0), h, v).topLeft();
  double x0 = origin.x(), y0 = origin.y();
  int flags = h == HAlign::Left     ? Qt::AlignLeft
              : h == HAlign::Center ? Qt::AlignHCenter
                                    : Qt::AlignRight;
  p.save();
  p.translate(anchor);
  if (rotationDeg != 0) p.rotate(-rotationDeg);
  p.setFont(font);
  p.setPen(color);
  const bool raster = p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Raster;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QRectF r(x0, y0 + i * fm.lineSpacing(), size.width(), fm.lineSpacing());
    if (raster && font.pixelSize() > 0 && numberText(lines[i])) {
      const QTextLayout& shaped = shapedLine(font, lines[i]);
      double w = shaped.lineAt(0).naturalTextWidth();
      double x = h == HAlign::Left     ? r.x()
                 : h == HAlign::Center ? r.x() + (r.width() - w) / 2
                                       : r.right() - w;
      shaped.draw(&p, QPointF(x, r.y()));
    } else {
      p.drawText(r, flags | Qt::AlignVCenter | Qt::TextDontClip, lines[i]);
    }
  }
  if (textLog) {
    textLog->push_back({lines.join(QLatin1Char('\n')),
                        p.deviceTransform().mapRect(QRectF(origin, size)),
                        QFontInfo(font).pixelSize() * deviceScale(p)});
  }
  p.restore();
}

QFont legibleFont(QFont font, double deviceScale, double boxHeight) {
  int least = std::max(static_cast<int>(std::ceil(kLeastTextPx / std::max(deviceScale, 1e-9))),
                       static_cast<int>(std::lround(boxHeight * kTextPerBoxHeight)));
  if (font.pixelSize() > 0 && font.pixelSize() < least) font.setPixelSize(least);
  return font;
}

double deviceScale(const QPainter& p) {
  return std::sqrt(std::abs(p.deviceTransform().determinant()));
}

TextObject readText(double t, double axesHeight, double deviceScale) {
  TextObject obj;
  if (!std::isfinite(t) || !visible(t)) return obj;
  obj.lines = propLines(t, "String");
  if (!obj.shown()) return obj;
  if (textAvailable()) {
    obj.font = propFont(t, axesHeight);
    // A size below one point or pixel cannot be meant in those units: it is
    // the normalised size of an axes whose font the label copied (the label
    // functions copy FontSize but not FontUnits). Read it as the axes does.
    double size = propScalar(t, "FontSize", 10);
    double ax = gfx::exists(t) ? gfx::parent(t) : std::nan("");
    if (size < 1 && propKeyword(t, "FontUnits") != "normalized" &&
        propKeyword(ax, "FontUnits") == "normalized") {
      obj.font.setPixelSize(std::max(1, static_cast<int>(std::lround(size * axesHeight))));
    }
    obj.font = legibleFont(obj.font, deviceScale, axesHeight);
  }
  obj.color = propColor(t, "Color").value_or(Qt::black);
  return obj;
}

double labelHandle(double ax, const char* name) {
  Array h = tryProp(ax, name);
  if (h.isNull() || !h.isNumeric() || h.empty()) return std::nan("");
  double v = h.re()[0];
  return gfx::exists(v) ? v : std::nan("");
}

// Texts of an axes other than its title and labels, at their Position (in
// data units unless their Units say otherwise).
void drawFreeTexts(QPainter& p, double ax, const QRectF& box,
                   const std::function<QPointF(double, double, double)>& toScreen) {
  if (!textAvailable()) return;
  double labels[4] = {labelHandle(ax, "Title"), labelHandle(ax, "XLabel"),
                      labelHandle(ax, "YLabel"), labelHandle(ax, "ZLabel")};
  for (double t : childrenOfType(ax, "text")) {
    if (std::find(std::begin(labels), std::end(labels), t) != std::end(labels)) continue;
    TextObject obj = readText(t, box.height(), deviceScale(p));
    std::vector<double> pos = propValues(t, "Position");
    if (!obj.shown() || pos.size() < 2) continue;
    double z = pos.size() >= 3 ? pos[2] : 0.0;
    std::string units = propKeyword(t, "Units");
    QPointF at;
    if (units.empty() || units == "data") {
      if (!std::isfinite(pos[0]) || !std::isfinite(pos[1]) || !std::isfinite(z)) continue;
      at = toScreen(pos[0], pos[1], z);
    } else {
      at = QPointF(box.left() + toPixels(pos[0], units, box.width()),
                   box.bottom() - toPixels(pos[1], units, box.height()));
    }
    double rotation = propScalar(t, "Rotation", 0);
    drawTextBlock(p, obj.lines, at, obj.font, obj.color,
                  hAlignOf(propKeyword(t, "HorizontalAlignment"), HAlign::Left),
                  vAlignOf(propKeyword(t, "VerticalAlignment"), VAlign::Middle),
                  std::isfinite(rotation) ? rotation : 0);
  }
}

QPen linePen(double line) {
  QColor color = propColor(line, "Color").value_or(QColor(0, 0, 255));
  double width = propScalar(line, "LineWidth", 0.5);
  if (!std::isfinite(width) || width <= 0) width = 0.5;
  QPen pen(color, std::max(1.0, pointsToPixels(width)));
  pen.setStyle(penStyleOf(propKeyword(line, "LineStyle")));
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

namespace {

// The line's marker, or "" when it has none.
std::string markerOf(double line) {
  std::string marker = propKeyword(line, "Marker");
  return marker == "none" ? std::string() : marker;
}

}  // namespace

bool hasMarker(double line) {
  return !markerOf(line).empty();
}

double drawMarkers(QPainter& p, double line, const std::vector<QPointF>& points) {
  const std::string marker = points.empty() ? std::string() : markerOf(line);
  if (marker.empty()) return 0;
  double size = pointsToPixels(propScalar(line, "MarkerSize", 6.0));
  if (!std::isfinite(size) || size <= 0) size = 8;
  double r = size / 2;
  QColor color = propColor(line, "Color").value_or(QColor(0, 0, 255));
  p.save();
  p.setPen(QPen(color, 1));
  p.setBrush(Qt::NoBrush);
  for (const QPointF& c : points) {
    if (marker == "." || marker == "point") {
      p.setBrush(color);
      p.drawEllipse(c, 1.5, 1.5);
    } else if (marker == "o" || marker == "circle") {
      p.drawEllipse(c, r, r);
    } else if (marker == "s" || marker == "square") {
      p.drawRect(QRectF(c.x() - r, c.y() - r, size, size));
    } else if (marker == "x") {
      p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
      p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
    } else {  // "+", "*" and the others: a cross
      p.drawLine(c + QPointF(-r, 0), c + QPointF(r, 0));
      p.drawLine(c + QPointF(0, -r), c + QPointF(0, r));
      if (marker == "*") {
        p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
        p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
      }
    }
  }
  p.restore();
  return std::max(r, 1.5) + 2;  // the outline's pen and its antialiased fringe
}

namespace {

// The segment a-b for asking which points lie within `tolerance` of it,
// beside it (not beyond an end): squares and a cross product, no root. What
// depends on the segment alone is worked out once for all the points asked
// about. A curve that comes back to where it was leaves a segment of no
// length: then near a itself.
class NearSegment {
 public:
  NearSegment(QPointF a, QPointF b, double tolerance)
      : a_(a),
        ab_(b - a),
        len2_(QPointF::dotProduct(ab_, ab_)),
        tol2_(tolerance * tolerance),
        reach2_(tol2_ * len2_) {}

  bool operator()(QPointF p) const {
    QPointF ap = p - a_;
    if (len2_ == 0) return QPointF::dotProduct(ap, ap) <= tol2_;
    double along = QPointF::dotProduct(ap, ab_);
    double cross = ab_.x() * ap.y() - ab_.y() * ap.x();
    return along >= 0 && along <= len2_ && cross * cross <= reach2_;
  }

 private:
  QPointF a_, ab_;
  double len2_, tol2_, reach2_;
};

// How many points one kept segment may stand for: bounds the checks per
// point on a long straight run.
constexpr std::size_t kLongestThinRun = 16;

}  // namespace

Polyline thinPolyline(const std::vector<QPointF>& pts, const std::vector<bool>& ok,
                      double tolerance) {
  Polyline out;
  out.pts.reserve(pts.size());
  out.ok.reserve(pts.size());
  auto keep = [&](std::size_t i) {
    out.pts.push_back(pts[i]);
    out.ok.push_back(ok[i]);
  };
  // Whether the segment anchor-end passes within tolerance of every point
  // between them.
  auto covers = [&](std::size_t anchor, std::size_t end) {
    const NearSegment near(pts[anchor], pts[end], tolerance);
    for (std::size_t k = anchor + 1; k < end; ++k)
      if (!near(pts[k])) return false;
    return true;
  };
  const std::size_t n = std::min(pts.size(), ok.size());
  for (std::size_t i = 0; i < n;) {
    if (!ok[i]) {
      keep(i++);
      continue;
    }
    std::size_t end = i;
    while (end < n && ok[end]) ++end;
    std::size_t anchor = i;
    keep(anchor);
    for (std::size_t j = anchor + 2; j < end; ++j) {
      if (j - anchor > kLongestThinRun || !covers(anchor, j)) {
        anchor = j - 1;
        keep(anchor);
      }
    }
    if (end - i >= 2) keep(end - 1);
    i = end;
  }
  return out;
}

// Draws a polyline of device points, broken at non-finite points and clipped
// to `clip`. Coordinates far outside the device never reach the painter.
void drawClippedPolyline(QPainter& p, const std::vector<QPointF>& pts, const std::vector<bool>& ok,
                         const QRectF& clip) {
  QPolygonF run;
  auto flush = [&] {
    if (run.size() >= 2) p.drawPolyline(run);
    run.clear();
  };
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
    if (!ok[i] || !ok[i + 1]) {
      flush();
      continue;
    }
    QPointF a = pts[i], b = pts[i + 1];
    if (!clipSegment(a, b, clip)) {
      flush();
      continue;
    }
    if (run.isEmpty() || run.back() != a) {
      flush();
      run << a;
    }
    run << b;
    if (b != pts[i + 1]) flush();
  }
  flush();
  // A single finite point draws as a dot.
  if (pts.size() == 1 && ok[0] && clip.contains(pts[0])) p.drawPoint(pts[0]);
}

namespace {

// The pixels an aliased cosmetic line covers, from its first end: along the
// axis from the floor of one end to the floor of the other, across it the
// floor of the coordinate. A dotted pen sets every third of them, counted
// from the first end. Lines shorter than a pixel, and dotted lines drawn
// up the screen, start their pattern elsewhere: they stay with the stroker.
struct AxisRun {
  bool vertical;
  int across, first, last;

  // The pixels of the solid line.
  QRect pixels() const {
    int lo = std::min(first, last), hi = std::max(first, last);
    return vertical ? QRect(across, lo, 1, hi - lo + 1) : QRect(lo, across, hi - lo + 1, 1);
  }
};

std::optional<AxisRun> axisRun(const QLineF& l, bool dotted) {
  bool vertical = l.x1() == l.x2();
  if (!vertical && l.y1() != l.y2()) return std::nullopt;
  double from = vertical ? l.y1() : l.x1(), to = vertical ? l.y2() : l.x2();
  double across = vertical ? l.x1() : l.y1();
  constexpr double kFar = 1e7;  // beyond any device; whole pixels stay exact
  if (!(std::abs(to - from) >= 1) || !(std::abs(from) < kFar && std::abs(to) < kFar) ||
      !(std::abs(across) < kFar) || (dotted && vertical && to < from)) {
    return std::nullopt;
  }
  return AxisRun{vertical, static_cast<int>(std::floor(across)), static_cast<int>(std::floor(from)),
                 static_cast<int>(std::floor(to))};
}

// Whether the painter puts device pixels where it puts user ones, give or
// take whole pixels, on a raster device, without antialiasing.
bool pixelAligned(const QPainter& p) {
  const QTransform t = p.deviceTransform();
  const QPaintEngine* engine = p.paintEngine();
  return engine && engine->type() == QPaintEngine::Raster &&
         !p.testRenderHint(QPainter::Antialiasing) && t.type() <= QTransform::TxTranslate &&
         t.dx() == std::floor(t.dx()) && t.dy() == std::floor(t.dy());
}

// The runs of dotted lines in one colour, as a cosmetic pen sets them;
// written into the device's image where the painter lets them be.
void drawDots(QPainter& p, const std::vector<AxisRun>& runs, const QColor& color) {
  if (runs.empty()) return;
  auto forEachDot = [&runs](auto&& dot) {
    for (const AxisRun& r : runs) {
      int step = r.first <= r.last ? 3 : -3, count = std::abs(r.last - r.first) / 3 + 1;
      for (int k = 0, at = r.first; k < count; ++k, at += step)
        r.vertical ? dot(r.across, at) : dot(at, r.across);
    }
  };
  QRect bounds;
  for (const AxisRun& r : runs) bounds |= r.pixels();
  std::optional<DeviceView> view = deviceView(p, bounds);
  if (!view) {
    std::vector<QPoint> dots;
    forEachDot([&dots](int x, int y) { dots.emplace_back(x, y); });
    QPen pen = p.pen();
    p.setPen(QPen(color, 0));
    p.drawPoints(dots.data(), static_cast<int>(dots.size()));
    p.setPen(pen);
    return;
  }
  // The painter's own blend of a solid colour over a pixel: the colour,
  // premultiplied, plus the pixel scaled by what the colour leaves through,
  // each channel rounded as x * a / 255.
  const QRgb src = qPremultiply(color.rgba());
  const uint through = 255 - qAlpha(src);
  auto scaled = [through](uint x) {
    uint rb = (x & 0xff00ff) * through;
    rb = ((rb + ((rb >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    uint ag = ((x >> 8) & 0xff00ff) * through;
    ag = (ag + ((ag >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return ag | rb;
  };
  uchar* bits = view->image.bits();
  const qsizetype stride = view->image.bytesPerLine();
  const int width = view->image.width(), height = view->image.height();
  const int ox = view->origin.x(), oy = view->origin.y();
  forEachDot([&](int x, int y) {
    x -= ox;
    y -= oy;
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    QRgb* px = reinterpret_cast<QRgb*>(bits + y * stride) + x;
    *px = through == 0 ? src : src + scaled(*px);
  });
}

}  // namespace

std::optional<DeviceView> deviceView(QPainter& p, const QRect& r) {
  QPaintEngine* engine = p.paintEngine();
  QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
  if (device == nullptr || device->devType() != QInternal::Image || p.hasClipping() ||
      p.opacity() != 1 || p.compositionMode() != QPainter::CompositionMode_SourceOver) {
    return std::nullopt;
  }
  auto* image = static_cast<QImage*>(device);
  if (image->format() != QImage::Format_RGB32 &&
      image->format() != QImage::Format_ARGB32_Premultiplied) {
    return std::nullopt;
  }
  const QTransform t = p.deviceTransform();
  if (t.type() > QTransform::TxTranslate || t.dx() != std::round(t.dx()) ||
      t.dy() != std::round(t.dy())) {
    return std::nullopt;
  }
  const QPoint offset(static_cast<int>(t.dx()), static_cast<int>(t.dy()));
  QRegion shown = QRegion(r.translated(offset)) & QRegion(image->rect());
  if (!engine->systemClip().isEmpty()) shown &= engine->systemClip();
  if (shown.isEmpty()) return DeviceView{};
  if (shown.rectCount() != 1) return std::nullopt;
  const QRect d = shown.boundingRect();
  // The engine writes to the pixels it was given at the start of painting:
  // the faces go to the same ones, without the copy that bits() might make.
  uchar* bits = const_cast<uchar*>(image->constBits()) + d.y() * image->bytesPerLine() + d.x() * 4;
  return DeviceView{QImage(bits, d.width(), d.height(), image->bytesPerLine(), image->format()),
                    d.topLeft() - offset};
}

void drawAxisLines(QPainter& p, const QPen& pen, const std::vector<QLineF>& lines) {
  p.setPen(pen);
  bool dotted = pen.style() == Qt::DotLine;
  bool fast = pixelAligned(p) && pen.isCosmetic() && pen.widthF() == 0 &&
              pen.capStyle() == Qt::SquareCap && pen.brush().style() == Qt::SolidPattern &&
              (dotted || pen.style() == Qt::SolidLine);
  std::vector<AxisRun> dottedRuns;
  for (const QLineF& l : lines) {
    std::optional<AxisRun> run = fast ? axisRun(l, dotted) : std::nullopt;
    if (!run) {
      p.drawLine(l);
    } else if (dotted) {
      dottedRuns.push_back(*run);
    } else {
      p.fillRect(run->pixels(), pen.color());
    }
  }
  drawDots(p, dottedRuns, pen.color());
}

QColor axisColor(double ax, const char* name) {
  return propColor(ax, name).value_or(Qt::black);
}

}  // namespace rt::qt::render

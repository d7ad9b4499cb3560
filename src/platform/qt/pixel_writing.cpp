#include "platform/qt/pixel_writing.h"

#include <QPaintEngine>
#include <QRegion>
#include <algorithm>
#include <cmath>

namespace rt::qt::render {

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

}  // namespace rt::qt::render

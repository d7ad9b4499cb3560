// Text measuring and drawing for the renderer, with the advances and number
// layouts it keeps between repaints.
#include "platform/qt/text_drawing.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QPaintEngine>
#include <QPointer>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/graphics/graphics.h"
#include "platform/qt/object_queries.h"
#include "platform/qt/props.h"

namespace rt::qt::render {

namespace {

std::vector<PaintedText>* textLog = nullptr;

// The advance of a line of text in a font. Shaping a tick label costs as
// much as drawing it, and an axes measures the same few labels on every
// repaint (the y labels twice), so advances are kept per font and text.
// Painting runs on the one GUI thread; the store is never freed, so no font
// outlives the font system when the program ends.
// Whether the stores below must start afresh: kept layouts and fonts hold
// the font engines of the application that made them, which go with it (a
// test, or a program that starts Qt again, makes a new application).
bool applicationChanged(QPointer<QCoreApplication>& seen) {
  if (seen == QCoreApplication::instance()) return false;
  seen = QCoreApplication::instance();
  return true;
}

double textAdvance(const QFont& font, const QFontMetricsF& fm, const QString& line) {
  // Bounds: a program drawing ever new texts or fonts starts a store afresh.
  constexpr qsizetype kMostFonts = 64, kMostAdvances = 4096;
  static auto* advances = new QHash<QFont, QHash<QString, double>>();
  static QPointer<QCoreApplication> madeBy;
  if (applicationChanged(madeBy)) advances->clear();
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
  static QPointer<QCoreApplication> madeBy;
  if (applicationChanged(madeBy)) shaped->clear();
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

namespace {

// A number's exponent needs neither its plus sign nor leading zeros: 1e12.
// Written by hand: a regular expression here runs Qt's JIT-compiled
// matcher, which memory checkers cannot follow.
QString compactExponent(const QString& number) {
  const qsizetype e = number.indexOf(u'e');
  if (e < 0) return number;
  QString exponent = number.mid(e + 1);
  const bool negative = exponent.startsWith(u'-');
  if (negative || exponent.startsWith(u'+')) exponent.remove(0, 1);
  while (exponent.size() > 1 && exponent.front() == u'0') exponent.remove(0, 1);
  return number.left(e + 1) + (negative ? QStringLiteral("-") : QString()) + exponent;
}

// `line` with fewer significant digits until it is no wider than `room`
// (one digit at least); `line` itself when it is not a number.
QString shortenedNumber(const QString& line, const QFontMetricsF& fm, double room) {
  bool ok = false;
  const double value = line.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return line;
  QString shortest = line;
  for (int digits = 15; digits >= 1; --digits) {
    const QString candidate = compactExponent(QString::number(value, 'g', digits));
    if (candidate.size() > line.trimmed().size()) continue;
    shortest = candidate;
    if (fm.horizontalAdvance(candidate) <= room) break;
  }
  return shortest;
}

// `line` broken at its spaces into lines no wider than `room`, the later
// ones indented to show they go on; a word wider than `room` keeps a line
// of its own.
QStringList wrapped(const QString& line, const QFontMetricsF& fm, double room) {
  const QString indent = QStringLiteral("  ");
  QStringList out;
  QString current;
  for (const QString& word : line.split(u' ', Qt::SkipEmptyParts)) {
    const QString longer = current.isEmpty() ? word : current + u' ' + word;
    if (current.isEmpty() || fm.horizontalAdvance(longer) <= room) {
      current = longer;
      continue;
    }
    out.push_back(current);
    current = indent + word;
  }
  out.push_back(current);
  return out;
}

// Each line as it fits `room` in `font`: a number with fewer digits, other
// text wrapped.
QStringList fittedLines(const QStringList& lines, const QFont& font, double room) {
  const QFontMetricsF fm(font);
  QStringList out;
  for (QString line : lines) {
    if (fm.horizontalAdvance(line) > room) line = shortenedNumber(line, fm, room);
    if (fm.horizontalAdvance(line) > room)
      out += wrapped(line, fm, room);
    else
      out.push_back(line);
  }
  return out;
}

}  // namespace

QStringList fitCaption(QStringList lines, QFont& font, double room, double deviceScale,
                       double height) {
  QFontMetricsF fm(font);
  double widest = 0;
  for (const QString& line : lines) widest = std::max(widest, fm.horizontalAdvance(line));
  // Lines that fit across are left as they are drawn, even in a box lower
  // than they are (the window's labels of a number and an empty line).
  if (room <= 0 || font.pixelSize() <= 0 || widest <= room) return lines;
  const auto tall = [&](const QStringList& shown) {
    return static_cast<double>(shown.size()) * QFontMetricsF(font).lineSpacing() > height;
  };
  const bool numbers = std::all_of(lines.begin(), lines.end(), [](const QString& l) {
    bool ok = false;
    l.trimmed().toDouble(&ok);
    return ok || l.trimmed().isEmpty();
  });
  // Fewer digits read better than small type: a number shrinks only a little.
  const int px = font.pixelSize();
  const int least = static_cast<int>(std::ceil(kLeastTextPx / std::max(deviceScale, 1e-9)));
  const int floor = numbers ? static_cast<int>(std::ceil(px * 0.85)) : px / 2;
  font.setPixelSize(std::min(px, std::max({least, floor, static_cast<int>(px * room / widest)})));
  QStringList shown = fittedLines(lines, font, room);
  // Lines wrapped into more than the box holds: smaller type, down to the
  // least.
  while (shown.size() > lines.size() && tall(shown) && font.pixelSize() > least) {
    font.setPixelSize(font.pixelSize() - 1);
    shown = fittedLines(lines, font, room);
  }
  return shown;
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

}  // namespace rt::qt::render

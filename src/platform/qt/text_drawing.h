// Text as the renderer draws it: alignment keywords, fonts kept legible on
// any device, blocks of lines measured and drawn (turned or not), the text
// objects of an axes read and placed. Not for use outside src/platform/qt.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "platform/qt/renderer.h"

namespace rt::qt::render {

// Text needs the font database of a QGuiApplication.
bool textAvailable();

enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Middle, Bottom };
HAlign hAlignOf(const std::string& keyword, HAlign fallback);
VAlign vAlignOf(const std::string& keyword, VAlign fallback);

// Text is never drawn smaller than kLeastTextPx device pixels (`deviceScale`
// device pixels to a pixel of the font); in a large plot box it grows with
// the box (a pattern window filling a 4K screen shows text a user can read
// from the chair).
inline constexpr int kLeastTextPx = 9;
inline constexpr double kTextPerBoxHeight = 1.0 / 50;
QFont legibleFont(QFont font, double deviceScale, double boxHeight = 0);
// Lines of a control's caption made to fit a box `room` pixels across and
// `height` high: the font shrinks (a caption to half size, a number only a
// little, never below the legible size), then a number still too wide is
// written with fewer significant digits ("1.92" becomes "1.9", 1e12
// "1e12"), so that a number is never shown cut. Other text too wide wraps
// at its spaces onto indented lines, and lines that then overflow the box
// shrink the font further, down to the legible size; nothing ends in an
// ellipsis, which read as a number cut short.
QStringList fitCaption(QStringList lines, QFont& font, double room, double deviceScale,
                       double height = HUGE_VAL);

// Device pixels to a pixel of what `p` paints.
double deviceScale(const QPainter& p);

// While one lives, every block drawTextBlock paints is added to `log`; a
// scope opened inside another hands its blocks on to the outer log as well
// when it ends.
class TextLogScope {
 public:
  explicit TextLogScope(std::vector<PaintedText>* log);
  ~TextLogScope();
  TextLogScope(const TextLogScope&) = delete;
  TextLogScope& operator=(const TextLogScope&) = delete;

 private:
  std::vector<PaintedText>* log_;
  std::vector<PaintedText>* saved_;
};

QSizeF textBlockSize(const QStringList& lines, const QFont& font);
// The area of an unturned block of `size` anchored at `anchor`.
QRectF blockRect(QSizeF size, QPointF anchor, HAlign h, VAlign v);
// Draws a block of lines anchored at `anchor`, turned by `rotationDeg`
// counter-clockwise about the anchor.
void drawTextBlock(QPainter& p, const QStringList& lines, QPointF anchor, const QFont& font,
                   const QColor& color, HAlign h, VAlign v, double rotationDeg = 0);

// A text object of an axes (title, labels): its lines, font and colour.
struct TextObject {
  QStringList lines;
  QFont font;
  QColor color = Qt::black;
  bool shown() const { return !lines.isEmpty() && !(lines.size() == 1 && lines[0].isEmpty()); }
};
// A text object's lines, font (`axesHeight` for normalised sizes) and colour;
// nothing to show when it is hidden or has no text.
TextObject readText(double t, double axesHeight, double deviceScale = 1);
// Texts of an axes other than its title and labels, at their Position (in
// data units, mapped by `toScreen`, unless their Units say otherwise).
void drawFreeTexts(QPainter& p, double ax, const QRectF& box,
                   const std::function<QPointF(double, double, double)>& toScreen);

}  // namespace rt::qt::render

// The renderer on its own: tick values, the 3-D projection, drawings of
// figures checked pixel by pixel, the quad and line rasteriser used for
// surfaces, kept text widths, and faces written straight into an image.
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <numbers>

#include "platform/qt/face_raster.h"
#include "platform/qt/pixel_writing.h"
#include "platform/qt/props.h"
#include "platform/qt/qt_fixture.h"
#include "platform/qt/renderer.h"
#include "platform/qt/text_drawing.h"

namespace {

using namespace qt_test;

using rt::qt::niceTicks;
using rt::qt::Projection;

// ------------------------------------------------------------------ ticks
TEST(NiceTicks, RoundStepsInsideTheRange) {
  const double ranges[][2] = {{0, 1},     {1, 300},   {0.1, 20},       {-3.7, 12.2},
                              {1e9, 3e9}, {-1, 1},    {0.001, 0.0013}, {-250, -10},
                              {0, 1e-6},  {123, 124}, {1, 1 + 1e-9}};
  for (const auto& r : ranges) {
    for (int maxTicks : {3, 5, 7, 11}) {
      SCOPED_TRACE(testing::Message() << "[" << r[0] << ", " << r[1] << "] max " << maxTicks);
      rt::qt::Ticks t = niceTicks(r[0], r[1], maxTicks);
      ASSERT_GE(t.values.size(), 2u);
      EXPECT_LE(t.values.size(), static_cast<std::size_t>(maxTicks));
      const double m = t.step / std::pow(10.0, std::floor(std::log10(t.step) + 1e-12));
      EXPECT_TRUE(std::abs(m - 1) < 1e-9 || std::abs(m - 2) < 1e-9 || std::abs(m - 5) < 1e-9)
          << "step " << t.step;
      // Inside the range, with no room for another tick at either end.
      const double slack = t.step * 1e-6;
      EXPECT_TRUE(t.values.front() >= r[0] - slack && t.values.front() - t.step < r[0] - slack);
      EXPECT_TRUE(t.values.back() <= r[1] + slack && t.values.back() + t.step > r[1] + slack);
      for (std::size_t i = 0; i < t.values.size(); ++i)
        EXPECT_NEAR(t.values[i], t.values[0] + i * t.step, slack);
      EXPECT_NEAR(std::remainder(t.values[0], t.step), 0.0, slack);
    }
  }
}

TEST(NiceTicks, SmallestStepThatFitsAndNoneForUnusableRanges) {
  EXPECT_DOUBLE_EQ(niceTicks(0, 1, 6).step, 0.2);  // 0.1 would need 11 ticks
  // Zero is exactly zero, not a rounding residue, in a symmetric range.
  rt::qt::Ticks sym = niceTicks(-0.3, 0.3, 7);
  EXPECT_NE(std::find(sym.values.begin(), sym.values.end(), 0.0), sym.values.end());
  const double ranges[][3] = {
      {1, 1, 5}, {2, 1, 5}, {NAN, 1, 5}, {0, INFINITY, 5}, {-1.7e308, 1.7e308, 5}, {0, 1, 0}};
  for (const auto& r : ranges)
    EXPECT_TRUE(niceTicks(r[0], r[1], static_cast<int>(r[2])).values.empty())
        << r[0] << " " << r[1];
}

TEST(FormatTicks, SharedPowerOfTenAndNoTrailingZeros) {
  // One row a range: tick count, shared exponent, second and last labels.
  struct Row {
    double lo, hi;
    int maxTicks, exponent;
    const char *second, *last;
  };
  for (const Row& r : {Row{0, 1, 6, 0, "0.2", "1"}, Row{1e9, 3e9, 5, 9, "1.5", "3"},
                       Row{0, 2e-4, 5, -4, "0.5", "2"}}) {
    rt::qt::TickLabels l = rt::qt::formatTicks(niceTicks(r.lo, r.hi, r.maxTicks));
    EXPECT_EQ(l.exponent, r.exponent) << r.hi;
    EXPECT_EQ(l.labels.at(1), r.second) << r.hi;
    EXPECT_EQ(l.labels.back(), r.last) << r.hi;
  }
  for (const QString& l : rt::qt::formatTicks(niceTicks(-1, 1, 5)).labels) EXPECT_NE(l, "-0");
}

// ------------------------------------------------------------- projection
TEST(Projection, AzimuthFromNegativeYElevationAboveThePlane) {
  const std::array<Projection::Limits, 3> box = {{{0, 1}, {0, 1}, {0, 1}}};
  const QRectF area(0, 0, 100, 100);
  // Azimuth 0, elevation 0: seen from -y, x to the right and z up.
  Projection front(0, 0, box, area);
  EXPECT_GT(front.toScreen(1, 0, 0).x(), front.toScreen(0, 0, 0).x());
  EXPECT_LT(front.toScreen(0, 0, 1).y(), front.toScreen(0, 0, 0).y());
  EXPECT_GT(front.depth(0.5, 0, 0.5), front.depth(0.5, 1, 0.5));
  // Azimuth 90: seen from +x, y to the right; from below (negative
  // elevation) the top of the box is further away.
  EXPECT_GT(Projection(90, 0, box, area).toScreen(0, 1, 0).x(),
            Projection(90, 0, box, area).toScreen(0, 0, 0).x());
  Projection below(95, -45, box, area);
  EXPECT_LT(below.depth(0.5, 0.5, 1), below.depth(0.5, 0.5, 0));
}

// ---------------------------------------------------------------- drawings
class RendererTest : public QtTest {
 protected:
  // A white figure with one axes whose plot box is [0.1 0.1 0.8 0.8]: in a
  // 400 x 300 picture, x 40..360 and y 30..270 (rows grow downwards).
  rt::Array whiteFigure(const rt::Array& colormap = {}) {
    rt::Array fig = rt::figure({s("Color"), rt::row({1, 1, 1})});
    if (!colormap.isNull()) rt::set(fig, {s("Colormap"), colormap});
    rt::axes({s("Position"), rt::row({0.1, 0.1, 0.8, 0.8})});
    return fig;
  }
  // 2-D axes over the unit square.
  rt::Array unitAxes() {
    rt::Array fig = whiteFigure();
    rt::set(rt::gca(), {s("XLim"), rt::row({0, 1}), s("YLim"), rt::row({0, 1})});
    return fig;
  }
  QImage render(const rt::Array& fig, QSize size = QSize(400, 300)) {
    QImage img = rt::qt::renderFigureImage(handle(fig), size);
    EXPECT_EQ(img.size(), size);
    return img;
  }
  static bool isRed(QColor c) { return c.red() > 200 && c.green() < 90 && c.blue() < 90; }
  static bool isWhite(QColor c) { return c.red() > 245 && c.green() > 245 && c.blue() > 245; }
  static bool isDark(QColor c) { return c.red() < 140 && c.green() < 140 && c.blue() < 140; }
};

TEST_F(RendererTest, LinesLandWhereTheirDataIs) {
  rt::Array fig = unitAxes();
  rt::Array horizontal = rt::plot(rt::row({0, 1}), rt::row({0.5, 0.5}));
  rt::set(horizontal, {s("Color"), rt::row({1, 0, 0}), s("LineWidth"), n(2)});
  QImage img = render(fig);
  for (int x = 60; x < 340; x += 7) {
    EXPECT_GT(countPixels(img, isRed, QRect(x, 147, 1, 7)), 0) << "no red at column " << x;
    EXPECT_EQ(countPixels(img, isRed, QRect(x, 0, 1, 300)),
              countPixels(img, isRed, QRect(x, 147, 1, 7)));
  }
  // A wider y range moves the line down: y = 0.5 of [0 2] is a quarter up.
  rt::set(rt::gca(), {s("YLim"), rt::row({0, 2})});
  EXPECT_GT(countPixels(render(fig), isRed, QRect(200, 207, 1, 7)), 0);
  // Data outside the limits is clipped to the box.
  rt::set(horizontal, {s("YData"), rt::row({1e12, 1e12})});
  EXPECT_EQ(countPixels(render(fig), isRed), 0);
}

TEST_F(RendererTest, NaNBreaksALine) {
  rt::Array fig = unitAxes();
  const double nan = std::nan("");
  // A point with no x, and then one with no y: each leaves a gap.
  rt::Array l = rt::plot(rt::row({0, 0.2, nan, 0.4, 0.6, 0.7, 0.8, 1}),
                         rt::row({0.5, 0.5, 0.5, 0.5, 0.5, nan, 0.5, 0.5}));
  rt::set(l, {s("Color"), rt::row({1, 0, 0})});
  QImage img = render(fig);
  // Columns 40 + 320 x: drawn at x = 0.1, 0.5 and 0.9, gaps at 0.3 and 0.7.
  for (auto [column, drawn] :
       {std::pair{72, true}, {200, true}, {328, true}, {136, false}, {264, false}})
    EXPECT_EQ(countPixels(img, isRed, QRect(column, 145, 1, 11)) > 0, drawn) << column;
  // The raster painter drops a segment to a point that is no number by
  // itself; a vector file would keep it as "nan" coordinates.
  QTemporaryDir dir;
  ASSERT_EQ(rt::qt::saveSvg(handle(fig), dir.filePath("gap.svg"), QSize(400, 300)), "");
  QFile svg(dir.filePath("gap.svg"));
  ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
  EXPECT_FALSE(QString::fromUtf8(svg.readAll()).contains(QRegularExpression("\\bnan\\b")));
}

// Drawings look the same on every machine: the usual names resolve to the
// DejaVu fonts the program installs, whatever fontconfig would substitute.
TEST_F(RendererTest, FontNamesResolveToTheInstalledFamilies) {
  whiteFigure();
  rt::Array ax = rt::gca();
  const std::pair<const char*, const char*> cases[] = {{"Helvetica", "DejaVu Sans"},
                                                       {"Courier", "DejaVu Sans Mono"},
                                                       {"DejaVu Serif", "DejaVu Serif"},
                                                       {"No Such Family", "DejaVu Sans"}};
  for (auto [name, family] : cases) {
    rt::set(ax, {s("FontName"), s(name)});
    EXPECT_EQ(QFontInfo(rt::qt::propFont(handle(ax), 300)).family().toStdString(), family) << name;
  }
}

TEST_F(RendererTest, TicksAtRoundValuesAndGridsWhenOn) {
  rt::Array fig = unitAxes();
  auto inked = [](const QImage& img, QRect area) {
    return countPixels(
               img, [](QColor c) { return !isWhite(c); }, area) > 0;
  };
  QImage off = render(fig);
  // x ticks every 0.2 (columns 104, 168, ...) rise from the bottom edge.
  EXPECT_TRUE(inked(off, QRect(103, 266, 3, 3)));
  EXPECT_FALSE(inked(off, QRect(134, 266, 5, 3)));   // x = 0.3: no tick
  EXPECT_FALSE(inked(off, QRect(103, 60, 3, 181)));  // no grid
  EXPECT_TRUE(inked(off, QRect(95, 272, 19, 24)));   // its label below the box
  rt::grid(s("on"));
  QImage on = render(fig);
  // Between the y grid lines at rows 78 and 126: only the x grid.
  EXPECT_TRUE(inked(on, QRect(103, 82, 3, 41)));
  EXPECT_FALSE(inked(on, QRect(134, 82, 5, 41)));
  EXPECT_TRUE(inked(on, QRect(60, 173, 281, 3)));  // y = 0.4
}

TEST_F(RendererTest, TitleAboveAndYLabelTurnedOnTheLeft) {
  rt::Array fig = unitAxes();
  rt::Array ax = rt::gca();
  const QSize size(800, 600);  // plot box x 80..720, y 60..540
  const QRect above(100, 0, 600, 57), left(0, 100, 53, 400);
  auto inkBounds = [](const QImage& img, QRect area) {
    QRect b;
    for (int x = area.left(); x <= area.right(); ++x)
      for (int y = area.top(); y <= area.bottom(); ++y)
        if (isDark(img.pixelColor(x, y))) b = b.united(QRect(x, y, 1, 1));
    return b;
  };
  EXPECT_EQ(
      countPixels(render(fig, size), isDark, above) + countPixels(render(fig, size), isDark, left),
      0);
  rt::set(rt::get(ax, "Title"), {s("String"), s("Input impedance")});
  rt::set(rt::get(ax, "YLabel"), {s("String"), s("Resistance (Ohms)"), s("FontSize"), n(14)});
  QImage labelled = render(fig, size);
  QRect title = inkBounds(labelled, above), ylabel = inkBounds(labelled, left);
  ASSERT_FALSE(title.isNull() || ylabel.isNull());
  EXPECT_NEAR(title.center().x(), 400, 10);
  EXPECT_GT(ylabel.height(), 2 * ylabel.width());
  EXPECT_NEAR(ylabel.center().y(), 300, 10);
}

// A colour map of four pure colours: red, green, blue, yellow.
rt::Array fourColours() {
  const double byColumns[] = {1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 0};
  return rt::matrix(4, 3, byColumns);
}
const QColor kFour[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
bool onTheMap(QColor c) {
  return std::any_of(std::begin(kFour), std::end(kFour),
                     [&](QColor m) { return colorDistance(c, m) < 40; });
}

// A rows x cols grid over the unit square: x, or f(x, y).
rt::Array grid(std::size_t rows, std::size_t cols, const std::function<double(double, double)>& f) {
  std::vector<double> v(rows * cols);
  for (std::size_t j = 0; j < cols; ++j)
    for (std::size_t i = 0; i < rows; ++i)
      v[j * rows + i] = f(static_cast<double>(j) / static_cast<double>(cols - 1),
                          static_cast<double>(i) / static_cast<double>(rows - 1));
  return rt::matrix(rows, cols, v);
}
double xOf(double x, double) {
  return x;
}

TEST_F(RendererTest, SurfaceColoursComeFromTheColormapOverCLim) {
  rt::Array fig = whiteFigure(fourColours());
  rt::Array ax = rt::gca();
  std::vector<rt::Array> args = {grid(9, 41, xOf), rt::ctranspose(grid(41, 9, xOf)),
                                 grid(9, 41, xOf), s("EdgeColor"), s("none")};
  rt::surface(args);
  rt::view(ax, n(0), n(90));  // from above: x to the right

  // Nothing but the map and the greys of the box, its lines and labels.
  auto known = [&](QColor c) {
    return onTheMap(c) ||
           std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) < 24;
  };
  QImage img = render(fig);
  EXPECT_EQ(countPixels(img, known), img.width() * img.height());
  // CLim is the data range [0 1]: four bands from left to right across the
  // surface; with manual limits beyond the data, all in the lowest colour.
  std::vector<int> surface;
  for (int x = 0; x < img.width(); ++x)
    if (onTheMap(img.pixelColor(x, 150))) surface.push_back(x);
  ASSERT_GT(surface.size(), 100u);
  auto band = [&](const QImage& i, int k) {
    return i.pixelColor(surface[surface.size() * (2 * k + 1) / 8], 150);
  };
  for (int k = 0; k < 4; ++k) EXPECT_LT(colorDistance(band(img, k), kFour[k]), 40) << k;
  rt::set(ax, {s("CLim"), rt::row({0, 4})});
  img = render(fig);
  for (int k = 0; k < 4; ++k) EXPECT_LT(colorDistance(band(img, k), Qt::red), 40) << k;
}

TEST_F(RendererTest, FacesAreDrawnBackToFront) {
  // Two upright squares, the blue one at y = 0 made first, the red one at
  // y = 1 made last: from -y the blue one is in front, from +y the red one.
  const double twoColours[] = {0, 1, 0, 0, 1, 0};
  rt::Array fig = whiteFigure(rt::matrix(2, 3, twoColours));
  rt::Array ax = rt::gca();
  const double xs[] = {0, 1, 0, 1}, zs[] = {0, 0, 1, 1};
  for (double yv : {0.0, 1.0}) {
    const double ys[] = {yv, yv, yv, yv};
    std::vector<rt::Array> args = {rt::matrix(2, 2, xs), rt::matrix(2, 2, ys), rt::matrix(2, 2, zs),
                                   rt::matrix(2, 2, ys), s("EdgeColor"),       s("none")};
    rt::surface(args);
  }
  rt::set(ax, {s("CLim"), rt::row({0, 1})});
  for (auto [az, front] :
       {std::pair{0, Qt::blue}, {180, Qt::red}, {10, Qt::blue}, {-170, Qt::red}}) {
    rt::view(ax, n(az), n(0));
    EXPECT_LT(colorDistance(render(fig).pixelColor(200, 150), front), 40) << az;
  }
}

TEST_F(RendererTest, NaNPointsAndTheirFacesAreLeftOut) {
  rt::Array fig = whiteFigure(fourColours());
  auto bowl = [](double x, double y) { return (x - 0.5) * (x - 0.5) + (y - 0.5) * (y - 0.5); };
  rt::Array x = grid(21, 21, xOf);
  std::vector<rt::Array> args = {x, rt::ctranspose(x), grid(21, 21, bowl)};
  rt::Array surf = rt::surface(args);
  rt::view(rt::gca(), n(0), n(90));  // from above: nothing hides behind the faces
  auto coloured = [&] { return countPixels(render(fig), onTheMap); };
  const int full = coloured();
  EXPECT_GT(full, 2000);
  // The first column of points (x = 0) missing: one strip of 20 faces fewer.
  std::vector<double> zs(args[2].re().begin(), args[2].re().end());
  std::fill_n(zs.begin(), 21, std::nan(""));
  rt::set(surf, {s("ZData"), rt::matrix(21, 21, zs)});
  const int holed = coloured();
  EXPECT_LT(holed, full * 0.97);
  EXPECT_GT(holed, full * 0.9);
  // Nothing finite: nothing coloured, and no failure.
  std::fill(zs.begin(), zs.end(), std::nan(""));
  rt::set(surf, {s("ZData"), rt::matrix(21, 21, zs)});
  EXPECT_EQ(coloured(), 0);
}

TEST_F(RendererTest, ControlsAreDrawnWithoutWidgets) {
  rt::Array fig = rt::figure({s("Color"), rt::row({1, 1, 1})});
  const double rgb[] = {85 / 255.0, 134 / 255.0, 211 / 255.0};
  rt::uicontrol({s("Style"), s("frame"), s("Units"), s("normalized"), s("Position"),
                 rt::row({0, 0, 0.5, 1}), s("BackgroundColor"), rt::row(rgb)});
  rt::Array hidden =
      rt::uicontrol({s("Style"), s("text"), s("Units"), s("normalized"), s("Position"),
                     rt::row({0.6, 0.1, 0.3, 0.8}), s("BackgroundColor"), rt::row({1, 0, 0}),
                     s("Visible"), s("off")});
  QImage img = render(fig);
  EXPECT_LT(colorDistance(img.pixelColor(100, 30), QColor(85, 134, 211)), 6);
  EXPECT_TRUE(isWhite(img.pixelColor(320, 150)));
  rt::set(hidden, {s("Visible"), s("on")});
  EXPECT_LT(colorDistance(render(fig).pixelColor(320, 150), QColor(Qt::red)), 6);
}

TEST_F(RendererTest, SvgAndPdfFilesAndRefusals) {
  rt::Array fig = whiteFigure();
  rt::plot(rt::row({0, 1}), rt::row({0, 1}));
  QTemporaryDir dir;
  ASSERT_EQ(rt::qt::saveSvg(handle(fig), dir.filePath("fig.svg"), QSize(320, 240)), "");
  // A PDF page of 240 by 180 points (320 by 240 pixels at 96 per inch).
  ASSERT_EQ(rt::qt::savePdf(handle(fig), dir.filePath("fig.pdf"), QSize(320, 240)), "");
  QFile pdf(dir.filePath("fig.pdf"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray doc = pdf.readAll();
  EXPECT_TRUE(doc.startsWith("%PDF-"));
  EXPECT_TRUE(QString::fromLatin1(doc).contains(
      QRegularExpression(R"(/MediaBox \[0 0 240(\.0+)? 180(\.0+)?\])")));

  // Not a figure, or no area: refused with a reason, nothing written.
  const double ax = handle(rt::gca());
  EXPECT_NE(rt::qt::savePng(12345.5, dir.filePath("none.png"), QSize(100, 100)), "");
  EXPECT_NE(rt::qt::savePng(handle(fig), dir.filePath("empty.png"), QSize(0, 10)), "");
  EXPECT_NE(rt::qt::saveSvg(ax, dir.filePath("ax.svg"), QSize(100, 100)), "");
  EXPECT_NE(rt::qt::savePdf(ax, dir.filePath("ax.pdf"), QSize(100, 100)), "");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"fig.pdf", "fig.svg"}));
}

using rt::qt::FaceRaster;
using Quad = QPointF[4];

constexpr QRgb kInk = 0xff102030;

QImage blank(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  return img;
}

// A w x h picture with one quad filled.
QImage filled(int w, int h, const Quad& quad) {
  QImage img = blank(w, h);
  FaceRaster(img).fillQuad(quad, kInk);
  return img;
}

int inked(const QImage& img) {
  int count = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) count += img.pixel(x, y) == kInk;
  return count;
}

TEST(FaceRaster, NeighbouringQuadsNeitherOverlapNorLeaveGaps) {
  // A tilted strip cut in two along a slanted edge.
  const Quad a = {{1.3, 1.1}, {9.7, 2.4}, {8.2, 11.8}, {0.6, 9.9}};
  const QPointF cutTop = {5.1, 1.75}, cutBottom = {4.9, 10.9};
  const QImage whole = filled(12, 14, a), l = filled(12, 14, {a[0], cutTop, cutBottom, a[3]}),
               r = filled(12, 14, {cutTop, a[1], a[2], cutBottom});
  for (int y = 0; y < 14; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool inLeft = l.pixel(x, y) == kInk, inRight = r.pixel(x, y) == kInk;
      EXPECT_FALSE(inLeft && inRight) << "overlap at " << x << "," << y;
      EXPECT_EQ(inLeft || inRight, whole.pixel(x, y) == kInk) << "at " << x << "," << y;
    }
  }
  EXPECT_GT(inked(whole), 60);
}

TEST(FaceRaster, LinesIncludeBothEndsAndUnusableOrOutsideCoordinatesAreSafe) {
  EXPECT_EQ(
      inked(filled(8, 8, {{-1e300, -1e300}, {1e300, -1e300}, {1e300, 1e300}, {-1e300, 1e300}})),
      64);
  QImage none = blank(8, 8);
  FaceRaster r(none);
  r.fillQuad({{1, 1}, {std::nan(""), 1}, {6, 6}, {1, 6}}, kInk);
  r.fillQuad({{20, 20}, {30, 20}, {30, 30}, {20, 30}}, kInk);
  r.fillQuad({{1, 3}, {6, 3}, {6, 3}, {1, 3}}, kInk);  // flat
  r.line({-50, -50}, {-10, -3}, kInk);
  r.line({INFINITY, 0}, {3, 3}, kInk);
  EXPECT_EQ(inked(none), 0);

  // Lines include both ends; one from far outside is clipped to the picture.
  r.line({0.5, 0.5}, {6.5, 0.5}, kInk);
  r.line({2.5, 2.5}, {2.5, 2.5}, kInk);  // a dot
  EXPECT_EQ(inked(none), 8);
  for (int x = 0; x < 7; ++x) EXPECT_EQ(none.pixel(x, 0), kInk);
  QImage diag = blank(10, 10);
  FaceRaster(diag).line({-1e9, -1e9}, {1e9, 1e9}, kInk);
  EXPECT_EQ(inked(diag), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(diag.pixel(i, i), kInk);
}

// A fresh image: white for a window or figure, transparent for faces alone.
QImage fresh(QSize size, QImage::Format format = QImage::Format_ARGB32_Premultiplied) {
  QImage image(size, format);
  image.fill(format == QImage::Format_RGB32 ? Qt::white : Qt::transparent);
  return image;
}

// Text blocks are measured from kept advances: asked again, in any order of
// fonts and texts, a block measures what the font's metrics give; numbers
// are drawn from kept layouts.

using rt::qt::render::textBlockSize;

using TextMeasure = qt_test::QtTest;

TEST_F(TextMeasure, KeptAdvancesMatchTheFontsOwnForEachFontAndText) {
  ASSERT_TRUE(rt::qt::render::textAvailable());
  QFont small, large, bold;
  small.setPixelSize(10);
  large.setPixelSize(23);
  bold.setPixelSize(10);
  bold.setBold(true);
  const QStringList texts = {"0", "-12.5", "Frequency (GHz)", "WWW", "x10^3"};
  for (int round = 0; round < 2; ++round) {
    for (const QFont& f : {small, large, bold}) {
      QFontMetricsF fm(f);
      for (const QString& t : texts) {
        QSizeF size = textBlockSize({t}, f);
        EXPECT_EQ(size.width(), fm.horizontalAdvance(t)) << t.toStdString() << " round " << round;
        EXPECT_EQ(size.height(), fm.lineSpacing());
      }
      // A block is as wide as its widest line.
      EXPECT_EQ(textBlockSize({"0", "Frequency (GHz)", "x"}, f).width(),
                fm.horizontalAdvance("Frequency (GHz)"));
    }
  }
  EXPECT_LT(textBlockSize({"WWW"}, small).width(), textBlockSize({"WWW"}, large).width());

  // Numbers drawn from their kept layouts set the pixels the painter's own
  // text drawing sets, however aligned, turned or scaled.
  using rt::qt::render::HAlign;
  using rt::qt::render::VAlign;
  for (const QFont& f : {small, large, bold})
    for (HAlign h : {HAlign::Left, HAlign::Center, HAlign::Right})
      for (double turn : {0.0, 90.0})
        for (const QStringList& block : {QStringList{"-12.5", "7"}, QStringList{"x10^3"}}) {
          auto drawn = [&](bool kept) {
            QImage image = fresh({120, 120}, QImage::Format_RGB32);
            QPainter p(&image);
            p.translate(60.37, 58.91);
            p.scale(turn == 0 ? 1 : 1.5, turn == 0 ? 1 : 1.5);
            if (kept) {
              drawTextBlock(p, block, {}, f, Qt::black, h, VAlign::Middle, turn);
              return image;
            }
            int flags = h == HAlign::Left     ? Qt::AlignLeft
                        : h == HAlign::Center ? Qt::AlignHCenter
                                              : Qt::AlignRight;
            p.rotate(-turn);
            p.setFont(f);
            QRectF r = blockRect(textBlockSize(block, f), {}, h, VAlign::Middle);
            r.setHeight(QFontMetricsF(f).lineSpacing());
            for (const QString& line : block) {
              p.drawText(r, flags | Qt::AlignVCenter | Qt::TextDontClip, line);
              r.translate(0, r.height());
            }
            return image;
          };
          EXPECT_TRUE(drawn(true) == drawn(false)) << block.join(",").toStdString() << " " << turn;
        }
}

// Surfaces written straight into the image a painter draws on, against the
// transparent layer the painter composes where it cannot take them so (a
// clipped or scaled painter, another device): the same pixels.

constexpr QSize kSize(420, 320);

// Each row of a quad filled from scratch: every edge tested against the row's
// centre, the pixels between the outermost crossings.
QImage referenceFill(const QPointF (&quad)[4], QSize size) {
  QImage image = fresh(size);
  for (int y = 0; y < size.height(); ++y) {
    const double yc = y + 0.5;
    double left = INFINITY, right = -INFINITY;
    for (int e = 0; e < 4; ++e) {
      QPointF a = quad[e], b = quad[(e + 1) % 4];
      if (a.y() > b.y()) std::swap(a, b);
      if (a.y() == b.y() || !(a.y() <= yc && yc < b.y())) continue;
      const double x = a.x() + (yc - a.y()) * ((b.x() - a.x()) / (b.y() - a.y()));
      left = std::min(left, x);
      right = std::max(right, x);
    }
    for (int x = 0; x < size.width(); ++x)
      if (left <= x + 0.5 && x + 0.5 < right) image.setPixel(x, y, 0xff000000);
  }
  return image;
}

TEST(FaceRasterFill, FillsEveryKindOfQuadAsRowByRowCrossingsDo) {
  // Convex, concave (one corner inside), crossed (a bow tie), with flat
  // edges, taller than a band of rows, partly off the image, degenerate.
  const QPointF quads[][4] = {{{2.2, 1.1}, {17.6, 3.4}, {15.2, 18.7}, {1.4, 14.9}},
                              {{2.0, 2.0}, {18.0, 2.0}, {9.0, 6.5}, {10.0, 18.0}},
                              {{1.5, 1.5}, {18.5, 17.5}, {18.5, 1.5}, {1.5, 17.5}},
                              {{3.0, 4.5}, {12.0, 4.5}, {12.0, 9.5}, {3.0, 9.5}},
                              {{9.7, 0.2}, {10.3, 0.2}, {19.9, 99.6}, {0.1, 99.6}},
                              {{-6.0, -3.0}, {25.0, 8.0}, {8.0, 30.0}, {4.0, 12.0}},
                              {{5.0, 2.0}, {5.0, 2.0}, {14.0, 16.0}, {3.0, 11.0}}};
  for (const auto& quad : quads) {
    QImage filled = fresh({20, 100});
    rt::qt::FaceRaster(filled).fillQuad(quad, 0xff000000);
    EXPECT_TRUE(filled == referenceFill(quad, filled.size())) << quad[0].x() << "," << quad[0].y();
  }
}

TEST(FaceRasterLine, CoversTheSamePixelsFromEitherEnd) {
  const QPointF ends[][2] = {{{0.5, 0.5}, {17.3, 9.9}},   {{3.0, 18.0}, {14.0, 2.0}},
                             {{2.25, 7.75}, {2.25, 1.5}}, {{-4.0, 3.3}, {25.1, 12.7}},
                             {{19.9, 0.1}, {0.1, 19.9}},  {{6.5, 6.5}, {13.5, 6.5}}};
  for (const auto& [a, b] : ends) {
    QImage forward = fresh({20, 20}), back = fresh({20, 20});
    rt::qt::FaceRaster(forward).line(a, b, 0xff000000);
    rt::qt::FaceRaster(back).line(b, a, 0xff000000);
    EXPECT_TRUE(forward == back) << a.x() << "," << a.y();
  }
}

TEST(AxisLines, FillsAndDotsSetThePixelsTheLineStrokerWould) {
  // Grid-like lines at fractional places, either way, in a solid and a
  // see-through colour, over pixels of every colour.
  const QLineF lines[] = {{12.3, 5.7, 12.3, 80.2}, {4.5, 33.5, 90.9, 33.5},
                          {70.0, 88.6, 70.0, 9.1}, {88.2, 61.0, 3.7, 61.0},
                          {40.9, 2.0, 40.9, 2.6},  {0.4, 95.5, 99.6, 95.5}};
  QImage noise(100, 100, QImage::Format_RGB32);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x)
      noise.setPixel(x, y, qRgb(x * 37 % 256, y * 91 % 256, x * y % 256));
  for (Qt::PenStyle style : {Qt::SolidLine, Qt::DotLine})
    for (int alpha : {255, 90})
      for (int setUp = 0; setUp < 3; ++setUp) {
        QPen pen(QColor(20, 140, 230, alpha), 0, style);
        auto drawn = [&](bool stroked) {
          QImage image = noise.copy();
          QPainter p(&image);
          if (setUp == 1) p.setClipRect(10, 20, 60, 70);  // the dots go through the painter
          if (setUp == 2) p.translate(7, -3);
          if (stroked) {
            p.setPen(pen);
            for (const QLineF& l : lines) p.drawLine(l);
          } else {
            rt::qt::render::drawAxisLines(p, pen, {std::begin(lines), std::end(lines)});
          }
          p.end();
          return image;
        };
        EXPECT_TRUE(drawn(false) == drawn(true)) << style << " " << alpha << " " << setUp;
      }
}

using SurfacePaint = qt_test::QtTest;

TEST_F(SurfacePaint, FacesWrittenIntoTheImageMatchTheComposedLayer) {
  // A closed, pattern-like surface with a column of points that are not
  // numbers, seen turned so that faces hide one another.
  constexpr std::size_t kN = 31;
  const double pi = std::numbers::pi;
  std::vector<double> xyzc[4];
  for (std::size_t col = 0; col < kN; ++col)
    for (std::size_t r = 0; r < kN; ++r) {
      const double theta = pi * col / (kN - 1), phi = -pi / 2 + pi * r / (kN - 1);
      const double radius = col == 0 ? std::nan("") : std::sin(theta) * std::cos(phi / 2);
      const double unit[] = {std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi),
                             std::cos(theta), 1.0};
      for (int k = 0; k < 4; ++k) xyzc[k].push_back(radius * unit[k]);
    }
  const double fig = rt::figure({s("MenuBar"), s("none")}).scalar();
  const rt::Array ax = rt::axes({});
  std::vector<rt::Array> args;
  for (const auto& v : xyzc) args.push_back(rt::matrix(kN, kN, v));
  rt::surface(args);
  rt::view(ax, n(115), n(-35));
  // The figure painted on a fresh image, the painter prepared by `setUp`.
  auto painted = [&](QSize size, void (*setUp)(QPainter&)) {
    QImage image = fresh(size, QImage::Format_RGB32);
    QPainter p(&image);
    setUp(p);
    rt::qt::paintFigure(p, fig, kSize);
    return image;
  };
  const QImage direct = painted(kSize, [](QPainter&) {});
  // A clip, even one that keeps everything, sends the faces through a layer.
  EXPECT_TRUE(direct == painted(kSize, [](QPainter& p) { p.setClipRect(0, 0, 5000, 5000); }));
  // Enough of the surface to tell: several thousand pixels of its faces.
  EXPECT_GT(qt_test::countPixels(direct, [](QColor c) { return c.saturation() > 100; }), 5000);
  // A painter moved by whole pixels writes the same faces further on.
  const QImage moved = painted(kSize + QSize(30, 20), [](QPainter& p) { p.translate(30, 20); });
  EXPECT_TRUE(moved.copy(QRect(QPoint(30, 20), kSize)) == direct);
  // A shown window paints its backing store the direct way, as its layer would show it.
  QWidget* w = front->window(fig);
  ASSERT_NE(w, nullptr);
  w->resize(kSize);
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  QApplication::processEvents();
  QImage rendered = fresh(kSize, QImage::Format_RGB32), layered = rendered;
  w->render(&rendered);
  QPainter p(&layered);
  p.setClipRect(layered.rect());
  w->render(&p);
  p.end();
  EXPECT_TRUE(rendered == layered);
}

}  // namespace

// The renderer on its own: tick values, the 3-D projection, drawings of
// figures checked pixel by pixel, and the quad and line rasteriser used for
// surfaces.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>

#include "platform/qt/face_raster.h"
#include "platform/qt/qt_fixture.h"
#include "platform/qt/renderer.h"

namespace {

using namespace qt_test;

using rt::qt::niceTicks;
using rt::qt::Projection;

// ------------------------------------------------------------------ ticks
TEST(NiceTicks, SmallestRoundStepsInsideTheRangeAndNoneForUnusableRanges) {
  const double ranges[][2] = {{0, 1},     {1, 300},   {0.1, 20},       {-3.7, 12.2},
                              {1e9, 3e9}, {-1, 1},    {0.001, 0.0013}, {-250, -10},
                              {0, 1e-6},  {123, 124}, {1, 1 + 1e-9}};
  for (const auto& r : ranges)
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
  // The smallest step that fits, and no ticks for unusable ranges.
  EXPECT_DOUBLE_EQ(niceTicks(0, 1, 6).step, 0.2);  // 0.1 would need 11 ticks
  // Zero is exactly zero, not a rounding residue, in a symmetric range.
  rt::qt::Ticks sym = niceTicks(-0.3, 0.3, 7);
  EXPECT_NE(std::find(sym.values.begin(), sym.values.end(), 0.0), sym.values.end());
  const double unusable[][3] = {
      {1, 1, 5}, {2, 1, 5}, {NAN, 1, 5}, {0, INFINITY, 5}, {-1.7e308, 1.7e308, 5}, {0, 1, 0}};
  for (const auto& r : unusable)
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
  QImage render(const rt::Array& fig, QSize size = QSize(400, 300)) {
    QImage img = rt::qt::renderFigureImage(handle(fig), size);
    EXPECT_EQ(img.size(), size);
    return img;
  }
  static bool isRed(QColor c) { return c.red() > 200 && c.green() < 90 && c.blue() < 90; }
};

TEST_F(RendererTest, LinesLandWhereTheirDataIsAndNaNBreaksThem) {
  rt::Array fig = whiteFigure();
  rt::set(rt::gca(), {s("XLim"), rt::row({0, 1}), s("YLim"), rt::row({0, 1})});
  rt::Array l = rt::plot(rt::row({0, 1}), rt::row({0.5, 0.5}));
  rt::set(l, {s("Color"), rt::row({1, 0, 0}), s("LineWidth"), n(2)});
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
  rt::set(l, {s("YData"), rt::row({1e12, 1e12})});
  EXPECT_EQ(countPixels(render(fig), isRed), 0);

  // A point with no x, and then one with no y: each leaves a gap.
  const double nan = std::nan("");
  rt::set(rt::gca(), {s("YLim"), rt::row({0, 1})});
  rt::set(l, {s("XData"), rt::row({0, 0.2, nan, 0.4, 0.6, 0.7, 0.8, 1}), s("YData"),
              rt::row({0.5, 0.5, 0.5, 0.5, 0.5, nan, 0.5, 0.5})});
  img = render(fig);
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

// A rows x cols grid over the unit square: f(x, y), by default x; and a bowl.
using Field = double (*)(double, double);
const Field xOf = [](double x, double) { return x; };
const Field bowl = [](double x, double y) { return (x - 0.5) * (x - 0.5) + (y - 0.5) * (y - 0.5); };
rt::Array grid(std::size_t rows, std::size_t cols, Field f = xOf) {
  std::vector<double> v(rows * cols);
  for (std::size_t j = 0; j < cols; ++j)
    for (std::size_t i = 0; i < rows; ++i)
      v[j * rows + i] = f(static_cast<double>(j) / static_cast<double>(cols - 1),
                          static_cast<double>(i) / static_cast<double>(rows - 1));
  return rt::matrix(rows, cols, v);
}

TEST_F(RendererTest, SurfaceColoursComeFromTheColormapOverCLim) {
  rt::Array fig = whiteFigure(fourColours());
  rt::Array ax = rt::gca();
  std::vector<rt::Array> args = {grid(9, 41), rt::ctranspose(grid(41, 9)), grid(9, 41),
                                 s("EdgeColor"), s("none")};
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
  rt::Array x = grid(21, 21);
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

// Zoomed in, a surface reaches past the box of its limits: it must not run
// under the tick labels standing outside that box.
TEST_F(RendererTest, AZoomedSurfaceStaysClearOfTheTickLabels) {
  const double red[] = {1, 0, 0};
  rt::Array fig = whiteFigure(rt::matrix(1, 3, red));
  std::vector<rt::Array> args = {grid(21, 21), rt::ctranspose(grid(21, 21)), grid(21, 21, bowl),
                                 s("EdgeColor"), s("none")};
  rt::surface(args);
  rt::view(rt::gca(), n(-37.5), n(30));
  rt::set(rt::gca(), {s("XLim"), rt::row({0.25, 0.75}), s("YLim"), rt::row({0.25, 0.75}), s("ZLim"),
                      rt::row({0.1, 0.4})});
  QImage img(400, 300, QImage::Format_RGB32);
  std::vector<rt::qt::PaintedText> texts;
  QPainter p(&img);
  rt::qt::paintFigure(p, handle(fig), img.size(),
                      {.controls = false, .texts = &texts, .origin = {}});
  p.end();
  ASSERT_GT(countPixels(img, isRed), 2000);
  for (const rt::qt::PaintedText& t : texts) {
    const QRect box = t.box.toAlignedRect().intersected(img.rect());
    EXPECT_TRUE(box.isEmpty() || countPixels(img, isRed, box) == 0) << t.text.toStdString();
  }
}

// A pattern's box seen from below, as the program draws one: its colour bar
// says what the colours are, its note stands above the view, and tick
// labels of two axes meeting at a corner stay a space apart.
TEST_F(RendererTest, AColourBarIsLabelledAndTickLabelsAtACornerStayApart) {
  rt::Array fig = whiteFigure(fourColours());
  rt::surface(
      std::vector<rt::Array>{grid(9, 9, xOf), rt::ctranspose(grid(9, 9, xOf)), grid(9, 9, bowl)});
  rt::view(rt::gca(), n(95), n(-45));
  rt::set(rt::gca(), {s("YLim"), rt::row({-1, 1}), s("ZLim"), rt::row({-0.5, 0.5})});
  rt::qt::setColourBars([](double) { return rt::qt::ColourKey{"Amplitude (V)", "Front half"}; });
  QImage img(700, 500, QImage::Format_RGB32);
  std::vector<rt::qt::PaintedText> texts;
  QPainter p(&img);
  rt::qt::paintFigure(p, handle(fig), img.size(),
                      {.controls = false, .texts = &texts, .origin = {}});
  p.end();
  rt::qt::setColourBars({});
  for (std::size_t i = 0; i < texts.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      EXPECT_FALSE(texts[i].box.adjusted(-3, -3, 3, 3).intersects(texts[j].box))
          << texts[i].text.toStdString() << " meets " << texts[j].text.toStdString();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts.back().text + texts[texts.size() - 2].text, "Front halfAmplitude (V)");
}

TEST_F(RendererTest, SvgAndPdfFilesAndRefusals) {
  rt::Array fig = whiteFigure();
  rt::plot(rt::row({0, 1}), rt::row({0, 1}));
  QTemporaryDir dir;
  ASSERT_EQ(rt::qt::saveSvg(handle(fig), dir.filePath("fig.svg"), QSize(320, 240)), "");
  ASSERT_EQ(rt::qt::savePdf(handle(fig), dir.filePath("fig.pdf"), QSize(320, 240)), "");

  // Not a figure, or no area: refused with a reason, nothing written.
  const double ax = handle(rt::gca());
  EXPECT_NE(rt::qt::savePng(12345.5, dir.filePath("none.png"), QSize(100, 100)), "");
  EXPECT_NE(rt::qt::savePng(handle(fig), dir.filePath("empty.png"), QSize(0, 10)), "");
  EXPECT_NE(rt::qt::saveSvg(ax, dir.filePath("ax.svg"), QSize(100, 100)), "");
  EXPECT_NE(rt::qt::savePdf(ax, dir.filePath("ax.pdf"), QSize(100, 100)), "");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"fig.pdf", "fig.svg"}));
}

// Surface faces on raster devices: FaceRaster's fills and hairlines.

// A fresh, transparent image.
QImage fresh(QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

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

TEST(FaceRaster, FillsQuadsAsRowByRowCrossingsDoAndDrawsLinesAlikeFromEitherEnd) {
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
  // A line covers the same pixels drawn from either end.
  const QPointF ends[][2] = {{{0.5, 0.5}, {17.3, 9.9}},   {{3.0, 18.0}, {14.0, 2.0}},
                             {{2.25, 7.75}, {2.25, 1.5}}, {{-4.0, 3.3}, {25.1, 12.7}},
                             {{19.9, 0.1}, {0.1, 19.9}},  {{6.5, 6.5}, {13.5, 6.5}}};
  for (const auto& [a, b] : ends) {
    QImage forward = fresh({20, 20}), back = fresh({20, 20});
    rt::qt::FaceRaster(forward).line(a, b, 0xff000000);
    rt::qt::FaceRaster(back).line(b, a, 0xff000000);
    EXPECT_TRUE(forward == back) << a.x() << "," << a.y();
  }
  // Corners or ends that are no numbers, or far outside, draw nothing or
  // only what lies on the picture.
  QImage safe = fresh({20, 20});
  rt::qt::FaceRaster r(safe);
  r.fillQuad({{1, 1}, {std::nan(""), 1}, {6, 6}, {1, 6}}, 0xff000000);
  r.line({INFINITY, 0}, {3, 3}, 0xff000000);
  EXPECT_TRUE(safe == fresh({20, 20}));
  r.line({-1e9, -1e9}, {1e9, 1e9}, 0xff000000);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(safe.pixel(i, i), 0xff000000);
}

}  // namespace

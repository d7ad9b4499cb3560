// The renderer on its own: tick values, the 3-D projection, and drawings of
// figures checked pixel by pixel.
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <numbers>

#include "platform/qt/props.h"
#include "platform/qt/qt_fixture.h"
#include "platform/qt/renderer.h"

namespace {

using qt_test::colorDistance;
using qt_test::n;
using qt_test::QtTest;
using qt_test::s;
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
      double mantissa = t.step / std::pow(10.0, std::floor(std::log10(t.step) + 1e-12));
      EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                  std::abs(mantissa - 5) < 1e-9)
          << "step " << t.step;
      double slack = t.step * 1e-6;
      EXPECT_GE(t.values.front(), r[0] - slack);
      EXPECT_LE(t.values.back(), r[1] + slack);
      // No room for another tick at either end.
      EXPECT_LT(t.values.front() - t.step, r[0] - slack);
      EXPECT_GT(t.values.back() + t.step, r[1] + slack);
      for (std::size_t i = 0; i < t.values.size(); ++i) {
        EXPECT_NEAR(std::remainder(t.values[i], t.step), 0.0, slack);
        if (i > 0) {
          EXPECT_NEAR(t.values[i] - t.values[i - 1], t.step, slack);
        }
      }
    }
  }
}

TEST(NiceTicks, SmallestStepThatFitsAndNoneForUnusableRanges) {
  rt::qt::Ticks t = niceTicks(0, 1, 6);
  EXPECT_DOUBLE_EQ(t.step, 0.2);  // 0.1 would need 11 ticks
  ASSERT_EQ(t.values.size(), 6u);
  EXPECT_DOUBLE_EQ(t.values[5], 1.0);
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
  // One row a label: range and tick count, the shared exponent, which label
  // (-1 the last) and its text.
  struct Row {
    double lo, hi;
    int maxTicks, exponent, index;
    const char* label;
  };
  const Row rows[] = {{0, 1, 6, 0, 0, "0"},       {0, 1, 6, 0, 1, "0.2"},
                      {0, 1, 6, 0, -1, "1"},      {1e9, 3e9, 5, 9, 0, "1"},
                      {1e9, 3e9, 5, 9, 1, "1.5"}, {0, 2e-4, 5, -4, -1, "2"}};
  for (const Row& r : rows) {
    rt::qt::TickLabels l = rt::qt::formatTicks(niceTicks(r.lo, r.hi, r.maxTicks));
    EXPECT_EQ(l.exponent, r.exponent) << r.hi;
    EXPECT_EQ(r.index < 0 ? l.labels.back() : l.labels.at(r.index), r.label) << r.hi;
  }
  for (const QString& l : rt::qt::formatTicks(niceTicks(-1, 1, 5)).labels) EXPECT_NE(l, "-0");
}

// ------------------------------------------------------------- projection
constexpr std::array<Projection::Limits, 3> kUnitBox = {{{0, 1}, {0, 1}, {0, 1}}};

TEST(Projection, AzimuthFromNegativeYElevationAboveThePlane) {
  // Azimuth 0, elevation 0: seen from -y, x to the right and z up.
  Projection front(0, 0, kUnitBox, QRectF(0, 0, 100, 100));
  EXPECT_GT(front.toScreen(1, 0, 0).x(), front.toScreen(0, 0, 0).x());
  EXPECT_LT(front.toScreen(0, 0, 1).y(), front.toScreen(0, 0, 0).y());
  EXPECT_GT(front.depth(0.5, 0, 0.5), front.depth(0.5, 1, 0.5));
  // Azimuth 90: seen from +x, y to the right.
  Projection side(90, 0, kUnitBox, QRectF(0, 0, 100, 100));
  EXPECT_GT(side.toScreen(0, 1, 0).x(), side.toScreen(0, 0, 0).x());
  EXPECT_GT(side.depth(1, 0.5, 0.5), side.depth(0, 0.5, 0.5));
  // The default 3-D view looks down from the -x, -y side.
  Projection three(-37.5, 30, kUnitBox, QRectF(0, 0, 100, 100));
  double nearest = three.depth(0, 0, 1);
  for (double x : {0, 1})
    for (double y : {0, 1})
      for (double z : {0, 1})
        if (x != 0 || y != 0 || z != 1) {
          EXPECT_LT(three.depth(x, y, z), nearest);
        }
  // Seen from below (negative elevation) the top of the box is further away.
  Projection below(95, -45, kUnitBox, QRectF(0, 0, 100, 100));
  EXPECT_LT(below.depth(0.5, 0.5, 1), below.depth(0.5, 0.5, 0));
}

TEST(Projection, DataBoxFillsTheViewportCentredAndMapsBack) {
  const QRectF viewport(10, 20, 300, 150);
  const std::array<Projection::Limits, 3> limits = {{{-2, 6}, {100, 101}, {-1e-3, 1e-3}}};
  for (auto [az, el] : {std::pair{-37.5, 30.0}, {95.0, -45.0}, {0.0, 90.0}, {200.0, 10.0}}) {
    SCOPED_TRACE(testing::Message() << "view " << az << ", " << el);
    Projection p(az, el, limits, viewport);
    double left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;
    for (double x : limits[0])
      for (double y : limits[1])
        for (double z : limits[2]) {
          QPointF q = p.toScreen(x, y, z);
          left = std::min(left, q.x());
          right = std::max(right, q.x());
          top = std::min(top, q.y());
          bottom = std::max(bottom, q.y());
        }
    QRectF bounds(QPointF(left, top), QPointF(right, bottom));
    EXPECT_TRUE(viewport.adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(bounds));
    EXPECT_TRUE(std::abs(bounds.width() - viewport.width()) < 1e-6 ||
                std::abs(bounds.height() - viewport.height()) < 1e-6);
    EXPECT_NEAR(bounds.center().x(), viewport.center().x(), 1e-6);
    EXPECT_NEAR(bounds.center().y(), viewport.center().y(), 1e-6);
    // Screen point and depth give the data point back.
    for (std::array<double, 3> q : {std::array<double, 3>{-2, 100, -1e-3}, {6, 100.25, 5e-4}}) {
      std::array<double, 3> back =
          p.toData(p.toScreen(q[0], q[1], q[2]), p.depth(q[0], q[1], q[2]));
      for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(back[k], q[k], 1e-9 * (limits[k][1] - limits[k][0])) << "axis " << k;
    }
  }
}

// ---------------------------------------------------------------- drawings
class RendererTest : public QtTest {
 protected:
  // A white figure with one axes whose plot box is [0.1 0.1 0.8 0.8].
  rt::Array whiteFigure() {
    rt::Array fig = rt::figure({s("Color"), rt::row({1, 1, 1})});
    rt::axes({s("Position"), rt::row({0.1, 0.1, 0.8, 0.8})});
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
  rt::Array fig = whiteFigure();
  rt::Array horizontal = rt::plot(rt::row({0, 1}), rt::row({0.5, 0.5}));
  rt::set(horizontal, {s("Color"), rt::row({1, 0, 0}), s("LineWidth"), n(2)});
  rt::set(rt::gca(), {s("XLim"), rt::row({0, 1}), s("YLim"), rt::row({0, 1})});

  // Plot box: x 40..360, y 30..270 (device rows grow downwards).
  QImage img = render(fig);
  auto redRowsAt = [&](int x) {
    std::vector<int> rows;
    for (int y = 0; y < img.height(); ++y)
      if (isRed(img.pixelColor(x, y))) rows.push_back(y);
    return rows;
  };
  for (int x = 60; x < 340; x += 7) {
    std::vector<int> rows = redRowsAt(x);
    ASSERT_FALSE(rows.empty()) << "no red at column " << x;
    EXPECT_GE(rows.front(), 147);
    EXPECT_LE(rows.back(), 153);
  }
  // A wider y range moves the line down: y = 0.5 of [0 2] is a quarter up.
  rt::set(rt::gca(), {s("YLim"), rt::row({0, 2})});
  img = render(fig);
  std::vector<int> rows = redRowsAt(200);
  ASSERT_FALSE(rows.empty());
  EXPECT_NEAR((rows.front() + rows.back()) / 2.0, 210, 3);

  // Data outside the limits is clipped to the box.
  rt::set(horizontal, {s("YData"), rt::row({1e12, 1e12})});
  img = render(fig);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); x += 3) ASSERT_FALSE(isRed(img.pixelColor(x, y)));
}

TEST_F(RendererTest, NaNBreaksALine) {
  rt::Array fig = whiteFigure();
  const double nan = std::nan("");
  // A point with no x, and then one with no y: each leaves a gap.
  rt::Array l = rt::plot(rt::row({0, 0.2, nan, 0.4, 0.6, 0.7, 0.8, 1}),
                         rt::row({0.5, 0.5, 0.5, 0.5, 0.5, nan, 0.5, 0.5}));
  rt::set(l, {s("Color"), rt::row({1, 0, 0})});
  rt::set(rt::gca(), {s("XLim"), rt::row({0, 1}), s("YLim"), rt::row({0, 1})});
  QImage img = render(fig);
  auto redIn = [&](int x) {
    for (int y = 145; y <= 155; ++y)
      if (isRed(img.pixelColor(x, y))) return true;
    return false;
  };
  // Columns 40 + 320 x: drawn at x = 0.1, 0.5 and 0.9, gaps at 0.3 and 0.7.
  EXPECT_TRUE(redIn(72));
  EXPECT_TRUE(redIn(200));
  EXPECT_TRUE(redIn(328));
  EXPECT_FALSE(redIn(136));
  EXPECT_FALSE(redIn(264));
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
                                                       {"arial", "DejaVu Sans"},
                                                       {"Courier", "DejaVu Sans Mono"},
                                                       {"DejaVu Serif", "DejaVu Serif"},
                                                       {"No Such Family", "DejaVu Sans"}};
  for (auto [name, family] : cases) {
    rt::set(ax, {s("FontName"), s(name)});
    EXPECT_EQ(QFontInfo(rt::qt::propFont(handle(ax), 300)).family().toStdString(), family) << name;
  }
}

TEST_F(RendererTest, TicksAtRoundValuesAndGridsWhenOn) {
  rt::Array fig = whiteFigure();
  rt::set(rt::gca(), {s("XLim"), rt::row({0, 1}), s("YLim"), rt::row({0, 1})});
  auto darkIn = [](const QImage& img, int x0, int x1, int y0, int y1) {
    for (int x = x0; x <= x1; ++x)
      for (int y = y0; y <= y1; ++y)
        if (!(img.pixelColor(x, y).red() > 245 && img.pixelColor(x, y).green() > 245)) return true;
    return false;
  };
  QImage off = render(fig);
  // x ticks every 0.2 (columns 104, 168, ...) rise from the bottom edge.
  EXPECT_TRUE(darkIn(off, 103, 105, 266, 268));
  EXPECT_FALSE(darkIn(off, 134, 138, 266, 268));  // x = 0.3: no tick
  EXPECT_FALSE(darkIn(off, 103, 105, 60, 240));   // no grid
  // Tick labels below the box.
  EXPECT_TRUE(darkIn(off, 95, 113, 272, 295));

  rt::grid(s("on"));
  QImage on = render(fig);
  // Between the y grid lines at rows 78 and 126: only the x grid.
  EXPECT_TRUE(darkIn(on, 103, 105, 82, 122));
  EXPECT_FALSE(darkIn(on, 134, 138, 82, 122));
  // y grid: y = 0.4 is row 174.
  EXPECT_TRUE(darkIn(on, 60, 340, 173, 175));
}

TEST_F(RendererTest, TitleAboveAndYLabelTurnedOnTheLeft) {
  rt::Array fig = whiteFigure();
  rt::Array ax = rt::gca();
  rt::set(ax, {s("XLim"), rt::row({0, 1}), s("YLim"), rt::row({0, 1})});
  const QSize size(800, 600);  // plot box x 80..720, y 60..540
  auto inkBounds = [](const QImage& img, QRect area) {
    QRect b;
    for (int x = area.left(); x <= area.right(); ++x)
      for (int y = area.top(); y <= area.bottom(); ++y)
        if (isDark(img.pixelColor(x, y))) b = b.united(QRect(x, y, 1, 1));
    return b;
  };
  QImage plain = render(fig, size);
  EXPECT_TRUE(inkBounds(plain, QRect(100, 0, 600, 57)).isNull());
  EXPECT_TRUE(inkBounds(plain, QRect(0, 100, 53, 400)).isNull());

  rt::set(rt::get(ax, "Title"), {s("String"), s("Input impedance")});
  rt::set(rt::get(ax, "YLabel"), {s("String"), s("Resistance (Ohms)"), s("FontSize"), n(14)});
  QImage labelled = render(fig, size);
  QRect title = inkBounds(labelled, QRect(100, 0, 600, 57));
  ASSERT_FALSE(title.isNull());
  EXPECT_NEAR(title.center().x(), 400, 10);
  EXPECT_GT(title.width(), title.height());
  QRect ylabel = inkBounds(labelled, QRect(0, 100, 53, 400));
  ASSERT_FALSE(ylabel.isNull());
  EXPECT_GT(ylabel.height(), 2 * ylabel.width());
  EXPECT_NEAR(ylabel.center().y(), 300, 10);
}

// Figure colour map: four pure colours.
rt::Array fourColours() {
  const double byColumns[] = {1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 0};  // red, green, blue, yellow
  return rt::matrix(4, 3, byColumns);
}

rt::Array grid(std::size_t rows, std::size_t cols, const std::function<double(double, double)>& f,
               bool wantX) {
  std::vector<double> v(rows * cols);
  for (std::size_t j = 0; j < cols; ++j)
    for (std::size_t i = 0; i < rows; ++i) {
      double x = static_cast<double>(j) / static_cast<double>(cols - 1);
      double y = static_cast<double>(i) / static_cast<double>(rows - 1);
      v[j * rows + i] = wantX ? x : f(x, y);
    }
  return rt::matrix(rows, cols, v);
}

TEST_F(RendererTest, SurfaceColoursComeFromTheColormapOverCLim) {
  rt::Array fig = rt::figure({s("Color"), rt::row({1, 1, 1}), s("Colormap"), fourColours()});
  rt::Array ax = rt::axes({s("Position"), rt::row({0.1, 0.1, 0.8, 0.8})});
  auto zOf = [](double x, double) { return x; };
  rt::Array x = grid(9, 41, zOf, true);
  rt::Array y = rt::ctranspose(grid(41, 9, zOf, true));
  rt::Array z = grid(9, 41, zOf, false);
  std::vector<rt::Array> args = {x, y, z, s("EdgeColor"), s("none")};
  rt::surface(args);
  rt::view(ax, n(0), n(90));  // from above: x to the right

  QImage img = render(fig);
  const QColor map[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
  std::vector<int> firstColumn(4, -1), lastColumn(4, -1);
  int coloured = 0;
  for (int py = 0; py < img.height(); py += 2) {
    for (int px = 0; px < img.width(); ++px) {
      QColor c = img.pixelColor(px, py);
      for (int k = 0; k < 4; ++k) {
        if (colorDistance(c, map[k]) < 40) {
          ++coloured;
          if (firstColumn[k] < 0 || px < firstColumn[k]) firstColumn[k] = px;
          lastColumn[k] = std::max(lastColumn[k], px);
        }
      }
      // Nothing but the map and the greys of the box, its lines and labels.
      bool known =
          std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) < 24;
      for (const QColor& m : map) known = known || colorDistance(c, m) < 40;
      ASSERT_TRUE(known) << "pixel " << px << "," << py << " is " << c.name().toStdString();
    }
  }
  EXPECT_GT(coloured, 1000);
  // CLim is the data range [0 1]: four bands from left to right.
  for (int k = 0; k < 4; ++k) ASSERT_GE(firstColumn[k], 0) << "colour " << k << " missing";
  for (int k = 0; k + 1 < 4; ++k) EXPECT_LT(lastColumn[k], firstColumn[k + 1] + 12);

  // Manual colour limits beyond the data: everything in the lower half.
  rt::set(ax, {s("CLim"), rt::row({0, 4})});
  img = render(fig);
  int blueOrYellow = 0, red = 0;
  for (int py = 0; py < img.height(); py += 3)
    for (int px = 0; px < img.width(); px += 3) {
      QColor c = img.pixelColor(px, py);
      if (colorDistance(c, Qt::blue) < 40 || colorDistance(c, Qt::yellow) < 40) ++blueOrYellow;
      if (colorDistance(c, Qt::red) < 40) ++red;
    }
  EXPECT_EQ(blueOrYellow, 0);
  EXPECT_GT(red, 100);
}

TEST_F(RendererTest, FacesAreDrawnBackToFront) {
  // Two upright squares, the blue one at y = 0 made first, the red one at
  // y = 1 made last: from -y the blue one is in front, from +y the red one.
  const double twoColours[] = {0, 1, 0, 0, 1, 0};
  rt::Array fig =
      rt::figure({s("Color"), rt::row({1, 1, 1}), s("Colormap"), rt::matrix(2, 3, twoColours)});
  rt::Array ax = rt::axes({s("Position"), rt::row({0.1, 0.1, 0.8, 0.8})});
  const double xs[] = {0, 1, 0, 1}, zs[] = {0, 0, 1, 1};
  for (double yv : {0.0, 1.0}) {
    const double ys[] = {yv, yv, yv, yv}, cs[] = {yv, yv, yv, yv};
    std::vector<rt::Array> args = {rt::matrix(2, 2, xs), rt::matrix(2, 2, ys), rt::matrix(2, 2, zs),
                                   rt::matrix(2, 2, cs), s("EdgeColor"),       s("none")};
    rt::surface(args);
  }
  rt::set(ax, {s("CLim"), rt::row({0, 1})});
  auto centre = [&](double az) {
    rt::view(ax, n(az), n(0));
    QImage img = render(fig);
    return img.pixelColor(200, 150);
  };
  EXPECT_LT(colorDistance(centre(0), Qt::blue), 40);
  EXPECT_LT(colorDistance(centre(180), Qt::red), 40);
  EXPECT_LT(colorDistance(centre(10), Qt::blue), 40);
  EXPECT_LT(colorDistance(centre(-170), Qt::red), 40);
}

TEST_F(RendererTest, NaNPointsAndTheirFacesAreLeftOut) {
  rt::Array fig = rt::figure({s("Color"), rt::row({1, 1, 1}), s("Colormap"), fourColours()});
  rt::Array ax = rt::axes({s("Position"), rt::row({0.1, 0.1, 0.8, 0.8})});
  auto bowl = [](double x, double y) { return (x - 0.5) * (x - 0.5) + (y - 0.5) * (y - 0.5); };
  rt::Array x = grid(21, 21, bowl, true);
  rt::Array y = rt::ctranspose(x);
  rt::Array z = grid(21, 21, bowl, false);
  std::vector<rt::Array> args = {x, y, z};
  rt::Array surf = rt::surface(args);
  rt::view(ax, n(0), n(90));  // from above: nothing hides behind the faces
  auto colouredPixels = [&] {
    QImage img = render(fig);
    int count = 0;
    for (int py = 0; py < img.height(); ++py)
      for (int px = 0; px < img.width(); ++px) {
        QColor c = img.pixelColor(px, py);
        for (QColor m : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue), QColor(Qt::yellow)})
          if (colorDistance(c, m) < 60) ++count;
      }
    return count;
  };
  int full = colouredPixels();
  EXPECT_GT(full, 2000);

  // The first column of points (x = 0) missing: one strip of 20 faces fewer.
  std::vector<double> zs(z.re().begin(), z.re().end());
  for (std::size_t i = 0; i < 21; ++i) zs[i] = std::nan("");
  rt::set(surf, {s("ZData"), rt::matrix(21, 21, zs)});
  int holed = colouredPixels();
  EXPECT_LT(holed, full * 0.97);
  EXPECT_GT(holed, full * 0.9);

  // Nothing finite: nothing coloured, and no failure.
  std::fill(zs.begin(), zs.end(), std::nan(""));
  rt::set(surf, {s("ZData"), rt::matrix(21, 21, zs)});
  EXPECT_EQ(colouredPixels(), 0);
}

TEST_F(RendererTest, ControlsAreDrawnWithoutWidgets) {
  rt::Array fig = rt::figure({s("Color"), rt::row({1, 1, 1})});
  const double rgb[] = {85 / 255.0, 134 / 255.0, 211 / 255.0};
  rt::Array frame =
      rt::uicontrol({s("Style"), s("frame"), s("Units"), s("normalized"), s("Position"),
                     rt::row({0, 0, 0.5, 1}), s("BackgroundColor"), rt::row(rgb)});
  rt::Array hidden =
      rt::uicontrol({s("Style"), s("text"), s("Units"), s("normalized"), s("Position"),
                     rt::row({0.6, 0.1, 0.3, 0.8}), s("BackgroundColor"), rt::row({1, 0, 0}),
                     s("Visible"), s("off")});
  rt::uicontrol({s("Style"), s("slider"), s("Units"), s("normalized"), s("Position"),
                 rt::row({0.05, 0.45, 0.4, 0.1}), s("Min"), n(0), s("Max"), n(0)});
  QImage img = render(fig);
  EXPECT_LT(colorDistance(img.pixelColor(100, 30), QColor(85, 134, 211)), 6);
  EXPECT_TRUE(isWhite(img.pixelColor(320, 150)));
  rt::set(hidden, {s("Visible"), s("on")});
  img = render(fig);
  EXPECT_LT(colorDistance(img.pixelColor(320, 150), QColor(Qt::red)), 6);
  (void)frame;
}

TEST_F(RendererTest, SvgAndPdfFilesAndRefusals) {
  rt::Array fig = whiteFigure();
  rt::plot(rt::row({0, 1}), rt::row({0, 1}));
  QTemporaryDir dir;
  const QString svg = dir.filePath("fig.svg"), pdf = dir.filePath("fig.pdf");
  ASSERT_EQ(rt::qt::saveSvg(handle(fig), svg, QSize(320, 240)), "");
  QFile f(svg);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QByteArray text = f.readAll();
  EXPECT_TRUE(text.contains("<svg"));
  EXPECT_TRUE(text.contains("polyline") || text.contains("path"));

  // A PDF page of 240 by 180 points (320 by 240 pixels at 96 per inch).
  ASSERT_EQ(rt::qt::savePdf(handle(fig), pdf, QSize(320, 240)), "");
  QFile p(pdf);
  ASSERT_TRUE(p.open(QIODevice::ReadOnly));
  QByteArray doc = p.readAll();
  EXPECT_TRUE(doc.startsWith("%PDF-"));
  EXPECT_TRUE(QString::fromLatin1(doc).contains(
      QRegularExpression(R"(/MediaBox \[0 0 240(\.0+)? 180(\.0+)?\])")));

  // Not a figure, or no area: refused with a reason, nothing written.
  const double ax = handle(rt::gca());
  EXPECT_NE(rt::qt::savePng(12345.5, dir.filePath("none.png"), QSize(100, 100)), "");
  EXPECT_NE(rt::qt::savePng(handle(fig), dir.filePath("empty.png"), QSize(0, 10)), "");
  EXPECT_NE(rt::qt::savePng(ax, dir.filePath("ax.png"), QSize(100, 100)), "");
  EXPECT_NE(rt::qt::saveSvg(ax, dir.filePath("ax.svg"), QSize(100, 100)), "");
  EXPECT_NE(rt::qt::savePdf(ax, dir.filePath("ax.pdf"), QSize(100, 100)), "");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"fig.pdf", "fig.svg"}));
}

}  // namespace

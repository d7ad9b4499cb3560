// Data read back out of the objects and written as comma-separated text:
// exact numbers, label headers, surface grids, and blocks per axes.
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "platform/graphics/data_export.h"
#include "platform/graphics/headless.h"

namespace {

using gtest_graphics::GraphicsTest;
using gtest_graphics::h;
using gtest_graphics::s;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

TEST(ExactNumber, ReadsBackToTheSameDoubleAndNamesTheSpecialValues) {
  for (double v : {0.1, 1.0 / 3, -2.5e-300, 6.02214076e23, 1e17 + 16}) {
    EXPECT_EQ(std::stod(rt::gfx::exactNumber(v)), v) << rt::gfx::exactNumber(v);
  }
  EXPECT_EQ(rt::gfx::exactNumber(std::nan("")), "NaN");
  EXPECT_EQ(rt::gfx::exactNumber(std::numeric_limits<double>::infinity()), "Inf");
  EXPECT_EQ(rt::gfx::exactNumber(-std::numeric_limits<double>::infinity()), "-Inf");
}

using DataExport = GraphicsTest;

TEST_F(DataExport, ALineGivesItsPointsUnderTheAxesLabels) {
  rt::figure();
  rt::Array ax = rt::axes({});
  rt::plot(rt::row({1.0 / 3, 2, 3}), rt::row({0.1, std::nan(""), -7}));
  EXPECT_EQ(linesOf(rt::gfx::axesCsv(h(ax)))[0], "x,y") << "no labels set";
  rt::set(rt::get(ax, "XLabel"), {s("String"), s("Frequency (GHz)")});
  rt::set(rt::get(ax, "YLabel"), {s("String"), s("Resistance, \"R\"")});
  std::vector<std::string> rows = linesOf(rt::gfx::axesCsv(h(ax)));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], "Frequency (GHz),\"Resistance, \"\"R\"\"\"");
  EXPECT_EQ(rows[1], "0.33333333333333331,0.10000000000000001");
  EXPECT_EQ(rows[2], "2,NaN");
  EXPECT_EQ(rows[3], "3,-7");
}

TEST_F(DataExport, ASurfaceGivesOneRowPerGridPointWithVectorsSpreadOverTheGrid) {
  rt::figure();
  rt::Array ax = rt::axes({});
  // Z is 2 x 3: x runs along the columns, y along the rows.
  std::vector<rt::Array> args = {rt::row({10, 20, 30}), rt::row({1, 2}),
                                 rt::matrix(2, 3, std::vector<double>{1, 2, 3, 4, 5, 6})};
  double surf = h(rt::surface(args));
  std::optional<rt::gfx::SurfaceGrid> g = rt::gfx::surfaceGrid(surf);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->x, (std::vector<double>{10, 10, 20, 20, 30, 30}));
  EXPECT_EQ(g->y, (std::vector<double>{1, 2, 1, 2, 1, 2}));
  EXPECT_EQ(g->c, g->z) << "the colour follows z without CData";
  std::vector<std::string> rows = linesOf(rt::gfx::axesCsv(h(ax)));
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0], "x,y,z,c");
  EXPECT_EQ(rows[4], "20,2,4,4");

  rt::set(rt::scalar(surf), {s("XData"), rt::row({1, 2})});
  EXPECT_FALSE(rt::gfx::surfaceGrid(surf)) << "x data that fit neither way";
}

TEST_F(DataExport, AFigureGivesABlockPerAxesInCreationOrder) {
  double fig = h(rt::figure());
  rt::axes({});
  rt::plot(rt::row({1, 2}), rt::row({3, 4}));
  rt::axes({});
  rt::plot(rt::row({5}), rt::row({6}));
  rt::axes({});  // no data: no block
  EXPECT_EQ(rt::gfx::figureCsv(fig), "x,y\n1,3\n2,4\n\nx,y\n5,6\n");
}

}  // namespace

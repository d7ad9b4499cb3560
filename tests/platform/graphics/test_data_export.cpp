// Data read back out of the objects and written as comma-separated text:
// exact numbers, label headers, surface grids, and blocks per axes.
#include <cmath>

#include "platform/graphics/data_export.h"
#include "platform/graphics/headless.h"

namespace {

using namespace gtest_graphics;

using DataExport = GraphicsTest;

TEST_F(DataExport, ALineGivesItsPointsUnderTheAxesLabels) {
  double fig = h(rt::figure());
  rt::Array ax = rt::axes({});
  rt::plot(rt::row({1.0 / 3, 2, 3}), rt::row({0.1, std::nan(""), -1e300}));
  EXPECT_EQ(rt::gfx::axesCsv(h(ax)).substr(0, 4), "x,y\n") << "no labels set";
  rt::set(rt::get(ax, "XLabel"), {s("String"), s("Frequency (GHz)")});
  rt::set(rt::get(ax, "YLabel"), {s("String"), s("Resistance, \"R\"")});
  EXPECT_EQ(rt::gfx::axesCsv(h(ax)),
            "Frequency (GHz),\"Resistance, \"\"R\"\"\"\n"
            "0.33333333333333331,0.10000000000000001\n2,NaN\n3,-1.0000000000000001e+300\n");
  // A figure gives a block per axes with data, in creation order.
  rt::axes({});
  rt::plot(rt::row({5}), rt::row({6}));
  rt::axes({});
  EXPECT_EQ(rt::gfx::figureCsv(fig), rt::gfx::axesCsv(h(ax)) + "\nx,y\n5,6\n");
}

TEST_F(DataExport, ASurfaceGivesOneRowPerGridPointWithVectorsSpreadOverTheGrid) {
  rt::figure();
  rt::Array ax = rt::axes({});
  // Z is 2 x 3: x runs along the columns, y along the rows.
  std::vector<rt::Array> args = {rt::row({10, 20, 30}), rt::row({1, 2}),
                                 rt::matrix(2, 3, V{1, 2, 3, 4, 5, 6})};
  double surf = h(rt::surface(args));
  std::optional<rt::gfx::SurfaceGrid> g = rt::gfx::surfaceGrid(surf);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->x, (V{10, 10, 20, 20, 30, 30}));
  EXPECT_EQ(g->y, (V{1, 2, 1, 2, 1, 2}));
  EXPECT_EQ(g->c, g->z) << "the colour follows z without CData";
  EXPECT_EQ(rt::gfx::axesCsv(h(ax)),
            "x,y,z,c\n10,1,1,1\n10,2,2,2\n20,1,3,3\n20,2,4,4\n30,1,5,5\n30,2,6,6\n");
  rt::set(rt::scalar(surf), {s("XData"), rt::row({1, 2})});
  EXPECT_FALSE(rt::gfx::surfaceGrid(surf)) << "x data that fit neither way";
}

}  // namespace

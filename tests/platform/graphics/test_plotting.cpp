// hold, lines, limits and surfaces, and their data read back
// out and written as comma-separated text.
#include <cmath>

#include "platform/graphics/data_export.h"
#include "platform/graphics/headless.h"

namespace {

using namespace gtest_graphics;

class Plotting : public GraphicsTest {
 protected:
  // Axes made current in a new figure, with the given NextPlot.
  rt::Array axesWith(const char* nextPlot) {
    return rt::axes({s("Parent"), rt::figure(), s("NextPlot"), s(nextPlot)});
  }
};

// "replace" resets the axes but keeps their placement and label objects,
// "replacechildren" keeps every property, "add" keeps the lines too.
TEST_F(Plotting, NextPlotDecidesWhatAPlotKeeps) {
  struct Row {
    const char* mode;
    bool reset, hold;
  };
  for (const Row r :
       {Row{"replace", true, false}, {"replacechildren", false, false}, {"add", false, true}}) {
    SCOPED_TRACE(r.mode);
    const rt::Array ax = axesWith(r.mode);
    rt::set(ax, {s("Position"), rt::row({0.1, 0.2, 0.3, 0.4}), s("Tag"), s("axes1"), s("XGrid"),
                 s("on"), s("Units"), s("pixels")});
    const rt::Array ylabel = rt::get(ax, "YLabel");
    rt::set(ylabel, {s("String"), s("Resistance (Ohms)")});
    const rt::Array first = rt::plot(rt::row({1, 2}), rt::row({1, 2}));
    const rt::Array second = rt::plot(rt::matrix(2, 1, V{1, 2}), rt::row({3, 4}));
    EXPECT_EQ(ofType(h(ax), "line"), (r.hold ? V{h(first), h(second)} : V{h(second)}));
    EXPECT_EQ(rt::ishold(ax), r.hold);
    EXPECT_EQ(textOf(ax, "Tag"), r.reset ? "" : "axes1");
    EXPECT_EQ(textOf(ax, "XGrid"), r.reset ? "off" : "on");
    EXPECT_EQ(values(rt::get(ax, "Position")), (V{0.1, 0.2, 0.3, 0.4}));
    EXPECT_EQ(textOf(ax, "Units"), "pixels");
    EXPECT_EQ(h(rt::get(ax, "YLabel")), h(ylabel));  // the same object
    EXPECT_EQ(textOf(ylabel, "String"), r.reset ? "" : "Resistance (Ohms)");
    EXPECT_EQ(rt::get(second, "XData").rows(), 1u);  // stored as a row
    // A held line takes the next colour of the order.
    const rt::Array order = rt::get(ax, "ColorOrder");
    const std::size_t k = r.hold ? 1 : 0, n = order.rows();
    EXPECT_EQ(values(rt::get(second, "Color")),
              (V{order.re()[k], order.re()[n + k], order.re()[2 * n + k]}));
  }
  EXPECT_NE(errorOf([] { rt::plot(rt::row({1, 2}), rt::row({1, 2, 3})); }), "");
}

TEST_F(Plotting, AutomaticLimitsWidenToWholeRoundStepsAndTightOnesAreTheData) {
  const rt::Array ax = axesWith("replacechildren");
  // Steps of 1, 2 or 5 times a power of ten, the smallest that cuts the
  // span into at most five.
  rt::plot(rt::row({1, 3}), rt::row({-0.5, 7.2}));
  EXPECT_EQ(values(rt::get(ax, "XLim")), (V{1, 3}));
  EXPECT_EQ(values(rt::get(ax, "YLim")), (V{-2, 8}));
  rt::plot(rt::row({0, 7}), rt::row({0, 70}));
  EXPECT_EQ(values(rt::get(ax, "XLim")), (V{0, 8}));
  EXPECT_EQ(values(rt::get(ax, "YLim")), (V{0, 80}));
  EXPECT_EQ(textOf(ax, "XLimMode"), "auto");
  EXPECT_GT(log->count(Event::Changed, h(ax), "XLim"), 0u);

  const rt::Array zBefore = rt::get(ax, "ZLim");
  rt::plot(rt::row({1, 2, NAN, 4}), rt::row({-3, NAN, 5, 2}));
  rt::axis(s("tight"));
  EXPECT_EQ(values(rt::get(ax, "XLim")), (V{1, 4}));
  EXPECT_EQ(values(rt::get(ax, "YLim")), (V{-3, 5}));
  EXPECT_EQ(values(rt::get(ax, "ZLim")), values(zBefore));  // no surface: z untouched
  EXPECT_EQ(textOf(ax, "YLimMode"), "manual");
  rt::plot(rt::row({10, 20}), rt::row({10, 20}));  // manual limits stay
  EXPECT_EQ(values(rt::get(ax, "XLim")), (V{1, 4}));
  EXPECT_EQ(errorOf([] { rt::axis(s("sideways")); }), "axis: unknown option \"sideways\".");

  // Tight limits stay usable for flat or missing data.
  auto sane = [&](const char* name, double inside) {
    const V l = values(rt::get(ax, name));
    EXPECT_TRUE(std::isfinite(l.at(0)) && l[0] < l.at(1)) << name;
    EXPECT_FALSE(inside < l[0] || inside > l[1]) << name;  // NaN: anywhere
  };
  rt::plot(rt::row({1, 2, 3}), rt::row({2, 2, 2}));
  rt::axis(s("tight"));
  sane("YLim", 2);
  rt::plot(rt::row({0, 0}), rt::row({NAN, NAN}));
  rt::axis(s("tight"));
  sane("XLim", 0);
  sane("YLim", NAN);
}

TEST_F(Plotting, SurfaceTakesItsDataThenPairsWithAnyLeadingPartOfParent) {
  const rt::Array f = rt::figure();
  const rt::Array target = rt::axes({s("Parent"), f});
  const rt::Array other = rt::axes({s("Parent"), f});  // the current axes
  const rt::Array z = rt::matrix(2, 3, V{1, 2, 3, 4, 5, NAN});
  const rt::Array x = rt::row({10, 20, 30});
  const rt::Array y = rt::matrix(2, 1, V{-1, 1});

  const rt::Array onlyZ = rt::surface(std::vector<rt::Array>{z});
  EXPECT_EQ(rt::gfx::parent(h(onlyZ)), h(other));

  for (const char* name : {"PaReNt", "p"}) {
    const rt::Array srf =
        rt::surface(std::vector<rt::Array>{x, y, z, rt::times(z, n(2)), s(name), target});
    EXPECT_EQ(rt::gfx::parent(h(srf)), h(target)) << name;
    EXPECT_EQ(rt::get(srf, "CData").re()[1], 4) << name;
  }
  rt::axes(target);
  rt::axis(s("tight"));
  EXPECT_EQ(values(rt::get(target, "XLim")), (V{10, 30}));
  EXPECT_EQ(values(rt::get(target, "ZLim")), (V{1, 5}));

  using Args = std::vector<rt::Array>;
  const std::string sizes = errorOf([&] { rt::surface(Args{rt::row({1, 2}), y, z}); });
  EXPECT_NE(sizes.find("do not agree"), std::string::npos) << sizes;
  for (const Args& bad : {Args{z, s("Parent"), f}, Args{x, y, z, s("parent")},
                          Args{z, s("parents"), target}, Args{x, y}})
    EXPECT_NE(errorOf([&] { rt::surface(bad); }), "") << bad.size() << " arguments";
}

TEST_F(Plotting, ALineGivesItsPointsUnderTheAxesLabelsAndASurfaceOneRowPerGridPoint) {
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

  // A surface gives one row per grid point, its vectors spread over the
  // grid; Z is 2 x 3: x runs along the columns, y along the rows.
  ax = rt::axes({s("Parent"), rt::figure()});
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

// newplot and hold, lines, limits, grid, view, surfaces and the label bypass.
#include <cmath>

#include "platform/graphics/headless.h"

namespace {

using namespace gtest_graphics;

class Plotting : public GraphicsTest {
 protected:
  // Axes made current in a new figure, with the given NextPlot.
  rt::Array axesWith(const char* nextPlot) {
    const rt::Array f = rt::figure();
    return rt::axes({s("Parent"), f, s("NextPlot"), s(nextPlot)});
  }
  static std::vector<double> lines(const rt::Array& ax) {
    std::vector<double> out;
    for (double k : rt::gfx::children(h(ax)))
      if (rt::gfx::type(k) == "line") out.push_back(k);
    return out;
  }
};

TEST_F(Plotting, ReplaceResetsTheAxesButKeepsTheirPlacementAndLabels) {
  const rt::Array ax = axesWith("replace");
  rt::set(ax, {s("Position"), rt::row({0.1, 0.2, 0.3, 0.4}), s("Tag"), s("axes1"), s("XGrid"),
               s("on"), s("FontSize"), n(20), s("Units"), s("pixels")});
  const rt::Array first = rt::plot(rt::row({1, 2}), rt::row({1, 2}));
  const rt::Array ylabel = rt::get(ax, "YLabel");
  rt::set(ylabel, {s("String"), s("Resistance (Ohms)")});
  rt::set(ax, {s("Tag"), s("axes1"), s("XGrid"), s("on")});

  const rt::Array second = rt::plot(rt::row({1, 2}), rt::row({3, 4}));
  EXPECT_FALSE(rt::gfx::exists(h(first)));
  EXPECT_EQ(lines(ax), (std::vector<double>{h(second)}));
  EXPECT_EQ(textOf(rt::get(ax, "Tag")), "");
  EXPECT_EQ(textOf(rt::get(ax, "XGrid")), "off");
  EXPECT_EQ(textOf(rt::get(ax, "NextPlot")), "replace");
  EXPECT_EQ(h(rt::get(ax, "FontSize")), 10);
  EXPECT_EQ(values(rt::get(ax, "Position")), (std::vector<double>{0.1, 0.2, 0.3, 0.4}));
  EXPECT_EQ(textOf(rt::get(ax, "Units")), "pixels");
  // The label object survives with its text cleared.
  EXPECT_EQ(h(rt::get(ax, "YLabel")), h(ylabel));
  EXPECT_TRUE(rt::gfx::exists(h(ylabel)));
  EXPECT_TRUE(rt::get(ylabel, "String").empty());
}

TEST_F(Plotting, ReplaceChildrenKeepsEveryPropertyTagAndGridsIncluded) {
  const rt::Array ax = axesWith("replacechildren");
  rt::set(ax, {s("Tag"), s("axes1"), s("XGrid"), s("on"), s("YGrid"), s("on"), s("FontSize"),
               n(0.036)});
  const rt::Array ylabel = rt::get(ax, "YLabel");
  rt::set(ylabel, {s("String"), s("Reactance (Ohms)")});
  const rt::Array first = rt::plot(rt::row({1, 2}), rt::row({1, 2}));
  const rt::Array second = rt::plot(rt::row({1, 2}), rt::row({5, 6}));
  EXPECT_FALSE(rt::gfx::exists(h(first)));
  EXPECT_EQ(lines(ax), (std::vector<double>{h(second)}));
  EXPECT_EQ(textOf(rt::get(ax, "Tag")), "axes1");
  EXPECT_EQ(textOf(rt::get(ax, "XGrid")), "on");
  EXPECT_EQ(textOf(rt::get(ax, "YGrid")), "on");
  EXPECT_EQ(h(rt::get(ax, "FontSize")), 0.036);
  EXPECT_EQ(textOf(rt::get(ylabel, "String")), "Reactance (Ohms)");
  EXPECT_FALSE(rt::ishold(ax));
}

TEST_F(Plotting, AddKeepsLinesAndTakesTheNextColour) {
  const rt::Array ax = axesWith("add");
  EXPECT_TRUE(rt::ishold(ax));
  const rt::Array a = rt::plot(rt::row({1, 2}), rt::row({1, 2}));
  const rt::Array b = rt::plot(rt::row({1, 2}), rt::row({2, 1}));
  EXPECT_EQ(lines(ax), (std::vector<double>{h(a), h(b)}));
  const rt::Array order = rt::get(ax, "ColorOrder");
  const std::size_t r = order.rows();
  EXPECT_EQ(values(rt::get(a, "Color")),
            (std::vector<double>{order.re()[0], order.re()[r], order.re()[2 * r]}));
  EXPECT_EQ(values(rt::get(b, "Color")),
            (std::vector<double>{order.re()[1], order.re()[r + 1], order.re()[2 * r + 1]}));
  // The data are stored as rows.
  const rt::Array c = rt::plot(rt::matrix(3, 1, std::vector<double>{1, 2, 3}), rt::row({4, 5, 6}));
  EXPECT_EQ(rt::get(c, "XData").rows(), 1u);
  EXPECT_EQ(values(rt::get(c, "XData")), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(errorOf([] {
              rt::plot(rt::row({1, 2}), rt::row({1, 2, 3}));
            }),
            "plot: X and Y must be vectors of the same length.");
}

TEST_F(Plotting, NewplotUsesTheCurrentAxesOrMakesThem) {
  const rt::Array made = rt::newplot();
  EXPECT_EQ(rt::gfx::type(h(made)), "axes");
  EXPECT_EQ(h(rt::gca()), h(made));
  const rt::Array f = rt::gcf();
  rt::set(f, {s("NextPlot"), s("replace"), s("Color"), s("k")});
  const rt::Array c = rt::uicontrol({s("Parent"), f});
  const rt::Array fresh = rt::newplot();
  // A figure with NextPlot "replace" is cleared and reset first.
  EXPECT_FALSE(rt::gfx::exists(h(made)));
  EXPECT_FALSE(rt::gfx::exists(h(c)));
  EXPECT_NE(h(fresh), h(made));
  EXPECT_EQ(values(rt::get(f, "Color")), (std::vector<double>{0.8, 0.8, 0.8}));
}

TEST_F(Plotting, TightLimitsAreTheDataRangeWithNaNIgnored) {
  const rt::Array ax = axesWith("replacechildren");
  const rt::Array zBefore = rt::get(ax, "ZLim");
  rt::plot(rt::row({1, 2, NAN, 4}), rt::row({-3, NAN, 5, 2}));
  rt::axis(s("tight"));
  EXPECT_EQ(values(rt::get(ax, "XLim")), (std::vector<double>{1, 4}));
  EXPECT_EQ(values(rt::get(ax, "YLim")), (std::vector<double>{-3, 5}));
  EXPECT_EQ(values(rt::get(ax, "ZLim")), values(zBefore));  // no surface: z untouched
  EXPECT_EQ(textOf(rt::get(ax, "XLimMode")), "manual");
  EXPECT_EQ(textOf(rt::get(ax, "YLimMode")), "manual");
  // Manual limits stay when the data change.
  rt::plot(rt::row({10, 20}), rt::row({10, 20}));
  EXPECT_EQ(values(rt::get(ax, "XLim")), (std::vector<double>{1, 4}));
  EXPECT_EQ(errorOf([] { rt::axis(s("sideways")); }), "axis: unknown option \"sideways\".");
}

TEST_F(Plotting, TightLimitsStayUsableForFlatOrMissingData) {
  const rt::Array ax = axesWith("replacechildren");
  auto sane = [&](const char* name, double inside) {
    const std::vector<double> l = values(rt::get(ax, name));
    ASSERT_EQ(l.size(), 2u);
    EXPECT_TRUE(std::isfinite(l[0]) && std::isfinite(l[1])) << name;
    EXPECT_LT(l[0], l[1]) << name;
    if (std::isfinite(inside)) {
      EXPECT_LE(l[0], inside) << name;
      EXPECT_GE(l[1], inside) << name;
    }
  };
  rt::plot(rt::row({1, 2, 3}), rt::row({2, 2, 2}));
  rt::axis(s("tight"));
  sane("YLim", 2);
  rt::plot(rt::row({0, 0}), rt::row({NAN, NAN}));
  rt::axis(s("tight"));
  sane("XLim", 0);
  sane("YLim", NAN);
}

TEST_F(Plotting, AutomaticLimitsFollowTheData) {
  const rt::Array ax = axesWith("replacechildren");
  rt::plot(rt::row({1, 3}), rt::row({-0.5, 7.2}));
  const std::vector<double> x = values(rt::get(ax, "XLim"));
  const std::vector<double> y = values(rt::get(ax, "YLim"));
  EXPECT_LE(x[0], 1);
  EXPECT_GE(x[1], 3);
  EXPECT_LE(y[0], -0.5);
  EXPECT_GE(y[1], 7.2);
  EXPECT_EQ(textOf(rt::get(ax, "XLimMode")), "auto");
  EXPECT_GT(log->count(Event::Changed, h(ax), "XLim"), 0u);
}

TEST_F(Plotting, GridAndView) {
  const rt::Array ax = axesWith("replace");
  rt::grid(s("on"));
  for (const char* g : {"XGrid", "YGrid", "ZGrid"}) EXPECT_EQ(textOf(rt::get(ax, g)), "on");
  rt::grid(ax, s("OFF"));
  EXPECT_EQ(textOf(rt::get(ax, "YGrid")), "off");
  EXPECT_EQ(errorOf([] { rt::grid(s("maybe")); }), "grid: expected \"on\" or \"off\".");

  rt::view(ax, n(3));
  EXPECT_EQ(values(rt::get(ax, "View")), (std::vector<double>{-37.5, 30}));
  rt::view(rt::Array(), n(95), n(-45));
  EXPECT_EQ(values(rt::get(ax, "View")), (std::vector<double>{95, -45}));
  rt::view(n(10), n(20));  // azimuth and elevation for the current axes
  EXPECT_EQ(values(rt::get(ax, "View")), (std::vector<double>{10, 20}));
  rt::view(ax, n(2));
  EXPECT_EQ(values(rt::get(ax, "View")), (std::vector<double>{0, 90}));
  EXPECT_NE(errorOf([&] { rt::view(ax, n(7)); }), "");
}

TEST_F(Plotting, SurfaceTakesItsDataThenPairsWithAnyLeadingPartOfParent) {
  const rt::Array f = rt::figure();
  const rt::Array target = rt::axes({s("Parent"), f});
  const rt::Array other = rt::axes({s("Parent"), f});  // the current axes
  const std::vector<double> z6 = {1, 2, 3, 4, 5, NAN};
  const rt::Array z = rt::matrix(2, 3, z6);
  const rt::Array x = rt::row({10, 20, 30});
  const rt::Array y = rt::matrix(2, 1, std::vector<double>{-1, 1});

  const rt::Array onlyZ = rt::surface(std::vector<rt::Array>{z});
  EXPECT_EQ(rt::gfx::parent(h(onlyZ)), h(other));
  const std::vector<double> c = values(rt::get(onlyZ, "CData"));  // C defaults to Z
  ASSERT_EQ(c.size(), 6u);
  EXPECT_EQ(std::vector<double>(c.begin(), c.begin() + 5),
            std::vector<double>(z6.begin(), z6.begin() + 5));
  EXPECT_TRUE(std::isnan(c[5]));
  EXPECT_EQ(values(rt::get(onlyZ, "XData")), (std::vector<double>{1, 2, 3}));

  for (const char* name : {"parent", "PaReNt", "p", "Par"}) {
    const rt::Array srf =
        rt::surface(std::vector<rt::Array>{x, y, z, rt::times(z, n(2)), s(name), target});
    EXPECT_EQ(rt::gfx::parent(h(srf)), h(target)) << name;
    EXPECT_EQ(rt::get(srf, "CData").re()[1], 4) << name;
  }
  rt::axes(target);
  rt::axis(s("tight"));
  EXPECT_EQ(values(rt::get(target, "XLim")), (std::vector<double>{10, 30}));
  EXPECT_EQ(values(rt::get(target, "ZLim")), (std::vector<double>{1, 5}));

  EXPECT_NE(errorOf([&] { rt::surface(std::vector<rt::Array>{x, y, z, s("parent")}); }), "");
  EXPECT_NE(errorOf([&] { rt::surface(std::vector<rt::Array>{z, s("parents"), target}); }), "");
  EXPECT_EQ(errorOf([&] {
              rt::surface(std::vector<rt::Array>{z, s("Parent"), f});
            }),
            "Bad value for the \"Parent\" property of the \"surface\" object: expected the "
            "handle of an axes.");
  const std::string sizes = errorOf([&] {
    rt::surface(std::vector<rt::Array>{rt::row({1, 2}), y, z});
  });
  EXPECT_NE(sizes.find("do not agree"), std::string::npos) << sizes;
  EXPECT_NE(errorOf([&] { rt::surface(std::vector<rt::Array>{x, y}); }), "");
  EXPECT_NE(errorOf([&] { rt::surface(std::vector<rt::Array>{x, y, z, rt::row({1, 2, 3})}); }), "");
}

TEST_F(Plotting, LabelBypassCallsTheProgramFunctionTheApplicationDataNames) {
  const rt::Array ax = axesWith("replace");
  // A module of the running program is called by name with one output.
  static int calls = 0;
  static const rt::FunctionEntry table[] = {
      {"program_label",
       [](int nargout, std::span<rt::Array> out, std::span<const rt::Array> in) {
         ++calls;
         EXPECT_EQ(nargout, 1);
         EXPECT_EQ(in.size(), 2u);
         out[0] = rt::str("from program");
       },
       -2, 1, nullptr}};
  const rt::MainInfo info{1, table, {}, {}, {}};
  rt::gfx::setMainInfo(&info);
  rt::setappdata(ax, s("BYPASS_xlabel"), s("program_label"));
  EXPECT_EQ(textOf(rt::labelBypass(std::vector<rt::Array>{ax, s("BYPASS_xlabel"), s("T")})),
            "from program");
  EXPECT_EQ(calls, 1);

  rt::setappdata(ax, s("BYPASS_zlabel"), s("no_such_function"));
  EXPECT_EQ(errorOf([&] {
              rt::labelBypass(std::vector<rt::Array>{ax, s("BYPASS_zlabel"), s("T")});
            }),
            "Undefined function \"no_such_function\".");
}

}  // namespace

// Property names, refused values and objects, and the default colour map.
#include <tuple>

#include "platform/graphics/headless.h"

namespace {

using namespace gtest_graphics;

class Properties : public GraphicsTest {};

TEST_F(Properties, NamesMatchWithoutCaseOrByUniqueLeadingPartAndRefusalsLeaveNothing) {
  const rt::Array f = rt::figure();
  const rt::Array c = rt::uicontrol({s("Parent"), f, s("style"), s("SLIDER")});
  EXPECT_EQ(textOf(c, "Style"), "slider");

  rt::set(c, {s("Backg"), rt::row({0.5, 0.25, 1}), s("val"), n(7)});
  EXPECT_EQ(values(rt::get(c, s("bAcKgRoUnDcOlOr"))), (V{0.5, 0.25, 1}));
  EXPECT_EQ(h(rt::get(c, "Value")), 7);

  // A whole name wins over the longer names it starts.
  const rt::Array ax = rt::axes({s("Parent"), f});
  rt::set(ax, {s("xlim"), rt::row({2, 3})});
  EXPECT_EQ(values(rt::get(ax, "XLim")), (V{2, 3}));
  EXPECT_EQ(textOf(ax, "XLimMode"), "manual");
  EXPECT_EQ(errorOf([&] { rt::get(ax, "Col"); }),
            "The property name \"Col\" of the \"axes\" object is ambiguous: it may mean "
            "\"Color\" or \"ColorOrder\".");

  // Refusals name the property and the object type, and leave nothing.
  auto bad = [](const char* name, const char* type, const char* expected) {
    return std::string("Bad value for the \"") + name + "\" property of the \"" + type +
           "\" object: expected " + expected + ".";
  };
  // One row a refused write: object, name/value arguments, message.
  const std::tuple<rt::Array, std::vector<rt::Array>, std::string> cases[] = {
      {f, {s("Color"), rt::row({1, 2, 0})}, bad("Color", "figure", "a colour")},
      {f, {s("Visible"), s("maybe")}, bad("Visible", "figure", "\"on\" or \"off\"")},
      {c, {s("Position"), rt::row({1, 2, 3})}, bad("Position", "uicontrol", "4 finite numbers")},
      {ax, {s("XLim"), rt::row({1, 0})}, bad("XLim", "axes", "two finite increasing numbers")},
      {c, {s("String"), n(4)}, bad("String", "uicontrol", "a string or a cell array of strings")},
      {c, {s("FontSize"), n(0)}, bad("FontSize", "uicontrol", "a positive number")},
      {c, {s("Parent"), ax}, bad("Parent", "uicontrol", "the handle of a figure")},
      {c, {s("Foo"), n(1)}, "There is no \"Foo\" property of the \"uicontrol\" object."},
      {ax, {s("Type"), s("line")}, "The \"Type\" property of the \"axes\" object is read-only."},
      {c, {s("Style")}, "Property names and values must come in pairs."},
      {c, {n(3), n(4)}, "Property names must be strings."},
      {n(99.5), {s("Tag"), s("x")}, "There is no graphics object with handle 99.5."},
  };
  for (const auto& [object, args, message] : cases)
    EXPECT_EQ(errorOf([&] { rt::set(object, args); }), message);
  // The value before the refused write stays.
  EXPECT_EQ(values(rt::get(f, "Color")), (V{0.8, 0.8, 0.8}));

  // A refused creation leaves nothing behind.
  const std::size_t before = rt::liveArrays();
  const std::size_t children = rt::gfx::children(h(f)).size();
  const std::size_t created = log->count(Event::Created);
  EXPECT_NE(errorOf([&] {
              rt::uicontrol(
                  {s("Parent"), f, s("Style"), s("edit"), s("Tag"), s("x"), s("Style"), s("knob")});
            }),
            "");
  EXPECT_NE(errorOf([&] { rt::axes({s("Parent"), f, s("Nonsense"), n(1)}); }), "");
  EXPECT_EQ(rt::gfx::children(h(f)).size(), children);
  EXPECT_EQ(log->count(Event::Created), created);
  EXPECT_EQ(rt::liveArrays(), before);
}

TEST_F(Properties, FigureColormapIsTheSixtyFourStepMap) {
  const rt::Array map = rt::get(rt::figure(), "Colormap");
  ASSERT_EQ(map.rows(), 64u);
  ASSERT_EQ(map.cols(), 3u);
  // The corners of the map's ramps, and two rows halfway up a ramp.
  const std::pair<int, V> rows[] = {{1, {0, 0, 0.5625}}, {8, {0, 0, 1}},      {16, {0, 0.5, 1}},
                                    {24, {0, 1, 1}},     {41, {1, 1, 0}},     {49, {1, 0.5, 0}},
                                    {57, {1, 0, 0}},     {64, {0.5625, 0, 0}}};
  for (const auto& [at, rgb] : rows)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(map.re()[k * 64 + at - 1], rgb[k]) << at;
}

}  // namespace

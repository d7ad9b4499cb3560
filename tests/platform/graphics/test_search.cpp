// Handle visibility, object search, current objects and deletion.
#include <algorithm>
#include <cmath>

#include "platform/graphics/headless.h"

namespace {

using namespace gtest_graphics;

class Search : public GraphicsTest {
 protected:
  // Runs `f` as the body of a callback of object `on`.
  void inCallback(double on, std::function<void()> f) {
    rt::gfx::registerFunction("test_callback_body", [f](std::span<const rt::Array>) {
      f();
      return rt::Array();
    });
    rt::gfx::runCommand(on, s("test_callback_body"));
    rt::gfx::registerFunction("test_callback_body", nullptr);
  }
};

TEST_F(Search, FindobjReachesOnlyVisibleObjectsAndFindByTagTheFirstMadeHiddenOrNot) {
  const rt::Array shown = rt::figure();
  const rt::Array hidden = rt::figure({s("HandleVisibility"), s("off")});
  const rt::Array inCb = rt::figure({s("HandleVisibility"), s("callback")});
  const rt::Array a = rt::uicontrol({s("Parent"), shown, s("Tag"), s("x")});
  const rt::Array b = rt::uicontrol({s("Parent"), shown, s("Tag"), s("x")});
  rt::uicontrol({s("Parent"), shown, s("Tag"), s("x"), s("HandleVisibility"), s("off")});
  // Visible controls below hidden figures are not reached through them.
  rt::uicontrol({s("Parent"), hidden, s("Tag"), s("x")});
  const rt::Array c = rt::uicontrol({s("Parent"), inCb, s("Tag"), s("x")});

  const rt::Array found = rt::findobj({s("Tag"), s("x")});
  EXPECT_EQ(found.rows(), 2u);  // a column, newest first
  EXPECT_EQ(values(found), (V{h(b), h(a)}));
  EXPECT_EQ(values(rt::get(shown, "Children")), (V{h(b), h(a)}));
  EXPECT_EQ(values(rt::get(n(0), "Children")), (V{h(shown)}));
  EXPECT_EQ(rt::gfx::figures(), (V{h(shown), h(hidden), h(inCb)}));
  // Values match without case; objects lacking the property are skipped.
  EXPECT_EQ(rt::findobj({s("style"), s("PushButton")}).numel(), 2u);
  EXPECT_EQ(errorOf([] { rt::findobj({s("Tag")}); }),
            "findobj: property names and values must come in pairs.");

  // "callback" objects count as visible while a callback runs.
  rt::Array during;
  inCallback(h(c), [&] { during = rt::findobj({s("tag"), s("x")}); });
  EXPECT_EQ(during.numel(), 3u);
  EXPECT_EQ(std::count(during.re().begin(), during.re().end(), h(c)), 1);

  // findByTag takes the first created below the object, hidden ones too.
  const rt::Array f = rt::figure();
  const rt::Array panel = rt::axes({s("Parent"), f, s("HandleVisibility"), s("off")});
  const rt::Array first = rt::uicontrol({s("Parent"), f, s("Tag"), s("knob")});
  rt::uicontrol({s("Parent"), f, s("Tag"), s("knob")});
  const rt::Array elsewhere = rt::uicontrol({s("Parent"), rt::figure(), s("Tag"), s("dial")});
  EXPECT_EQ(rt::findByTag(h(f), "knob"), h(first));
  rt::set(panel, {s("Tag"), s("knob")});  // older than the controls, and hidden
  EXPECT_EQ(rt::findByTag(h(f), "knob"), h(panel));
  EXPECT_EQ(rt::findByTag(h(f), "Knob"), std::nullopt);  // tags match exactly
  EXPECT_EQ(rt::findByTag(h(f), "dial"), std::nullopt);  // another figure's
  EXPECT_EQ(rt::findByTag(0, "dial"), h(elsewhere));

  // Showing hidden handles reaches everything.
  rt::set(n(0), {s("ShowHiddenHandles"), s("on")});
  EXPECT_EQ(rt::findobj({s("Tag"), s("x")}).numel(), 5u);
}

TEST_F(Search, DeletingAnObjectDeletesWhatIsBelowItAndCurrentObjectsFollowCreationAndSelection) {
  const std::size_t before = rt::liveArrays();
  const double f = h(rt::figure()), ax = h(rt::axes({}));
  const double line = h(rt::plot(rt::row({1, 2, 3}), rt::row({1, 4, 9})));
  const double c = h(rt::uicontrol({s("Parent"), n(f), s("String"), s("text")}));
  const double title = h(rt::get(n(ax), "Title"));
  rt::setappdata(n(f), s("data"), rt::row({1, 2}));
  rt::gfx::deleteObject(f);
  for (double x : {f, ax, line, c, title}) EXPECT_FALSE(rt::gfx::exists(x));
  // Children are reported before their parents; the figure last.
  V deleted;
  for (const Event& e : log->events)
    if (e.kind == Event::Deleted) deleted.push_back(e.h);
  ASSERT_EQ(deleted.size(), 8u);
  EXPECT_EQ(deleted.back(), f);
  const auto at = [&](double x) { return std::find(deleted.begin(), deleted.end(), x); };
  EXPECT_LT(at(line), at(ax));
  EXPECT_LT(at(title), at(ax));
  EXPECT_EQ(log->count(Event::AllClosed), 1u);
  EXPECT_EQ(rt::liveArrays(), before);

  EXPECT_EQ(errorOf([] { rt::gfx::deleteObject(0); }), "The root object cannot be deleted.");

  // Nothing open again: gca makes a figure and axes.
  const double f0 = rt::gfx::parent(h(rt::gca()));

  const rt::Array f1 = rt::figure();
  const rt::Array a1 = rt::axes({s("Parent"), f1});
  const rt::Array a2 = rt::axes({s("Parent"), f1});
  EXPECT_EQ(h(rt::gca()), h(a2));

  // Creating axes in another figure makes that figure current.
  const rt::Array a0b = rt::axes({s("Parent"), n(f0)});
  EXPECT_EQ(h(rt::gcf()), f0);
  EXPECT_EQ(h(rt::gca()), h(a0b));
  rt::axes(a1);
  EXPECT_EQ(h(rt::gcf()), h(f1));
  EXPECT_EQ(errorOf([&] { rt::axes(n(2)); }), "axes: 2 is not the handle of an axes.");

  // Deleting the current axes or figure falls back on the newest left.
  rt::gfx::deleteObject(h(a1));
  EXPECT_EQ(h(rt::get(f1, "CurrentAxes")), h(a2));
  rt::gfx::deleteObject(h(f1));
  EXPECT_EQ(h(rt::gcf()), f0);
}

// What many open figures cost. A search that names a Tag looks only at the
// objects filed under it: it must find what the walk over every object
// finds, in the same order, whatever changed the tags (writes, resets, root
// defaults, deletion, re-parenting). A surface keeps its data without copies.

using ManyFigures = GraphicsTest;

// "Ta" names the Tag too, but only the full name takes the filed tags: the
// abbreviation is the walk to compare with.
void expectSameAsWalk() {
  for (const char* tag : {"", "a", "b", "axes1", "seen"})
    for (const V& type : {V{}, V{0}}) {
      auto find = [&](const char* name) {
        return values(type.empty() ? rt::findobj({s(name), s(tag)})
                                   : rt::findobj({s("Type"), s("axes"), s(name), s(tag)}));
      };
      EXPECT_EQ(find("Tag"), find("Ta")) << "tag " << tag;
    }
}

TEST_F(ManyFigures, FindsWhatTheWalkFindsInItsOrder) {
  const rt::Array f1 = rt::figure({s("Tag"), s("a")});
  const rt::Array a1 = rt::axes({s("Tag"), s("axes1")});
  rt::plot(rt::row({1, 2}), rt::row({3, 4}));
  const rt::Array f2 = rt::figure({s("HandleVisibility"), s("off"), s("Tag"), s("a")});
  rt::axes({s("Tag"), s("axes1")});
  const rt::Array f3 = rt::figure({s("Tag"), s("b")});
  const rt::Array a3 = rt::axes({s("Tag"), s("axes1")});
  rt::uicontrol({s("Parent"), f3, s("Tag"), s("a")});
  rt::uicontrol({s("Parent"), f1, s("Tag"), s("a")});
  ASSERT_EQ(rt::findobj({s("Tag"), s("a")}).numel(), 3u);
  expectSameAsWalk();
  // Tags written, and put back by a plot that resets its axes.
  rt::set(f3, {s("Tag"), s("seen")});
  rt::set(a1, {s("Tag"), s("b")});
  rt::axes(a3);
  rt::plot(rt::row({1, 2}), rt::row({3, 4}));
  expectSameAsWalk();
  rt::set(rt::scalar(0), {s("defaultAxesTag"), s("seen")});
  rt::axes({});
  rt::set(rt::scalar(0), {s("Tag"), s("seen")});
  expectSameAsWalk();
  // Moved to another figure, hidden, deleted.
  rt::set(a1, {s("Parent"), f3});
  rt::set(f1, {s("HandleVisibility"), s("off")});
  rt::gfx::deleteObject(h(f2));
  expectSameAsWalk();
  rt::set(rt::scalar(0), {s("ShowHiddenHandles"), s("on")});
  expectSameAsWalk();
  EXPECT_EQ(rt::findobj({s("Tag"), s("seen")}).re()[0], 0) << "the root comes first";
}

}  // namespace

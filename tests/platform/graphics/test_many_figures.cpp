// What many open figures cost. A search that names a Tag looks only at the
// objects filed under it: it must find what the walk over every object
// finds, in the same order, whatever changed the tags (writes, resets, root
// defaults, deletion, re-parenting). A surface keeps its data without copies.
#include "platform/graphics/headless.h"

namespace {

using namespace gtest_graphics;
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

TEST_F(ManyFigures, ASurfaceSharesItsDataInsteadOfCopyingThem) {
  rt::figure();
  std::vector<rt::Array> args = {rt::matrix(2, 3, V{1, 2, 3, 4, 5, 6})};
  const double surf = h(rt::surface(args));
  EXPECT_EQ(rt::gfx::prop(surf, "ZData").id(), args[0].id());
  EXPECT_EQ(rt::gfx::prop(surf, "CData").id(), args[0].id()) << "the colour is the height";
  // Complex data are drawn by their real parts: those are a new array.
  args = {rt::complexMatrix(1, 2, V{1, 2}, V{3, 4})};
  EXPECT_EQ(values(rt::gfx::prop(h(rt::surface(args)), "ZData")), (V{1, 2}));
}

}  // namespace

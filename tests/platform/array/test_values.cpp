// Structures and value lifetime.
#include "platform/array/array_test.h"

namespace {

using namespace array_test;

TEST(ArrayValues, StructFieldsKeepCreationOrder) {
  const Array s = rt::struct_({rt::str("zeta"), rt::scalar(1), rt::str("alpha"), rt::str("x"),
                               rt::str("mid"), rt::cellRow({rt::scalar(7)})});
  EXPECT_EQ(s.data().fieldNames, (std::vector<std::string>{"zeta", "alpha", "mid"}));
  EXPECT_EQ(s.field("mid").scalar(), 7.0);  // a 1x1 cell stands for its element

  // Assigning returns a new structure; a replaced field keeps its place.
  const Array t = rt::indexAssign(s, rt::str("alpha"), rt::scalar(2));
  const Array u = rt::indexAssign(t, rt::str("new"), rt::scalar(3));
  EXPECT_EQ(u.data().fieldNames, (std::vector<std::string>{"zeta", "alpha", "mid", "new"}));
  EXPECT_EQ(rt::indexRef(u, ".alpha").scalar(), 2.0);
  EXPECT_EQ(s.field("alpha").text(), "x");
  EXPECT_THROW(rt::struct_({rt::str("a"), rt::scalar(1), rt::str("a"), rt::scalar(2)}), rt::Error);
  const Array nested = rt::struct_({rt::str("a"), rt::struct_({rt::str("b"), rt::scalar(4)})});
  EXPECT_EQ(rt::indexRef(nested, ".a.b").scalar(), 4.0);
  EXPECT_EQ(errorOf([&] { rt::indexRef(nested, ".name"); }),
            "Reference to non-existent field 'name'.");
}

TEST(ArrayValues, LiveCountReturnsToItsStart) {
  const std::size_t start = rt::liveArrays();
  {
    const Array f = rt::linspace(rt::scalar(1), rt::scalar(3), rt::scalar(1000));
    const Array z = rt::rdivide(rt::scalar(1), rt::plus(f, rt::times(rt::complexScalar(0, 1), f)));
    const auto [X, Y] = rt::meshgrid(f, rt::row({1, 2}));
    Array s = rt::indexAssign(Array(), rt::str("z"), z);
    s = rt::indexAssign(s, rt::str("g"), rt::horzcat({X, Y}));
    const Array t = rt::num2str(rt::real(z));
    EXPECT_GT(rt::liveArrays(), start);
    EXPECT_THROW(rt::plus(f, rt::row({1, 2})), rt::Error);
    rt::destroyArray(s);
    EXPECT_TRUE(s.isNull());
  }
  EXPECT_EQ(rt::liveArrays(), start);
}

}  // namespace

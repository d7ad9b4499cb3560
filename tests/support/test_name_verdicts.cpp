// isvarname keeps its verdicts on character rows: a verdict asked again must
// be the one first given, and rows that differ in any way are judged apart.
#include <gtest/gtest.h>

#include <string>

#include "model/model_test.h"
#include "support/iskeyword.h"
#include "support/isvarname.h"

namespace {

using rt::str;

class NameVerdicts : public model_test::ModelTest {
 protected:
  NameVerdicts()
      : ModelTest({{isvarname::initialize, isvarname::terminate},
                   {iskeyword::initialize, iskeyword::terminate}}) {}

  static bool name(const rt::Array& s) {
    rt::Array r = isvarname::call(s);
    EXPECT_TRUE(r.isLogical() && r.isScalar());
    return rt::tobool(r);
  }
};

TEST_F(NameVerdicts, AskedAgainGiveTheFirstVerdict) {
  for (int round = 0; round < 3; ++round) {
    EXPECT_TRUE(name(str("knob1"))) << round;
    EXPECT_FALSE(name(str("1knob"))) << round;
    EXPECT_FALSE(name(str("while"))) << round;
    EXPECT_TRUE(name(str(std::string(63, 'q')))) << round;
    EXPECT_FALSE(name(str(std::string(64, 'q')))) << round;
  }
}

TEST_F(NameVerdicts, RowsOfOtherShapeOrCodesAreJudgedApart) {
  EXPECT_TRUE(name(str("ab")));
  // The same characters as a column or as numbers are no name.
  EXPECT_FALSE(name(rt::initializeCharVector(2, 1, u"ab")));
  EXPECT_FALSE(name(rt::row({97, 98})));
  EXPECT_TRUE(name(str("ab")));
  // A keyword and its capitalised form differ by one code.
  EXPECT_FALSE(name(str("for")));
  EXPECT_TRUE(name(str("For")));
  EXPECT_FALSE(name(str("for")));
}

// More distinct rows than are kept: the store starts afresh and every
// verdict stays right.
TEST_F(NameVerdicts, ManyDistinctRowsStayRight) {
  for (int i = 0; i < 2100; ++i) {
    std::string n = "n" + std::to_string(i);
    ASSERT_TRUE(name(str(n))) << n;
    ASSERT_FALSE(name(str(std::to_string(i) + "n"))) << i;
  }
  EXPECT_TRUE(name(str("n0")));
  EXPECT_FALSE(name(str("0n")));
}

}  // namespace

// Text: num2str, str2double and str2num.
#include <chrono>
#include <cmath>

#include "comma_locale.h"
#include "platform/array/array_test.h"

namespace {

using namespace array_test;

double str2double(std::string_view s) {
  return rt::str2double(rt::str(s)).scalar();
}

TEST(ArrayText, Num2strShowsIntegersWholeAndOthersToFiveDigitsPastTheUnits) {
  const std::pair<double, const char*> cases[] = {{100, "100"},
                                                  {-3, "-3"},
                                                  {-0.0, "0"},
                                                  {0.1, "0.1"},
                                                  {1.8128128, "1.8128"},
                                                  {123.456, "123.456"},
                                                  {12.3456789, "12.3457"},
                                                  {kNaN, "NaN"},
                                                  {-kInf, "-Inf"}};
  for (auto [v, text] : cases) EXPECT_EQ(rt::num2str(rt::scalar(v)).text(), text) << text;
  EXPECT_EQ(rt::num2str(rt::complexScalar(1, -2)).text(), "1-2i");
  EXPECT_EQ(rt::num2str(rt::row({1, 2.5, -3})).text(), "1  2.5  -3");
  EXPECT_EQ(rt::num2str(rt::str("keep")).text(), "keep");
}

// What an edit box shows is read back by the program: the same under a
// locale that writes decimal commas.
TEST(ArrayText, Num2strWritesAPointUnderACommaLocale) {
  TESSIVAR_REQUIRE_COMMA_LOCALE();
  const comma_locale::Scope german;
  EXPECT_EQ(rt::num2str(rt::row({1.8128128, 4.4, 1e20})).text(), "1.8128  4.4  1e+20");
  EXPECT_EQ(str2double("4.4"), 4.4);
}

TEST(ArrayText, Str2doubleAcceptsOneNumberOnly) {
  const std::pair<const char*, double> cases[] = {
      {" 2.5 ", 2.5},  {"-.5E-1", -0.05}, {"+7.", 7.0},
      {"1e999", kInf}, {"-Inf", -kInf},   {"0.000000000000000000000000001e330", 1e303}};
  for (auto [text, v] : cases) EXPECT_EQ(str2double(text), v) << text;
  EXPECT_TRUE(std::signbit(str2double("-0")));
  for (const char* bad : {"", "abc", "NaN", "0x10", "infinity", "1e", "1 2", "1,5", ".", "--1",
                          "1.2.3", "nan(1)", "\u00A01", "٣"})
    EXPECT_TRUE(std::isnan(str2double(bad))) << bad;
  EXPECT_TRUE(std::isnan(rt::str2double(rt::scalar(5)).scalar()));
  EXPECT_TRUE(std::isnan(rt::str2double(rt::initializeCharVector(2, 1, u"12")).scalar()));

  // Long input is read in linear time.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(str2double(std::string(100000, '7').insert(0, "0.")), 0.7777777777777778);
  EXPECT_TRUE(std::isnan(str2double(std::string(100000, 'x'))));
  EXPECT_EQ(str2double(std::string(100000, ' ') + "4"), 4.0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(ArrayText, Str2numReadsNumbersAndNeverCode) {
  auto read = [](std::string_view s) { return values(rt::str2num(rt::str(s))); };
  EXPECT_EQ(read(" 1 2,3 , 4 "), (V{1, 2, 3, 4}));
  EXPECT_EQ(read("[1.5, -2e1]"), (V{1.5, -20}));
  for (const char* code : {"", "1;2", "exit", "quit()", "1+1", "[1 2", "1,,2", ",1", "1,", "[[1]]",
                           "disp('x')", "pi", "system('ls')", "1 two"}) {
    const Array a = rt::str2num(rt::str(code));
    EXPECT_TRUE(a.isNumeric() && a.rows() == 0 && a.cols() == 0) << code;
  }
}

}  // namespace

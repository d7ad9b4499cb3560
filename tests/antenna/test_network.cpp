// The one-port conversions against values from scikit-rf (z2s, s2y,
// complex_2_db) and closed forms, the one reference impedance check, and the
// one number parser and formatter.

#include <cmath>
#include <stdexcept>

#include "antenna/network.h"
#include "antenna/numbers.h"
#include "comma_locale.h"
#include "refusal.h"

namespace {

using antenna::Complex;

TEST(Network, ConversionsAgreeWithScikitRfAndRoundTrip) {
  // z, s and y (real, imaginary), |s| in dB and VSWR against 50 ohm, as
  // scikit-rf gives them.
  const double rows[][8] = {
      {25, 40, -0.03806228373702425, 0.5536332179930797, 0.011235955056179766,
       -0.017977528089887642, -5.11507836111635, 3.4937767924496246},
      {100, -30, 0.358974358974359, -0.1282051282051282, 0.009174311926605503, 0.002752293577981651,
       -8.377369403678877, 2.23196412483911},
  };
  for (const auto& [zr, zi, sr, si, yr, yi, db, vswr] : rows) {
    const Complex z(zr, zi), s(sr, si), y(yr, yi);
    EXPECT_NEAR(std::abs(antenna::sFromZ(z, 50) - s), 0, 1e-15);
    EXPECT_NEAR(std::abs(antenna::yFromS(s, 50) - y), 0, 1e-15);
    EXPECT_NEAR(std::abs(antenna::zFromS(s, 50) - z), 0, 1e-12);
    EXPECT_NEAR(std::abs(antenna::sFromY(y, 50) - s), 0, 1e-14);
    EXPECT_NEAR(antenna::magnitudeDb(s), db, 1e-12);
    EXPECT_NEAR(antenna::returnLossDb(s), -db, 1e-12);
    EXPECT_NEAR(antenna::vswr(s), vswr, 1e-12);
  }
  // A match, a short, an open and a total reflection of any phase.
  EXPECT_EQ(antenna::sFromZ(75, 75), Complex(0));
  EXPECT_EQ(antenna::sFromZ(0, 75), Complex(-1));
  EXPECT_EQ(antenna::sFromY(0, 75), Complex(1));
  EXPECT_EQ(antenna::vswr(Complex(0, 1)), INFINITY);
  EXPECT_EQ(antenna::vswr(0), 1);
}

TEST(Network, OneReferenceImpedanceCheckWithOneWording) {
  EXPECT_EQ(antenna::checkedReferenceImpedance(75), 75);
  EXPECT_EQ(antenna::referenceImpedanceFrom(" 75 "), 75);
  for (double bad : {0.0, -50.0, double(NAN), double(INFINITY)})
    EXPECT_THROW(antenna::checkedReferenceImpedance(bad), std::invalid_argument);
  EXPECT_EQ(refusal::of([] { antenna::referenceImpedanceFrom("abc"); }),
            "Z0 must be a finite positive number of ohms, not \"abc\"");
}

// The toolkit sets the user's locale; a decimal comma there must not reach
// a number the program writes (its files, its boxes) or reads: the checks run
// in the C locale, then in one of decimal commas.
TEST(Numbers, ReadWholeFiniteNumbersAndWriteSignificantDigitsUnderAnyLocale) {
  const auto check = [] {
    for (auto [text, v] : {std::pair{" 3.5\t", 3.5}, {"+2e3", 2000.0}, {"-0.25", -0.25}})
      EXPECT_EQ(antenna::parseNumber(text), v) << text;
    for (const char* bad :
         {"", " ", "+", "+-1", "++1", "1e999", "nan", "inf", "3 mm", "1,5", "0x10"})
      EXPECT_FALSE(antenna::parseNumber(bad)) << bad;
    EXPECT_EQ(antenna::formatNumber(1.8128128, 4, "GHz"), "1.813 GHz");
    EXPECT_EQ(antenna::formatNumber(30, 6), "30");
    EXPECT_EQ(antenna::formatNumber(2.5e-7, 3), "2.5e-07");
    EXPECT_EQ(antenna::formatNumber(0.1, antenna::kExactDigits), "0.10000000000000001");
    EXPECT_EQ(antenna::parseNumber(antenna::formatNumber(1.0 / 3, antenna::kExactDigits)), 1.0 / 3);
  };
  check();
  TESSIVAR_REQUIRE_COMMA_LOCALE();
  const comma_locale::Scope german;
  check();
}

}  // namespace

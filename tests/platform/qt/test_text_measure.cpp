// Text blocks are measured from kept advances: asked again, in any order of
// fonts and texts, a block measures what the font's metrics give.
#include <gtest/gtest.h>

#include <QFontMetricsF>

#include "platform/qt/qt_fixture.h"
#include "platform/qt/render_support.h"

namespace {

using rt::qt::render::textBlockSize;

using TextMeasure = qt_test::QtTest;

TEST_F(TextMeasure, KeptAdvancesMatchTheFontsOwnForEachFontAndText) {
  ASSERT_TRUE(rt::qt::render::textAvailable());
  QFont small, large, bold;
  small.setPixelSize(10);
  large.setPixelSize(23);
  bold.setPixelSize(10);
  bold.setBold(true);
  const QStringList texts = {"0", "-12.5", "Frequency (GHz)", "WWW", "x10^3"};
  for (int round = 0; round < 2; ++round) {
    for (const QFont& f : {small, large, bold}) {
      QFontMetricsF fm(f);
      for (const QString& t : texts) {
        QSizeF size = textBlockSize({t}, f);
        EXPECT_EQ(size.width(), fm.horizontalAdvance(t)) << t.toStdString() << " round " << round;
        EXPECT_EQ(size.height(), fm.lineSpacing());
      }
      // A block is as wide as its widest line.
      EXPECT_EQ(textBlockSize({"0", "Frequency (GHz)", "x"}, f).width(),
                fm.horizontalAdvance("Frequency (GHz)"));
    }
  }
  EXPECT_LT(textBlockSize({"WWW"}, small).width(), textBlockSize({"WWW"}, large).width());
}

}  // namespace

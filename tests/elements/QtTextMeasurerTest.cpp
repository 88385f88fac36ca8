#include "elements/QtTextMeasurer.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>

namespace qrl {
namespace {

class QtTextMeasurerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "elements_qt_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
  }
  TQtTextMeasurer measurer;
};

TEST_F(QtTextMeasurerTest, MapsFacesToTheLiberationFamiliesAtTheCharacterHeight) {
  const QFont courier = ToQFont({"Courier", -13, 0, true, true, true, true});
  EXPECT_EQ(courier.family(), "Liberation Mono");
  EXPECT_EQ(courier.pixelSize(), 13);
  EXPECT_TRUE(courier.bold() && courier.italic() && courier.underline() && courier.strikeOut());
  EXPECT_EQ(QFontInfo(ToQFont({"Times New Roman", -12})).family(), "Liberation Serif");
  EXPECT_EQ(QFontInfo(ToQFont({"MS Sans Serif", -12})).family(), "Liberation Sans");
}

TEST_F(QtTextMeasurerTest, MeasuresWidthsAndWholeLineCells) {
  const TFontSpec mono{"Courier New", -12};
  EXPECT_EQ(measurer.TextWidth(mono, "iiii"), measurer.TextWidth(mono, "MMMM"));
  EXPECT_EQ(measurer.TextWidth(mono, "ab"), 2 * measurer.TextWidth(mono, "a"));
  EXPECT_EQ(measurer.TextWidth(mono, ""), 0);
  const TFontSpec arial{"Arial", -12};
  EXPECT_LT(measurer.TextWidth(arial, "iiii"), measurer.TextWidth(arial, "MMMM"));
  // A line holds ascenders and descenders: more than the character height.
  EXPECT_GT(measurer.LineHeight(arial), 12);
  EXPECT_GT(measurer.LineHeight({"Arial", -24}), measurer.LineHeight(arial));
}

TEST_F(QtTextMeasurerTest, ReadsWindows1252) {
  EXPECT_EQ(FromCp1252("\x80 \xE9\xA0"), QString::fromUtf8("\u20AC \u00E9\u00A0"));
}

}  // namespace
}  // namespace qrl

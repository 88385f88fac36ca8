#include <gtest/gtest.h>

#include "elements/TCKbTekst.h"
#include "elements/TextLayout.h"
#include "support/FixedWidthMeasurer.h"

namespace qrl {
namespace {

// 10 pixels a character: a box of width w holds (w - 2 - bar) / 10 characters.
const test::FixedWidthMeasurer kMeasurer(10, 12);
const TFontSpec kFont{"Arial", -12};

TStrings Reflow(const TStrings& stored, int width, int bar = 0) {
  TStrings lines;
  ReflowLines(SplitParagraphs(stored), lines, kMeasurer, kFont, bar, width);
  return lines;
}

TEST(SplitParagraphs, ClosesAtParagraphEndsAndDropsNothingButEmptyTails) {
  EXPECT_EQ(SplitParagraphs({"a", "b\xA0", "c"}), (TParagraphs{{"a", "b"}, {"c"}}));
  EXPECT_EQ(SplitParagraphs({"\xA0"}), (TParagraphs{{""}}));
  EXPECT_TRUE(SplitParagraphs({}).empty());
}

TEST(ReflowLines, BreaksAtSpacesAndMarksParagraphEnds) {
  // Only the first two words fit into 8 characters.
  EXPECT_EQ(Reflow({"one two six\xA0"}, 82), (TStrings{"one two", "six\xA0"}));
  // Two source lines that fit stay two lines; the second keeps its leading space.
  EXPECT_EQ(Reflow({"one", "two\xA0"}, 82), (TStrings{"one", " two\xA0"}));
  // An empty paragraph is one line holding only the mark.
  EXPECT_EQ(Reflow({"\xA0", "x"}, 82), (TStrings{"\xA0", "x\xA0"}));
  // The bar allowance narrows the line.
  EXPECT_EQ(Reflow({"one two\xA0"}, 82), (TStrings{"one two\xA0"}));
  EXPECT_EQ(Reflow({"one two\xA0"}, 82, 14), (TStrings{"one", "two\xA0"}));
}

TEST(ReflowLines, AWordWiderThanTheBoxStandsAloneUnbroken) {
  EXPECT_EQ(Reflow({"a extraordinary b\xA0"}, 52), (TStrings{"a", "extraordinary", "b\xA0"}));
  // A continuing source line's long word keeps its leading space.
  EXPECT_EQ(Reflow({"a", "extraordinary\xA0"}, 52), (TStrings{"a", " extraordinary\xA0"}));
  // A box too narrow for anything still makes progress, one word a line.
  EXPECT_EQ(Reflow({"ab cd\xA0"}, -5), (TStrings{"ab", "cd\xA0"}));
  EXPECT_EQ(Reflow({"a  b\xA0"}, 12), (TStrings{"a", " b\xA0"}));
}

class MeasureTekstTest : public ::testing::Test {
 protected:
  TElementContext context;
  TCKbTekst text{context};

  bool Windowed(TStrings lines, int height, bool scrollAllowed) {
    text.Lines = std::move(lines);
    text.ScrollAllowed = scrollAllowed;
    auto& o = static_cast<TCKbOccTekst&>(text.AddOccurrence());
    o.SetRect(0, 0, 82, height);
    MeasureTekst(o, kMeasurer);
    return o.Windowed;
  }
};

TEST_F(MeasureTekstTest, AScrollableTextScrollsOnlyWhenTallerThanItsBox) {
  // Three lines of 12 pixels: 36 = 38 - 2 fits exactly.
  EXPECT_FALSE(Windowed({"a\xA0", "b\xA0", "c\xA0"}, 38, true));
  EXPECT_EQ(text.Lines, (TStrings{"a\xA0", "b\xA0", "c\xA0"}));
  EXPECT_TRUE(Windowed({"a\xA0", "b\xA0", "c\xA0"}, 37, true));
}

TEST_F(MeasureTekstTest, TheScrollingReflowLeavesRoomForTheBar) {
  EXPECT_TRUE(Windowed({"one two\xA0", "x\xA0", "y\xA0"}, 30, true));
  EXPECT_EQ(text.Lines, (TStrings{"one", "two\xA0", "x\xA0", "y\xA0"}));
}

TEST_F(MeasureTekstTest, ATextThatMayNotScrollIsReflowedWithoutAllowance) {
  EXPECT_FALSE(Windowed({"one two\xA0", "x\xA0", "y\xA0"}, 10, false));
  EXPECT_EQ(text.Lines, (TStrings{"one two\xA0", "x\xA0", "y\xA0"}));
}

}  // namespace
}  // namespace qrl

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

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

// Characters of different widths (2 to 9 pixels), so that breaks depend on what the line holds;
// counts every character it measures.
class ProportionalMeasurer : public TTextMeasurer {
 public:
  int TextWidth(const TFontSpec&, std::string_view text) const override {
    measured_ += static_cast<std::int64_t>(text.size());
    int width = 0;
    for (const char c : text) width += 2 + static_cast<unsigned char>(c) % 8;
    return width;
  }
  int LineHeight(const TFontSpec&) const override { return 12; }
  std::int64_t Measured() const { return measured_; }

 private:
  mutable std::int64_t measured_ = 0;
};

// The break as the straightforward search finds it: try the whole piece, then every shorter
// prefix ending before a space, longest first.
TStrings ReferenceReflow(const TParagraphs& paragraphs, const TTextMeasurer& measurer, std::int64_t avail) {
  TStrings lines;
  for (const TStrings& paragraph : paragraphs) {
    if (paragraph.empty() || (paragraph.size() == 1 && paragraph.front().empty())) lines.emplace_back();
    for (std::size_t i = 0; i < paragraph.size(); ++i) {
      const std::string piece = i == 0 ? paragraph[i] : " " + paragraph[i];
      std::string_view rest = piece;
      while (!rest.empty()) {
        std::size_t n = rest.size();
        std::size_t lastTried = n;
        while (n > 0 && measurer.TextWidth(kFont, rest.substr(0, n)) > avail) {
          lastTried = n;
          const std::size_t space = rest.rfind(' ', n - 1);
          n = space == std::string_view::npos ? 0 : space;
        }
        if (n == 0) n = lastTried;
        lines.emplace_back(rest.substr(0, n));
        rest.remove_prefix(std::min(rest.size(), n + 1));
      }
    }
    lines.back().push_back(kParagraphEnd);
  }
  return lines;
}

TEST(ReflowLines, BreaksExactlyWhereTheFullSearchDoes) {
  const ProportionalMeasurer measurer;
  std::uint32_t seed = 12345;
  const auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  for (int round = 0; round < 300; ++round) {
    TStrings stored;
    const int lineCount = 1 + static_cast<int>(next() % 4);
    for (int l = 0; l < lineCount; ++l) {
      std::string line;
      const int length = static_cast<int>(next() % 120);
      // Words of 1 to 30 letters, single and double spaces, sometimes a leading space.
      for (int c = 0; c < length; ++c) line.push_back(next() % 6 == 0 ? ' ' : static_cast<char>('a' + next() % 26));
      if (next() % 3 == 0) line.push_back(kParagraphEnd);
      stored.push_back(line);
    }
    const int width = static_cast<int>(next() % 300) - 10;
    const int bar = next() % 2 == 0 ? 0 : kScrollBarAllowance;
    TStrings lines;
    ReflowLines(SplitParagraphs(stored), lines, measurer, kFont, bar, width);
    EXPECT_EQ(lines, ReferenceReflow(SplitParagraphs(stored), measurer, std::max(0, width - 2 - bar)))
        << "round " << round << ", width " << width;
  }
}

TEST(ReflowLines, MeasuresNearlyLinearlyInTheLengthOfTheText) {
  // One line of 1000 words in a narrow box measured ever-shorter prefixes of the whole rest of
  // the line for every output line: hundreds of millions of characters.
  std::string line;
  for (int i = 0; i < 1000; ++i) line += "word" + std::to_string(i % 10) + " ";
  const ProportionalMeasurer measurer;
  TStrings lines;
  ReflowLines(SplitParagraphs({line + "\xA0"}), lines, measurer, kFont, 0, 40);
  EXPECT_GT(lines.size(), 500u);
  EXPECT_LT(measurer.Measured(), 40 * static_cast<std::int64_t>(line.size()));
}

class MeasureTekstTest : public ::testing::Test {
 protected:
  TElementContext context;
  TCKbTekst text{context};

  bool Windowed(TStrings lines, int height, bool scrollAllowed) {
    text.SetLines(std::move(lines));
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

TEST_F(MeasureTekstTest, PlacementsOfOneSizeWrapAlikeAndShareTheirLines) {
  // Each placement re-flowing the one before it gave every continuation line one more leading
  // space per placement, and every placement held a copy of its own.
  text.SetLines({"ab ab ab\xA0"});
  std::vector<TCKbOccTekst*> placements;
  for (int i = 0; i < 5; ++i) {
    auto& o = static_cast<TCKbOccTekst&>(text.AddOccurrence());
    o.SetRect(0, 0, 62, 100);  // six characters a line
    MeasureTekst(o, kMeasurer);
    placements.push_back(&o);
  }
  // The first draws the lines as stored, every later one the re-flow for the one before.
  EXPECT_EQ(placements[0]->Lines, (TStrings{"ab ab ab\xA0"}));
  for (int i = 1; i < 5; ++i) {
    EXPECT_EQ(placements[i]->Lines, (TStrings{"ab ab", "ab\xA0"})) << "placement " << i + 1;
    EXPECT_TRUE(placements[i]->Lines.SharesWith(placements[1]->Lines));
  }
  EXPECT_TRUE(placements[0]->Lines.SharesWith(text.StoredLines));
  EXPECT_EQ(text.Reflows.size(), 1u);
}

}  // namespace
}  // namespace qrl

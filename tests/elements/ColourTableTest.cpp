#include <gtest/gtest.h>

#include "elements/ColourTable.h"

namespace qrl {
namespace {

TEST(AddColour, CreatesTheTableAndCapsRepeatedWeights) {
  TColourTable table;
  AddColour(table, 256, 0xFFFFFF, 32767);
  EXPECT_EQ(table, (TColourTable{{0xFFFFFF, 32767}}));

  TColourTable twice;
  AddColour(twice, 256, 0x123456, 20000);
  AddColour(twice, 256, 0x123456, 20000);
  EXPECT_EQ(twice, (TColourTable{{0x123456, 32767}}));
}

TEST(AddColour, PlacesNewColoursBehindEqualWeightsAndMovesGrownOnesUp) {
  const TColourTable base{{1, 50}, {2, 30}, {3, 30}};
  TColourTable equal = base;
  AddColour(equal, 256, 4, 30);
  EXPECT_EQ(equal, (TColourTable{{1, 50}, {2, 30}, {3, 30}, {4, 30}}));
  TColourTable heavier = base;
  AddColour(heavier, 256, 4, 31);
  EXPECT_EQ(heavier, (TColourTable{{1, 50}, {4, 31}, {2, 30}, {3, 30}}));

  TColourTable grown = base;
  AddColour(grown, 256, 3, 25);  // 55: to the front
  EXPECT_EQ(grown, (TColourTable{{3, 55}, {1, 50}, {2, 30}}));
}

TEST(AddColour, AFullTableTakesOnlyHeavierNewcomersDroppingItsLast) {
  TColourTable table;
  for (int i = 0; i < 256; ++i) AddColour(table, 256, static_cast<TColor>(i), 1000 - i * 3 - 2);
  ASSERT_EQ(table.size(), 256u);
  AddColour(table, 256, 0xABCDEF, table.back().Weight);
  EXPECT_EQ(table.size(), 256u);
  EXPECT_EQ(table.back().Colour, 255u);

  TColourTable small{{1, 9}, {2, 5}};
  AddColour(small, 2, 3, 5);
  EXPECT_EQ(small, (TColourTable{{1, 9}, {2, 5}}));
  AddColour(small, 2, 3, 6);
  EXPECT_EQ(small, (TColourTable{{1, 9}, {3, 6}}));
  AddColour(small, 2, 1, 1);  // a known colour is always updated
  EXPECT_EQ(small, (TColourTable{{1, 10}, {3, 6}}));
}

TEST(MergeColourTable, AddsEveryEntryInOrderSoWeightsAddUp) {
  TColourTable page;
  AddColour(page, 256, 0x000000, 32767);
  const TColourTable picture{{0x0000FF, 300}, {0x00FF00, 200}};
  MergeColourTable(page, 256, picture);
  MergeColourTable(page, 256, picture);
  MergeColourTable(page, 256, {});
  EXPECT_EQ(page, (TColourTable{{0x000000, 32767}, {0x0000FF, 600}, {0x00FF00, 400}}));
}

TDib Picture(const std::vector<std::array<std::uint8_t, 3>>& rgbPixels) {
  TDib dib(static_cast<int>(rgbPixels.size()), 1);
  std::uint8_t* p = dib.ScanLine(0);
  for (const auto& [r, g, b] : rgbPixels) {
    *p++ = b;
    *p++ = g;
    *p++ = r;
  }
  return dib;
}

TEST(BuildColourTable, CountsFifteenBitColoursAndWidensThemBack) {
  EXPECT_EQ(BuildColourTable(Picture({{255, 0, 0}})), (TColourTable{{0x0000FF, 1}}));
  EXPECT_EQ(BuildColourTable(Picture({{8, 0, 0}, {15, 0, 0}})), (TColourTable{{0x000008, 2}}));
  // Equal counts keep the order of the 15-bit index (red lowest, blue highest).
  const auto table = BuildColourTable(Picture({{0, 0, 255}, {255, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}}));
  EXPECT_EQ(table, (TColourTable{{0x0000FF, 2}, {0xFF0000, 2}, {0x00FF00, 1}}));
}

TEST(BuildColourTable, KeepsTheMostFrequentColoursOfALargePicture) {
  TDib dib(300, 300);
  for (int y = 0; y < 300; ++y) {
    std::uint8_t* p = dib.ScanLine(y);
    for (int x = 0; x < 300; ++x, p += 3) {
      p[0] = static_cast<std::uint8_t>(x * 8 / 10);  // 30 blues of 15 bits, ten pixels each per row
      p[1] = static_cast<std::uint8_t>(y < 150 ? 0 : 8);
    }
  }
  const auto table = BuildColourTable(dib);
  EXPECT_EQ(table.size(), 60u);  // 30 blues x 2 greens
  EXPECT_EQ(table.front().Weight, 150u * 10u);
}

TEST(ColourHelpers, DistanceTableSizeAndPalette) {
  EXPECT_EQ(ColourDistance(10, 20, 30, 40, 25, 0), 30);
  EXPECT_EQ(ColourTableSize(24, 0), 0);
  EXPECT_EQ(ColourTableSize(8, 0), 1024);
  EXPECT_EQ(ColourTableSize(8, 16), 64);
  EXPECT_EQ(ColourTableSize(4, 0), 64);
  EXPECT_EQ(ColourTableSize(1, 0), 8);
  EXPECT_EQ(CreatePaletteFromTable({{0x332211, 5}, {0xFF, 1}}),
            (std::vector<TPaletteEntry>{{0x11, 0x22, 0x33, 0}, {0xFF, 0, 0, 0}}));
  EXPECT_TRUE(CreatePaletteFromTable({}).empty());
}

std::array<std::uint8_t, 3> RgbAt(const TDib& dib, int x) {
  const std::uint8_t* p = dib.ScanLine(0) + 3 * x;
  return {p[2], p[1], p[0]};
}

TEST(MakeKeyedCopy, SnapsNearKeyColoursAndThoseNearTheFarthestSeenSoFar) {
  using Rgb = std::array<std::uint8_t, 3>;
  const TDib picture = Picture({{230, 230, 230}, {200, 200, 200}, {215, 215, 215}, {200, 200, 200}, {10, 20, 30}});
  const TDib keyed = MakeKeyedCopy(picture, 0xFFFFFF, 40);
  EXPECT_EQ(RgbAt(keyed, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(RgbAt(keyed, 1), (Rgb{200, 200, 200}));  // the reference is 230 then: 30 away
  EXPECT_EQ(RgbAt(keyed, 2), (Rgb{255, 255, 255}));
  EXPECT_EQ(RgbAt(keyed, 3), (Rgb{255, 255, 255}));  // now within 20 of 215
  EXPECT_EQ(RgbAt(keyed, 4), (Rgb{10, 20, 30}));
  EXPECT_EQ(RgbAt(picture, 0), (Rgb{230, 230, 230}));  // the original is untouched

  // The key is written exactly, red in the low byte of the colour.
  const TDib red = MakeKeyedCopy(Picture({{250, 5, 5}}), 0x0000FF, 40);
  EXPECT_EQ(RgbAt(red, 0), (Rgb{255, 0, 0}));
}

}  // namespace
}  // namespace qrl

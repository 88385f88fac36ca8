#include <gtest/gtest.h>

#include <set>

#include "render/PagePalette.h"
#include "render/RenderPage.h"
#include "render/RenderTestSupport.h"
#include "render/TScreenDepth.h"

namespace qrl::test {
namespace {

TFlyerDesc ColourfulFlyer() {
  TDib picture = BlockPicture(64, 48, Rgb(0, 0, 0));
  for (int y = 0; y < 48; ++y)  // a smooth ramp: far more than 256 colours
    for (int x = 0; x < 64; ++x) {
      std::uint8_t* p = picture.ScanLine(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(x * 4);
      p[1] = static_cast<std::uint8_t>(y * 5);
      p[2] = static_cast<std::uint8_t>(255 - x * 4);
    }
  return FlyerOf(160, 100,
                 {Picture(1, picture, {Placed(0, 0, 64, 48), Placed(70, 0, 64, 48)}),
                  Text(2, {"Palette"}, 0x03, {Placed(10, 60, 100, 30)}, Rgb(200, 10, 10), Rgb(250, 250, 200))},
                 {Page(Rgb(0, 90, 0), {Ref(1, 2)}), Page(Rgb(20, 40, 60), {Ref(1), Ref(2)})});
}

TEST(PagePalette, EightBitPagesAreDrawnThroughTheirOwnPalette) {
  TLoadedFlyer flyer(ColourfulFlyer(), 8);
  const QImage page = RenderPage(*flyer, 1);
  const TPlayerPage& page1 = *flyer->Pages[1];
  ASSERT_EQ(page1.Palette.size(), 256u);
  // The page colour first, at top weight; the text's colours follow it at the same weight.
  EXPECT_EQ(page1.PaletteEntries[0], (TColourEntry{Rgb(20, 40, 60), 32767}));
  EXPECT_EQ(page1.PaletteEntries[1], (TColourEntry{Rgb(200, 10, 10), 32767}));
  EXPECT_EQ(page1.PaletteEntries[2], (TColourEntry{Rgb(250, 250, 200), 32767}));

  std::set<QRgb> palette;
  for (const TPaletteEntry& e : page1.Palette) palette.insert(qRgb(e.Red, e.Green, e.Blue));
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) ASSERT_TRUE(palette.count(page.pixel(x, y))) << x << ", " << y;
  EXPECT_EQ(page.pixel(150, 50), ToRgb(Rgb(20, 40, 60)));

  // Built once per page and kept.
  const auto entries = page1.PaletteEntries;
  RenderPage(*flyer, 1);
  EXPECT_EQ(flyer->Pages[1]->PaletteEntries, entries);
}

TEST(PagePalette, DeeperScreensBuildNone) {
  TLoadedFlyer flyer(ColourfulFlyer(), 24);
  RenderPage(*flyer, 1);
  EXPECT_TRUE(flyer->Pages[1]->Palette.empty());
  EXPECT_TRUE(flyer->Pages[1]->PaletteEntries.empty());
}

TEST(ScreenDepth, TheEnvironmentForcesADepth) {
  EnsureGuiApplication();
  ::setenv(TScreenDepth::kVariable, "8", 1);
  EXPECT_EQ(TScreenDepth::BitsPerPixel(), 8);
  for (const char* ignored : {"", "0", "33", "8bit", "-8"}) {
    ::setenv(TScreenDepth::kVariable, ignored, 1);
    EXPECT_EQ(TScreenDepth::Forced(), std::nullopt) << ignored;
  }
  ::unsetenv(TScreenDepth::kVariable);
  EXPECT_EQ(TScreenDepth::Forced(), std::nullopt);
  EXPECT_GT(TScreenDepth::BitsPerPixel(), 8);
}

}  // namespace
}  // namespace qrl::test

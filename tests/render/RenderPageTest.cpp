#include <gtest/gtest.h>

#include "elements/ColourTable.h"
#include "format/QuireleafException.h"
#include "render/FlyerScale.h"
#include "render/PaintImage.h"
#include "render/RenderPage.h"
#include "render/RenderTestSupport.h"

namespace qrl::test {
namespace {

constexpr TColor kMagenta = Rgb(255, 0, 255);
constexpr TColor kOrange = Rgb(255, 128, 0);

// Background page: picture 1 opaque, reaching over the top-left corner. Page 1: backdrop 4 tiled under picture 2 opaque
// and picture 3 keyed on magenta, over a click area that draws nothing. Page 2: picture 3 keyed over the page colour.
TFlyerDesc GoldenFlyer() {
  const TDib a = BlockPicture(30, 20, Rgb(0, 0, 200), {{8, 4, 14, 12, Rgb(0, 220, 0)}});
  const TDib b = BlockPicture(40, 30, Rgb(230, 230, 0), {{10, 8, 20, 14, Rgb(200, 0, 0)}});
  const TDib c = BlockPicture(50, 40, kMagenta, {{8, 8, 16, 24, Rgb(0, 0, 120)}, {30, 4, 14, 30, Rgb(0, 200, 200)}});
  const TDib d = BlockPicture(40, 30, Rgb(90, 90, 90), {{0, 0, 20, 15, Rgb(160, 160, 160)}});
  return FlyerOf(160, 100,
                 {Picture(1, a, {Placed(-10, -5, 30, 20)}), Picture(2, b, {Placed(20, 15, 40, 30)}),
                  Picture(3, c, {Keyed(50, 40, 50, 40, kMagenta)}), Picture(4, d, {Backdrop(40, 30)}),
                  ClickArea(5, {Placed(0, 0, 160, 100)})},
                 {Page(Rgb(255, 255, 255), {Ref(1)}), Page(Rgb(0, 0, 0), {Ref(5), Ref(4), Ref(2), Ref(3)}),
                  Page(kOrange, {Ref(3)})});
}

void CopyPicture(QImage& page, const QImage& picture, int left, int top) {
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (page.valid(left + x, top + y)) page.setPixel(left + x, top + y, picture.pixel(x, y));
}

// The keyed picture as the keyed copy holds it: a hole where it is the key.
void CopyKeyed(QImage& page, TFlyer& flyer, std::uint16_t id, int left, int top, int scale = 1) {
  const TDib keyed =
      MakeKeyedCopy(static_cast<const TCKbImage&>(*flyer.FindElement(id)->Control).Bitmap, kMagenta, kKeyTolerance);
  for (int y = 0; y < keyed.Height() * scale; ++y)
    for (int x = 0; x < keyed.Width() * scale; ++x) {
      const QRgb pixel = PixelOf(keyed, x / scale, y / scale);
      if (pixel != ToRgb(kMagenta)) page.setPixel(left + x, top + y, pixel);
    }
}

class RenderPageTest : public ::testing::Test {
 protected:
  TLoadedFlyer flyer{GoldenFlyer()};
};

TEST_F(RenderPageTest, DrawsColourTilesBackgroundAndPagePlacementsInOrderExactly) {
  QImage expected(160, 100, QImage::Format_RGB32);
  const QImage tile = DecodedPicture(*flyer, 4);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 160; ++x) expected.setPixel(x, y, tile.pixel(x % 40, y % 30));
  CopyPicture(expected, DecodedPicture(*flyer, 1), -10, -5);
  CopyPicture(expected, DecodedPicture(*flyer, 2), 20, 15);
  CopyKeyed(expected, *flyer, 3, 50, 40);
  const QImage page1 = RenderPage(*flyer, 1);
  EXPECT_EQ(page1.size(), QSize(160, 100));
  EXPECT_TRUE(SameInside(page1, expected));

  // The same keyed picture over the page colour: the holes show the colour and nothing else.
  expected.fill(ToRgb(kOrange));
  CopyPicture(expected, DecodedPicture(*flyer, 1), -10, -5);
  CopyKeyed(expected, *flyer, 3, 50, 40);
  EXPECT_TRUE(SameInside(RenderPage(*flyer, 2), expected));

  // The background page alone.
  expected.fill(ToRgb(Rgb(255, 255, 255)));
  CopyPicture(expected, DecodedPicture(*flyer, 1), -10, -5);
  EXPECT_TRUE(SameInside(RenderPage(*flyer, 0), expected));
}

TEST_F(RenderPageTest, ScaledAreasRescaleEveryPlacementAndKeepHolesExact) {
  const QImage atOwnSize = RenderPage(*flyer, 2);
  SetFlyerArea(*flyer, 320, AreaHeightForWidth(*flyer, 320));
  EXPECT_EQ(flyer->AreaHeight, 200);
  const auto& keyed = OccurrenceOf<TCKbOccImage>(*flyer, 3);
  EXPECT_EQ(QRect(keyed.Left, keyed.Top, keyed.Width, keyed.Height), QRect(100, 80, 100, 80));
  EXPECT_EQ(OccurrenceOf<TCKbOccImage>(*flyer, 4).Width, 80);

  QImage expected(320, 200, QImage::Format_RGB32);
  expected.fill(ToRgb(kOrange));
  CopyKeyed(expected, *flyer, 3, 100, 80, 2);
  const QImage page2 = RenderPage(*flyer, 2);
  EXPECT_TRUE(SameInside(page2, expected, QRect(100, 80, 100, 80)));
  // Opaque pictures are stretched smoothly; inside a block their colour is kept.
  EXPECT_EQ(page2.pixel(-20 + 2 * 15, -10 + 2 * 10), DecodedPicture(*flyer, 1).pixel(15, 10));

  // Tiles of twice the size, below every picture.
  const QImage tile = DecodedPicture(*flyer, 4);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 320; ++x) expected.setPixel(x, y, tile.pixel(x / 2 % 40, y / 2 % 30));
  EXPECT_TRUE(SameInside(RenderPage(*flyer, 1), expected, QRect(0, 160, 320, 40)));

  // Scales start from the stored rectangles, and masks follow the size.
  SetFlyerArea(*flyer, 160, 100);
  EXPECT_TRUE(SameInside(RenderPage(*flyer, 2), atOwnSize));
}

TEST(RenderPage, BackdropsTileFromTheCornerAndEmptyOnesAreSkipped) {
  const TDib big = BlockPicture(200, 150, Rgb(10, 20, 200), {{100, 60, 50, 30, Rgb(240, 240, 240)}});
  const TDib small = BlockPicture(10, 10, Rgb(0, 0, 0));
  TLoadedFlyer flyer(FlyerOf(160, 100, {Picture(1, big, {Backdrop(200, 150)}), Picture(2, small, {Backdrop(0, 10)})},
                             {Page(0, {}), Page(kOrange, {Ref(1)}), Page(kOrange, {Ref(2)})}));
  EXPECT_TRUE(SameInside(RenderPage(*flyer, 1), DecodedPicture(*flyer, 1).copy(0, 0, 160, 100)));
  QImage orange(160, 100, QImage::Format_RGB32);
  orange.fill(ToRgb(kOrange));
  EXPECT_TRUE(SameInside(RenderPage(*flyer, 2), orange));
}

TEST_F(RenderPageTest, RefusesPagesAreasAndPicturesItCannotDraw) {
  EXPECT_THROW(RenderPage(*flyer, 3), EOutOfRange);
  EXPECT_THROW(RenderPage(*flyer, -1), EOutOfRange);
  const auto codeOf = [this] {
    try {
      RenderPage(*flyer, 1);
    } catch (const EQuireleafDebugger& e) {
      return e.HelpContext();
    }
    return 0;
  };
  flyer->AreaWidth = 0;
  EXPECT_EQ(codeOf(), ecInvalidDC);
  flyer->AreaWidth = 100000;
  flyer->AreaHeight = 100000;
  EXPECT_EQ(codeOf(), ecOutOfMemory);

  flyer->AreaWidth = 160;
  flyer->AreaHeight = 100;
  auto& image = static_cast<TCKbImage&>(*flyer->FindElement(2)->Control);
  image.Bitmap = TDib();
  try {
    RenderPage(*flyer, 1);
    ADD_FAILURE() << "a picture without bitmap was drawn";
  } catch (const EQuireleafException& e) {
    EXPECT_STREQ(e.what(), "Bitmap undefined.");
  }
}

TEST(FlyerArea, HeightFollowsTheAspectRatioWithHalvesRoundedUp) {
  TLoadedFlyer flyer(FlyerOf(640, 340, {}, {Page(0, {})}));
  EXPECT_EQ(AreaHeightForWidth(*flyer, 640), 340);
  EXPECT_EQ(AreaHeightForWidth(*flyer, 656), 349);  // 348.5
  EXPECT_EQ(AreaHeightForWidth(*flyer, 1), 1);
  flyer->FlyerWidth = 0;
  EXPECT_EQ(AreaHeightForWidth(*flyer, 640), 0);
}

}  // namespace
}  // namespace qrl::test

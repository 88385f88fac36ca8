#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "render/RenderPage.h"
#include "render/RenderTestSupport.h"

namespace qrl::test {
namespace {

TFlyerDesc ThreePictureFlyer() {
  std::vector<TElementDesc> elements;
  std::vector<TPageDesc> pages{Page(0, {})};
  for (std::uint16_t id = 1; id <= 3; ++id) {
    const TDib picture = BlockPicture(60, 40, Rgb(40 * id, 0, 0), {{10, 10, 20, 20, Rgb(0, 50 * id, 255)}});
    elements.push_back(Picture(id, picture, {Placed(5, 5, 60, 40)}));
    pages.push_back(Page(Rgb(255, 255, 255), {Ref(id)}));
  }
  return FlyerOf(100, 60, std::move(elements), std::move(pages));
}

const TCKbImage& ImageOf(TFlyer& flyer, std::uint16_t id) {
  return static_cast<const TCKbImage&>(*flyer.FindElement(id)->Control);
}

TEST(SwapScheme, LowMemorySwapsOutPicturesOfOtherPagesAndReadsThemBack) {
  TLoadedFlyer flyer(ThreePictureFlyer());
  const QImage page1 = RenderPage(*flyer, 1);
  const QImage page2 = RenderPage(*flyer, 2);
  EXPECT_TRUE(flyer->TempFiles().Files().empty()) << "ample memory swaps nothing";

  flyer->Context().SwapThreshold = std::numeric_limits<std::int64_t>::max();
  EXPECT_TRUE(SameInside(RenderPage(*flyer, 1), page1));
  for (const std::uint16_t id : {2, 3}) {
    const TCKbImage& out = ImageOf(*flyer, id);
    EXPECT_TRUE(out.OnDisk && !out.InMemory && out.Bitmap.Empty()) << id;
    EXPECT_EQ(std::filesystem::file_size(out.SwapFileName), 40u + 180u * 40u);
  }
  EXPECT_TRUE(ImageOf(*flyer, 1).InMemory);

  EXPECT_TRUE(SameInside(RenderPage(*flyer, 2), page2)) << "read back from its swap file";
  EXPECT_TRUE(ImageOf(*flyer, 2).InMemory);
  EXPECT_TRUE(ImageOf(*flyer, 1).OnDisk && !ImageOf(*flyer, 1).InMemory);
  EXPECT_TRUE(SameInside(RenderPage(*flyer, 1), page1));

  const std::vector<std::string> swapFiles = flyer->TempFiles().Files();
  ASSERT_EQ(swapFiles.size(), 3u);
  flyer->Unload();
  for (const auto& file : swapFiles) EXPECT_FALSE(std::filesystem::exists(file)) << file;
}

}  // namespace
}  // namespace qrl::test

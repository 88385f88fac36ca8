#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>

#include "document/FlyerTestSupport.h"
#include "document/TFlyerWriter.h"
#include "elements/TCKbImage.h"
#include "elements/TCKbTekst.h"
#include "fif/FifEncoder.h"
#include "support/JpegFile.h"

namespace qrl::test {
namespace {

TPageRefDesc Ref(std::uint16_t element) { return {element, 1, 0}; }

class PictureLoadingTest : public ::testing::Test {
 protected:
  // Four placeholders, read in the order 4, 2, 3, 1 by the pages.
  std::string PlaceholderFlyer() {
    const std::string path = dir_.File("placeholders.qrl");
    WriteFlyerFile(MakeFlyer({Info("Pictures"), Placeholder(1), Placeholder(2), Placeholder(3), Placeholder(4),
                              Page({Ref(4)}), Page({Ref(2), Ref(3)}), Page({Ref(1)})}),
                   path);
    return path;
  }
  TempDir dir_;
  TempDir pictures_;
};

TEST_F(PictureLoadingTest, PlaceholdersTakePicturesFromTheLastBackwards) {
  WriteJpeg(pictures_.File("a.jpg"), 1, 1);
  WriteJpeg(pictures_.File("b.jpg"), 2, 1);
  WriteJpeg(pictures_.File("c.jpg"), 3, 1);
  WriteAll(pictures_.File("notes.txt"), {'x'});
  std::filesystem::create_directory(pictures_.File("folder.jpg"));
  LoadedFlyer loaded;
  loaded.PlaceholderFolder = pictures_.Path().string();
  loaded.Load(PlaceholderFlyer());
  TFlyer& flyer = *loaded.Flyer;
  const auto pictureWidth = [&](std::uint16_t id) {
    const TSaveRec& entry = *flyer.FindElement(id);
    EXPECT_EQ(entry.Kind, entry.Control->Kind());
    return entry.Kind == kindImage ? static_cast<TCKbImage&>(*entry.Control).Bitmap.Width() : 0;
  };
  EXPECT_EQ(pictureWidth(4), 3);  // c.jpg
  EXPECT_EQ(pictureWidth(2), 2);  // b.jpg
  EXPECT_EQ(pictureWidth(3), 1);  // a.jpg
  EXPECT_EQ(flyer.FindElement(1)->Kind, kindText);
  // The placements were read as placements of the picture.
  EXPECT_EQ(flyer.Pages[1]->DrawList.front(), flyer.FindElement(2)->Control->Occurrence(1));
  EXPECT_EQ(flyer.Pages[1]->DrawList.front()->Width, 100);
}

TEST_F(PictureLoadingTest, PlaceholdersStayTextWithoutUsablePictures) {
  {
    LoadedFlyer loaded;  // no folder named
    loaded.Load(PlaceholderFlyer());
    EXPECT_EQ(loaded.Flyer->FindElement(4)->Kind, kindText);
  }
  {
    WriteAll(pictures_.File("broken.jpg"), {0xFF, 0xD8, 0x00, 0x01, 0x02});
    LoadedFlyer loaded;
    loaded.PlaceholderFolder = pictures_.Path().string();
    loaded.Load(PlaceholderFlyer());
    EXPECT_EQ(loaded.Flyer->FindElement(4)->Kind, kindText);
    EXPECT_TRUE(static_cast<TCKbTekst&>(*loaded.Flyer->FindElement(4)->Control).Lines.empty());
    EXPECT_EQ(loaded.Flyer->FindElement(2)->Kind, kindText);  // the picture is used up
  }
}

TEST_F(PictureLoadingTest, PicturesAreDecodedOnceAtTheLargestPlacement) {
  TDib picture(16, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16 * 3; ++x) picture.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 5 + y * 20);
  TElementDesc image;
  image.Kind = ekImage;
  image.Id = 1;
  image.PictureData = EncodeFif(picture);
  image.Occurrences = {At(0, 0, 100, 80), At(0, 0, 300, 50)};
  image.Occurrences[0].Layout = 1;
  image.Occurrences[1].ImageFlags = 1;
  image.Occurrences[1].KeyColour = 0x00FF00;
  const std::string path = dir_.File("picture.qrl");
  WriteFlyerFile(MakeFlyer({Info("FIF"), image, Page({}), Page({Ref(1), {1, 2, 0}})}), path);

  LoadedFlyer loaded;
  loaded.Load(path);
  auto& element = static_cast<TCKbImage&>(*loaded.Flyer->FindElement(1)->Control);
  EXPECT_TRUE(element.Decoded);
  EXPECT_EQ(element.Bitmap.Width(), 300);
  EXPECT_EQ(element.Bitmap.Height(), 80);
  auto& keyed = static_cast<TCKbOccImage&>(*element.Occurrence(2));
  EXPECT_TRUE(keyed.Transparent);
  EXPECT_EQ(keyed.KeyColour, 0x00FF00u);
  EXPECT_EQ(element.Occurrence(1)->DesignHeight, 80);
}

}  // namespace
}  // namespace qrl::test

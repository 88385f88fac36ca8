#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <jpeglib.h>

#include "elements/TCKbImage.h"
#include "elements/ElementTestSupport.h"
#include "format/QuireleafException.h"
#include "support/JpegFile.h"

namespace qrl {
namespace {

using test::TBlockReader;
using test::TElementEnvironment;
using test::WriteBlocks;
using test::WritePlacement;
using test::WriteJpeg;

const std::vector<std::uint8_t> kPicture{'F', 'I', 'F', 0, 1, 2, 3};

test::TPayload ImagePayload(std::int16_t compression) {
  return [compression](TQLStream& s) {
    s.WriteSmallInt(compression);
    s.Write(kPicture.data(), static_cast<std::int64_t>(kPicture.size()));
  };
}

int ErrorCodeOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EQuireleafDebugger& e) {
    return e.HelpContext();
  }
  return 0;
}

TEST(ImageElement, ReadsPlacementsOfBothLayoutsAndDecodesAtTheLargestSize) {
  TElementEnvironment env;
  const auto path = WriteBlocks(env.Dir, 120,
                                {{bcElement, ImagePayload(1)},
                                 {bcOccurrence,
                                  [](TQLStream& s) {  // layout 1: flags, key colour, placement
                                    s.WriteSmallInt(0x0001);
                                    s.WriteColor(0x00FF8040);
                                    WritePlacement(s, 10, 20, 100, 80);
                                  }},
                                 {bcOccurrenceExt, [](TQLStream& s) {  // layout 2: placement, flags
                                    WritePlacement(s, 1, 2, 300, 50);
                                    s.WriteSmallInt(0x0004);
                                  }}});
  TBlockReader reader(path);
  TCKbImage image(env.Context);
  reader.LoadElement(image);
  EXPECT_EQ(image.Kind(), 1);
  EXPECT_EQ(image.Data, kPicture);
  EXPECT_EQ(image.DataSize, 7);
  EXPECT_FALSE(image.InMemory || image.OnDisk || image.Decoded);

  auto& first = static_cast<TCKbOccImage&>(reader.LoadOccurrence(image));
  EXPECT_TRUE(first.Transparent);
  EXPECT_FALSE(first.Background);
  EXPECT_EQ(first.KeyColour, 0x00FF8040u);
  EXPECT_EQ(first.DesignLeft, 10);
  EXPECT_EQ(first.Top, 20);
  EXPECT_EQ(first.Width, 100);

  auto& second = static_cast<TCKbOccImage&>(reader.LoadOccurrence(image));
  EXPECT_FALSE(second.Transparent);
  EXPECT_TRUE(second.Background);
  EXPECT_EQ(second.Left, 1);
  EXPECT_EQ(second.Height, 50);

  EXPECT_EQ(image.PictureWidth, 300);
  EXPECT_EQ(image.PictureHeight, 80);
}

TEST(ImageElement, RefusesOtherCompressionsAndFixedPartsBeyondTheBlock) {
  for (const std::int16_t compression : {0, 2}) {
    TElementEnvironment env;
    TBlockReader reader(WriteBlocks(env.Dir, 120, {{bcElement, ImagePayload(compression)}}));
    TCKbImage image(env.Context);
    EXPECT_EQ(ErrorCodeOf([&] { reader.LoadElement(image); }), ecInvalidImageCompression) << compression;
  }
  TElementEnvironment env;
  TBlockReader reader(WriteBlocks(env.Dir, 120, {{bcElementExt, [](TQLStream& s) {
                                                   s.WriteSmallInt(500);  // fixed part longer than the block
                                                   s.WriteSmallInt(1);
                                                 }}}));
  TCKbImage image(env.Context);
  EXPECT_EQ(ErrorCodeOf([&] { reader.LoadElement(image); }), ecBlockEdgeExceeded);
}

TEST(ImageElement, SkipsUnknownFixedFieldsOfAnExtendedBlock) {
  TElementEnvironment env;
  TBlockReader reader(WriteBlocks(env.Dir, 120, {{bcElementExt, [](TQLStream& s) {
                                                   s.WriteSmallInt(5);  // compression + 3 newer bytes
                                                   s.WriteSmallInt(1);
                                                   s.Write("new", 3);
                                                   s.Write(kPicture.data(), 7);
                                                 }}}));
  TCKbImage image(env.Context);
  reader.LoadElement(image);
  EXPECT_EQ(image.Data, kPicture);
}

// A decoded picture of the given size with distinct pixels, standing in for the decoder's output.
void GiveBitmap(TCKbImage& image, int width, int height) {
  image.Bitmap = TDib(width, height);
  for (std::size_t i = TDib::kHeaderSize; i < image.Bitmap.Bytes().size(); ++i)
    image.Bitmap.Bytes()[i] = static_cast<std::uint8_t>(i * 31 + width);
  image.PictureWidth = width;
  image.PictureHeight = height;
  image.Decoded = true;
  image.InMemory = true;
}

std::size_t FilesIn(const test::TempDir& dir) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) ++n;
  return n;
}

TEST(ImageSwapping, AmpleMemoryOnlyQueuesLowMemorySwapsOutOldestFirstAndReadsBack) {
  TElementEnvironment env;
  std::int64_t available = 10'000'000;
  env.Context.AvailableMemory = [&] { return available; };
  env.Context.SwapThreshold = 1'000'000;
  TCKbImage a(env.Context), b(env.Context), c(env.Context);
  GiveBitmap(a, 5, 3);
  GiveBitmap(b, 4, 4);
  GiveBitmap(c, 7, 2);
  const auto aBytes = a.Bitmap.Bytes();
  const auto cBytes = c.Bitmap.Bytes();

  c.Release(true);  // to disk now
  EXPECT_TRUE(c.OnDisk);
  EXPECT_FALSE(c.InMemory);
  EXPECT_TRUE(c.Bitmap.Empty());
  EXPECT_TRUE(std::filesystem::exists(c.SwapFileName));

  a.Release(false);
  b.Release(false);
  a.Release(false);  // appended again, not looked up
  EXPECT_EQ(env.Context.SwapCandidates, (TSwapCandidates{&a, &b, &a}));
  c.Ensure();  // memory ample: nothing else moves
  EXPECT_TRUE(a.InMemory && b.InMemory);
  EXPECT_EQ(c.Bitmap.Bytes(), cBytes);

  // Memory becomes ample once one picture has gone: only the oldest goes.
  c.Release(true);
  available = 0;
  int calls = 0;
  env.Context.AvailableMemory = [&] { return calls++ == 0 ? 0 : 10'000'000; };
  c.Ensure();
  EXPECT_FALSE(a.InMemory);
  EXPECT_TRUE(a.OnDisk);
  EXPECT_TRUE(b.InMemory);
  EXPECT_EQ(env.Context.SwapCandidates, (TSwapCandidates{&b, &a}));

  // An element first in the list takes itself out before any swapping.
  env.Context.AvailableMemory = [] { return 0; };
  b.Ensure();
  EXPECT_TRUE(b.InMemory);
  EXPECT_EQ(env.Context.SwapCandidates, (TSwapCandidates{&a}));

  a.Ensure();
  EXPECT_EQ(a.Bitmap.Bytes(), aBytes);
  // Already on disk: a forced release frees without writing a second file.
  const std::size_t files = env.TempFiles.Files().size();
  a.Release(true);
  EXPECT_EQ(env.TempFiles.Files().size(), files);
  EXPECT_TRUE(a.Bitmap.Empty());

  EXPECT_EQ(FilesIn(env.Dir), 2u);  // the swap files of a and c, in the flyer's temporary folder
  env.TempFiles.DeleteAllTempFiles();
  EXPECT_EQ(FilesIn(env.Dir), 0u);
}

TEST(ImageSwapping, PicturesBeyondTheFlyersBudgetGoToDiskAsTheyAreReleased) {
  // Without a budget every picture decoded while pages are built stayed in memory, whatever
  // the flyer held.
  TElementEnvironment env;
  env.Context.AvailableMemory = [] { return std::int64_t{1} << 40; };
  TCKbImage a(env.Context), b(env.Context), c(env.Context);
  for (TCKbImage* image : {&a, &b, &c}) GiveBitmap(*image, 100, 50);
  const auto one = static_cast<std::int64_t>(a.Bitmap.Bytes().size());
  env.Context.PictureBudget = 2 * one;

  a.Release(false);
  b.Release(false);
  EXPECT_TRUE(a.InMemory && b.InMemory);
  c.Release(false);
  EXPECT_FALSE(a.InMemory);
  EXPECT_TRUE(a.OnDisk);
  EXPECT_TRUE(b.InMemory && c.InMemory);
  EXPECT_EQ(env.Context.ResidentPictureBytes, 2 * one);
  EXPECT_EQ(env.Context.SwapCandidates, (TSwapCandidates{&b, &c}));

  a.Ensure();
  a.Release(false);
  EXPECT_TRUE(a.InMemory);
  EXPECT_FALSE(b.InMemory);
  EXPECT_EQ(env.Context.ResidentPictureBytes, 2 * one);
  // A destroyed element leaves the count.
  env.Context.PictureBudget = 10 * one;
  {
    TCKbImage gone(env.Context);
    GiveBitmap(gone, 10, 10);
    gone.Release(false);
  }
  EXPECT_EQ(env.Context.ResidentPictureBytes, 2 * one);
}

TEST(ImageElement, DecodesNoLargerThanWhatTheCanvasCanShow) {
  TElementEnvironment env;
  env.Context.CanvasWidth = 640;
  env.Context.CanvasHeight = 340;
  env.Context.ScreenMetrics.horzRes = 1280;  // the canvas can be shown at most twice its size
  env.Context.ScreenMetrics.vertRes = 1024;
  const auto decodingSize = [&env](std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    TBlockReader reader(WriteBlocks(env.Dir, 120,
                                    {{bcElement, ImagePayload(1)}, {bcOccurrenceExt, [=](TQLStream& s) {
                                                                      WritePlacement(s, left, top, width, height);
                                                                      s.WriteSmallInt(0);
                                                                    }}}));
    TCKbImage image(env.Context);
    reader.LoadElement(image);
    reader.LoadOccurrence(image);
    return std::make_pair(image.PictureWidth, image.PictureHeight);
  };
  // A picture on the canvas keeps its placement's size.
  EXPECT_EQ(decodingSize(10, 10, 300, 200), std::make_pair(300, 200));
  // A placement of 5792 x 5792 pixels shows at most the canvas, twice enlarged.
  EXPECT_EQ(decodingSize(0, 0, 5792, 5792), std::make_pair(1280, 680));
  EXPECT_EQ(decodingSize(600, -100, 400, 400), std::make_pair(80, 400));
  // Nothing of it on the canvas, or no size at all: one pixel, never the picture's own size.
  EXPECT_EQ(decodingSize(-500, 700, 100, 100), std::make_pair(1, 1));
  EXPECT_EQ(decodingSize(0, 0, 0, -3), std::make_pair(1, 1));
}

TEST(ImageSwapping, ADamagedSwapFileIsRefusedAndAnElementLeavesTheListWhenDestroyed) {
  TElementEnvironment env;
  TCKbImage a(env.Context);
  GiveBitmap(a, 6, 6);
  a.Release(true);
  std::filesystem::resize_file(a.SwapFileName, 50);
  try {
    a.Ensure();
    FAIL() << "a damaged swap file was read back";
  } catch (const EFileError& e) {
    EXPECT_NE(std::string(e.what()).find("damaged"), std::string::npos);
  }
  EXPECT_FALSE(a.InMemory);

  {
    TCKbImage b(env.Context);
    GiveBitmap(b, 2, 2);
    b.Release(false);
    b.Release(false);
  }
  EXPECT_TRUE(env.Context.SwapCandidates.empty());
}

TEST(ImageElement, APictureFileIsDecodedAtOnceAndSwapsToARealSwapFile) {
  TElementEnvironment env;
  const auto jpeg = env.Dir.File("picture.jpg");
  WriteJpeg(jpeg, 12, 9);
  TCKbImage image(env.Context);
  image.LoadFromJpegFile(jpeg);
  EXPECT_TRUE(image.IsJpeg && image.Decoded && image.InMemory);
  EXPECT_TRUE(image.Data.empty());
  EXPECT_EQ(image.PictureWidth, 12);
  EXPECT_EQ(image.PictureHeight, 9);

  // Its placements read no flags; layout 2 still has the placement, which leaves the size alone.
  const auto path = WriteBlocks(env.Dir, 120, {{bcOccurrenceExt, [](TQLStream& s) { WritePlacement(s, 4, 5, 40, 30); }}});
  TBlockReader reader(path);
  auto& o = static_cast<TCKbOccImage&>(reader.LoadOccurrence(image));
  EXPECT_EQ(o.Width, 40);
  EXPECT_FALSE(o.Transparent);
  EXPECT_EQ(image.PictureWidth, 12);

  const auto decoded = image.Bitmap.Bytes();
  image.Release(true);
  EXPECT_NE(image.SwapFileName, jpeg);
  image.Ensure();
  EXPECT_EQ(image.Bitmap.Bytes(), decoded);

  test::WriteAll(jpeg, {0xFF, 0xD8, 0x00});
  TCKbImage broken(env.Context);
  EXPECT_THROW(broken.LoadFromJpegFile(jpeg), EInvalidGraphic);
}

TEST(ImageElement, BuildsItsColourTableOnlyOnEightBitScreens) {
  TElementEnvironment env;
  TCKbImage deep(env.Context);
  GiveBitmap(deep, 2, 2);
  deep.Decoded = false;
  deep.Prepare();
  EXPECT_TRUE(deep.Palette.empty());

  env.Context.ScreenBitsPerPixel = 8;
  TCKbImage shallow(env.Context);
  GiveBitmap(shallow, 2, 2);
  shallow.Decoded = false;
  shallow.Prepare();
  EXPECT_FALSE(shallow.Palette.empty());
}

TEST(ImageElement, RescaleDropsTheCachedMasks) {
  TElementEnvironment env;
  TCKbImage image(env.Context);
  auto& o = static_cast<TCKbOccImage&>(image.AddOccurrence());
  o.MaskCache = std::make_shared<int>(1);
  o.Rescale(2);
  EXPECT_EQ(o.MaskCache, nullptr);
}

}  // namespace
}  // namespace qrl

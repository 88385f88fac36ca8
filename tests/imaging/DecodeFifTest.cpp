#include "imaging/DecodeFif.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "format/QuireleafException.h"
#include "imaging/FakeFif.h"

namespace qrl {
namespace {

const std::uint8_t kData[] = {0x46, 0x49, 0x46, 0x21, 1, 2, 3};

// Binds the fake library through the variable the glue reads, and scripts it per test.
class DecodeFifTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("QRL_FIF_LIBRARY", QRL_FAKE_FIF_LIBRARY, 1);
    Script({});
  }
  void TearDown() override { ::unsetenv("QRL_FIF_LIBRARY"); }

  static void Script(const TFakeFifScript& s) { FakeFifSetScript(&s); }
  static std::string Calls() { return FakeFifRecord()->calls; }

  static TDib Decode(int width, int height, const TScreenMetrics& screen = {}) {
    return DecodeFif(kData, sizeof kData, width, height, screen);
  }

  // Expects DecodeFif to fail with a coded error, and returns the calls the library saw.
  static std::string ExpectCoded(int width, int height, const std::string& message, int code) {
    try {
      Decode(width, height);
      ADD_FAILURE() << "no error raised";
    } catch (const EQuireleafDebugger& e) {
      EXPECT_EQ(e.what(), message);
      EXPECT_EQ(e.HelpContext(), code);
    }
    return Calls();
  }
};

TEST_F(DecodeFifTest, DecodesAtRequestedSizeInCallOrderWithPaddedRows) {
  const TDib dib = Decode(5, 3);
  EXPECT_EQ(Calls(), "Open SetFIFBuffer SetOutputResolution SetOutputFormat DecompressToBuffer ClearFIFBuffer Close ");
  const TFakeFifRecord& r = *FakeFifRecord();
  EXPECT_EQ(r.dataLength, static_cast<std::int32_t>(sizeof kData));
  EXPECT_EQ(r.firstDataByte, 0x46);
  EXPECT_EQ(r.closedHandle, r.openedHandle);
  const std::int32_t format[5] = {3, 2, 1, 4, 1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(r.format[i], format[i]);

  // Width 5: 15 pixel bytes padded to a stride of 16.
  EXPECT_EQ(r.stride, 16);
  ASSERT_EQ(dib.Bytes().size(), 40u + 16 * 3);
  const auto& b = dib.Bytes();
  EXPECT_EQ(b[0], 40);
  EXPECT_EQ(dib.Width(), 5);
  EXPECT_EQ(dib.Height(), 3);
  EXPECT_EQ(b[12], 1);
  EXPECT_EQ(b[14], 24);
  for (int i = 16; i < 24; ++i) EXPECT_EQ(b[i], 0) << "compression / image size at " << i;
  EXPECT_EQ(b[32], 0);

  // The library's first row is the bottom of the picture.
  EXPECT_EQ(dib.ScanLine(2)[0], 0);
  EXPECT_EQ(dib.ScanLine(0)[0], 2);
  EXPECT_EQ(dib.ScanLine(0)[3 * 4 + 1], 4);
  EXPECT_EQ(dib.ScanLine(0)[3 * 4 + 2], 0x80);

  EXPECT_EQ(Decode(1, 1).Bytes().size(), 44u);  // 3 bytes padded to 4
  EXPECT_EQ(FakeFifRecord()->stride, 4);
}

TEST_F(DecodeFifTest, ZeroSizeAsksForThePicturesOwnSize) {
  TFakeFifScript s;
  s.ownWidth = 320;
  s.ownHeight = 200;
  Script(s);
  const TDib dib = Decode(0, 0);
  EXPECT_EQ(Calls(),
            "Open SetFIFBuffer GetOriginalResolution SetOutputResolution SetOutputFormat DecompressToBuffer "
            "ClearFIFBuffer Close ");
  EXPECT_EQ(dib.Width(), 320);
  EXPECT_EQ(dib.Height(), 200);
  EXPECT_EQ(FakeFifRecord()->stride, 960);
  EXPECT_EQ(dib.Bytes().size(), 40u + 960 * 200);

  // One zero side is enough to take the own size for both.
  EXPECT_EQ(Decode(300, 0).Width(), 320);
}

TEST_F(DecodeFifTest, PhysicalSizeIsConvertedWhenThereIsNoPixelSize) {
  TFakeFifScript s;
  s.physicalWidth = 3;
  s.physicalHeight = 2;
  s.unit = '"';
  Script(s);
  TDib dib = Decode(0, 0);
  EXPECT_NE(Calls().find("GetOriginalResolution GetPhysicalDimensions SetOutputResolution"), std::string::npos);
  EXPECT_EQ(dib.Width(), 288);
  EXPECT_EQ(dib.Height(), 192);

  s.exponent = -1;  // 28.8 x 19.2
  Script(s);
  dib = Decode(0, 0);
  EXPECT_EQ(dib.Width(), 29);
  EXPECT_EQ(dib.Height(), 19);

  // Micrometres: 254 mm x 143 mm at 1920 x 1080 pixels over 508 x 286 mm.
  s.unit = 'm';
  s.physicalWidth = 254000;
  s.physicalHeight = 143000;
  s.exponent = 0;
  Script(s);
  dib = Decode(0, 0);
  EXPECT_EQ(dib.Width(), 960);
  EXPECT_EQ(dib.Height(), 540);
}

TEST(PhysicalToPixels, RoundsEachExponentStepHalfToEven) {
  const TScreenMetrics screen;
  auto convert = [&](int w, int h, int unit, int exponent) {
    PhysicalToPixels(w, h, unit, exponent, screen);
    return std::to_string(w) + "x" + std::to_string(h);
  };
  EXPECT_EQ(convert(25, 35, 0, -1), "2x4");
  EXPECT_EQ(convert(250, 350, 0, -2), "2x4");   // 25 -> 2.5 -> 2, 35 -> 3.5 -> 4
  EXPECT_EQ(convert(-25, 15, 0, -1), "-2x2");
  EXPECT_EQ(convert(7, 3, 0, 2), "700x300");
  EXPECT_EQ(convert(7, 3, 'x', 0), "7x3");      // unknown units stay as they are
  EXPECT_EQ(convert(1, 1, '"', -1), "10x10");   // 9.6
  EXPECT_EQ(convert(1, 1, '"', -3), "0x0");     // 9.6 -> 10 -> 1 -> 0.1
  // Hostile exponents end quickly and cannot overflow.
  EXPECT_EQ(convert(5, 5, 0, -2000000000), "0x0");
  EXPECT_EQ(convert(5, 5, 0, 2000000000), "2147483647x2147483647");
  EXPECT_EQ(convert(2000000000, 2000000000, '"', 0), "2147483647x2147483647");

  TScreenMetrics unknownSize;
  unknownSize.horzSizeMm = 0;
  unknownSize.vertSizeMm = 0;
  int w = 254000, h = 127000;
  PhysicalToPixels(w, h, 'm', 0, unknownSize);  // taken at 96 dots per inch
  EXPECT_EQ(w, 960);
  EXPECT_EQ(h, 480);
  // The unit is converted before the exponent is applied: 2.54 mm rounds to 10 pixels first.
  w = 2540;
  h = 2540;
  PhysicalToPixels(w, h, 'm', 2, TScreenMetrics{});
  EXPECT_EQ(w, 1000);
}

TEST_F(DecodeFifTest, LibraryStatusesBecomeCodedErrors) {
  TFakeFifScript s;
  s.setBufferStatus = 5;
  Script(s);
  EXPECT_EQ(ExpectCoded(10, 10, "FIF Error : 5", 4603), "Open SetFIFBuffer Close ");

  s.setBufferStatus = -7;
  Script(s);
  ExpectCoded(10, 10, "FIF Error : -7", 4615);

  s = {};
  s.decompressStatus = 9;
  Script(s);
  EXPECT_EQ(ExpectCoded(10, 10, "FIF Error : 9", 4599),
            "Open SetFIFBuffer SetOutputResolution SetOutputFormat DecompressToBuffer Close ");

  s = {};
  s.clearStatus = 3;
  Script(s);
  EXPECT_EQ(ExpectCoded(10, 10, "FIF Error : 3", 4605).substr(0, 4), "Open");
  EXPECT_EQ(FakeFifRecord()->closedHandle, FakeFifRecord()->openedHandle);

  // A decompressor that could not be opened is not closed.
  s = {};
  s.openStatus = 1;
  Script(s);
  EXPECT_EQ(ExpectCoded(10, 10, "FIF Error : 1", 4607), "Open ");
}

TEST_F(DecodeFifTest, FailingCloseIsReportedInsteadOfTheEarlierError) {
  TFakeFifScript s;
  s.setResolutionStatus = 5;
  s.closeStatus = 11;
  Script(s);
  EXPECT_EQ(ExpectCoded(10, 10, "FIF Error : 11", 4597), "Open SetFIFBuffer SetOutputResolution Close ");

  s.setResolutionStatus = 0;  // and after a good decode, too
  Script(s);
  ExpectCoded(10, 10, "FIF Error : 11", 4597);
}

TEST_F(DecodeFifTest, CancelledStatusRaisesCancelled) {
  TFakeFifScript s;
  s.setFormatStatus = -2;
  Script(s);
  try {
    Decode(10, 10);
    FAIL() << "no error raised";
  } catch (const EQuireleafCancelled& e) {
    EXPECT_STREQ(e.what(), "Save process was cancelled.");
  }
  EXPECT_EQ(Calls(), "Open SetFIFBuffer SetOutputResolution SetOutputFormat Close ");
}

TEST_F(DecodeFifTest, SizesBeyondTheCapAreRefusedBeforeAllocation) {
  // No own size and no physical size: nothing to decode at.
  ExpectCoded(0, 0, "Out of memory.", 12288);
  EXPECT_NE(Calls().find("GetPhysicalDimensions SetOutputResolution SetOutputFormat Close"), std::string::npos);
  ExpectCoded(100000, 100000, "Out of memory.", 12288);
  ExpectCoded(-4, 3, "Out of memory.", 12288);
  ExpectCoded(400000000, 1, "Out of memory.", 12288);  // one row beyond the cap

  TFakeFifScript s;
  s.physicalWidth = 5;
  s.physicalHeight = 5;
  s.exponent = 12;
  Script(s);
  ExpectCoded(0, 0, "Out of memory.", 12288);
}

}  // namespace
}  // namespace qrl

// The shared decoder library as the player binds it: opened with dlopen, its seventeen entry
// points looked up by name and driven in the order of a decode.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "fif/FifApi.h"
#include "fif/FifDecoder.h"
#include "fif/FifEncoder.h"
#include "fif/FifStatus.h"
#include "fif/FifTestPictures.h"

namespace qrl {
namespace {

class FifExports : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = dlopen(QRL_BINARY_DIR "/bin/" QRL_FIF_LIBRARY_NAME, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
    Bind(open_, "OpenDecompressor");
    Bind(setBuffer_, "SetFIFBuffer");
    Bind(original_, "GetOriginalResolution");
    Bind(physical_, "GetPhysicalDimensions");
    Bind(outputSize_, "SetOutputResolution");
    Bind(outputFormat_, "SetOutputFormat");
    Bind(decompress_, "DecompressToBuffer");
    Bind(clear_, "ClearFIFBuffer");
    Bind(close_, "CloseDecompressor");
    Bind(progressive_, "StartProgressiveDecompression");
    for (const char* name : {"SetColorTableFormat", "SetOutputColorTable", "GetOutputColorTable",
                             "SetProgressiveFIFBuffer", "SetProgressiveStep", "ProgressiveDecompress",
                             "EndProgressiveDecompression"})
      EXPECT_NE(dlsym(library_, name), nullptr) << name;
  }
  void TearDown() override {
    if (library_) dlclose(library_);
  }

  template <class F>
  void Bind(F*& function, const char* name) {
    function = reinterpret_cast<F*>(dlsym(library_, name));
    ASSERT_NE(function, nullptr) << name;
  }

  void* library_ = nullptr;
  decltype(&OpenDecompressor) open_ = nullptr;
  decltype(&SetFIFBuffer) setBuffer_ = nullptr;
  decltype(&GetOriginalResolution) original_ = nullptr;
  decltype(&GetPhysicalDimensions) physical_ = nullptr;
  decltype(&SetOutputResolution) outputSize_ = nullptr;
  decltype(&SetOutputFormat) outputFormat_ = nullptr;
  decltype(&DecompressToBuffer) decompress_ = nullptr;
  decltype(&ClearFIFBuffer) clear_ = nullptr;
  decltype(&CloseDecompressor) close_ = nullptr;
  decltype(&StartProgressiveDecompression) progressive_ = nullptr;
};

TEST_F(FifExports, DecodesLikeTheDecoderClass) {
  TFifEncodeOptions options;
  options.physicalSize = TFifPhysicalSize{3, 2, '"', -1};
  const std::vector<std::uint8_t> fif = EncodeFif(test::SyntheticPicture(40, 30), options);

  std::uint32_t handle = 0;
  ASSERT_EQ(open_(&handle), 0);
  ASSERT_EQ(setBuffer_(handle, fif.data(), static_cast<std::int32_t>(fif.size())), 0);
  std::int32_t w = -1, h = -1, reserved = -1, unit = -1, exponent = -1;
  EXPECT_EQ(original_(handle, &w, &h, &reserved), 0);
  EXPECT_EQ(w, 40);
  EXPECT_EQ(h, 30);
  EXPECT_EQ(reserved, 0);
  EXPECT_EQ(physical_(handle, &w, &h, &unit, &exponent), 0);
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(unit, '"');
  EXPECT_EQ(exponent, -1);

  EXPECT_EQ(outputFormat_(handle, 3, 2, 1, 4, 1), 0);
  EXPECT_EQ(outputFormat_(handle, 4, 2, 1, 4, 1), fsBadOutputFormat);
  EXPECT_EQ(outputSize_(handle, 0, 10), fsBadOutputSize);
  EXPECT_EQ(outputSize_(handle, kFifMaxOutputSide + 1, 10), fsBadOutputSize);
  ASSERT_EQ(outputSize_(handle, 5, 7), 0);
  const int stride = TDib::StrideOf(5);
  EXPECT_EQ(stride, 16);
  std::vector<std::uint8_t> block(static_cast<std::size_t>(stride) * 7, 0xEE);
  EXPECT_EQ(decompress_(handle, block.data(), 0, 0, 0, 0, stride), 0);
  const TDib expected = TFifDecoder(fif).Render(5, 7);
  for (int row = 0; row < 7; ++row)  // the padding byte of each row is the caller's
    EXPECT_EQ(std::memcmp(block.data() + row * stride, expected.Pixels() + row * stride, 15), 0) << row;
  EXPECT_EQ(decompress_(handle, block.data(), 0, 0, 0, 0, 14), fsBadArgument);  // stride under 3 x 5

  EXPECT_EQ(clear_(handle), 0);
  EXPECT_EQ(decompress_(handle, block.data(), 0, 0, 0, 0, stride), fsNoData);
  EXPECT_EQ(progressive_(handle), fsNotSupported);
  EXPECT_EQ(close_(handle), 0);
  EXPECT_EQ(close_(handle), fsBadHandle);
  EXPECT_EQ(setBuffer_(handle, fif.data(), 1), fsBadHandle);
}

TEST_F(FifExports, DecompressorsAreIndependent) {
  const std::vector<std::uint8_t> a = EncodeFif(test::SyntheticPicture(12, 9));
  const std::vector<std::uint8_t> b = EncodeFif(test::SyntheticPicture(30, 4, true));
  std::uint32_t ha = 0, hb = 0;
  ASSERT_EQ(open_(&ha), 0);
  ASSERT_EQ(open_(&hb), 0);
  EXPECT_NE(ha, hb);
  ASSERT_EQ(setBuffer_(ha, a.data(), static_cast<std::int32_t>(a.size())), 0);
  ASSERT_EQ(setBuffer_(hb, b.data(), static_cast<std::int32_t>(b.size())), 0);
  std::int32_t w = 0, h = 0;
  ASSERT_EQ(original_(ha, &w, &h, nullptr), 0);
  EXPECT_EQ(w * 1000 + h, 12009);
  ASSERT_EQ(original_(hb, &w, &h, nullptr), 0);
  EXPECT_EQ(w * 1000 + h, 30004);
  // Without SetOutputResolution the picture's own size is produced.
  std::vector<std::uint8_t> block(static_cast<std::size_t>(TDib::StrideOf(30)) * 4);
  EXPECT_EQ(decompress_(hb, block.data(), 0, 0, 0, 0, TDib::StrideOf(30)), 0);

  // A closed handle's slot is reused with a new handle; the old one stays dead.
  ASSERT_EQ(close_(ha), 0);
  std::uint32_t hc = 0;
  ASSERT_EQ(open_(&hc), 0);
  EXPECT_NE(hc, ha);
  EXPECT_EQ(original_(ha, &w, &h, nullptr), fsBadHandle);
  EXPECT_EQ(close_(hb), 0);
  EXPECT_EQ(close_(hc), 0);
  EXPECT_EQ(close_(12345), fsBadHandle);
}

TEST_F(FifExports, BadInputGivesStatuses) {
  std::uint32_t handle = 0;
  EXPECT_EQ(open_(nullptr), fsBadArgument);
  ASSERT_EQ(open_(&handle), 0);
  const std::uint8_t junk[] = {'Q', 'F', 'I', 'F', kFifVersion, 0, 75, 1, 0, 0, 0};
  EXPECT_EQ(setBuffer_(handle, junk, sizeof junk), fsDamaged);
  EXPECT_EQ(setBuffer_(handle, junk, 3), fsNotFif);
  EXPECT_EQ(setBuffer_(handle, nullptr, 5), fsBadArgument);
  EXPECT_EQ(setBuffer_(handle, junk, -1), fsBadArgument);
  std::int32_t w = 7, h = 7;
  EXPECT_EQ(original_(handle, &w, &h, nullptr), fsNoData);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  std::uint8_t pixel[4];
  EXPECT_EQ(decompress_(handle, pixel, 0, 0, 0, 0, 4), fsNoData);
  EXPECT_EQ(close_(handle), 0);
}

}  // namespace
}  // namespace qrl

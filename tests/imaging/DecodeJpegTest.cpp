#include "imaging/DecodeJpeg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "format/QuireleafException.h"

namespace qrl {
namespace {

struct TJpegOptions {
  J_COLOR_SPACE space = JCS_RGB;  // of the pixels given
  bool progressive = false;
  bool adobeMarker = true;  // for CMYK
  bool markers = false;     // a comment and an Exif-like application marker
  std::vector<jpeg_scan_info> scans;
};

// Compresses interleaved pixels (3 bytes per pixel for RGB, 1 for grey, 4 for CMYK), top row first.
std::vector<std::uint8_t> MakeJpeg(int width, int height, const std::vector<std::uint8_t>& pixels,
                                   const TJpegOptions& options = {}) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.in_color_space = options.space;
  cinfo.input_components = options.space == JCS_GRAYSCALE ? 1 : options.space == JCS_CMYK ? 4 : 3;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  for (int c = 0; c < cinfo.num_components; ++c) cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  if (options.space == JCS_CMYK) cinfo.write_Adobe_marker = options.adobeMarker;
  if (options.progressive) jpeg_simple_progression(&cinfo);
  if (!options.scans.empty()) {
    cinfo.scan_info = options.scans.data();
    cinfo.num_scans = static_cast<int>(options.scans.size());
  }
  jpeg_start_compress(&cinfo, TRUE);
  if (options.markers) {
    const char comment[] = "made for a test";
    jpeg_write_marker(&cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(comment), sizeof comment - 1);
    const char exif[] = "Exif\0\0MM\0*\0\0\0\x08\0\0";
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif), sizeof exif - 1);
  }
  const int rowBytes = width * cinfo.input_components;
  while (cinfo.next_scanline < cinfo.image_height) {
    auto* row = const_cast<JSAMPLE*>(pixels.data() + static_cast<std::size_t>(cinfo.next_scanline) * rowBytes);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<std::uint8_t> file(buffer, buffer + size);
  std::free(buffer);
  return file;
}

// A picture of one colour per half: `top` above, `bottom` below (RGB triplets).
std::vector<std::uint8_t> Halves(int width, int height, std::array<std::uint8_t, 3> top,
                                 std::array<std::uint8_t, 3> bottom) {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.insert(pixels.end(), (y < height / 2 ? top : bottom).begin(), (y < height / 2 ? top : bottom).end());
  return pixels;
}

// Expects pixel (x, y from the top) to be near blue, green, red.
void ExpectBgr(const TDib& dib, int x, int y, int b, int g, int r, int tolerance = 3) {
  const std::uint8_t* p = dib.ScanLine(y) + 3 * x;
  EXPECT_NEAR(p[0], b, tolerance) << "blue at " << x << "," << y;
  EXPECT_NEAR(p[1], g, tolerance) << "green at " << x << "," << y;
  EXPECT_NEAR(p[2], r, tolerance) << "red at " << x << "," << y;
}

TDib Decode(const std::vector<std::uint8_t>& file) { return DecodeJpeg(file.data(), file.size()); }

std::string ErrorOf(const std::vector<std::uint8_t>& file) {
  try {
    Decode(file);
  } catch (const EJPEG& e) {
    return e.what();
  }
  return "no error";
}

TEST(DecodeJpeg, HeaderAndStrideFollowTheOutputSize) {
  const TDib small = Decode(MakeJpeg(3, 2, std::vector<std::uint8_t>(18, 200)));
  const auto& b = small.Bytes();
  ASSERT_EQ(b.size(), 64u);  // 40 + stride 12 x 2 rows
  EXPECT_EQ(b[0], 40);
  EXPECT_EQ(small.Width(), 3);
  EXPECT_EQ(small.Height(), 2);
  EXPECT_EQ(b[12], 1);
  EXPECT_EQ(b[14], 24);
  for (int i = 16; i < 40; ++i) EXPECT_EQ(b[i], 0) << "header byte " << i;

  const TDib row = Decode(MakeJpeg(4, 1, std::vector<std::uint8_t>(12, 50)));
  EXPECT_EQ(row.Stride(), 12);
  EXPECT_EQ(row.Bytes().size(), 52u);
}

TEST(DecodeJpeg, RowsAreBottomUpBlueGreenRed) {
  // Top half orange (red 255, green 128, blue 0), bottom half teal.
  const TDib dib = Decode(MakeJpeg(16, 16, Halves(16, 16, {255, 128, 0}, {0, 128, 160})));
  ExpectBgr(dib, 3, 2, 0, 128, 255);
  ExpectBgr(dib, 12, 13, 160, 128, 0);
  // The first stored row is the bottom of the picture.
  EXPECT_NEAR(dib.Pixels()[0], 160, 3);
}

TEST(DecodeJpeg, GreyAndProgressiveAndMarkedFilesDecodeAlike) {
  std::vector<std::uint8_t> grey(8 * 8, 90);
  for (int i = 0; i < 32; ++i) grey[static_cast<std::size_t>(i)] = 210;
  TJpegOptions greyOptions;
  greyOptions.space = JCS_GRAYSCALE;
  const TDib g = Decode(MakeJpeg(8, 8, grey, greyOptions));
  EXPECT_EQ(g.Bytes().size(), 40u + 24 * 8);
  ExpectBgr(g, 1, 1, 210, 210, 210);
  ExpectBgr(g, 6, 6, 90, 90, 90);

  const auto pixels = Halves(24, 20, {10, 200, 90}, {240, 240, 30});
  const TDib plain = Decode(MakeJpeg(24, 20, pixels));
  TJpegOptions progressive;
  progressive.progressive = true;
  const TDib prog = Decode(MakeJpeg(24, 20, pixels, progressive));
  TJpegOptions marked;
  marked.markers = true;
  const auto markedFile = MakeJpeg(24, 20, pixels, marked);
  ASSERT_NE(std::string(markedFile.begin(), markedFile.end()).find("made for a test"), std::string::npos);
  const TDib withMarkers = Decode(markedFile);
  EXPECT_EQ(withMarkers.Bytes(), plain.Bytes());
  ASSERT_EQ(prog.Bytes().size(), plain.Bytes().size());
  ExpectBgr(prog, 5, 3, 90, 200, 10);
  ExpectBgr(prog, 20, 17, 30, 240, 240);
}

TEST(DecodeJpeg, CmykBecomesBlueGreenRed) {
  // Ink amounts: top red (magenta + yellow), bottom a 50% grey made of black only.
  auto cmyk = [](bool inverted) {
    std::vector<std::uint8_t> p;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const std::uint8_t ink[4] = {0, static_cast<std::uint8_t>(y < 4 ? 255 : 0),
                                     static_cast<std::uint8_t>(y < 4 ? 255 : 0),
                                     static_cast<std::uint8_t>(y < 4 ? 0 : 128)};
        for (std::uint8_t v : ink) p.push_back(inverted ? static_cast<std::uint8_t>(255 - v) : v);
      }
    return p;
  };
  TJpegOptions options;
  options.space = JCS_CMYK;
  const TDib adobe = Decode(MakeJpeg(8, 8, cmyk(true), options));  // the Adobe marker means inverted values
  ExpectBgr(adobe, 2, 1, 0, 0, 255);
  ExpectBgr(adobe, 2, 6, 127, 127, 127);

  options.adobeMarker = false;
  const TDib plain = Decode(MakeJpeg(8, 8, cmyk(false), options));
  ExpectBgr(plain, 2, 1, 0, 0, 255);
  ExpectBgr(plain, 2, 6, 127, 127, 127);
}

TEST(DecodeJpeg, DamagedFilesRaiseEjpegAndNeverReadPastTheInput) {
  EXPECT_EQ(ErrorOf({}), "Damn - a JPG error occured : " + std::to_string(JERR_INPUT_EMPTY));
  EXPECT_EQ(ErrorOf({'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'g'}),
            "Damn - a JPG error occured : " + std::to_string(JERR_NO_SOI));
  EXPECT_THROW(Decode({0xFF, 0xD8}), EInvalidGraphic);  // the class the placeholder loader falls back on

  // Every truncation either decodes at full size (the missing part grey) or raises EJPEG. Each
  // copy sits in a block of exactly its length so that the sanitizer build sees any overread.
  TJpegOptions progressive;
  progressive.progressive = true;
  for (const auto& file : {MakeJpeg(20, 12, Halves(20, 12, {1, 2, 3}, {200, 100, 50})),
                           MakeJpeg(20, 12, Halves(20, 12, {1, 2, 3}, {200, 100, 50}), progressive)}) {
    int decoded = 0;
    for (std::size_t length = 1; length < file.size(); ++length) {
      auto block = std::make_unique<std::uint8_t[]>(length);
      std::copy(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length), block.get());
      try {
        const TDib dib = DecodeJpeg(block.get(), length);
        EXPECT_EQ(dib.Bytes().size(), 40u + 60 * 12) << "length " << length;
        ++decoded;
      } catch (const EJPEG&) {
      }
    }
    EXPECT_GT(decoded, 0);  // once the header is complete, a short file still gives a picture
  }
}

TEST(DecodeJpeg, FilesWithHundredsOfScansAreRefused) {
  // A legal progressive script of 694 scans: the DC scan, then every AC coefficient on its own
  // in eleven successive-approximation passes.
  TJpegOptions options;
  options.space = JCS_GRAYSCALE;
  jpeg_scan_info dc{};
  dc.comps_in_scan = 1;
  options.scans.push_back(dc);
  for (int k = 1; k < 64; ++k)
    for (int al = 10; al >= 0; --al) {
      jpeg_scan_info s{};
      s.comps_in_scan = 1;
      s.Ss = k;
      s.Se = k;
      s.Ah = al == 10 ? 0 : al + 1;
      s.Al = al;
      options.scans.push_back(s);
    }
  const auto file = MakeJpeg(8, 8, std::vector<std::uint8_t>(64, 77), options);
  EXPECT_EQ(ErrorOf(file), "Damn - a JPG error occured : more than 500 scans");
}

}  // namespace
}  // namespace qrl

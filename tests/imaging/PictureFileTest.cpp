#include "tools/common/PictureFile.h"

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <string>

#include "format/QuireleafException.h"
#include "support/TempDir.h"

namespace qrl {
namespace {

// 5 x 3: odd width so that rows carry padding; every pixel distinct.
TDib Sample() {
  TDib dib(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      std::uint8_t* p = dib.ScanLine(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(10 * x);       // blue
      p[1] = static_cast<std::uint8_t>(100 + 20 * y);  // green
      p[2] = static_cast<std::uint8_t>(200 + x + y);   // red
    }
  return dib;
}

std::size_t FilesIn(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(PictureFile, WritesAndReadsBackEveryFormatExactly) {
  test::TempDir dir;
  const TDib dib = Sample();
  for (const char* name : {"a.png", "b.BMP"}) {
    WritePictureFile(dib, dir.File(name));
    EXPECT_EQ(ReadPictureFile(dir.File(name)).Bytes(), dib.Bytes()) << name;
  }
  // The BMP file is the packed bitmap behind a 14-byte file header.
  const auto bmp = test::ReadAll(dir.File("b.BMP"));
  ASSERT_EQ(bmp.size(), 14 + dib.Bytes().size());
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[2], bmp.size() & 0xFF);
  EXPECT_EQ(bmp[10], 54);

  WritePictureFile(dib, dir.File("c.ppm"));
  const auto ppm = test::ReadAll(dir.File("c.ppm"));
  const std::string header = "P6\n5 3\n255\n";
  ASSERT_EQ(ppm.size(), header.size() + 5 * 3 * 3);
  EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + static_cast<std::ptrdiff_t>(header.size())), header);
  // Top row first, red-green-blue.
  EXPECT_EQ(ppm[header.size()], 200);
  EXPECT_EQ(ppm[header.size() + 1], 100);
  EXPECT_EQ(ppm[header.size() + 2], 0);
  EXPECT_EQ(FilesIn(dir.Path()), 3u);  // no temporary names left behind

  // A JPEG reads back close to the original.
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(qRgb(30, 160, 220));
  ASSERT_TRUE(image.save(QString::fromStdString(dir.File("d.jpg")), "JPEG", 100));
  const TDib jpeg = ReadPictureFile(dir.File("d.jpg"));
  EXPECT_NEAR(jpeg.ScanLine(4)[0], 220, 3);
  EXPECT_NEAR(jpeg.ScanLine(4)[2], 30, 3);
}

TEST(PictureFile, TransparencyIsCompositedOverWhite) {
  test::TempDir dir;
  QImage image(2, 1, QImage::Format_ARGB32);
  image.setPixel(0, 0, qRgba(255, 0, 0, 128));
  image.setPixel(1, 0, qRgba(0, 0, 0, 0));
  ASSERT_TRUE(image.save(QString::fromStdString(dir.File("alpha.png"))));
  const TDib dib = ReadPictureFile(dir.File("alpha.png"));
  const std::uint8_t* p = dib.ScanLine(0);
  EXPECT_EQ(p[2], 255);
  EXPECT_NEAR(p[1], 127, 1);
  EXPECT_NEAR(p[0], 127, 1);
  EXPECT_EQ(p[3], 255);
  EXPECT_EQ(p[4], 255);
  EXPECT_EQ(p[5], 255);
}

TEST(PictureFile, FailuresAreClearAndLeaveNoFile) {
  test::TempDir dir;
  EXPECT_THROW(ReadPictureFile(dir.File("missing.png")), EFileError);
  test::WriteAll(dir.File("junk.png"), {'n', 'o', 'p', 'e'});
  EXPECT_THROW(ReadPictureFile(dir.File("junk.png")), EInvalidGraphic);
  // Readable by Qt, but not one of the accepted kinds.
  WritePictureFile(Sample(), dir.File("p.ppm"));
  EXPECT_THROW(ReadPictureFile(dir.File("p.ppm")), EInvalidGraphic);

  EXPECT_THROW(WritePictureFile(Sample(), dir.File("x.gif")), EFileError);
  EXPECT_THROW(WritePictureFile(Sample(), dir.File("no/such/folder/x.png")), EFileError);
  EXPECT_THROW(WritePictureFile(TDib(), dir.File("empty.png")), EFileError);
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.gif")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("empty.png")));

  // An existing file is replaced whole.
  test::WriteAll(dir.File("keep.bmp"), std::vector<unsigned char>(5000, 7));
  WritePictureFile(Sample(), dir.File("keep.bmp"));
  EXPECT_EQ(ReadPictureFile(dir.File("keep.bmp")).Bytes(), Sample().Bytes());
}

}  // namespace
}  // namespace qrl

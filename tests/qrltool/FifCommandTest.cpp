// qrltool fif as scripts use it: the real program, the real codec library beside it.

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "fif/FifBitstream.h"
#include "support/TempDir.h"

namespace {

struct TRun {
  int status;
  std::string out;
  std::string err;
};

TRun Qrltool(const QStringList& args) {
  QProcess process;
  process.start(QRL_BINARY_DIR "/bin/qrltool", QStringList{"fif"} + args);
  process.waitForFinished(60000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

TEST(FifCommand, EncodeInfoDecodeRoundTrip) {
  qrl::test::TempDir dir;
  QImage picture(64, 48, QImage::Format_RGB32);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) picture.setPixel(x, y, qRgb(x * 4, y * 5, 128));
  ASSERT_TRUE(picture.save(Q(dir.File("in.png"))));

  TRun run = Qrltool({"encode", Q(dir.File("in.png")), "-o", Q(dir.File("a.fif")), "--width", "32", "--height", "24"});
  ASSERT_EQ(run.status, 0) << run.err;

  run = Qrltool({"info", "--json", Q(dir.File("a.fif"))});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto info = nlohmann::json::parse(run.out);
  EXPECT_EQ(info["width"], 32);
  EXPECT_EQ(info["height"], 24);
  EXPECT_EQ(info["version"], qrl::kFifVersion);
  EXPECT_EQ(info["bytes"], qrl::test::ReadAll(dir.File("a.fif")).size());
  EXPECT_TRUE(info["physicalSize"].is_null());

  ASSERT_EQ(Qrltool({"decode", Q(dir.File("a.fif")), "-o", Q(dir.File("own.png"))}).status, 0);
  EXPECT_EQ(QImage(Q(dir.File("own.png"))).size(), QSize(32, 24));
  ASSERT_EQ(Qrltool({"decode", Q(dir.File("a.fif")), "-o", Q(dir.File("big.bmp")), "--width", "96", "--height", "72"})
                .status,
            0);
  const QImage big(Q(dir.File("big.bmp")));
  ASSERT_EQ(big.size(), QSize(96, 72));
  const QRgb corner = big.pixel(95, 71);  // far corner of the gradient: red and green high, blue 128
  EXPECT_GT(qRed(corner), 180);
  EXPECT_GT(qGreen(corner), 180);
  EXPECT_NEAR(qBlue(corner), 128, 24);
}

TEST(FifCommand, KeyedEncodingKeepsTheKeyRegionExact) {
  qrl::test::TempDir dir;
  // A disc on a magenta ground, with a soft edge that crosses the keying tolerance.
  QImage picture(40, 40, QImage::Format_RGB32);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      const double r = std::hypot(x - 19.5, y - 19.5);
      const double t = std::clamp(16.0 - r, 0.0, 1.0);
      picture.setPixel(x, y, qRgb(255 - static_cast<int>(t * 215), static_cast<int>(t * 180),
                                  255 - static_cast<int>(t * 175)));
    }
  ASSERT_TRUE(picture.save(Q(dir.File("in.png"))));
  TRun run = Qrltool({"encode", Q(dir.File("in.png")), "-o", Q(dir.File("k.fif")), "--key", "FF00FF"});
  ASSERT_EQ(run.status, 0) << run.err;
  run = Qrltool({"info", "--json", Q(dir.File("k.fif"))});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(nlohmann::json::parse(run.out)["key"], "#FF00FF");
  ASSERT_EQ(Qrltool({"decode", Q(dir.File("k.fif")), "-o", Q(dir.File("k.png")), "--width", "80", "--height", "80"})
                .status,
            0);
  const QImage out(Q(dir.File("k.png")));
  ASSERT_EQ(out.size(), QSize(80, 80));
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 80; ++x) {
      const QRgb p = out.pixel(x, y);
      const int distance = std::max({255 - qRed(p), qGreen(p), 255 - qBlue(p)});
      ASSERT_TRUE(distance == 0 || distance > 40) << x << "," << y << " " << distance;
    }
  EXPECT_EQ(Qrltool({"encode", Q(dir.File("in.png")), "-o", Q(dir.File("x.fif")), "--key", "FF00F"}).status, 2);
}

TEST(FifCommand, ExitStatusesTellDamageFromMisuse) {
  qrl::test::TempDir dir;
  QImage picture(16, 16, QImage::Format_RGB32);
  picture.fill(qRgb(10, 20, 30));
  ASSERT_TRUE(picture.save(Q(dir.File("in.bmp"))));
  ASSERT_EQ(Qrltool({"encode", Q(dir.File("in.bmp")), "-o", Q(dir.File("a.fif"))}).status, 0);
  auto bytes = qrl::test::ReadAll(dir.File("a.fif"));
  bytes.resize(bytes.size() - 3);
  qrl::test::WriteAll(dir.File("cut.fif"), bytes);

  TRun run = Qrltool({"decode", Q(dir.File("cut.fif")), "-o", Q(dir.File("cut.png"))});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("FIF Error : "), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("cut.png")));
  run = Qrltool({"info", "--json", Q(dir.File("cut.fif"))});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(nlohmann::json::parse(run.out)["error"]["class"], "EFifError");

  qrl::test::WriteAll(dir.File("junk.png"), {1, 2, 3});
  EXPECT_EQ(Qrltool({"encode", Q(dir.File("junk.png")), "-o", Q(dir.File("j.fif"))}).status, 1);

  EXPECT_EQ(Qrltool({"decode", Q(dir.File("missing.fif")), "-o", Q(dir.File("m.png"))}).status, 2);
  EXPECT_EQ(Qrltool({"decode", Q(dir.File("a.fif")), "-o", Q(dir.File("a.gif"))}).status, 2);
  EXPECT_EQ(Qrltool({"decode", Q(dir.File("a.fif")), "-o", Q(dir.File("a.png")), "--width", "5"}).status, 2);
  EXPECT_EQ(Qrltool({"encode", Q(dir.File("in.bmp")), "-o", Q(dir.File("q.fif")), "--quality", "0"}).status, 2);
  EXPECT_EQ(Qrltool({"transcode"}).status, 2);
}

}  // namespace

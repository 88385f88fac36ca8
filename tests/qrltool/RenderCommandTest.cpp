#include <gtest/gtest.h>

#include <QImage>

#include "render/RenderPage.h"
#include "render/RenderTestSupport.h"
#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"
#include "tools/qrltool/CommandLine.h"

namespace qrl::tool {
int RunRender(const Arguments& args);
}

namespace qrl::test {
namespace {

using tool::RunRender;

TFlyerDesc SmallFlyer() {
  const TDib picture = BlockPicture(40, 20, Rgb(0, 0, 255), {{10, 5, 20, 10, Rgb(255, 255, 0)}});
  return FlyerOf(100, 50, {Picture(1, picture, {Placed(30, 10, 40, 20)})},
                 {Page(Rgb(0, 0, 0), {}), Page(Rgb(0, 160, 0), {Ref(1)})});
}

class RenderCommandTest : public ::testing::Test {
 protected:
  RenderCommandTest() {
    EnsureGuiApplication();
    WriteFlyerFile(SmallFlyer(), flyerPath);
  }
  // Exit status and what went to standard error.
  static std::pair<int, std::string> Run(tool::Arguments args) {
    args.insert(args.begin(), "render");
    testing::internal::CaptureStderr();
    const int status = tool::RunCommandLine(args);
    return {status, testing::internal::GetCapturedStderr()};
  }

  TempDir dir;
  std::string flyerPath = dir.File("flyer.qrl");
};

TEST_F(RenderCommandTest, WritesThePageAsThePlayerDrawsIt) {
  const std::string out = dir.File("page.png");
  EXPECT_EQ(Run({flyerPath, "--page", "1", "-o", out}).first, 0);
  TLoadedFlyer flyer(SmallFlyer());
  const QImage written = QImage(QString::fromStdString(out)).convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(SameInside(written, RenderPage(*flyer, 1)));

  // At an area width: the height follows the aspect ratio, halves up (100 x 50 at 33: 16.5).
  EXPECT_EQ(Run({flyerPath, "--page", "0", "--width", "33", "-o", out}).first, 0);
  EXPECT_EQ(QImage(QString::fromStdString(out)).size(), QSize(33, 17));
}

TEST_F(RenderCommandTest, RefusedFlyersPrintThePlayersMessage) {
  TFlyerDesc damaged = SmallFlyer();
  damaged.Blocks.insert(damaged.Blocks.begin() + 1, TRawBlockDesc{0x0101, {0x1F, 0x00}, true});
  WriteFlyerFile(damaged, flyerPath);
  const std::string out = dir.File("page.png");
  EXPECT_EQ(Run({flyerPath, "--page", "1", "-o", out}),
            std::make_pair(1, std::string("Error 4100 has occurred during file access.\n")));
  EXPECT_EQ(Run({"-d", flyerPath, "--page", "1", "-o", out}), std::make_pair(1, std::string("Checksum failed.\n")));
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(RenderCommandTest, WrongUsageIsReported) {
  const std::string out = dir.File("page.png");
  EXPECT_THROW(RunRender({flyerPath, "-o", out}), tool::EUsage);                 // no page
  EXPECT_THROW(RunRender({flyerPath, "--page", "2", "-o", out}), tool::EUsage);  // no such page
  EXPECT_THROW(RunRender({flyerPath, "--page", "1", "-o", dir.File("page.gif")}), tool::EUsage);
  EXPECT_THROW(RunRender({flyerPath, "--page", "1", "--width", "0", "-o", out}), tool::EUsage);
}

}  // namespace
}  // namespace qrl::test

// qrltool render: draws a page of a flyer into a picture file with the renderer the player's
// page view uses.

#include <QImage>
#include <string>

#include "imaging/FifLibrary.h"
#include "render/FlyerScale.h"
#include "render/RenderPage.h"
#include "render/TScreenDepth.h"
#include "tools/common/PictureFile.h"
#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"
#include "tools/qrltool/ToolFlyer.h"

namespace qrl::tool {

namespace {

// Widths beyond this are no screen's; the area's memory is checked besides.
constexpr int kMaxAreaWidth = 32767;

}  // namespace

int RunRender(const Arguments& args) {
  const TArgumentParser p(args, {"-d"}, {"--page", "--width", "-o"});
  const std::string path = p.Single("flyer file");
  const std::string out = p.Required("-o");
  if (!IsPictureFileName(out)) throw EUsage("the output must end in .png, .bmp or .ppm");
  const auto page = p.Integer("--page", 0, 65535);
  if (!page) throw EUsage("option --page is required");
  const auto width = p.Integer("--width", 1, kMaxAreaWidth);

  TToolFlyer tool;
  TFlyer& flyer = tool.Flyer();
  // Elements build their colour tables as they load, so the depth comes first.
  flyer.Context().ScreenBitsPerPixel = TScreenDepth::BitsPerPixel();
  tool.Load(path, false);
  if (static_cast<std::size_t>(*page) >= flyer.Pages.size())
    throw EUsage("page " + std::to_string(*page) + " does not exist: the flyer has pages 0 to " +
                 std::to_string(static_cast<long long>(flyer.Pages.size()) - 1));
  if (width) SetFlyerArea(flyer, *width, AreaHeightForWidth(flyer, *width));
  QImage picture;
  {
    const auto library = TFifLibrary::Hold();
    picture = RenderPage(flyer, *page);
  }
  WritePictureFile(ImageToDib(picture), out);
  return kExitOk;
}

extern const TCommand kRenderCommand = {
    "render", "draw a page of a flyer as the player shows it",
    "usage: qrltool render [-d] FILE --page N [--width W] -o OUT.png|OUT.bmp|OUT.ppm\n"
    "  --page N   the page: 1 to the last, 0 the background page alone\n"
    "  --width W  draw at an area W pixels wide, the height following the flyer's aspect ratio\n"
    "             as the player's window sizes it (default: the flyer's own size)\n"
    "  -o OUT     the picture to write; the format follows the extension\n"
    "  -d         show the message of a coded error instead of its number\n"
    "  QRL_SCREEN_DEPTH=8 draws the page through its palette, as on an 8-bit screen\n",
    RunRender};

}  // namespace qrl::tool

// qrltool render: draws a page of a flyer into a picture file with the renderer the player's
// page view uses.

#include <iostream>
#include <string>

#include "document/TFlyer.h"
#include "document/TFlyerLoader.h"
#include "document/TLoadObserver.h"
#include "elements/QtTextMeasurer.h"
#include "format/QuireleafException.h"
#include "render/FlyerArea.h"
#include "render/RenderPage.h"
#include "render/TScreenDepth.h"
#include "tools/common/PictureFile.h"
#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"

namespace qrl::tool {

extern const char kRenderUsage[] =
    "usage: qrltool render [-d] FILE --page N [--width W] -o OUT.png|OUT.bmp|OUT.ppm\n"
    "\n"
    "Loads the flyer (a flyer file or a kickstarter executable) as the player does and draws page N\n"
    "as the player's page view draws it: 1 to the last page, 0 the background page alone.\n"
    "\n"
    "--page N    the page to draw\n"
    "--width W   draw at an area W pixels wide, the height following the flyer's aspect ratio as\n"
    "            the player's window sizes it; default: the flyer's own size\n"
    "-o OUT      the picture to write; the format follows the extension\n"
    "-d          a refused flyer's coded error shows its message instead of its number\n"
    "\n"
    "QRL_SCREEN_DEPTH=8 draws the page through its palette, as on an 8-bit screen.\n"
    "\n"
    "exit status: 0 done; 1 the flyer was refused; 2 wrong usage or input/output failure\n";

namespace {

// Widths beyond this are no screen's; the area's memory is checked besides.
constexpr int kMaxAreaWidth = 32767;

class TQuietObserver : public TLoadObserver {};

}  // namespace

int RunRender(const Arguments& args) {
  const TArgumentParser parser(args, {"-d"}, {"--page", "--width", "-o"});
  const std::string input = parser.Single("flyer file");
  const std::string output = parser.Required("-o");
  if (!IsPictureFileName(output)) throw EUsage("the output must end in .png, .bmp or .ppm");
  parser.Required("--page");
  const int pageIndex = *parser.Integer("--page", 0, 65535);
  const auto width = parser.Integer("--width", 1, kMaxAreaWidth);
  const bool debug = parser.Flag("-d");

  const TQtTextMeasurer measurer;
  TScreenMetrics screen;
  screen.bitsPerPixel = TScreenDepth::BitsPerPixel();
  TFlyer flyer(measurer, screen);
  QImage page;
  try {
    TQuietObserver quiet;
    TFlyerLoader(flyer, quiet).LoadFlyer(input);
    if (static_cast<std::size_t>(pageIndex) >= flyer.Pages.size())
      throw EUsage("page " + std::to_string(pageIndex) + " does not exist: the flyer has pages 0 to " +
                   std::to_string(static_cast<long long>(flyer.Pages.size()) - 1));
    if (width) SetFlyerArea(flyer, *width, AreaHeightForWidth(flyer, *width));
    page = RenderPage(flyer, pageIndex);
  } catch (const EQuireleafException& e) {
    std::cerr << HandleExceptionMessage(e, debug) << "\n";
    return kExitRefused;
  }
  WritePictureFile(ImageToDib(page), output);
  return kExitOk;
}

}  // namespace qrl::tool

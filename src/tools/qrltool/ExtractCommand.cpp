// qrltool extract: writes an element's content — a sound as the WAVE file the player plays, a
// picture as an image file of the decoded picture, or the stored picture bytes unchanged.

#include <string>

#include "elements/TCKbImage.h"
#include "elements/TCKbSound.h"
#include "format/FileContents.h"
#include "format/QuireleafException.h"
#include "format/TAtomicFile.h"
#include "tools/common/PictureFile.h"
#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"
#include "tools/qrltool/ToolFlyer.h"

namespace qrl::tool {

namespace {

void CopyFileAtomically(const std::string& source, const std::string& target) {
  const std::string bytes = ReadFileContents(source);
  WriteFileAtomically(target, bytes.data(), bytes.size());
}

int RunExtract(const Arguments& args) {
  const TArgumentParser p(args, {"-d", "--raw"}, {"--element", "-o", "--width", "--height"});
  const std::string path = p.Single("flyer file");
  const auto element = p.Integer("--element", 0, 65535);
  if (!element) throw EUsage("option --element is required");
  const int id = *element;
  const std::string out = p.Required("-o");
  const auto width = p.Integer("--width", 1, 16384);
  const auto height = p.Integer("--height", 1, 16384);
  if (width.has_value() != height.has_value()) throw EUsage("--width and --height go together");

  TToolFlyer tool;
  tool.Scan(path);
  TSaveRec* entry = tool.Flyer().FindElement(static_cast<std::uint16_t>(id));
  if (!entry) throw EQuireleafException("The flyer has no element " + std::to_string(id) + ".");
  tool.ReadElement(*entry);
  tool.Close();
  if (entry->Sound) {
    if (p.Flag("--raw") || width) throw EUsage("--raw, --width and --height apply to pictures only");
    CopyFileAtomically(entry->Sound->WaveFileName, out);
    return kExitOk;
  }
  auto* image = dynamic_cast<TCKbImage*>(entry->Control.get());
  if (!image) throw EQuireleafException("Element " + std::to_string(id) + " is neither a picture nor a sound.");
  if (p.Flag("--raw")) {
    if (width) throw EUsage("--raw writes the stored bytes; it takes no size");
    WriteFileAtomically(out, reinterpret_cast<const char*>(image->Data.data()), image->Data.size());
    return kExitOk;
  }
  if (!IsPictureFileName(out)) throw EUsage("the output must end in .png, .bmp or .ppm");
  if (width && !image->IsJpeg) {
    image->PictureWidth = *width;
    image->PictureHeight = *height;
  }
  image->Prepare();
  WritePictureFile(image->Bitmap, out);
  return kExitOk;
}

}  // namespace

extern const TCommand kExtractCommand = {
    "extract", "write an element's sound or picture",
    "usage: qrltool extract [-d] FILE --element ID -o OUT [--width W --height H] [--raw]\n"
    "  a sound is written as the WAVE file the player plays;\n"
    "  a picture as OUT.png, OUT.bmp or OUT.ppm, decoded at the size the player would use\n"
    "  (--width and --height choose another); --raw writes the stored picture bytes unchanged\n",
    RunExtract};

}  // namespace qrl::tool

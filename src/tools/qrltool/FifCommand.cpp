// qrltool fif: encode pictures as FIF, decode FIF pictures through the decoder library exactly as
// the player does, and describe FIF files.


#include <cstdio>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "fif/FifDecoder.h"
#include "fif/FifEncoder.h"
#include "fif/FifStatus.h"
#include "format/FileContents.h"
#include "format/QuireleafException.h"
#include "format/TAtomicFile.h"
#include "imaging/CheckMemory.h"
#include "imaging/DecodeFif.h"
#include "tools/common/PictureFile.h"
#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"

namespace qrl::tool {

namespace {

// --width and --height: both or neither.
std::optional<std::pair<int, int>> SizeOptions(const TArgumentParser& parser, int max) {
  const auto width = parser.Integer("--width", 1, max);
  const auto height = parser.Integer("--height", 1, max);
  if (width.has_value() != height.has_value()) throw EUsage("--width and --height go together");
  if (!width) return std::nullopt;
  return std::make_pair(*width, *height);
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  std::error_code ec;
  if (const auto size = std::filesystem::file_size(path, ec); !ec) CheckMemory(size);
  const std::string bytes = ReadFileContents(path);
  return {bytes.begin(), bytes.end()};
}

void WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  WriteFileAtomically(path, bytes.data(), bytes.size());
}

// Smooth resampling to the size the picture is to be encoded at.
TDib Resample(const TDib& picture, int width, int height) {
  if (picture.Width() == width && picture.Height() == height) return picture;
  return ImageToDib(DibToImage(picture).scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

// --key RRGGBB (a leading # allowed): the colour the picture will be keyed with.
std::optional<TFifKeyColour> KeyOption(const TArgumentParser& parser) {
  const std::optional<std::string> value = parser.Value("--key");
  if (!value) return std::nullopt;
  const std::string hex = !value->empty() && (*value)[0] == '#' ? value->substr(1) : *value;
  if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    throw EUsage("--key takes a colour RRGGBB, not \"" + *value + "\"");
  const auto rgb = static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16));
  return TFifKeyColour{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                       static_cast<std::uint8_t>(rgb)};
}

std::string KeyText(const TFifKeyColour& key) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", key.red, key.green, key.blue);
  return text;
}

// A refusal that names the picture it concerns; a coded error keeps its message, since the
// numbers mean nothing outside the player.
[[noreturn]] void RefuseInput(const std::string& input, const std::string& message) {
  throw EQuireleafException(input + ": " + message);
}

int Encode(const Arguments& args) {
  const TArgumentParser parser(args, {}, {"-o", "--quality", "--width", "--height", "--key"});
  const std::string input = parser.Single("input picture");
  const std::string output = parser.Required("-o");
  TFifEncodeOptions options;
  options.quality = parser.Integer("--quality", 1, 100).value_or(kFifDefaultQuality);
  options.key = KeyOption(parser);
  const auto size = SizeOptions(parser, kFifMaxPictureSide);

  std::vector<std::uint8_t> fif;
  int width = 0;
  int height = 0;
  try {
    TDib picture = ReadPictureFile(input);
    if (size) picture = Resample(picture, size->first, size->second);
    width = picture.Width();
    height = picture.Height();
    fif = EncodeFif(picture, options);
  } catch (const EQuireleafDebugger& e) {
    RefuseInput(input, e.what());
  } catch (const EFifError& e) {
    RefuseInput(input, e.what());
  }
  WriteWholeFile(output, fif);
  std::cout << output << ": " << width << " x " << height << ", " << fif.size() << " bytes ("
            << static_cast<double>(fif.size()) * 8.0 / (static_cast<double>(width) * height) << " bits per pixel)\n";
  return kExitOk;
}

int Decode(const Arguments& args) {
  const TArgumentParser parser(args, {}, {"-o", "--width", "--height"});
  const std::string input = parser.Single("FIF file");
  const std::string output = parser.Required("-o");
  if (!IsPictureFileName(output)) throw EUsage("the output must end in .png, .bmp or .ppm");
  const auto size = SizeOptions(parser, kFifMaxOutputSide);

  const std::vector<std::uint8_t> data = ReadWholeFile(input);
  TDib picture;
  try {
    picture = DecodeFif(data.data(), data.size(), size ? size->first : 0, size ? size->second : 0);
  } catch (const EQuireleafDebugger& e) {
    // The library's status says what was wrong with the data.
    if (e.HelpContext() == ecOutOfMemory) RefuseInput(input, e.what());
    RefuseInput(input, e.what() + std::string(" (") + FifStatusText(ecFifErrorBase - e.HelpContext()) + ")");
  } catch (const EQuireleafCancelled& e) {
    RefuseInput(input, e.what());
  }
  WritePictureFile(picture, output);
  return kExitOk;
}

nlohmann::json PlaneJson(const TFifPlaneParams& p) {
  nlohmann::json levels = nlohmann::json::array();
  for (int i = 0; i < p.Levels(); ++i)
    levels.push_back({{"searchRadius", p.searchRadius[static_cast<std::size_t>(i)]},
                      {"searchStep", p.searchStep[static_cast<std::size_t>(i)]},
                      {"meanStep", p.meanStep[static_cast<std::size_t>(i)]}});
  // The plane's mean step is that of its smallest blocks, where most means are.
  return {{"largestBlock", 1 << p.topLog2}, {"smallestBlock", 1 << p.minLog2},
          {"meanStep", p.meanStep[static_cast<std::size_t>(p.Levels() - 1)]},
          {"contrastLevels", p.contrastLevels}, {"contrastDenominator", p.contrastDen}, {"levels", levels}};
}

nlohmann::json InfoJson(const TFifHeader& h, std::size_t bytes) {
  nlohmann::json physical = nullptr;
  if (h.physicalSize)
    physical = {{"width", h.physicalSize->width},
                {"height", h.physicalSize->height},
                {"unit", std::string(1, h.physicalSize->unit)},
                {"exponent", h.physicalSize->exponent}};
  return {{"version", h.version},
          {"width", h.width},
          {"height", h.height},
          {"bytes", bytes},
          {"bitsPerPixel", static_cast<double>(bytes) * 8.0 / (static_cast<double>(h.width) * h.height)},
          {"grey", h.grey},
          {"quality", h.quality},
          {"physicalSize", physical},
          {"key", h.key ? nlohmann::json(KeyText(*h.key)) : nlohmann::json(nullptr)},
          {"luma", PlaneJson(h.luma)},
          {"chroma", h.grey ? nlohmann::json(nullptr) : PlaneJson(h.chroma)}};
}

void PrintInfo(const nlohmann::json& info) {
  std::cout << "FIF version " << info["version"] << ", " << info["width"] << " x " << info["height"] << " pixels, "
            << (info["grey"].get<bool>() ? "grey" : "colour") << "\n"
            << "size: " << info["bytes"] << " bytes (" << info["bitsPerPixel"].get<double>() << " bits per pixel)\n"
            << "quality: " << info["quality"] << "\n";
  const auto& physical = info["physicalSize"];
  if (physical.is_null())
    std::cout << "physical size: none\n";
  else
    std::cout << "physical size: " << physical["width"] << " x " << physical["height"] << " x 10^"
              << physical["exponent"] << " " << (physical["unit"] == "m" ? "metres" : "inches") << "\n";
  if (!info["key"].is_null()) std::cout << "keyed: " << info["key"].get<std::string>() << "\n";
  for (const char* plane : {"luma", "chroma"}) {
    const auto& p = info[plane];
    if (p.is_null()) continue;
    std::cout << plane << ": blocks " << p["largestBlock"] << " down to " << p["smallestBlock"] << ", mean step "
              << p["meanStep"] << ", contrast " << p["contrastLevels"] << " levels / " << p["contrastDenominator"]
              << "\n";
  }
}

int Info(const Arguments& args) {
  const TArgumentParser parser(args, {"--json"}, {});
  const std::string input = parser.Single("FIF file");
  const bool json = parser.Flag("--json");
  const std::vector<std::uint8_t> data = ReadWholeFile(input);
  const TFifDecoder decoder{std::span<const std::uint8_t>(data)};
  const nlohmann::json info = InfoJson(decoder.Header(), data.size());
  if (json)
    std::cout << info.dump(2) << "\n";
  else
    PrintInfo(info);
  return kExitOk;
}

}  // namespace

int RunFif(const Arguments& args) {
  if (args.empty()) throw EUsage("expected encode, decode or info");
  const Arguments rest(args.begin() + 1, args.end());
  if (args[0] == "encode") return Encode(rest);
  if (args[0] == "decode") return Decode(rest);
  if (args[0] == "info") return Info(rest);
  throw EUsage("unknown fif command \"" + args[0] + "\"");
}

extern const TCommand kFifCommand = {
    "fif", "encode, decode and describe FIF pictures",
    "usage: qrltool fif encode IN.png|IN.jpg|IN.bmp -o OUT.fif [--quality Q] [--width W --height H]\n"
    "                          [--key RRGGBB]\n"
    "       qrltool fif decode IN.fif -o OUT.png|OUT.bmp|OUT.ppm [--width W --height H]\n"
    "       qrltool fif info [--json] IN.fif\n"
    "  encode     compresses a PNG, JPEG or BMP picture (transparency over white)\n"
    "  --quality  1 (smallest file) to 100 (best picture), default 75\n"
    "  --key      encode for showing keyed with that colour: pixels within 40 of it come out as\n"
    "             exactly the key, all others clear of it, at every decoding size\n"
    "  --width, --height  encode: resample to that size first; decode: the size to decode at\n"
    "             (default: the picture's own size)\n"
    "  decode     decodes through the FIF decoder library as the player does; the output format\n"
    "             follows the extension\n"
    "  info       own size, physical size, key colour, version, byte size and coding parameters\n"
    "  --json     one JSON document on standard output\n",
    RunFif};

}  // namespace qrl::tool

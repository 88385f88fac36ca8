// Writes the seed corpus of flyer_loader_fuzzer into the folder given as the last argument:
// small valid flyers using every block and element kind, damaged variants of them, and the
// crafted flyers that once made the loader take minutes or gigabytes.
//   flyer_loader_fuzzer_seeds FOLDER
//   flyer_loader_fuzzer_seeds --crafted SCALE FOLDER   only the crafted flyers, SCALE times larger

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "document/FlyerDescription.h"
#include "document/TFlyerWriter.h"
#include "fif/FifEncoder.h"
#include "format/Packing.h"
#include "support/CraftedFlyers.h"

namespace {

using namespace qrl;

TOccurrenceDesc At(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height, int layout = 2) {
  TOccurrenceDesc o;
  o.Layout = layout;
  o.Placement = {left, top, width, height};
  return o;
}

// A flyer with every block and element kind, in both occurrence layouts.
TFlyerDesc FullFlyer(std::uint16_t formatCode, bool extended) {
  TFlyerDesc flyer;
  flyer.Header.FormatCode = formatCode;
  TInfoDesc info;
  info.Sections = {{0, "Flyer Info", {{"Title", {"Seed"}}, {"Text", {"two", "lines"}}}},
                   {0, "Special", {{"Creator", {"Seeder"}}, {"Company", {"Quireleaf"}}}}};
  flyer.Blocks.push_back(info);
  flyer.Blocks.push_back(TNavBarDesc{0x1F, {}});
  flyer.Blocks.push_back(TNoteDesc{{"a note"}, TNoteBounds::FromSize(10, 10, 200, 100)});

  TElementDesc image;
  image.Kind = ekImage;
  image.Id = 1;
  image.Extended = extended;
  image.PictureData = test::crafted::TinyPicture();
  image.Occurrences = {At(0, 0, 64, 48), At(10, 10, 32, 24, 1), At(0, 0, 16, 16)};
  image.Occurrences[1].ImageFlags = 1;
  image.Occurrences[1].KeyColour = 0x00FF00;
  image.Occurrences[2].ImageFlags = 4;
  flyer.Blocks.push_back(image);

  TElementDesc text;
  text.Kind = ekText;
  text.Id = 2;
  text.Extended = extended;
  text.TextFlags = 0x0F1F;
  text.Lines = {"A text that is long enough to be wrapped", "and scrolled\xA0"};
  text.Occurrences = {At(100, 100, 80, 20), At(0, 200, 300, 60, 1)};
  flyer.Blocks.push_back(text);

  TElementDesc placeholder;
  placeholder.Kind = ekText;
  placeholder.Id = 3;
  placeholder.TextFlags = 0;
  placeholder.Occurrences = {At(5, 5, 50, 50)};
  flyer.Blocks.push_back(placeholder);

  TElementDesc pcm;
  pcm.Kind = ekSound;
  pcm.Id = 4;
  pcm.SoundData = TBytes(64, 0x80);
  pcm.Occurrences = {TOccurrenceDesc{}, TOccurrenceDesc{}};
  pcm.Occurrences[1].SoundFlags = 1;
  flyer.Blocks.push_back(pcm);

  TElementDesc adpcm = pcm;
  adpcm.Id = 5;
  adpcm.SoundCompression = 1;
  adpcm.Channels = 2;
  adpcm.BitsPerSample = 4;
  adpcm.SampleRate = 22050;
  adpcm.SoundData = {0x07, 0x70, 0x8F, 0xF8, 0x12, 0x34};
  flyer.Blocks.push_back(adpcm);

  TElementDesc click;
  click.Kind = ekClick;
  click.Id = 6;
  click.Shape = 4;
  click.Occurrences = {At(0, 0, 40, 40), At(50, 0, 40, 40, 1), At(100, 0, 40, 40)};
  click.Occurrences[0].Action = 2;
  click.Occurrences[0].SoundElement = 4;
  click.Occurrences[0].SoundIndex = 2;
  click.Occurrences[1].Action = -2;
  click.Occurrences[2].Action = -4;
  click.Occurrences[2].LinkText = "https://example.org/";
  flyer.Blocks.push_back(click);

  TPageDesc background;
  background.Refs = {{1, 3, 0}, {2, 2, 0}};
  flyer.Blocks.push_back(background);
  TPageDesc first;
  first.Extended = extended;
  first.ExtraFixed = extended ? TBytes{1, 2, 3} : TBytes{};
  first.Colour = 0x336699;
  first.Name = "First";
  first.SoundElement = 5;
  first.SoundOccurrence = 1;
  first.Refs = {{1, 1, 0}, {1, 2, 0}, {2, 1, 0}, {3, 1, 0}, {6, 1, 0}, {6, 3, 0}};
  flyer.Blocks.push_back(first);
  TPageDesc second;
  second.Refs = {{6, 2, 0}, {1, 1, 0}};
  flyer.Blocks.push_back(second);
  flyer.Blocks.push_back(TRawBlockDesc{0x0500, {1, 2, 3, 4}, false});
  return flyer;
}

std::vector<char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WriteCrafted(const std::filesystem::path& folder, int scale) {
  for (const test::TCraftedFlyer& crafted : test::CraftedFlyers()) {
    const std::string suffix = scale == 1 ? "" : "-x" + std::to_string(scale);
    WriteFlyerFile(crafted.Make(scale), (folder / (std::string(crafted.Name) + suffix + ".qrl")).string());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool craftedOnly = argc == 4 && std::string_view(argv[1]) == "--crafted";
  const int scale = craftedOnly ? std::atoi(argv[2]) : 1;
  // A folder name that looks like an option ("--help") is taken for one, not created.
  const bool optionAsFolder = argc >= 2 && argv[argc - 1][0] == '-';
  if ((argc != 2 && !craftedOnly) || scale < 1 || scale > 100 || optionAsFolder) {
    std::fprintf(stderr, "usage: %s [--crafted SCALE] OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[argc - 1];
  try {
    std::filesystem::create_directories(folder);
    WriteCrafted(folder, scale);
    if (craftedOnly) return 0;
    const auto file = [&](const std::string& name) { return (folder / name).string(); };

    WriteFlyerFile(FullFlyer(106, false), file("full.qrl"));
    WriteFlyerFile(FullFlyer(106, true), file("extended.qrl"));
    WriteFlyerFile(FullFlyer(15, false), file("format15.qrl"));
    WriteFlyerFile(FullFlyer(12, true), file("format12.qrl"));

    TFlyerDesc minimal;
    minimal.Blocks = {TInfoDesc{}, TPageDesc{}, TPageDesc{}};
    WriteFlyerFile(minimal, file("minimal.qrl"));

    // Damaged variants of the full flyer.
    const std::vector<char> full = ReadFile(file("full.qrl"));
    std::vector<char> truncated(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(full.size() * 2 / 3));
    WriteFile(file("truncated.qrl"), truncated);
    std::vector<char> flipped = full;
    flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x10);
    WriteFile(file("checksum.qrl"), flipped);

    TFlyerDesc essential = minimal;
    essential.Blocks.insert(essential.Blocks.begin() + 1, TRawBlockDesc{0x8500, {}, false});
    WriteFlyerFile(essential, file("essential.qrl"));

    TFlyerDesc counts = FullFlyer(106, false);
    std::get<TElementDesc>(counts.Blocks[3]).DeclaredOccurrences = 32767;
    std::get<TPageDesc>(counts.Blocks[10]).DeclaredRefCount = 32767;
    WriteFlyerFile(counts, file("counts.qrl"));

    TFlyerDesc missing = FullFlyer(106, false);
    std::get<TElementDesc>(missing.Blocks[4]).DeclaredOccurrences = 3;
    WriteFlyerFile(missing, file("missing-occurrence.qrl"));

    // The full flyer packed behind a small stand-in for the kickstarter.
    WriteFile(file("kick.bin"), std::vector<char>(64, 'K'));
    PackFlyer(file("kick.bin"), file("full.qrl"), "SEED.QRL", file("packed.exe"));
    std::filesystem::remove(file("kick.bin"));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}

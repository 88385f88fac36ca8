#pragma once
// A flyer manifest as read and checked: the author's description of a flyer with every name
// resolved. Elements and pages are indexes into the manifest's own lists; the compiler turns
// them into ids and occurrence numbers.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "document/FlyerDescription.h"
#include "format/TQLStream.h"
#include "tools/authoring/ManifestJson.h"

namespace qrl {

inline constexpr std::uint16_t kDefaultFormatCode = 106;
inline constexpr std::uint16_t kDefaultNeededVersion = 120;

using TRect = TFields::TRect;

enum class TManifestKind { mkPicture, mkText, mkClick, mkSound, mkPlaceholder };

struct TPictureSource {
  std::filesystem::path File;
  int Quality = 0;
};

struct TTextStyle {
  std::uint16_t FontCode = 0x0501;  // "Arial"
  std::int16_t Size = 12;
  TColor Colour = 0x000000;
  TColor Background = 0xFFFFFF;
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
  bool Opaque = true, Framed = true, Scrollable = false;
  int Alignment = 0;  // 0 left, 1 right, 2 centred
  std::vector<TStrings> Paragraphs;  // each the source lines of one paragraph
};

enum class TWaveform { wfSine, wfSquare, wfTriangle, wfSawtooth };

// Notes one after another, each with short fades so that nothing clicks. A note of 0 Hz rests.
struct TToneSpec {
  std::vector<double> Notes;  // Hz
  double NoteSeconds = 0.25;
  TWaveform Waveform = TWaveform::wfSine;
  double Volume = 0.5;
};

// Struck bells: each note starts Spacing seconds after the one before and rings for Seconds.
struct TChimeSpec {
  std::vector<double> Notes;  // Hz
  double Spacing = 0.15;
  double Seconds = 1.2;
  double Volume = 0.5;
};

struct TSoundSource {
  std::filesystem::path File;  // a WAVE file, or else one of the synthesised sounds
  std::optional<TToneSpec> Tone;
  std::optional<TChimeSpec> Chime;
  std::uint32_t Rate = 22050;  // of synthesised sounds
  std::uint16_t Bits = 16;
  std::uint16_t Channels = 1;
  bool Adpcm = false;  // stored as 4-bit IMA ADPCM
};

struct TManifestElement {
  std::string Name;
  std::string Place;  // for messages: "elements.logo"
  TManifestKind Kind = TManifestKind::mkText;
  TPictureSource Picture;
  TTextStyle Text;
  std::int16_t Shape = 0;
  TSoundSource Sound;
};

// A sound played by a page or a click area, with the flags of its sound placement.
struct TSoundUse {
  std::size_t Element = 0;
  bool Loop = false;
  bool Flag1 = false;
  bool Flag2 = false;
  std::uint32_t Value = 0;
};

// A placement of a picture, text, placeholder or click area.
struct TManifestPlacement {
  std::string Place;
  std::size_t Element = 0;
  TRect At{};
  std::optional<TColor> Key;  // pictures: drawn keyed
  bool Backdrop = false;      // pictures: the page's tiled backdrop
  std::int16_t Action = 0;    // click areas: a page number or one of the action codes
  std::string Link;           // click areas with the web-link action
  std::optional<TSoundUse> Sound;  // click areas
};

struct TManifestPage {
  std::string Place;
  std::string Name;  // Windows-1252; stored in the page block
  TColor Colour = 0xFFFFFF;
  std::optional<TSoundUse> Sound;
  std::vector<std::size_t> Placements;  // indexes into TManifest::Placements, bottom first
};

struct TManifest {
  std::filesystem::path Path;
  std::uint16_t FormatCode = kDefaultFormatCode;
  std::uint16_t NeededVersion = kDefaultNeededVersion;
  std::int32_t Width = 640;
  std::int32_t Height = 340;
  std::vector<TInfoSectionDesc> Info;
  std::optional<TNavBarDesc> NavBar;
  std::optional<TNoteDesc> Note;
  std::vector<TManifestElement> Elements;
  std::vector<TManifestPlacement> Placements;  // each becomes one occurrence
  TManifestPage Background;
  std::vector<TManifestPage> Pages;  // page n is Pages[n - 1]
};

// Reads and checks a manifest: every field, every name. Raises EManifestError with all the
// mistakes found, EFileError when the file cannot be read. Files the manifest names are
// only located here (relative to the manifest's folder), not read.
TManifest ReadManifest(const std::filesystem::path& path);
// The same for manifest text; baseDir resolves relative file names, fileName names it in
// messages.
TManifest ParseManifest(const std::string& text, const std::filesystem::path& baseDir, const std::string& fileName);

}  // namespace qrl

#include "format/TAtomicFile.h"
#include "tools/authoring/FlyerCompiler.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "document/FlyerCopy.h"
#include "document/TFlyerWriter.h"
#include "elements/ImaAdpcmEncoder.h"
#include "elements/TCKbSound.h"
#include "elements/TCKbTekst.h"
#include "format/FileNames.h"
#include "format/FlyerLayout.h"
#include "format/Packing.h"
#include "tools/authoring/PcmSound.h"
#include "tools/authoring/PictureCoding.h"
#include "tools/authoring/StoredText.h"

namespace qrl {

namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t kImaAdpcmCompression = 1;
constexpr std::size_t kMaxOccurrences = 32767;

std::int16_t TextFlags(const TTextStyle& t) {
  int flags = (t.Opaque ? tfOpaque : 0) | (t.Framed ? tfFramed : 0) | (t.Scrollable ? tfScrollAllowed : 0) |
              (t.Alignment == 1 ? tfRight : t.Alignment == 2 ? tfCentre : 0) | (t.Bold ? tfBold : 0) |
              (t.Italic ? tfItalic : 0) | (t.Underline ? tfUnderline : 0) | (t.StrikeOut ? tfStrikeOut : 0);
  return static_cast<std::int16_t>(flags);
}

TPlacementDesc PlacementOf(const TRect& r) { return {r.Left, r.Top, r.Width, r.Height, 0, 0}; }

class TCompiler {
 public:
  TCompiler(const TManifest& m, const TTextMeasurer& measurer)
      : m_(m), measurer_(measurer), errors_(m.Path.filename().string()), placementsOf_(m.Elements.size()),
        soundUsesOf_(m.Elements.size()), occurrenceOf_(m.Placements.size(), 0) {}

  TFlyerDesc Compile() {
    NumberOccurrences(m_.Background);
    for (const auto& page : m_.Pages) NumberOccurrences(page);
    for (std::size_t e = 0; e < m_.Elements.size(); ++e) {
      const std::size_t count = m_.Elements[e].Kind == TManifestKind::mkSound ? soundUsesOf_[e].size() : placementsOf_[e].size();
      if (count > kMaxOccurrences) errors_.Add(m_.Elements[e].Place, "placed more than 32767 times");
    }
    errors_.ThrowIfAny();

    TFlyerDesc flyer;
    flyer.Header.FormatCode = m_.FormatCode;
    flyer.Header.NeededVersion = m_.NeededVersion;
    TInfoDesc info;
    info.Width = m_.Width;
    info.Height = m_.Height;
    info.Sections = m_.Info;
    flyer.Blocks.emplace_back(std::move(info));
    if (m_.NavBar) flyer.Blocks.emplace_back(*m_.NavBar);
    if (m_.Note) flyer.Blocks.emplace_back(*m_.Note);
    for (std::size_t e = 0; e < m_.Elements.size(); ++e) flyer.Blocks.emplace_back(Element(e));
    errors_.ThrowIfAny();
    flyer.Blocks.emplace_back(Page(m_.Background));
    for (const auto& page : m_.Pages) flyer.Blocks.emplace_back(Page(page));
    return flyer;
  }

 private:
  static std::uint16_t IdOf(std::size_t element) { return static_cast<std::uint16_t>(element + 1); }

  // Occurrences in the order the pages first show them, so that a text's first occurrence is
  // the placement the reader meets first.
  void NumberOccurrences(const TManifestPage& page) {
    if (page.Sound) SoundOccurrence(*page.Sound);
    for (const std::size_t p : page.Placements) {
      if (occurrenceOf_[p] != 0) continue;
      auto& list = placementsOf_[m_.Placements[p].Element];
      list.push_back(p);
      occurrenceOf_[p] = static_cast<std::uint16_t>(std::min(list.size(), kMaxOccurrences));
      if (m_.Placements[p].Sound) SoundOccurrence(*m_.Placements[p].Sound);
    }
  }

  // Sound placements hold nothing but their flags, so equal uses share one.
  std::uint16_t SoundOccurrence(const TSoundUse& use) {
    auto& uses = soundUsesOf_[use.Element];
    const auto same = [&](const TSoundUse& u) {
      return std::tie(u.Loop, u.Flag1, u.Flag2, u.Value) == std::tie(use.Loop, use.Flag1, use.Flag2, use.Value);
    };
    auto it = std::find_if(uses.begin(), uses.end(), same);
    if (it == uses.end()) it = uses.insert(uses.end(), use);
    return static_cast<std::uint16_t>(std::min<std::size_t>(static_cast<std::size_t>(it - uses.begin()) + 1, kMaxOccurrences));
  }

  TElementDesc Element(std::size_t index) {
    const TManifestElement& source = m_.Elements[index];
    TElementDesc e;
    e.Id = IdOf(index);
    try {
      switch (source.Kind) {
        case TManifestKind::mkPicture: Picture(index, e); break;
        case TManifestKind::mkText:
        case TManifestKind::mkPlaceholder: Text(index, e); break;
        case TManifestKind::mkClick: Click(index, e); break;
        case TManifestKind::mkSound: Sound(index, e); break;
      }
    } catch (const std::exception& error) {
      const bool fromFile = source.Kind == TManifestKind::mkPicture || !source.Sound.File.empty();
      errors_.Add(FieldPlace(source.Place, fromFile ? "file" : ""), error.what());
    }
    return e;
  }

  void Picture(std::size_t index, TElementDesc& e) {
    e.Kind = ekImage;
    // The player decodes at the largest width and the largest height of the placements.
    int width = 1, height = 1;
    // Keyed placements that agree on their colour let the encoder keep the key region exact; a
    // picture keyed with several colours is coded as an ordinary one.
    std::optional<TColor> key;
    bool keysAgree = true;
    for (const std::size_t p : placementsOf_[index]) {
      const TManifestPlacement& placement = m_.Placements[p];
      width = std::max(width, placement.At.Width);
      height = std::max(height, placement.At.Height);
      TOccurrenceDesc o;
      o.Placement = PlacementOf(placement.At);
      o.ImageFlags = static_cast<std::int16_t>((placement.Key ? 1 : 0) | (placement.Backdrop ? 4 : 0));
      o.KeyColour = placement.Key.value_or(0);
      e.Occurrences.push_back(o);
      if (placement.Key) {
        keysAgree = keysAgree && (!key || *key == *placement.Key);
        key = placement.Key;
      }
    }
    const TPictureSource& picture = m_.Elements[index].Picture;
    e.PictureData = CodePicture(picture.File, width, height, picture.Quality, keysAgree ? key : std::nullopt);
  }

  void Text(std::size_t index, TElementDesc& e) {
    const TTextStyle& style = m_.Elements[index].Text;
    e.Kind = ekText;
    e.BackColour = style.Background;
    e.FontCode = style.FontCode;
    e.TextColour = style.Colour;
    e.FontSize = style.Size;
    e.TextFlags = TextFlags(style);
    const auto& placements = placementsOf_[index];
    if (!placements.empty())
      e.Lines = LayOutStoredLines(style, m_.Placements[placements.front()].At, placements.size() > 1, m_.FormatCode,
                                  measurer_);
    for (const std::size_t p : placements) {
      TOccurrenceDesc o;
      o.Placement = PlacementOf(m_.Placements[p].At);
      e.Occurrences.push_back(o);
    }
  }

  void Click(std::size_t index, TElementDesc& e) {
    e.Kind = ekClick;
    e.Shape = m_.Elements[index].Shape;
    for (const std::size_t p : placementsOf_[index]) {
      const TManifestPlacement& placement = m_.Placements[p];
      TOccurrenceDesc o;
      o.Placement = PlacementOf(placement.At);
      o.Action = placement.Action;
      o.LinkText = placement.Link;
      if (placement.Sound) {
        o.SoundElement = IdOf(placement.Sound->Element);
        o.SoundIndex = SoundOccurrence(*placement.Sound);
      }
      e.Occurrences.push_back(o);
    }
  }

  void Sound(std::size_t index, TElementDesc& e) {
    const TSoundSource& source = m_.Elements[index].Sound;
    e.Kind = ekSound;
    for (const TSoundUse& use : soundUsesOf_[index]) {
      TOccurrenceDesc o;
      o.SoundFlags = (use.Loop ? 1u : 0u) | (use.Flag1 ? 2u : 0u) | (use.Flag2 ? 4u : 0u);
      o.Value = use.Value;
      e.Occurrences.push_back(o);
    }
    TPcmSound pcm = source.File.empty() ? SynthesiseSound(source) : ReadWaveFile(source.File);
    e.Channels = pcm.Channels;
    e.SampleRate = pcm.SampleRate;
    if (!source.Adpcm) {
      e.SoundCompression = kPcmCompression;
      e.BitsPerSample = pcm.BitsPerSample;
      e.SoundData = std::move(pcm.Data);
      return;
    }
    e.SoundCompression = kImaAdpcmCompression;
    e.BitsPerSample = 4;
    e.SoundData = TImaAdpcmEncoder(pcm.Channels).Encode(pcm.Samples16());
  }

  TPageDesc Page(const TManifestPage& page) {
    TPageDesc p;
    p.Name = page.Name;
    p.Colour = page.Colour;
    if (page.Sound) {
      p.SoundElement = IdOf(page.Sound->Element);
      p.SoundOccurrence = SoundOccurrence(*page.Sound);
    }
    for (const std::size_t placement : page.Placements)
      p.Refs.push_back({IdOf(m_.Placements[placement].Element), occurrenceOf_[placement], 0});
    return p;
  }

  const TManifest& m_;
  const TTextMeasurer& measurer_;
  TManifestErrors errors_;
  std::vector<std::vector<std::size_t>> placementsOf_;  // per element: placements in occurrence order
  std::vector<std::vector<TSoundUse>> soundUsesOf_;     // per sound element: distinct uses
  std::vector<std::uint16_t> occurrenceOf_;             // per placement: its occurrence number
};

std::string ResourceNameFor(const std::string& outputPath) {
  const std::string name = ExtractFileName(outputPath);
  return name.substr(0, name.size() - ExtractFileExt(name).size()) + ".QRL";
}

}  // namespace

TFlyerDesc CompileManifest(const TManifest& manifest, const TTextMeasurer& measurer) {
  return TCompiler(manifest, measurer).Compile();
}

void BuildFlyer(const fs::path& manifestPath, const std::string& outputPath, const TTextMeasurer& measurer,
                const std::string& kickstarterPath) {
  const TManifest manifest = ReadManifest(manifestPath);
  const bool packed = IsKickstarterName(outputPath);
  std::error_code ec;
  if (packed && (kickstarterPath.empty() || !fs::is_regular_file(kickstarterPath, ec)))
    throw EQuireleafException(kNoKickstarterMessage);
  const TFlyerDesc flyer = CompileManifest(manifest, measurer);
  if (!packed) {
    WriteFlyerFile(flyer, outputPath);
    return;
  }
  // The plain flyer goes to a scratch file beside the target, removed again once packed.
  const TAtomicFile scratch(outputPath);
  WriteFlyerFile(flyer, scratch.TempPath());
  PackFlyer(kickstarterPath, scratch.TempPath(), ResourceNameFor(outputPath), outputPath);
}

}  // namespace qrl

#pragma once
// A plain description of a flyer file, block by block, from which TFlyerWriter writes the file.
// Every stored field is here, also those the player ignores, so that tests and tools can write
// any flyer: valid ones, unusual ones and damaged ones.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "document/NoteBlock.h"
#include "format/TQLStream.h"

namespace qrl {

using TBytes = std::vector<std::uint8_t>;

struct THeaderDesc {
  std::uint16_t FormatCode = 16;
  std::uint16_t NeededVersion = 120;  // hundredths: 120 = 1.20
  std::uint16_t StampWord = 0;
  std::uint8_t StampBytes[5] = {0, 0, 0, 0, 0};
  TBytes Extra;  // further header bytes a newer writer might add
};

struct TInfoItemDesc {
  std::string Key;
  TStrings Lines;
};

struct TInfoSectionDesc {
  std::int16_t Unused = 0;
  std::string Name;
  std::vector<TInfoItemDesc> Items;
};

// Block 0x8101. The sections are written only when the format code is 16 or above.
struct TInfoDesc {
  std::int32_t Width = 640;
  std::int32_t Height = 340;
  std::optional<std::int16_t> ElementCount;  // default: the number of element blocks
  std::optional<std::int16_t> PageCount;     // default: the number of page blocks less one
  std::int16_t Reserved1 = 0;
  std::int16_t Reserved2 = 0;
  std::vector<TInfoSectionDesc> Sections;
};

// Block 0x0101: bit 0 page buttons, 1 close, 2 mute, 3 note, 4 info.
struct TNavBarDesc {
  std::int16_t Flags = 0x1F;
  TBytes Extra;
};

// Block 0x0301.
struct TNoteDesc {
  TStrings Lines;
  TNoteBounds Bounds;
};

// The common placement of every non-sound occurrence.
struct TPlacementDesc {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int16_t Ignored1 = 0;
  std::int16_t Ignored2 = 0;
};

// Block 0x8401 (Layout 1) or 0x8402 (Layout 2). Only the fields of the element's kind are written.
struct TOccurrenceDesc {
  int Layout = 2;
  std::uint16_t Unused1 = 0;  // the two words written when the format code is above 13
  std::uint16_t Unused2 = 0;
  TPlacementDesc Placement;
  // image
  std::int16_t ImageFlags = 0;  // bit 0 transparent (a key colour follows), bit 2 background tile
  TColor KeyColour = 0;
  // click area
  std::int16_t Action = 0;
  std::uint16_t SoundElement = 0;
  std::uint16_t SoundIndex = 0;
  std::string LinkText;  // layout 2 only
  // sound
  std::uint32_t SoundFlags = 0;  // bit 0 loop, bit 1 and 2 stored flags
  std::uint32_t Value = 0;
  TBytes Extra;  // appended to the payload; readers skip it
};

enum TElementKind : std::int16_t { ekImage = 1, ekClick = 2, ekText = 3, ekSound = 5 };

// Block 0x8201, or 0x8202 when Extended, followed by its occurrence blocks.
struct TElementDesc {
  std::int16_t Kind = ekText;  // any value may be written
  std::uint16_t Id = 1;
  bool Extended = false;
  TBytes ExtraFixed;  // extended only: unknown fixed fields after the known ones
  std::optional<std::uint16_t> DeclaredOccurrences;  // default: Occurrences.size()
  // image
  std::int16_t ImageCompression = 1;
  TBytes PictureData;
  // text
  std::int16_t TextCompression = 0;
  TColor BackColour = 0xFFFFFF;
  std::uint16_t FontCode = 0x0501;
  std::int16_t TextReserved = 0;
  TColor TextColour = 0;
  std::int16_t FontSize = 12;
  std::int16_t TextFlags = 0x0003;  // opaque and framed
  TStrings Lines;
  // click area
  std::int16_t Shape = 0;
  // sound
  std::uint16_t SoundCompression = 0;  // 0 PCM, else IMA ADPCM
  std::uint16_t Channels = 1;
  std::uint32_t SampleRate = 11025;
  std::uint16_t BitsPerSample = 8;
  TBytes SoundData;

  std::vector<TOccurrenceDesc> Occurrences;
};

struct TPageRefDesc {
  std::uint16_t Element = 0;
  std::uint16_t Occurrence = 1;
  std::int16_t Unused = 0;
};

// Block 0x8301, or 0x8302 when Extended.
struct TPageDesc {
  bool Extended = false;
  TBytes ExtraFixed;  // extended only: unknown fixed fields before the reference count
  std::int16_t Reserved1 = 0;
  TColor Colour = 0xFFFFFF;
  std::int16_t Reserved2 = 0;
  std::string Name;
  std::int16_t Reserved3 = 0;
  std::uint16_t SoundElement = 0;
  std::uint16_t SoundOccurrence = 0;
  std::optional<std::int16_t> DeclaredRefCount;  // default: Refs.size()
  std::vector<TPageRefDesc> Refs;
};

// Any block written as given: unknown codes, or known codes with a hand-made payload.
struct TRawBlockDesc {
  std::uint16_t Code = 0;
  TBytes Payload;
  bool BadChecksum = false;
};

using TBlockDesc = std::variant<TInfoDesc, TNavBarDesc, TNoteDesc, TElementDesc, TPageDesc, TRawBlockDesc>;

struct TFlyerDesc {
  THeaderDesc Header;
  std::vector<TBlockDesc> Blocks;  // in file order after the header
};

}  // namespace qrl

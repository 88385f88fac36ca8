#pragma once
// Where a flyer lies in its file and how it starts: the region (the whole file, or the packed
// record behind a kickstarter executable), the eight magic bytes, the header block with its
// version checks, and the block codes that follow it.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "format/TQLStream.h"

namespace qrl {

// Block codes. Each coded block is a word code followed by one framed block.
inline constexpr std::uint16_t bcNavBar = 0x0101;
inline constexpr std::uint16_t bcNote = 0x0301;
inline constexpr std::uint16_t bcFlyerInfo = 0x8101;
inline constexpr std::uint16_t bcElement = 0x8201;
inline constexpr std::uint16_t bcElementExt = 0x8202;
inline constexpr std::uint16_t bcPage = 0x8301;
inline constexpr std::uint16_t bcPageExt = 0x8302;
inline constexpr std::uint16_t bcOccurrence = 0x8401;
inline constexpr std::uint16_t bcOccurrenceExt = 0x8402;

// A reader that does not know an essential block must refuse the file; others may be skipped.
constexpr bool IsEssential(std::uint16_t code) { return (code & 0x8000) != 0; }

// Oldest layout generation this player reads, and its own version in hundredths (120 = 1.20).
inline constexpr std::uint16_t kMinFormatCode = 12;
inline constexpr std::uint16_t kPlayerVersion = 120;

// Messages of the refusals, shown as they stand.
inline constexpr const char* kNotKickstarterMessage = "This is not a Quireleaf Kickstarter.";
inline constexpr const char* kCompactedMessage = "This is not a compacted Quireleaf.";
inline constexpr const char* kNotQuireleafMessage = "This is not a Quireleaf.";

// The flyer's bytes in the file: [Start, End).
struct TFlyerRegion {
  std::int64_t Start = 0;
  std::int64_t End = 0;
};

// True when the name's extension, in upper case, is ".EXE" (the dot must follow the last
// '\\', '/' or ':').
bool IsKickstarterName(const std::string& path);

// Finds the flyer region and leaves the stream at its first byte, with the stream's region end
// set to the region's end. For a kickstarter the region
// is the "QXLB" record of the footer; a missing trailer, no such record, or lengths that are
// negative or point outside the file raise EQuireleafInvalidFile(kNotKickstarterMessage).
// Otherwise the region is the whole file.
TFlyerRegion LocateFlyerData(TQLStream& stream, bool kickstarter);

// Reads the eight fixed bytes at the stream's position; raises EQuireleafInvalidFile with
// kCompactedMessage for a compacted flyer and kNotQuireleafMessage for any other mismatch.
void CheckMagic(TQLStream& stream);

struct TStamp {
  std::uint16_t Word = 0;
  std::array<std::uint8_t, 5> Bytes{};
};

struct TFileHeader {
  std::uint16_t FormatCode = 0;
  std::uint16_t NeededVersion = 0;
  TStamp Stamp;
};

// Reads and verifies the framed header block that follows the magic bytes (sets the stream's
// FormatCode). An old format code or a needed version above kPlayerVersion raises
// EQuireleafInvalidFile with its message; framing and checksum errors are EQuireleafDebugger.
TFileHeader CheckFileHeader(TQLStream& stream);

// Writer side, for the authoring tool and tests.
void WriteMagic(TQLStream& stream);
void WriteFileHeader(TQLStream& stream, std::uint16_t formatCode, std::uint16_t neededVersion,
                     const TStamp& stamp = {});
// Writes code, then one framed and checksummed block whose payload `payload` writes.
void WriteCodedBlock(TQLStream& stream, std::uint16_t code, const std::function<void(TQLStream&)>& payload);

}  // namespace qrl

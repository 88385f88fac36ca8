#pragma once
// The footer that packs files behind an executable: records (a four-character tag, a signed
// 32-bit length L, L bytes) back to back, then the length of all records and the tag "QXLT".
// Lengths come from untrusted files, so every one is checked against the file before use.

#include <array>
#include <cstdint>

#include "format/TQLStream.h"

namespace qrl {

using TTag = std::array<char, 4>;

inline constexpr TTag kTrailerTag{'Q', 'X', 'L', 'T'};
inline constexpr TTag kFlyerTag{'Q', 'X', 'L', 'B'};
inline constexpr std::int64_t kTrailerSize = 8;

TTag ReadTag(TQLStream& stream);
void WriteTag(TQLStream& stream, const TTag& tag);

// The record area [Start, End); Start is -1 when the file does not end in a trailer.
struct TFooterArea {
  std::int64_t Start = -1;
  std::int64_t End = -1;
  bool Present() const { return Start >= 0; }
};

// Reads the trailer at the end of the stream's file. A trailer whose length points before the
// start of the file raises EQuireleafInvalidFile("This is not a Quireleaf Kickstarter.").
TFooterArea FindFooter(TQLStream& stream);

struct TFooterRecord {
  TTag Tag{};
  std::int64_t Offset = 0;  // of the tag
  std::int32_t Length = 0;  // L: the bytes after the length field
  std::int64_t DataStart() const { return Offset + 8; }
  std::int64_t End() const { return DataStart() + Length; }
};

// Reads the record header at the stream's position into `record`; false when no whole header
// fits before areaEnd. A length that is negative or runs past areaEnd raises
// EQuireleafInvalidFile("This is not a Quireleaf Kickstarter."). The stream is left at the
// record's data.
bool ReadFooterRecord(TQLStream& stream, std::int64_t areaEnd, TFooterRecord& record);

}  // namespace qrl

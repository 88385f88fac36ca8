#include "document/NoteBlock.h"

#include <string>

#include "format/CodePage.h"
#include "format/FontCodes.h"

namespace qrl {

namespace {

std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

std::int32_t WrapSub(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

constexpr TColor kNoteYellow = 0x00FFFF;  // red 255, green 255, blue 0
constexpr TColor kNoteBlack = 0x000000;

// A character 0 would end the stored list early and shift every field after it, so a note that
// holds one cannot be stored as it is.
void CheckStorable(const TStrings& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find('\0') != std::string::npos) throw EUnstorableText(U'\0', "Note line " + std::to_string(i + 1));
}

}  // namespace

TNoteBounds TNoteBounds::FromSize(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  return {left, top, WrapAdd(left, width), WrapAdd(top, height)};
}

std::int32_t TNoteBounds::Width() const { return WrapSub(Right, Left); }
std::int32_t TNoteBounds::Height() const { return WrapSub(Bottom, Top); }

void ReadNoteBlock(TQLStream& stream, TStrings& lines, TNoteBounds& bounds) {
  stream.ReadBlock([&](TQLStream& s) {
    s.ReadSmallInt();
    s.ReadColor();
    s.ReadWord();
    s.ReadSmallInt();
    s.ReadColor();
    s.ReadSmallInt();
    s.ReadSmallInt();
    s.ReadLines(lines);
    const std::int32_t left = s.ReadLongInt();
    const std::int32_t top = s.ReadLongInt();
    const std::int32_t width = s.ReadLongInt();
    const std::int32_t height = s.ReadLongInt();
    bounds = TNoteBounds::FromSize(left, top, width, height);
  });
}

void WriteNoteBlock(TQLStream& destination, const TStrings& lines, const TNoteBounds& bounds) {
  CheckStorable(lines);
  destination.WriteBlock([&](TQLStream& s) {
    s.WriteSmallInt(0);
    s.WriteColor(kNoteYellow);
    s.WriteWord(FontCodeOf("Arial"));
    s.WriteSmallInt(0);
    s.WriteColor(kNoteBlack);
    s.WriteSmallInt(10);
    s.WriteSmallInt(4);
    s.WriteLines(lines);
    s.WriteLongInt(bounds.Left);
    s.WriteLongInt(bounds.Top);
    s.WriteLongInt(bounds.Width());
    s.WriteLongInt(bounds.Height());
  });
}

}  // namespace qrl

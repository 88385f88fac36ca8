#pragma once
// The note block a reader keeps inside a flyer: fixed fields (colours and font of the note
// window), the note lines and the window's place relative to the main window.

#include <cstdint>

#include "format/TQLStream.h"

namespace qrl {

// A rectangle as left, top, right, bottom. Width and height wrap like the stored 32-bit fields,
// so any stored place survives a read and a write unchanged.
struct TNoteBounds {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;

  static TNoteBounds FromSize(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
  std::int32_t Width() const;
  std::int32_t Height() const;
  bool operator==(const TNoteBounds&) const = default;
};

// Reads one framed note block (the code already read): the seven fixed fields are passed
// over, then the lines and the place. The checksum is verified.
void ReadNoteBlock(TQLStream& stream, TStrings& lines, TNoteBounds& bounds);

// Writes one framed note block (without its code) carrying these lines and this place. A line
// holding a character 0 is refused (EUnstorableText) before anything is written: the stored
// lines end at it.
void WriteNoteBlock(TQLStream& destination, const TStrings& lines, const TNoteBounds& bounds);

}  // namespace qrl

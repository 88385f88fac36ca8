#pragma once
// Writes flyer files from a TFlyerDescription: the magic bytes, the header block, then every
// described block in order, each framed and checksummed. Used by tests, the fuzz seeds, the
// benchmark and the authoring tool.

#include <cstdint>
#include <string>

#include "document/FlyerDescription.h"
#include "format/TQLStream.h"

namespace qrl {

class TFlyerWriter {
 public:
  // Writes at the stream's position; formatCode decides the layouts that depend on it (the two
  // words of occurrence blocks above 13, the information sections from 16 on).
  explicit TFlyerWriter(TQLStream& stream) : stream_(stream) {}

  // The eight magic bytes and the header block; takes the format code for what follows.
  void WriteStart(const THeaderDesc& header);
  void WriteBlock(const TBlockDesc& block);

  void WriteInfo(const TInfoDesc& info, int elementCount, int pageCount);
  void WriteNavBar(const TNavBarDesc& navBar);
  void WriteNote(const TNoteDesc& note);
  // The element block followed by one block per described occurrence.
  void WriteElement(const TElementDesc& element);
  void WritePage(const TPageDesc& page);
  void WriteRaw(const TRawBlockDesc& raw);

  std::uint16_t FormatCode() const { return formatCode_; }
  void SetFormatCode(std::uint16_t formatCode) { formatCode_ = formatCode; }

 private:
  void WriteOccurrence(const TElementDesc& element, const TOccurrenceDesc& occurrence);

  TQLStream& stream_;
  std::uint16_t formatCode_ = 16;
};

// Writes the whole described flyer to path: into a temporary file beside it first, renamed
// over path only when complete.
void WriteFlyerFile(const TFlyerDesc& flyer, const std::string& path);

}  // namespace qrl

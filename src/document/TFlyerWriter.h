#pragma once
// Writes flyer files from a flyer description (FlyerDescription.h): the magic bytes, the header block, then every
// described block in order, each framed and checksummed. Used by tests, the fuzz seeds, the
// benchmark and the authoring tool.

#include <cstdint>
#include <string>

#include "document/FlyerDescription.h"
#include "format/TQLStream.h"

namespace qrl {

class TFlyerWriter {
 public:
  // Writes at the stream's position. The format code given to WriteStart decides the
  // layouts that depend on it: the two words of occurrence blocks above 13, the information
  // sections from 16 on.
  explicit TFlyerWriter(TQLStream& stream) : stream_(stream) {}

  // The eight magic bytes and the header block; takes the format code for what follows.
  void WriteStart(const THeaderDesc& header);
  // Any described block; an information block gets the counts it declares, 0 where it declares
  // none (WriteFlyerFile fills in the real counts).
  void WriteBlock(const TBlockDesc& block);

  // elementCount and pageCount stand where the description declares no counts.
  void WriteInfo(const TInfoDesc& info, int elementCount, int pageCount);
  void WriteNavBar(const TNavBarDesc& navBar);
  void WriteNote(const TNoteDesc& note);
  // The element block followed by one block per described occurrence.
  void WriteElement(const TElementDesc& element);
  void WritePage(const TPageDesc& page);
  void WriteRaw(const TRawBlockDesc& raw);

 private:
  void WriteOccurrence(const TElementDesc& element, const TOccurrenceDesc& occurrence);

  TQLStream& stream_;
  std::uint16_t formatCode_ = 16;
};

// Writes the whole described flyer at the stream's position, the information block declaring
// the real counts of elements and pages unless it declares its own.
void WriteFlyer(const TFlyerDesc& flyer, TQLStream& stream);
// The same to path: into a temporary file beside it first, renamed over path only when complete.
void WriteFlyerFile(const TFlyerDesc& flyer, const std::string& path);
// The same into memory: the bytes of the flyer file.
TBytes FlyerBytes(const TFlyerDesc& flyer);

}  // namespace qrl

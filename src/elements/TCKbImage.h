#pragma once
// The image element: one compressed picture, decoded once at the largest size its placements
// need, and its placements, drawn opaque, with a transparent key colour, or as a page's
// background tile. Decoded bitmaps of pages out of view go to swap files when memory runs low.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "elements/TCKbControl.h"
#include "elements/TCKbOccurrence.h"
#include "format/Dib.h"

namespace qrl {

inline constexpr std::int16_t kFifCompression = 1;

class TCKbImage : public TCKbControl {
 public:
  using TCKbControl::TCKbControl;
  ~TCKbImage() override;  // leaves the shared swap candidates

  TDib Bitmap;                        // the decoded picture; empty when not in memory
  std::int32_t PictureWidth = 0;      // FIF: size to decode at (0: the picture's own); after
  std::int32_t PictureHeight = 0;     // decoding: the bitmap's size
  std::vector<std::uint8_t> Data;     // the compressed picture; dropped after decoding
  std::int32_t DataSize = 0;          // bytes of compressed picture as loaded
  bool IsJpeg = false;                // Data is a JPEG file (LoadFromJpegFile)
  bool OnDisk = false;                // SwapFileName holds the bitmap
  bool InMemory = false;              // Bitmap is present
  std::string SwapFileName;

  int Kind() const override { return kindImage; }
  // Compression type (must be kFifCompression, else 4112), then the picture data: the rest of
  // the block.
  void Load(TQLStream& stream, std::int64_t headerEnd) override;
  // Decodes the picture once (FIF at PictureWidth x PictureHeight, or JPEG) and drops Data.
  void Prepare() override;
  // Leaves the swap candidates; when the bitmap is not in memory, first swaps out the oldest
  // candidates while memory is below the threshold or the flyer's pictures exceed their budget,
  // then decodes or reads the swap file back.
  void Ensure() override;
  // force: swaps the bitmap out now. Otherwise it becomes the newest swap candidate, and the
  // oldest candidates are swapped out while the flyer's pictures exceed their budget.
  void Release(bool force) override;

  // Reads a JPEG picture file and decodes it at once (EJPEG for a damaged picture).
  void LoadFromJpegFile(const std::string& path);
  // Writes the bitmap to a new swap file unless it is already on disk.
  void SwapOut();

 protected:
  std::unique_ptr<TCKbOccurrence> CreateOccurrence() override;

 private:
  void ReadSwapFile();
  // Brings the flyer's count of resident picture bytes up to date with Bitmap.
  void CountResidentBytes();
  std::size_t swappedSize_ = 0;
  std::int64_t residentBytes_ = 0;  // this element's share of the count
};

class TCKbOccImage : public TCKbOccurrence {
 public:
  explicit TCKbOccImage(TCKbImage& element) : TCKbOccurrence(element) {}

  bool Transparent = false;  // pixels of KeyColour are not drawn
  bool Background = false;   // the page's background tile
  TColor KeyColour = 0;
  // The renderer's transparency masks at the current size; Rescale drops them.
  std::shared_ptr<void> MaskCache;

  // Layout 2: placement first. FIF pictures then have flags (bit 0 transparent with a key
  // colour following, bit 2 background) and, in layout 1, the placement after them. A JPEG
  // picture (made from a placeholder text) has the text's placement first in both layouts. A
  // picture not yet decoded grows its decoding size to cover what can be seen of this placement.
  void Load(TQLStream& stream, int layout) override;
  void Rescale(double scale) override;

  TCKbImage& Image() const { return static_cast<TCKbImage&>(Element()); }
};

}  // namespace qrl

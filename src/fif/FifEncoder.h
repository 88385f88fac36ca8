#pragma once
// The FIF encoder: a partitioned iterated function system over YCbCr (chroma halved in both
// directions) or a single grey plane, with an adaptive quadtree partition, a local domain search
// and range-coded parameters. Pictures whose pixels are all grey are stored as one plane.

#include <cstdint>
#include <optional>
#include <vector>

#include "fif/FifBitstream.h"
#include "format/Dib.h"

namespace qrl {

struct TFifEncodeOptions {
  // 1 (smallest file) to 100 (best picture); the default gives about 30 dB PSNR or better on photographs.
  int quality = kFifDefaultQuality;
  // Stored for GetPhysicalDimensions; absent: the picture has no physical size.
  std::optional<TFifPhysicalSize> physicalSize;
  // The colour the picture will be keyed with: its key region is then kept exactly, and the rest
  // of the picture clear of the key at every output size. Absent: an ordinary picture.
  std::optional<TFifKeyColour> key;
  // Threads the planes are encoded on; 0: one per core. The stream is the same either way.
  int threads = 0;

  static TFifEncodeOptions WithQuality(int quality) {
    TFifEncodeOptions options;
    options.quality = quality;
    return options;
  }
};

// Encodes a 24-bit picture of 1 x 1 up to kFifMaxPictureSide per side (and kFifMaxPicturePixels in
// all). Throws EFifError (fsBadPicture or fsBadArgument) for an empty or oversized picture or a
// quality outside 1..100.
std::vector<std::uint8_t> EncodeFif(const TDib& picture, const TFifEncodeOptions& options = {});

// Encodes a grey picture given as rows of one byte per pixel, top row first, stride bytes apart.
std::vector<std::uint8_t> EncodeFifGrey(const std::uint8_t* pixels, int width, int height, std::ptrdiff_t stride,
                                        const TFifEncodeOptions& options = {});

}  // namespace qrl

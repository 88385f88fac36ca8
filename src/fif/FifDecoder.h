#pragma once
// The FIF decoder: parses and checks a whole stream once, then renders the picture's attractor
// directly on any requested output grid (no decode-then-resize). Rendering is deterministic and
// leaves the decoder unchanged, so one parsed picture may be rendered at several sizes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "fif/FifBitstream.h"
#include "format/Dib.h"

namespace qrl {

struct TFifPicture;  // the parsed planes (internal)

// Largest output a render may ask for: each side and the total number of pixels.
inline constexpr int kFifMaxOutputSide = 16384;
inline constexpr std::int64_t kFifMaxOutputPixels = std::int64_t{1} << 25;

class TFifDecoder {
 public:
  // Parses and verifies the stream (checksum, header, every block); throws EFifError with
  // fsNotFif, fsUnsupportedVersion, fsBadHeader, fsDamaged or fsOutOfMemory. Parsing and rendering
  // use up to `threads` threads (0: one per core; small pictures stay on the calling thread).
  explicit TFifDecoder(std::span<const std::uint8_t> data, int threads = 0);
  ~TFifDecoder();
  TFifDecoder(TFifDecoder&&) noexcept;
  TFifDecoder& operator=(TFifDecoder&&) noexcept;

  const TFifHeader& Header() const { return header_; }
  int Width() const { return header_.width; }
  int Height() const { return header_.height; }

  // Renders at width x height into rows of blue-green-red bytes: firstRow holds the bottom row
  // of the picture, the next row up starts stride bytes further (stride >= 3 * width, or
  // negative for a top-down buffer). Throws EFifError fsBadOutputSize beyond the caps,
  // fsBadArgument for a null buffer or a short stride, fsOutOfMemory.
  void RenderBgr(int width, int height, std::uint8_t* firstRow, std::ptrdiff_t stride) const;
  // The same into a new packed bottom-up DIB.
  TDib Render(int width, int height) const;
  // At the picture's own size.
  TDib Render() const { return Render(Width(), Height()); }

 private:
  // The planes of one segment (0: luma, 1: both chroma planes) with the segment's coder.
  template <class IO, class Models>
  void ParsePlanes(IO& reader, Models& models, std::size_t segment, std::size_t maxBlocks);

  int threads_ = 1;
  TFifHeader header_;
  std::unique_ptr<TFifPicture> picture_;
};

}  // namespace qrl

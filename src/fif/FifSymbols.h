#pragma once
// The coded form of one plane: its quadtree leaves (range blocks) with their parameters, and
// the one piece of code that walks the quadtree and codes every parameter. The same walk writes
// (encoder) or reads (decoder), so the two sides cannot drift apart; streams before version 3
// code each parameter as adaptive binary decisions, version 3 as symbols of the rANS coder.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "fif/FifBitstream.h"
#include "fif/RangeCoder.h"
#include "fif/RansCoder.h"

namespace qrl {

// A range block: the quadtree square at (x, y) of side 1 << log2, clipped to the plane.
// Sixteen bytes: pictures hold up to a leaf per pixel, and parsing and rendering stream through
// them. Every field holds its whole range (sides up to 65535, blocks up to 128, means up to 318).
struct TFifBlock {
  std::uint16_t x = 0;
  std::uint16_t y = 0;
  std::uint8_t w = 0;
  std::uint8_t h = 0;
  std::uint8_t log2 = 0;
  std::int8_t contrast = 0;    // contrast = contrast / contrastDen; 0: a flat block, no domain
  std::int16_t meanIndex = 0;  // block mean = meanIndex * meanStep of the block's level
  std::uint8_t isometry = 0;   // bit 2 transpose (square blocks only), then bit 0 mirror x, bit 1 mirror y
  std::uint16_t domainX = 0;   // top-left of the w x h domain in the half-size plane
  std::uint16_t domainY = 0;
};
static_assert(sizeof(TFifBlock) == 16);

// The quadtree node at (x, y) of side 1 << log2 as a block, clipped to a plane of width x height.
inline TFifBlock NodeBlock(int x, int y, int log2, int width, int height) {
  TFifBlock b;
  b.x = static_cast<std::uint16_t>(x);
  b.y = static_cast<std::uint16_t>(y);
  b.log2 = static_cast<std::uint8_t>(log2);
  b.w = static_cast<std::uint8_t>(std::min(1 << log2, width - x));
  b.h = static_cast<std::uint8_t>(std::min(1 << log2, height - y));
  return b;
}

struct TFifPlane {
  int width = 0;
  int height = 0;
  std::vector<TFifBlock> blocks;  // in coding order: top blocks in raster order, depth first
};

// Adaptive probabilities shared by all planes of one kind (luma, or both chroma planes).
struct TFifPlaneContexts {
  static constexpr int kSignedClasses = 16;
  struct TSigned {
    TBitContext zero;
    TBitContext sign;
    TBitContext classBits[kSignedClasses];
    TBitContext mantissa[kSignedClasses][kSignedClasses];
  };
  TBitContext split[kFifMaxLevels][3];
  TSigned mean[2];  // by whether the block is a leaf of the smallest size
  TBitContext contrastZero[kFifMaxLevels][3];
  TBitContext contrastSign[kFifMaxLevels];
  TBitContext contrastMagnitude[kFifMaxLevels][kFifMaxContrastLevels];
  TBitContext isometry[8];
  TBitContext offset[kFifMaxLevels][2][128];
};

// The symbol models of one kind of plane in version 3 (luma, or both chroma planes).
struct TFifPlaneModels {
  explicit TFifPlaneModels(const TFifPlaneParams& params);
  // Mean residuals: sign and magnitude class in one symbol, the rest of the magnitude raw; a
  // magnitude class keeps this many bits below the top one. Magnitudes reach 255 (2^8 - 1).
  static constexpr int kMeanSubBits = 2;
  static constexpr int kMeanSymbols = 1 + 2 * ((2 << kMeanSubBits) + (1 << kMeanSubBits) * (7 - kMeanSubBits));
  // Neighbouring means this far apart (0..255 scale) or more make a block's activity 1, then 2.
  static constexpr int kActivity[2] = {4, 16};
  // Domain offsets along both axes are one symbol while a window is at most this wide.
  static constexpr int kJointOffsetWidth = 15;
  TBinaryModel split[kFifMaxLevels][3];
  TSymbolModel mean[2][3];  // by smallest size, then activity
  TBinaryModel flat[kFifMaxLevels][3];
  std::vector<TSymbolModel> contrast;  // per level, contrast index -L..-1, 1..L
  TSymbolModel isometry[2];            // square blocks, others
  std::vector<TSymbolModel> offset;    // per level: both axes (2 level), or x (2 level) and y (2 level + 1)
};

// The domain search window of a block: offsets index 0 .. 2 * radius, position
// base + (index - radius) * step in the half-size plane.
int DomainBase(int position, int size);
inline int DomainOffsetBits(int radius) {
  int bits = 0;
  while ((1 << bits) < 2 * radius + 1) ++bits;
  return bits;
}
inline int MaxMeanIndex(int meanStep) { return (255 + meanStep - 1) / meanStep; }
// The mean index of a step nearest to a mean value, halves rounded up: how a predicted mean
// value becomes the predicted index.
inline int NearestMeanIndex(int value, int meanStep) { return (2 * value + meanStep) / (2 * meanStep); }

class TSymbolWriter {
 public:
  static constexpr bool kReading = false;
  int Bit(TBitContext& context, int bit) {
    coder_.Encode(context, bit);
    return bit;
  }
  void CheckInput() const {}
  TRangeEncoder& Coder() { return coder_; }

 private:
  TRangeEncoder coder_;
};

class TSymbolReader {
 public:
  static constexpr bool kReading = true;
  explicit TSymbolReader(std::span<const std::uint8_t> data) : coder_(data) {}
  int Bit(TBitContext& context, int) { return coder_.Decode(context); }
  // Throws EFifError fsDamaged once the data ran out.
  void CheckInput() const;

 private:
  TRangeDecoder coder_;
};

// Signed integers: zero flag, sign, then |v| - 1 as an Elias-gamma class (unary, adaptive, at
// most maxClass bits, maxClass <= 15) and its mantissa bits (adaptive per class and position).
template <class IO>
int CodeSignedValue(IO& io, TFifPlaneContexts::TSigned& contexts, int value, int maxClass);

// A stream holds at most this many range blocks in all, so that memory follows the size of the
// data and not just the declared picture size. Real pictures need over a bit per block (a
// one-pixel checkerboard about 1.2); the encoder pads its payload should it ever need more.
inline std::size_t MaxFifBlocks(std::size_t payloadBytes) { return 32 * payloadBytes + 4096; }

// Writes plane.blocks (which must tile the plane in coding order), or reads them into plane.blocks
// (plane.width and plane.height set by the caller). Reading throws EFifError fsDamaged for
// parameters out of range, more than maxLeaves blocks, or a stream cut short. IO is
// TSymbolWriter or TSymbolReader with contexts (versions 1 and 2), TRansEncoder or TRansDecoder
// with models (version 3).
template <class IO>
void CodePlane(IO& io, TFifPlaneContexts& contexts, const TFifPlaneParams& params, TFifPlane& plane,
               std::size_t maxLeaves = SIZE_MAX);
template <class IO>
void CodePlane(IO& io, TFifPlaneModels& models, const TFifPlaneParams& params, TFifPlane& plane,
               std::size_t maxLeaves = SIZE_MAX);

}  // namespace qrl

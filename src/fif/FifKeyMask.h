#pragma once
// The key region of a keyed picture: which pixels the player leaves out when it shows the picture
// over a page. Kept losslessly at the picture's own size, row by row as the columns where
// membership flips, so that the decoder can give every output size exactly the source's region:
// key pixels come out as the key colour itself, all others outside the keying tolerance.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fif/FifBitstream.h"
#include "fif/FifSymbols.h"
#include "format/Dib.h"

namespace qrl {

struct TFifKeyMask {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> startsKeyed;  // per row: whether column 0 lies in the key region
  std::vector<std::size_t> rowStart;      // per row, and one more: where its flips begin in flips
  std::vector<std::int32_t> flips;        // columns 1 .. width - 1, increasing within a row

  // Row y as one byte per column, 1 in the key region.
  void ExpandRow(int y, std::uint8_t* out) const;
};

struct TFifKeyContexts {
  TBitContext sameShape[2];  // by whether the row above took the same shape as its own
  TBitContext startsKeyed[3];  // by the row above: 0 or 1, 2 for the first row
  TFifPlaneContexts::TSigned count;
  TFifPlaneContexts::TSigned gap;
  TFifPlaneContexts::TSigned shift;
};

// The region the player keys out of the picture: every pixel within kFifKeyTolerance of the key,
// and every pixel within half of it of the farthest in-tolerance colour met before it, rows taken
// as stored (bottom row first), each left to right.
TFifKeyMask FindKeyRegion(const TDib& picture, TFifKeyColour key);

// Writes mask, or reads it (width and height set by the caller). Reading throws EFifError
// fsDamaged for flips out of order or range, or more than maxFlips in all.
template <class IO>
void CodeKeyMask(IO& io, TFifKeyContexts& contexts, TFifKeyMask& mask, std::size_t maxFlips = SIZE_MAX);

// Rows rowBegin .. rowEnd - 1 (top row first) of a width x height output: pixels of the key region
// (sampled at each output pixel's centre) become the key colour, the others are moved just outside
// the tolerance should they lie within it. Rows as for TFifDecoder::RenderBgr.
void ApplyKeyMask(const TFifKeyMask& mask, TFifKeyColour key, int width, int height, std::uint8_t* firstRow,
                  std::ptrdiff_t stride, int rowBegin, int rowEnd);

// Paints the key region of a picture with its surroundings, spread inward a few pixels at a time,
// so that neither halved chroma nor block means carry the key colour into the picture's edges.
void FillKeyRegion(TDib& picture, const TFifKeyMask& mask);

}  // namespace qrl

#pragma once
// The last step of rendering: the luma grid and the two half-resolution chroma grids turned into
// rows of blue-green-red bytes. Chroma sits between luma pixels (at (X + 0.5) / 2 - 0.5 on its
// grid), so every output pixel blends its nearest chroma pixel 3:1 with the next one.

#include <cstddef>
#include <cstdint>

#include "fif/FifRender.h"

namespace qrl {

// Instruction sets beyond the baseline that the rows may use where the processor has them, each
// a faster path to the same bytes; `best` limits them, for tests that compare the paths.
enum class TFifInstructions { kSse2, kSsse3, kAvx2 };

// Rows rowBegin .. rowEnd - 1 of the output, counted from the top: row y of the picture starts at
// firstRow + (height - 1 - y) * stride.
void WriteGreyRows(const TFifGrid& luma, std::uint8_t* firstRow, std::ptrdiff_t stride, int rowBegin, int rowEnd,
                   TFifInstructions best = TFifInstructions::kAvx2);
void WriteColourRows(const TFifGrid& luma, const TFifGrid& cb, const TFifGrid& cr, std::uint8_t* firstRow,
                     std::ptrdiff_t stride, int rowBegin, int rowEnd, TFifInstructions best = TFifInstructions::kAvx2);

}  // namespace qrl

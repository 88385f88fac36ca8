#pragma once
// Evaluates the attractor of one plane's transformations directly on an output grid of its size
// or smaller: each output pixel takes the contrast-scaled, mean-removed value of its domain point,
// sampled from the previous iterate smoothed over twice the grid spacing. Iteration starts from
// the block means; all passes but the last run on the half-size grid at whole-number scales, and
// on the plane at half its size for reductions to more than a quarter of its pixels. Reduced
// grids see groups of flat leaves smaller than their pixels as one leaf (FifShownPlane.h).
// Enlarged axes take the attractor at the plane's own size, interpolated (FifResample.h).

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "fif/FifSymbols.h"

namespace qrl {

// An allocator whose vectors leave new elements of trivial types uninitialised: for buffers that
// are written in full before they are read, where zeroing them first would cost a pass of its own.
template <class T>
struct TUninitialised : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = TUninitialised<U>;
  };
  TUninitialised() = default;
  template <class U>
  TUninitialised(const TUninitialised<U>&) noexcept {}
  template <class U, class... TArgs>
  void construct(U* at, TArgs&&... args) {
    if constexpr (sizeof...(TArgs) == 0) ::new (static_cast<void*>(at)) U;
    else ::new (static_cast<void*>(at)) U(std::forward<TArgs>(args)...);
  }
};

// Grid pixels as rendering makes them: each is written before it is read.
using TFifPixels = std::vector<float, TUninitialised<float>>;

// Grid pixels per plane pixel, num / den.
struct TFifRatio {
  std::int64_t num = 1;
  std::int64_t den = 1;
};

struct TFifGrid {
  int width = 0;
  int height = 0;
  TFifPixels pixels;  // row by row, top row first; values on the 0..255 scale
  float At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The grid of gridWidth x gridHeight pixels that shows the plane at scale (sx, sy). Grid pixels
// whose centres fall beyond the plane's right or bottom edge belong to the blocks along that edge.
// Large grids share each pass out over up to `threads` threads; the result is the same.
TFifGrid RenderPlane(const TFifPlane& plane, const TFifPlaneParams& params, int gridWidth, int gridHeight,
                     TFifRatio sx, TFifRatio sy, int threads = 1);

}  // namespace qrl

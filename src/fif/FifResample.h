#pragma once
// Enlarges a rendered plane with a separable three-lobe windowed-sinc (Lanczos) filter. On
// photographs, detail invented by the maps between plane pixels scores lower against the true
// picture than this interpolation of the attractor at its own size, so enlargements use it.

#include "fif/FifRender.h"

namespace qrl {

// The grid of gridWidth x gridHeight pixels at scale (sx, sy) over `plane`, a grid at the plane's
// own size: grid pixel X samples the plane at (X + 0.5) / scale - 0.5, edges repeated.
// Large grids are shared out over up to `threads` threads by bands of rows.
TFifGrid ResamplePlane(const TFifGrid& plane, int gridWidth, int gridHeight, TFifRatio sx, TFifRatio sy,
                       int threads = 1);

}  // namespace qrl

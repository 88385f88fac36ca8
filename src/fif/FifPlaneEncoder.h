#pragma once
// Finds the transformations of one plane: a quadtree partition chosen by rate-distortion cost
// (squared error + lambda * estimated bits), each range block either flat (its mean) or mapped
// from the best mean-removed, contrast-scaled domain of twice its size within a local window.

#include <vector>

#include "fif/FifSymbols.h"

namespace qrl {

struct TFifPlaneSource {
  int width = 0;
  int height = 0;
  std::vector<float> pixels;  // row by row, top row first, 0..255
};

// leafBits: what each leaf costs the decoder, as bits charged on top of its estimated ones.
TFifPlane EncodePlane(const TFifPlaneSource& source, const TFifPlaneParams& params, double lambda,
                      double leafBits = 0.0);

}  // namespace qrl

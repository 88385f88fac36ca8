#pragma once
// The blocks of a plane as a render at some scale uses them, with every block's mean as a value.
// A reduced render gives each output pixel the block that holds its centre, so flat leaves
// smaller than an output pixel would be point samples: one of four single pixels would stand for
// the four. For reductions, complete groups of flat sibling leaves up to the output pixel's span
// become one flat leaf of their mean, which is exactly what their 2 x 2 (4 x 4 ...) means are.

#include <vector>

#include "fif/FifSymbols.h"

namespace qrl {

inline float BlockMean(const TFifBlock& b, const TFifPlaneParams& params) {
  return static_cast<float>(b.meanIndex * params.meanStep[static_cast<std::size_t>(params.topLog2 - b.log2)]);
}

// The blocks a renderer works from, with their means. With joinLog2 > 0, every complete group of
// flat sibling leaves whose parent is at most 2^joinLog2 pixels wide is joined into one flat leaf
// of their mean, bottom up; otherwise the plane's own blocks are used as they are.
class TFifShownPlane {
 public:
  TFifShownPlane(const TFifPlane& plane, const TFifPlaneParams& params, int joinLog2);
  TFifShownPlane(const TFifShownPlane&) = delete;
  TFifShownPlane& operator=(const TFifShownPlane&) = delete;

  const TFifPlane& Plane() const { return *plane_; }
  // Per block of Plane(): its mean on the 0..255 scale.
  const float* Means() const { return means_.data(); }

 private:
  TFifPlane joined_;
  std::vector<float> means_;
  const TFifPlane* plane_;
};

}  // namespace qrl

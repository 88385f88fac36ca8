#include "fif/FifShownPlane.h"

#include <algorithm>

namespace qrl {

namespace {

// Walks the quadtree again over the parsed leaves (which tile the plane in coding order) and
// joins the flat ones bottom up.
class TMerger {
 public:
  TMerger(const TFifPlane& plane, const TFifPlaneParams& params, int maxLog2, TFifPlane& out,
          std::vector<float>& means)
      : in_(plane), params_(params), maxLog2_(maxLog2), out_(out), means_(means) {}

  bool Run() {
    const int top = 1 << params_.topLog2;
    for (int y = 0; y < in_.height; y += top)
      for (int x = 0; x < in_.width; x += top)
        if (!Node(x, y, params_.topLog2)) return false;
    return cursor_ == in_.blocks.size();
  }

 private:
  // False when the leaves do not follow the quadtree; flat_ says whether the node came out as one
  // flat leaf.
  bool Node(int x, int y, int log2) {
    if (cursor_ >= in_.blocks.size()) return false;
    const TFifBlock& b = in_.blocks[cursor_];
    if (b.x == x && b.y == y && b.log2 == log2) {
      out_.blocks.push_back(b);
      means_.push_back(BlockMean(b, params_));
      ++cursor_;
      flat_ = b.contrast == 0;
      return true;
    }
    if (log2 == 0) return false;
    const std::size_t first = out_.blocks.size();
    const int half = 1 << (log2 - 1);
    bool allFlat = true;
    for (int i = 0; i < 4; ++i) {
      const int cx = x + (i & 1) * half;
      const int cy = y + (i >> 1) * half;
      if (cx >= in_.width || cy >= in_.height) continue;
      if (!Node(cx, cy, log2 - 1)) return false;
      allFlat = allFlat && flat_;
    }
    flat_ = allFlat && log2 <= maxLog2_;
    if (flat_) {
      const TFifBlock joined = NodeBlock(x, y, log2, in_.width, in_.height);
      double sum = 0.0;
      for (std::size_t i = first; i < out_.blocks.size(); ++i)
        sum += static_cast<double>(means_[i]) * out_.blocks[i].w * out_.blocks[i].h;
      out_.blocks.resize(first);
      means_.resize(first);
      out_.blocks.push_back(joined);
      means_.push_back(static_cast<float>(sum / (joined.w * joined.h)));
    }
    return true;
  }

  const TFifPlane& in_;
  const TFifPlaneParams& params_;
  int maxLog2_;
  TFifPlane& out_;
  std::vector<float>& means_;
  std::size_t cursor_ = 0;
  bool flat_ = false;
};

}  // namespace

TFifShownPlane::TFifShownPlane(const TFifPlane& plane, const TFifPlaneParams& params, int joinLog2) : plane_(&plane) {
  if (joinLog2 > 0) {
    joined_.width = plane.width;
    joined_.height = plane.height;
    joined_.blocks.reserve(plane.blocks.size());
    means_.reserve(plane.blocks.size());
    if (TMerger(plane, params, joinLog2, joined_, means_).Run()) {
      plane_ = &joined_;
      return;
    }
    // Leaves that do not tile the plane in quadtree order (only hand-made planes): kept as they are.
    joined_.blocks.clear();
  }
  means_.resize(plane.blocks.size());
  for (std::size_t i = 0; i < plane.blocks.size(); ++i) means_[i] = BlockMean(plane.blocks[i], params);
}

}  // namespace qrl

#include "fif/FifSymbols.h"

#include <algorithm>
#include <cstdlib>

#include "fif/FifStatus.h"

namespace qrl {

int DomainBase(int position, int size) { return (2 * position + size) / 4 - size / 2; }

void TSymbolReader::CheckInput() const {
  if (coder_.Overrun()) throw EFifError(fsDamaged, "picture data cut short");
}

template <class IO>
int CodeSignedValue(IO& io, TFifPlaneContexts::TSigned& c, int value, int maxClass) {
  if (io.Bit(c.zero, value == 0) == 1) return 0;
  const int negative = io.Bit(c.sign, value < 0);
  const unsigned m = static_cast<unsigned>(std::abs(value));  // >= 1
  int cls = 0;
  if constexpr (!IO::kReading) {
    while ((m >> (cls + 1)) != 0) ++cls;
    for (int i = 0; i < cls; ++i) io.Bit(c.classBits[i], 1);
    if (cls < maxClass) io.Bit(c.classBits[cls], 0);
  } else {
    while (cls < maxClass && io.Bit(c.classBits[cls], 0) == 1) ++cls;
  }
  unsigned magnitude = 1;
  for (int i = cls - 1; i >= 0; --i) magnitude = 2 * magnitude + static_cast<unsigned>(io.Bit(c.mantissa[cls][i], (m >> i) & 1));
  return negative ? -static_cast<int>(magnitude) : static_cast<int>(magnitude);
}

template int CodeSignedValue<TSymbolWriter>(TSymbolWriter&, TFifPlaneContexts::TSigned&, int, int);
template int CodeSignedValue<TSymbolReader>(TSymbolReader&, TFifPlaneContexts::TSigned&, int, int);

namespace {

[[noreturn]] void Damaged(const char* what) { throw EFifError(fsDamaged, what); }

template <class IO>
int CodeBitTree(IO& io, TBitContext* contexts, int bits, int value) {
  int node = 1;
  for (int i = bits - 1; i >= 0; --i) node = 2 * node + io.Bit(contexts[node], (value >> i) & 1);
  return node - (1 << bits);
}

// Memory of the leaves coded so far (cells of the smallest block size), for the mean
// prediction and the context choices. Only the left and top neighbours are ever asked for, and
// quadtree order visits every cell row left to right and every cell column top to bottom: the
// left neighbour is the last leaf that touched the cell row, the top one the last that touched
// the cell column. So a leaf writes its height and its width in cells, not its area.
class TLeafMap {
 public:
  TLeafMap(const TFifPlane& plane, const TFifPlaneParams& params)
      : shift_(params.minLog2),
        defaultMean_((128 + params.meanStep / 2) / params.meanStep),
        rows_(static_cast<std::size_t>(((plane.height - 1) >> shift_) + 1)),
        columns_(static_cast<std::size_t>(((plane.width - 1) >> shift_) + 1)) {}

  struct TCell {
    std::int16_t meanIndex = 0;
    std::int8_t log2 = -1;
    std::int8_t flat = 0;
  };

  const TCell* Left(int x, int y) const { return x > 0 ? &rows_[static_cast<std::size_t>(y >> shift_)] : nullptr; }
  const TCell* Top(int x, int y) const { return y > 0 ? &columns_[static_cast<std::size_t>(x >> shift_)] : nullptr; }

  int PredictMean(int x, int y) const {
    const TCell* l = Left(x, y);
    const TCell* t = Top(x, y);
    if (l && t) return (l->meanIndex + t->meanIndex + 1) / 2;
    if (l) return l->meanIndex;
    if (t) return t->meanIndex;
    return defaultMean_;
  }
  int SplitContext(int x, int y, int log2) const {
    const TCell* l = Left(x, y);
    const TCell* t = Top(x, y);
    return (l && l->log2 < log2) + (t && t->log2 < log2);
  }
  int FlatContext(int x, int y) const {
    const TCell* l = Left(x, y);
    const TCell* t = Top(x, y);
    return (l && l->flat) + (t && t->flat);
  }
  void Record(const TFifBlock& b) {
    const TCell cell{static_cast<std::int16_t>(b.meanIndex), static_cast<std::int8_t>(b.log2),
                     static_cast<std::int8_t>(b.contrast == 0)};
    const auto fill = [&cell](std::vector<TCell>& cells, int from, int to) {
      std::fill(cells.begin() + from, cells.begin() + to, cell);
    };
    fill(rows_, b.y >> shift_, ((b.y + b.h - 1) >> shift_) + 1);
    fill(columns_, b.x >> shift_, ((b.x + b.w - 1) >> shift_) + 1);
  }

 private:
  int shift_;
  int defaultMean_;
  std::vector<TCell> rows_;     // per cell row: the last leaf that touched it
  std::vector<TCell> columns_;  // per cell column: likewise
};

template <class IO>
class TPlaneWalk {
 public:
  TPlaneWalk(IO& io, TFifPlaneContexts& contexts, const TFifPlaneParams& params, TFifPlane& plane,
             std::size_t maxLeaves)
      : io_(io), c_(contexts), p_(params), plane_(plane), map_(plane, params), maxLeaves_(maxLeaves) {}

  void Run() {
    const int top = 1 << p_.topLog2;
    for (int y = 0; y < plane_.height; y += top) {
      for (int x = 0; x < plane_.width; x += top) {
        Node(x, y, p_.topLog2);
        io_.CheckInput();
      }
    }
    if (cursor_ != plane_.blocks.size()) Damaged("leaves do not tile the plane");
  }

 private:
  void Node(int x, int y, int log2) {
    const int level = p_.topLog2 - log2;
    bool split = false;
    if (log2 > p_.minLog2) {
      int wanted = 0;
      if constexpr (!IO::kReading) {
        if (cursor_ >= plane_.blocks.size()) Damaged("leaves do not tile the plane");
        wanted = plane_.blocks[cursor_].log2 < log2;
      }
      split = io_.Bit(c_.split[level][map_.SplitContext(x, y, log2)], wanted) == 1;
    }
    if (split) {
      const int half = 1 << (log2 - 1);
      for (int i = 0; i < 4; ++i) {
        const int cx = x + (i & 1) * half;
        const int cy = y + (i >> 1) * half;
        if (cx < plane_.width && cy < plane_.height) Node(cx, cy, log2 - 1);
      }
      return;
    }
    TFifBlock b;
    if constexpr (!IO::kReading) {
      if (cursor_ >= plane_.blocks.size()) Damaged("leaves do not tile the plane");
      b = plane_.blocks[cursor_];
    }
    b.x = x;
    b.y = y;
    b.log2 = log2;
    b.w = std::min(1 << log2, plane_.width - x);
    b.h = std::min(1 << log2, plane_.height - y);
    if constexpr (!IO::kReading) {
      const TFifBlock& given = plane_.blocks[cursor_];
      if (given.x != x || given.y != y || given.log2 != log2) Damaged("leaves do not tile the plane");
    }
    Leaf(b, level);
    map_.Record(b);
    if constexpr (IO::kReading) {
      if (plane_.blocks.size() >= maxLeaves_) Damaged("more blocks than the data can hold");
      plane_.blocks.push_back(b);
    }
    ++cursor_;
  }

  void Leaf(TFifBlock& b, int level) {
    const int predicted = map_.PredictMean(b.x, b.y);
    const int residual = CodeSignedValue(io_, c_.mean[SmallestContext(b)], b.meanIndex - predicted, 10);
    b.meanIndex = predicted + residual;
    if (b.meanIndex < 0 || b.meanIndex > MaxMeanIndex(p_.meanStep)) Damaged("block mean out of range");

    const int halfW = plane_.width / 2;
    const int halfH = plane_.height / 2;
    const bool domainFits = 2 * b.w <= plane_.width && 2 * b.h <= plane_.height;
    if (!domainFits) {
      // No domain of twice the size fits in the plane: the block can only be flat.
      if (b.contrast != 0) Damaged("contrast without a domain");
      return;
    }
    if (io_.Bit(c_.contrastZero[level][map_.FlatContext(b.x, b.y)], b.contrast == 0) == 1) {
      b.contrast = 0;
      return;
    }
    const int negative = io_.Bit(c_.contrastSign[level], b.contrast < 0);
    int levelsBits = 0;
    while ((1 << levelsBits) < p_.contrastLevels) ++levelsBits;
    const int magnitude = 1 + CodeBitTree(io_, c_.contrastMagnitude[level], levelsBits, std::abs(b.contrast) - 1);
    if (magnitude > p_.contrastLevels) Damaged("contrast out of range");
    b.contrast = negative ? -magnitude : magnitude;

    if (b.w == b.h) {
      b.isometry = CodeBitTree(io_, c_.isometry, 3, b.isometry);
    } else {
      b.isometry = CodeBitTree(io_, c_.isometry, 2, b.isometry & 3);
    }

    const int radius = p_.searchRadius[level];
    const int step = p_.searchStep[level];
    const int bits = DomainOffsetBits(radius);
    const int baseX = DomainBase(b.x, b.w);
    const int baseY = DomainBase(b.y, b.h);
    const int ix = CodeBitTree(io_, c_.offset[level][0], bits, (b.domainX - baseX) / step + radius);
    const int iy = CodeBitTree(io_, c_.offset[level][1], bits, (b.domainY - baseY) / step + radius);
    if (ix > 2 * radius || iy > 2 * radius) Damaged("domain offset out of range");
    b.domainX = baseX + (ix - radius) * step;
    b.domainY = baseY + (iy - radius) * step;
    if (b.domainX < 0 || b.domainY < 0 || b.domainX + b.w > halfW || b.domainY + b.h > halfH)
      Damaged("domain outside the plane");
  }

  int SmallestContext(const TFifBlock& b) const { return b.log2 == p_.minLog2 ? 1 : 0; }

  IO& io_;
  TFifPlaneContexts& c_;
  const TFifPlaneParams& p_;
  TFifPlane& plane_;
  TLeafMap map_;
  std::size_t maxLeaves_;
  std::size_t cursor_ = 0;
};

}  // namespace

template <class IO>
void CodePlane(IO& io, TFifPlaneContexts& contexts, const TFifPlaneParams& params, TFifPlane& plane,
               std::size_t maxLeaves) {
  if constexpr (IO::kReading) {
    plane.blocks.clear();
    // Room for as many leaves as the plane and the data allow, up to a bound: only the part
    // written is ever touched, and the vector never has to move its blocks while it grows.
    const std::size_t cells = static_cast<std::size_t>(((plane.width - 1) >> params.minLog2) + 1) *
                              static_cast<std::size_t>(((plane.height - 1) >> params.minLog2) + 1);
    plane.blocks.reserve(std::min({cells, maxLeaves, std::size_t{1} << 20}));
  }
  TPlaneWalk<IO>(io, contexts, params, plane, maxLeaves).Run();
}

template void CodePlane<TSymbolWriter>(TSymbolWriter&, TFifPlaneContexts&, const TFifPlaneParams&, TFifPlane&,
                                       std::size_t);
template void CodePlane<TSymbolReader>(TSymbolReader&, TFifPlaneContexts&, const TFifPlaneParams&, TFifPlane&,
                                       std::size_t);

}  // namespace qrl

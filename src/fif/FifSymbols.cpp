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
// prediction and the context choices. Means are kept as values (index times the level's step),
// since neighbours may have been quantised with other steps. Only the left and top neighbours
// are ever asked for, and quadtree order visits every cell row left to right and every cell column top to bottom: the
// left neighbour is the last leaf that touched the cell row, the top one the last that touched
// the cell column. So a leaf writes its height and its width in cells, not its area.
class TLeafMap {
 public:
  TLeafMap(const TFifPlane& plane, const TFifPlaneParams& params)
      : shift_(params.minLog2),
        rows_(static_cast<std::size_t>(((plane.height - 1) >> shift_) + 1)),
        columns_(static_cast<std::size_t>(((plane.width - 1) >> shift_) + 1)) {}

  // One word, written and read whole: mean value (16 bits), log2 (8, -1 before any leaf), flat (8).
  struct TCell {
    std::uint32_t bits = 0x00FF0000;
    int Mean() const { return static_cast<int>(bits & 0xFFFF); }
    int Log2() const { return static_cast<std::int8_t>(bits >> 16); }
    bool Flat() const { return (bits >> 24) != 0; }
    static TCell Of(const TFifBlock& b, int meanStep) {
      return {static_cast<std::uint32_t>(b.meanIndex * meanStep) | (static_cast<std::uint32_t>(b.log2) & 0xFF) << 16 |
              static_cast<std::uint32_t>(b.contrast == 0) << 24};
    }
  };

  const TCell* Left(int x, int y) const { return x > 0 ? &rows_[static_cast<std::size_t>(y >> shift_)] : nullptr; }
  const TCell* Top(int x, int y) const { return y > 0 ? &columns_[static_cast<std::size_t>(x >> shift_)] : nullptr; }

  // The predicted mean value: the neighbours' average, or mid-grey without any.
  int PredictMean(int x, int y) const {
    const TCell* l = Left(x, y);
    const TCell* t = Top(x, y);
    if (l && t) return (l->Mean() + t->Mean() + 1) >> 1;  // means are never negative
    if (l) return l->Mean();
    if (t) return t->Mean();
    return 128;
  }
  int SplitContext(int x, int y, int log2) const {
    const TCell* l = Left(x, y);
    const TCell* t = Top(x, y);
    return (l && l->Log2() < log2) + (t && t->Log2() < log2);
  }
  // How far apart the left and top neighbours' means are: 0, 1 or 2 (1 without both).
  int Activity(int x, int y) const {
    const TCell* l = Left(x, y);
    const TCell* t = Top(x, y);
    if (!l || !t) return 1;
    const int apart = std::abs(l->Mean() - t->Mean());
    return (apart >= TFifPlaneModels::kActivity[0]) + (apart >= TFifPlaneModels::kActivity[1]);
  }
  int FlatContext(int x, int y) const {
    const TCell* l = Left(x, y);
    const TCell* t = Top(x, y);
    return (l && l->Flat()) + (t && t->Flat());
  }
  // A leaf of one cell (a single pixel when cells are pixels).
  void RecordPixel(const TFifBlock& b, int meanStep) {
    const TCell cell = TCell::Of(b, meanStep);
    rows_[static_cast<std::size_t>(b.y >> shift_)] = cell;
    columns_[static_cast<std::size_t>(b.x >> shift_)] = cell;
  }
  void Record(const TFifBlock& b, int meanStep) {
    const TCell cell = TCell::Of(b, meanStep);
    // Most leaves touch up to four cells: four stores cover any such count without a loop,
    // whose exit would be a coin toss to the processor.
    const auto fill = [&cell](std::vector<TCell>& cells, int from, int to) {
      TCell* c = cells.data() + from;
      const int count = to - from;
      if (count <= 4) {
        c[0] = cell;
        c[count - 1] = cell;
        c[count / 2] = cell;
        c[(count - 1) / 2] = cell;
      } else {
        for (int i = 0; i < count; ++i) c[i] = cell;
      }
    };
    fill(rows_, b.y >> shift_, ((b.y + b.h - 1) >> shift_) + 1);
    fill(columns_, b.x >> shift_, ((b.x + b.w - 1) >> shift_) + 1);
  }

 private:
  int shift_;
  std::vector<TCell> rows_;     // per cell row: the last leaf that touched it
  std::vector<TCell> columns_;  // per cell column: likewise
};

// Versions 1 and 2: every parameter as adaptive binary decisions (bit trees, signed values).
template <class IO>
class TBinaryFields {
 public:
  static constexpr bool kReading = IO::kReading;
  // Blocks of a single pixel still say whether they are flat.
  static constexpr bool kSinglePixelsMap = true;

  TBinaryFields(IO& io, TFifPlaneContexts& contexts, const TFifPlaneParams& params)
      : io_(io), c_(contexts), p_(params) {
    while ((1 << contrastBits_) < params.contrastLevels) ++contrastBits_;
  }
  int Split(int level, int context, int wanted) { return io_.Bit(c_.split[level][context], wanted); }
  int MeanResidual(bool smallest, int, int wanted) { return CodeSignedValue(io_, c_.mean[smallest ? 1 : 0], wanted, 10); }
  int Flat(int level, int context, int wanted) { return io_.Bit(c_.contrastZero[level][context], wanted); }
  // A contrast index other than 0; magnitudes beyond the levels are left to the caller to refuse.
  int Contrast(int level, int wanted) {
    const int negative = io_.Bit(c_.contrastSign[level], wanted < 0);
    const int magnitude = 1 + CodeBitTree(io_, c_.contrastMagnitude[level], contrastBits_, std::abs(wanted) - 1);
    return negative ? -magnitude : magnitude;
  }
  int Isometry(bool square, int wanted) {
    return square ? CodeBitTree(io_, c_.isometry, 3, wanted) : CodeBitTree(io_, c_.isometry, 2, wanted & 3);
  }
  // Offset indices 0 .. 2 * radius; larger ones are left to the caller to refuse.
  void Offsets(int level, int& ix, int& iy) {
    const int bits = DomainOffsetBits(p_.searchRadius[level]);
    ix = CodeBitTree(io_, c_.offset[level][0], bits, ix);
    iy = CodeBitTree(io_, c_.offset[level][1], bits, iy);
  }
  void CheckInput() const { io_.CheckInput(); }

 private:
  IO& io_;
  TFifPlaneContexts& c_;
  const TFifPlaneParams& p_;
  int contrastBits_ = 0;
};

// Version 3: every parameter as one symbol of an adaptive rANS model (a mean residual's low
// magnitude bits as a raw value).
template <class IO>
class TSymbolFields {
 public:
  static constexpr bool kReading = IO::kReading;
  // A single pixel's domain is a single point, so its map gives back its mean: it carries only that.
  static constexpr bool kSinglePixelsMap = false;

  TSymbolFields(IO& io, TFifPlaneModels& models, const TFifPlaneParams& params) : io_(io), m_(models), p_(params) {
    for (int level = 0; level < params.Levels(); ++level) {
      const int width = 2 * params.searchRadius[level] + 1;
      reciprocals_[level] = (65536 + width - 1) / width;
    }
  }

  int Split(int level, int context, int wanted) { return Bit(m_.split[level][context], wanted); }
  int Flat(int level, int context, int wanted) { return Bit(m_.flat[level][context], wanted); }
  // Magnitude m below 2^(S+1) is class m (S = kMeanSubBits); above, with t = floor(log2 m),
  // class 2^(S+1) + 2^S (t - S - 1) + the S bits below the top one of m, followed by the t - S
  // lowest bits raw. Symbol 0 is 0, 2 class - 1 positive, 2 class negative.
  int MeanResidual(bool smallest, int activity, int wanted) {
    constexpr int kSub = TFifPlaneModels::kMeanSubBits;
    constexpr int kDirect = 2 << kSub;
    TSymbolModel& model = m_.mean[smallest ? 1 : 0][activity];
    if constexpr (kReading) {
      // Symbol 0 needs no case of its own: class 0, magnitude 0.
      const int symbol = io_.Decode(model);
      const int cls = (symbol + 1) / 2;
      int magnitude = cls;
      if (cls >= kDirect) {
        const int raw = 1 + (cls - kDirect) / (1 << kSub);
        magnitude = (((1 << kSub) + (cls - kDirect) % (1 << kSub)) << raw) | static_cast<int>(io_.DecodeRaw(raw));
      }
      return symbol % 2 == 1 ? magnitude : -magnitude;
    } else {
      const int magnitude = std::abs(wanted);
      int cls = magnitude;
      int raw = 0;
      if (magnitude >= kDirect) {
        int top = 0;
        while ((magnitude >> (top + 1)) != 0) ++top;
        raw = top - kSub;
        cls = kDirect + (1 << kSub) * (raw - 1) + ((magnitude >> raw) & ((1 << kSub) - 1));
      }
      io_.Encode(model, wanted == 0 ? 0 : wanted > 0 ? 2 * cls - 1 : 2 * cls);
      if (raw > 0) io_.EncodeRaw(static_cast<std::uint32_t>(magnitude) & ((1u << raw) - 1), raw);
      return wanted;
    }
  }
  int Contrast(int level, int wanted) {
    const int levels = p_.contrastLevels;
    const int symbol = Symbol(m_.contrast[level], wanted < 0 ? -wanted - 1 : levels + wanted - 1);
    return symbol < levels ? -symbol - 1 : symbol - levels + 1;
  }
  int Isometry(bool square, int wanted) { return Symbol(m_.isometry[square ? 0 : 1], square ? wanted : wanted & 3); }
  void Offsets(int level, int& ix, int& iy) {
    const int width = 2 * p_.searchRadius[level] + 1;
    if (width == 1) {
      ix = iy = 0;
    } else if (width <= TFifPlaneModels::kJointOffsetWidth) {
      const int both = Symbol(m_.offset[2 * level], ix * width + iy);
      // both / width by a multiply: exact for both < 2^8 and width < 2^4.
      ix = (both * reciprocals_[level]) >> 16;
      iy = both - ix * width;
    } else {
      ix = Symbol(m_.offset[2 * level], ix);
      iy = Symbol(m_.offset[2 * level + 1], iy);
    }
  }
  void CheckInput() const {
    if constexpr (kReading) {
      if (io_.Damaged()) throw EFifError(fsDamaged, "picture data cut short");
    }
  }

 private:
  int Bit(TBinaryModel& model, int wanted) {
    if constexpr (kReading) return io_.Decode(model);
    else return io_.Encode(model, wanted);
  }
  int Symbol(TSymbolModel& model, int wanted) {
    if constexpr (kReading) {
      return io_.Decode(model);
    } else {
      io_.Encode(model, wanted);
      return wanted;
    }
  }
  IO& io_;
  TFifPlaneModels& m_;
  const TFifPlaneParams& p_;
  int reciprocals_[kFifMaxLevels] = {};  // per level: 2^16 / window width, rounded up
};

template <class Fields>
class TPlaneWalk {
 public:
  TPlaneWalk(Fields& fields, const TFifPlaneParams& params, TFifPlane& plane, std::size_t maxLeaves)
      : io_(fields),
        p_(params),
        plane_(plane),
        map_(plane, params),
        maxLeaves_(maxLeaves) {
    for (int level = 0; level < params.Levels(); ++level) {
      const int step = params.meanStep[static_cast<std::size_t>(level)];
      maxMeanIndex_[level] = MaxMeanIndex(step);
      halfStepReciprocal_[level] = ((1 << kReciprocalShift) + 2 * step - 1) / (2 * step);
    }
  }

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
      if constexpr (!Fields::kReading) {
        if (cursor_ >= plane_.blocks.size()) Damaged("leaves do not tile the plane");
        wanted = plane_.blocks[cursor_].log2 < log2;
      }
      split = io_.Split(level, map_.SplitContext(x, y, log2), wanted) == 1;
    }
    if (split) {
      if constexpr (Fields::kReading && !Fields::kSinglePixelsMap) {
        if (log2 == 1) {
          SinglePixels(x, y);
          return;
        }
      }
      const int half = 1 << (log2 - 1);
      for (int i = 0; i < 4; ++i) {
        const int cx = x + (i & 1) * half;
        const int cy = y + (i >> 1) * half;
        if (cx < plane_.width && cy < plane_.height) Node(cx, cy, log2 - 1);
      }
      return;
    }
    TFifBlock& b = LeafAt(x, y, log2);
    b.x = static_cast<std::uint16_t>(x);
    b.y = static_cast<std::uint16_t>(y);
    b.log2 = static_cast<std::uint8_t>(log2);
    b.w = static_cast<std::uint8_t>(std::min(1 << log2, plane_.width - x));
    b.h = static_cast<std::uint8_t>(std::min(1 << log2, plane_.height - y));
    Leaf(b, level);
    map_.Record(b, p_.meanStep[static_cast<std::size_t>(level)]);
    ++cursor_;
  }

  // Where the leaf at (x, y) is made: a read leaf in its place in the plane (built elsewhere and
  // copied, its fields would be read back as wider words than they were written, which stalls the
  // processor), a leaf to write in a copy of the given one.
  TFifBlock& LeafAt([[maybe_unused]] int x, [[maybe_unused]] int y, [[maybe_unused]] int log2) {
    if constexpr (Fields::kReading) {
      if (plane_.blocks.size() >= maxLeaves_) Damaged("more blocks than the data can hold");
      return plane_.blocks.emplace_back();
    } else {
      if (cursor_ >= plane_.blocks.size()) Damaged("leaves do not tile the plane");
      given_ = plane_.blocks[cursor_];
      if (given_.x != x || given_.y != y || given_.log2 != log2) Damaged("leaves do not tile the plane");
      return given_;
    }
  }

  // The single-pixel leaves of a split 2 x 2 node, read as Node and Leaf would read them but
  // without their general steps: such a leaf carries only its mean, and single pixels are most
  // of the leaves of a finely coded picture.
  void SinglePixels(int x, int y) {
    const int level = p_.topLog2;
    const int step = p_.meanStep[static_cast<std::size_t>(level)];
    for (int i = 0; i < 4; ++i) {
      const int px = x + (i & 1);
      const int py = y + (i >> 1);
      if (px >= plane_.width || py >= plane_.height) continue;
      TFifBlock& b = LeafAt(px, py, 0);
      b.x = static_cast<std::uint16_t>(px);
      b.y = static_cast<std::uint16_t>(py);
      b.w = b.h = 1;
      CodeMean(b, level);
      map_.RecordPixel(b, step);
      ++cursor_;
    }
  }

  // Values are checked before they are stored: the block's fields hold only their valid ranges.
  void CodeMean(TFifBlock& b, int level) {
    const int predicted = MeanIndexNear(map_.PredictMean(b.x, b.y), level);
    const int mean =
        predicted + io_.MeanResidual(b.log2 == p_.minLog2, map_.Activity(b.x, b.y), b.meanIndex - predicted);
    if (mean < 0 || mean > maxMeanIndex_[level]) Damaged("block mean out of range");
    b.meanIndex = static_cast<std::int16_t>(mean);
  }

  void Leaf(TFifBlock& b, int level) {
    CodeMean(b, level);

    const int halfW = plane_.width / 2;
    const int halfH = plane_.height / 2;
    const bool domainFits = 2 * b.w <= plane_.width && 2 * b.h <= plane_.height;
    if (!domainFits || (!Fields::kSinglePixelsMap && b.w * b.h == 1)) {
      // No domain of twice the size fits in the plane, or the block is a single pixel: it can
      // only be flat.
      if (b.contrast != 0) Damaged("contrast without a domain");
      return;
    }
    if (io_.Flat(level, map_.FlatContext(b.x, b.y), b.contrast == 0) == 1) {
      b.contrast = 0;
      return;
    }
    const int contrast = io_.Contrast(level, b.contrast);
    if (std::abs(contrast) > p_.contrastLevels) Damaged("contrast out of range");
    b.contrast = static_cast<std::int8_t>(contrast);
    b.isometry = static_cast<std::uint8_t>(io_.Isometry(b.w == b.h, b.isometry));

    const int radius = p_.searchRadius[level];
    const int step = p_.searchStep[level];
    const int baseX = DomainBase(b.x, b.w);
    const int baseY = DomainBase(b.y, b.h);
    int ix = 0;
    int iy = 0;
    if constexpr (!Fields::kReading) {
      ix = (b.domainX - baseX) / step + radius;
      iy = (b.domainY - baseY) / step + radius;
    }
    io_.Offsets(level, ix, iy);
    if (ix > 2 * radius || iy > 2 * radius) Damaged("domain offset out of range");
    const int domainX = baseX + (ix - radius) * step;
    const int domainY = baseY + (iy - radius) * step;
    if (domainX < 0 || domainY < 0 || domainX + b.w > halfW || domainY + b.h > halfH) Damaged("domain outside the plane");
    b.domainX = static_cast<std::uint16_t>(domainX);
    b.domainY = static_cast<std::uint16_t>(domainY);
  }

  // NearestMeanIndex for a level's step, by a multiply that is exact for the values means reach.
  int MeanIndexNear(int value, int level) const {
    return static_cast<int>((static_cast<std::uint32_t>(2 * value + p_.meanStep[static_cast<std::size_t>(level)]) *
                             halfStepReciprocal_[level]) >>
                            kReciprocalShift);
  }

  static constexpr int kReciprocalShift = 22;
  Fields& io_;
  const TFifPlaneParams& p_;
  TFifPlane& plane_;
  TLeafMap map_;
  std::size_t maxLeaves_;
  int maxMeanIndex_[kFifMaxLevels] = {};
  std::uint32_t halfStepReciprocal_[kFifMaxLevels] = {};  // 2^22 / (2 step), rounded up
  std::size_t cursor_ = 0;
  TFifBlock given_;  // writing: the leaf being written
};

template <class Fields>
void WalkPlane(Fields& fields, const TFifPlaneParams& params, TFifPlane& plane, std::size_t maxLeaves) {
  if constexpr (Fields::kReading) {
    plane.blocks.clear();
    // Room for as many leaves as the plane and the data allow, up to a bound: only the part
    // written is ever touched, and the vector never has to move its blocks while it grows.
    const std::size_t cells = static_cast<std::size_t>(((plane.width - 1) >> params.minLog2) + 1) *
                              static_cast<std::size_t>(((plane.height - 1) >> params.minLog2) + 1);
    plane.blocks.reserve(std::min({cells, maxLeaves, std::size_t{1} << 20}));
  }
  TPlaneWalk<Fields>(fields, params, plane, maxLeaves).Run();
}

}  // namespace

TFifPlaneModels::TFifPlaneModels(const TFifPlaneParams& params) {
  for (auto& bySize : mean)
    for (TSymbolModel& model : bySize) model = TSymbolModel(kMeanSymbols);
  contrast.reserve(kFifMaxLevels);
  offset.reserve(2 * kFifMaxLevels);
  for (int level = 0; level < params.Levels(); ++level) {
    contrast.emplace_back(2 * params.contrastLevels);
    // A window of a single place needs no symbol; a narrow one codes both axes in one.
    const int width = 2 * params.searchRadius[level] + 1;
    const bool joint = width <= kJointOffsetWidth;
    if (width == 1) offset.emplace_back();
    else offset.emplace_back(joint ? width * width : width);
    if (width == 1 || joint) offset.emplace_back();
    else offset.emplace_back(width);
  }
  isometry[0] = TSymbolModel(8);
  isometry[1] = TSymbolModel(4);
}

template <class IO>
void CodePlane(IO& io, TFifPlaneContexts& contexts, const TFifPlaneParams& params, TFifPlane& plane,
               std::size_t maxLeaves) {
  TBinaryFields<IO> fields(io, contexts, params);
  WalkPlane(fields, params, plane, maxLeaves);
}

template <class IO>
void CodePlane(IO& io, TFifPlaneModels& models, const TFifPlaneParams& params, TFifPlane& plane,
               std::size_t maxLeaves) {
  TSymbolFields<IO> fields(io, models, params);
  WalkPlane(fields, params, plane, maxLeaves);
}

template void CodePlane<TSymbolWriter>(TSymbolWriter&, TFifPlaneContexts&, const TFifPlaneParams&, TFifPlane&,
                                       std::size_t);
template void CodePlane<TSymbolReader>(TSymbolReader&, TFifPlaneContexts&, const TFifPlaneParams&, TFifPlane&,
                                       std::size_t);
template void CodePlane<TRansEncoder>(TRansEncoder&, TFifPlaneModels&, const TFifPlaneParams&, TFifPlane&,
                                      std::size_t);
template void CodePlane<TRansDecoder>(TRansDecoder&, TFifPlaneModels&, const TFifPlaneParams&, TFifPlane&,
                                      std::size_t);

}  // namespace qrl

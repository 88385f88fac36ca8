#include "fif/FifRender.h"

#include "fif/FifParallel.h"
#include "fif/FifResample.h"
#include "fif/FifShownPlane.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace qrl {

namespace {

// Grids below this many pixels are rendered on the calling thread alone: a pass over them takes
// less than handing its pieces to other threads and waiting for them (measured on a grey 512 x
// 512 picture: slower on two threads than on one with a quarter of this).
constexpr std::int64_t kSharedPixels = 1 << 20;

// Passes from the block-mean image (flat blocks are exact from the start). At whole-number scales
// all but the last pass run on a grid of half the size: at half the scale the 2 x 2 means of
// the picture obey the same maps exactly, so those passes give the last one exactly the
// domains a full-size pass would, at a quarter of the cost. Four passes in all reach the
// converged attractor within 0.01 dB on photographs.
constexpr int kPasses = 4;

// Nearest whole number; a plain conversion, where std::floor would be a library call on the
// baseline instruction set and placement runs once per block.
double Nearest(double v) { return static_cast<double>(static_cast<std::int64_t>(v < 0.0 ? v - 0.5 : v + 0.5)); }

// 1 / n for every block side n.
constexpr auto kReciprocals = [] {
  std::array<double, (1 << kFifMaxBlockLog2) + 1> r{};
  for (std::size_t n = 1; n < r.size(); ++n) r[n] = 1.0 / static_cast<double>(n);
  return r;
}();

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

// For every plane position 0..planeSize, the first grid pixel whose centre lies at or right of
// it: (2X + 1) * den >= 2 * pos * num. The plane's far edge takes the whole rest of the grid.
std::vector<int> FirstPixels(int planeSize, TFifRatio r, int gridSize) {
  std::vector<int> first(static_cast<std::size_t>(planeSize) + 1);
  for (int pos = 0; pos < planeSize; ++pos) {
    const std::int64_t x = CeilDiv(2 * pos * r.num - r.den, 2 * r.den);
    first[pos] = static_cast<int>(std::clamp<std::int64_t>(x, 0, gridSize));
  }
  first[planeSize] = gridSize;
  return first;
}

// The previous iterate smoothed onto a lattice of 2 x 2 means that domain points are read from.
// With step 1 it has a point on every pixel corner (q = k); with step 2 only on the corners
// between pixel pairs 2k, 2k + 1 (q = 2k + 1), which is all that whole-number scales ever ask
// for: the picture at half size. One more column and row repeat the last, so bilinear taps need no bounds check.
struct TLattice {
  int step = 1;
  int width = 0;  // points, not counting the repeated column
  int height = 0;
  TFifPixels points;
  std::ptrdiff_t Stride() const { return width + 1; }
  float* Row(int y) { return &points[static_cast<std::size_t>(y) * Stride()]; }
  static int Points(int pixels, int step) { return step == 1 ? pixels + 1 : (pixels + 1) / 2; }
};

// One mapped range block as it falls on a particular grid.
struct TPlacedBlock {
  int x0, x1, y0, y1;  // grid pixels, end exclusive
  float contrast;
  float mean;
  float invCount;  // 1 / pixels
  // Domain point in lattice points: p = origin + dX * X + dY * Y.
  float px0, pxdX, pxdY;
  float py0, pydX, pydY;
  // Every domain point of the block is a lattice point: one tap, no weights. Then pixel
  // (x0 + i, y0 + j) reads lattice element origin + i * stepX + j * stepY.
  bool exact;
  std::ptrdiff_t origin, stepX, stepY;
  std::size_t tap;  // sampled blocks: the first of the block's bilinear taps, one per pixel
};

// Where a sampled grid pixel reads the lattice: the top-left of its four points, and its weights.
struct TBilinearTap {
  std::int32_t at;
  float fx;
  float fy;
};

// A mapped block whose every domain point is a lattice point, as a pass applies it: pixel
// (i, j) of its w x h grid pixels at out reads lattice element origin + i * stepX + j * stepY.
// Placed once per grid, so that passes after the first cost only their arithmetic.
struct TLatticeMap {
  std::int32_t out;
  std::int32_t origin;
  std::int32_t stepX;
  std::int32_t stepY;
  std::int32_t w;
  std::int32_t h;
  float contrast;
  float mean;
  float invCount;
};

// Maps by the shape of their grid pixels: squares of 2, 4 and 8 pixels have their loops
// unrolled, anything else takes the plain loops. Single pixels are a shape only for filling.
enum : int { kSquare2, kSquare4, kSquare8, kAnyShape, kShapes, kSingle = kShapes };

// std::clamp's value for every input, NaN included (lo <= hi), with SSE spelt out as the min and
// max instructions that GCC would leave as compares and branches.
float Clamp(float v, float lo, float hi) {
#if defined(__SSE2__)
  return _mm_cvtss_f32(_mm_min_ss(_mm_set_ss(hi), _mm_max_ss(_mm_set_ss(lo), _mm_set_ss(v))));
#else
  return std::clamp(v, lo, hi);
#endif
}

// yes or no without a branch, for choices that are coin tosses to the processor.
int Select(bool condition, int yes, int no) { return no ^ ((yes ^ no) & -static_cast<int>(condition)); }

// The shape of a square block by its side.
constexpr auto kSquareShapes = [] {
  std::array<std::uint8_t, (1 << kFifMaxBlockLog2) + 1> shapes{};
  for (std::size_t side = 0; side < shapes.size(); ++side)
    shapes[side] = side == 1 ? kSingle : side == 2 ? kSquare2 : side == 4 ? kSquare4 : side == 8 ? kSquare8 : kAnyShape;
  return shapes;
}();

class TGridRenderer {
 public:
  // With halfPlaneLattice, the lattice that passes read is not made from this grid but handed in
  // by TakeHalf: the plane at half its size, a point per pixel pair of the plane.
  TGridRenderer(const TFifShownPlane& shown, const TFifPlaneParams& params, int gridW, int gridH, TFifRatio sx,
                TFifRatio sy, int threads, bool halfPlaneLattice = false)
      : plane_(shown.Plane()),
        means_(shown.Means()),
        params_(params),
        width_(gridW),
        height_(gridH),
        firstX_(FirstPixels(plane_.width, sx, gridW)),
        firstY_(FirstPixels(plane_.height, sy, gridH)),
        sx_(sx),
        sy_(sy),
        threads_(threads),
        pixels_(std::int64_t{gridW} * gridH) {
    lattice_.step = sx.num % sx.den == 0 && sy.num % sy.den == 0 ? 2 : 1;
    lattice_.width = TLattice::Points(gridW, lattice_.step);
    lattice_.height = TLattice::Points(gridH, lattice_.step);
    pixelX_ = static_cast<double>(sx.den) / static_cast<double>(sx.num);
    pixelY_ = static_cast<double>(sy.den) / static_cast<double>(sy.num);
    latticeX_ = static_cast<double>(sx.num) / static_cast<double>(sx.den) / lattice_.step;
    latticeY_ = static_cast<double>(sy.num) / static_cast<double>(sy.den) / lattice_.step;
    latticeShift_ = (lattice_.step - 1.0) / lattice_.step;
    // At whole and half-whole scales every domain point is a lattice point, found with a few
    // integer operations when the first pass places the blocks (MapOnLattice).
    onLattice_ = lattice_.step == 2 || ((2 * sx.num) % sx.den == 0 && (2 * sy.num) % sy.den == 0);
    ownSize_ = sx.num == sx.den && sy.num == sy.den;
    halfSize_ = 2 * sx.num == sx.den && 2 * sy.num == sy.den;
    keepTaps_ = !halfPlaneLattice;
    if (halfPlaneLattice) {
      // Lattice point k stands for plane pixels 2k and 2k + 1: plane position 2k + 1.
      lattice_.step = 2;
      lattice_.width = (plane_.width + 1) / 2;
      lattice_.height = (plane_.height + 1) / 2;
      latticeX_ = latticeY_ = 0.5;
      latticeShift_ = 0.5;
      onLattice_ = false;
      ownSize_ = false;
      halfSize_ = false;
    }
    for (int drive = 0; drive < 2; ++drive)
      for (int own = 0; own < 2; ++own)
        inverses_[2 * drive + own] = 1.0 / static_cast<double>((drive == 0 ? sx : sy).num * (own == 0 ? sx : sy).den *
                                                               lattice_.step);
    if (onLattice_) return;
    // Only mapped blocks that own grid pixels need a placement; flat ones are filled once. Their
    // indices are gathered first, without a branch: whether a block is mapped is a coin toss to
    // the processor.
    std::vector<std::uint32_t, TUninitialised<std::uint32_t>> mapped(plane_.blocks.size());
    std::size_t count = 0;
    for (std::size_t i = 0; i < plane_.blocks.size(); ++i) {
      mapped[count] = static_cast<std::uint32_t>(i);
      count += Mapped(plane_.blocks[i]);
    }
    placed_.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
      const TFifBlock& b = plane_.blocks[mapped[k]];
      TPlacedBlock p = Span(b);
      Place(b, p);
      Keep(p);
    }
    shapeBegin_[kShapes] = maps_.size();
  }

  // Fills every block with its mean: flat blocks are final, mapped ones get overwritten.
  void FillMeans(TFifPixels& grid) const {
    for (const TFifBlock& b : plane_.blocks) {
      const int x0 = firstX_[b.x];
      const int y0 = firstY_[b.y];
      const int w = firstX_[b.x + b.w] - x0;
      const int h = firstY_[b.y + b.h] - y0;
      if (w > 0 && h > 0) Fill(grid.data() + Index(x0, y0), width_, w, h, Mean(b));
    }
  }

  // The start of an own-size render (after MapOnLattice), in place of the block means smoothed
  // to half size: the grid gets the means of the blocks that the last pass does not map, and the
  // returned half-size picture the 2 x 2 means of all block means. A block of even position and
  // sides covers whole 2 x 2 groups, whose mean is its own; the other groups are made only of
  // other blocks, and are averaged from their means in the grid exactly as Smooth would, each by
  // the block that holds its top-left pixel. Blocks go by the lists of their roles, so that
  // each list fills one shape.
  TFifPixels StartAtOwnSize(TFifPixels& grid) const {
    const int halfW = (width_ + 1) / 2;
    TFifPixels half(static_cast<std::size_t>(halfW) * ((height_ + 1) / 2));
    // Single pixels come as the four leaves of a split 2 x 2 node, one after another: a whole
    // quad gives its 2 x 2 mean straight away (summed as GroupMean sums), the rest wait for it.
    const std::span<const std::uint32_t> singles = List(kFlat + kSingle);
    std::vector<std::uint32_t> unpaired;
    for (std::size_t k = 0; k < singles.size();) {
      const TFifBlock& b = plane_.blocks[singles[k]];
      float* const at = grid.data() + Index(b.x, b.y);
      // Four flat single pixels in a row of the plane's blocks from an even place are one quad
      // (older streams may map single pixels, which then sit in another list).
      if (((b.x | b.y) & 1) == 0 && b.x + 1 < width_ && b.y + 1 < height_ && k + 3 < singles.size() &&
          singles[k + 3] == singles[k] + 3) {
        const float m0 = means_[singles[k]];
        const float m1 = means_[singles[k + 1]];
        const float m2 = means_[singles[k + 2]];
        const float m3 = means_[singles[k + 3]];
        at[0] = m0;
        at[1] = m1;
        at[width_] = m2;
        at[width_ + 1] = m3;
        half[static_cast<std::size_t>(b.y / 2) * halfW + b.x / 2] = 0.25f * ((m0 + m2) + (m1 + m3));
        k += 4;
        continue;
      }
      *at = means_[singles[k]];
      unpaired.push_back(singles[k]);
      ++k;
    }
    FillFlat<2>(kSquare2, grid);
    FillFlat<4>(kSquare4, grid);
    FillFlat<8>(kSquare8, grid);
    FillFlat<0>(kAnyShape, grid);
    std::vector<std::uint32_t> uneven;
    FillHalf<2>(kSquare2, grid, half, uneven);
    FillHalf<4>(kSquare4, grid, half, uneven);
    FillHalf<8>(kSquare8, grid, half, uneven);
    FillHalf<0>(kAnyShape, grid, half, uneven);
    for (const std::uint32_t i : unpaired) {
      const TFifBlock& b = plane_.blocks[i];
      if (((b.x | b.y) & 1) == 0)
        half[static_cast<std::size_t>(b.y / 2) * halfW + b.x / 2] = GroupMean(grid, b.x / 2, b.y / 2);
    }
    for (const std::uint32_t i : uneven) {
      const TFifBlock& b = plane_.blocks[i];
      for (int y = (b.y + 1) / 2; 2 * y < b.y + b.h; ++y)
        for (int x = (b.x + 1) / 2; 2 * x < b.x + b.w; ++x)
          half[static_cast<std::size_t>(y) * halfW + x] = GroupMean(grid, x, y);
    }
    return half;
  }

  void Smooth(const TFifPixels& grid) {
    lattice_.points.resize(static_cast<std::size_t>(lattice_.Stride()) * (lattice_.height + 1));
    Share(static_cast<std::size_t>(lattice_.height), [&](std::size_t begin, std::size_t end) {
      SmoothRows(grid, static_cast<int>(begin), static_cast<int>(end));
    });
    RepeatEdges();
  }

  // Takes over the picture of a grid half this size (at half the scale) as the step-2 lattice:
  // its pixels stand for exactly the 2 x 2 means that lattice holds.
  void TakeHalf(const TFifPixels& half) {
    lattice_.points.resize(static_cast<std::size_t>(lattice_.Stride()) * (lattice_.height + 1));
    for (int y = 0; y < lattice_.height; ++y)
      std::copy_n(&half[static_cast<std::size_t>(y) * lattice_.width], lattice_.width, lattice_.Row(y));
    RepeatEdges();
  }

  // One pass of every mapped block; flat blocks keep their means from FillMeans. Blocks write
  // disjoint pixels and only read the lattice, so any share of them may run on its own thread.
  void Apply(TFifPixels& grid) {
    if (onLattice_) MapOnLattice();
    ApplyShape<2>(kSquare2, grid);
    ApplyShape<4>(kSquare4, grid);
    ApplyShape<8>(kSquare8, grid);
    ApplyShape<0>(kAnyShape, grid);
    // Sampled blocks read the same points on every pass: the first works their taps out, and
    // when more passes follow keeps them, so that those only interpolate.
    const bool record = keepTaps_ && taps_.empty();
    if (record) taps_.resize(tapCount_);
    Share(placed_.size(), [&](std::size_t begin, std::size_t end) {
      std::vector<float> samples;
      for (std::size_t i = begin; i < end; ++i) {
        TBilinearTap* taps = keepTaps_ ? taps_.data() + placed_[i].tap : nullptr;
        if (taps == nullptr || record) ApplySampled(placed_[i], grid, samples, taps);
        else ApplyTaps(placed_[i], grid, samples, taps);
      }
    });
  }

 private:
  // Step 1 only: a step-2 lattice is always a half-size picture handed in by TakeHalf.
  void SmoothRows(const TFifPixels& grid, int rowBegin, int rowEnd) {
    TFifPixels columns(static_cast<std::size_t>(width_));
    for (int j = rowBegin; j < rowEnd; ++j) {
      const float* a = &grid[Index(0, std::max(j - 1, 0))];
      const float* b = &grid[Index(0, std::min(j, height_ - 1))];
      for (int x = 0; x < width_; ++x) columns[x] = a[x] + b[x];
      float* out = lattice_.Row(j);
      out[0] = 0.5f * columns[0];
      for (int k = 1; k < width_; ++k) out[k] = 0.25f * (columns[k - 1] + columns[k]);
      out[width_] = 0.5f * columns[width_ - 1];
    }
  }

  // Splits count items into pieces for the renderer's threads (a few per thread, so uneven
  // pieces balance out); small jobs stay whole.
  template <class TWork>
  void Share(std::size_t count, const TWork& work) const {
    const std::size_t pieces = threads_ > 1 && pixels_ >= kSharedPixels ? 4 * static_cast<std::size_t>(threads_) : 1;
    if (pieces == 1) {
      work(std::size_t{0}, count);
      return;
    }
    ParallelFor(pieces, threads_, [&](std::size_t i) { work(count * i / pieces, count * (i + 1) / pieces); });
  }

  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }
  float Mean(const TFifBlock& b) const { return means_[&b - plane_.blocks.data()]; }
  float Contrast(const TFifBlock& b) const {
    return static_cast<float>(b.contrast) / static_cast<float>(params_.contrastDen);
  }

  std::span<const std::uint32_t> List(int role) const {
    return {lists_.data() + role * listCapacity_, listEnd_[role]};
  }

  // The flat blocks of one shape (N x N, or any for N = 0) at own size.
  template <int N>
  void FillFlat(int shape, TFifPixels& grid) const {
    for (const std::uint32_t i : List(kFlat + shape)) {
      const TFifBlock& b = plane_.blocks[i];
      float* const at = grid.data() + Index(b.x, b.y);
      if constexpr (N == 0) Fill(at, width_, b.w, b.h, Mean(b));
      else FillSquare<N>(at, width_, Mean(b));
    }
  }

  // The half-size picture of the even blocks of one shape, flat or mapped; the others are
  // uneven, and mapped ones among them get their means in the grid, for GroupMean.
  template <int N>
  void FillHalf(int shape, TFifPixels& grid, TFifPixels& half, std::vector<std::uint32_t>& uneven) const {
    const int halfW = (width_ + 1) / 2;
    for (const int role : {shape, kFlat + shape})
      for (const std::uint32_t i : List(role)) {
        const TFifBlock& b = plane_.blocks[i];
        if (((b.x | b.y | b.w | b.h) & 1) != 0) {
          if (role == shape) Fill(grid.data() + Index(b.x, b.y), width_, b.w, b.h, Mean(b));
          uneven.push_back(i);
          continue;
        }
        float* const at = &half[static_cast<std::size_t>(b.y / 2) * halfW + b.x / 2];
        if constexpr (N == 0) Fill(at, halfW, b.w / 2, b.h / 2, Mean(b));
        else FillSquare<N / 2>(at, halfW, Mean(b));
      }
  }

  // Group (x, y) of the half-size picture from the grid, as Smooth's 2 x 2 means: the columns'
  // sums first, a pixel beyond the bottom edge repeating the last row, one beyond the right
  // edge left out at half the weight.
  float GroupMean(const TFifPixels& grid, int x, int y) const {
    const float* top = grid.data() + Index(2 * x, 2 * y);
    const float* bottom = grid.data() + Index(2 * x, std::min(2 * y + 1, height_ - 1));
    const float left = top[0] + bottom[0];
    return 2 * x + 1 < width_ ? 0.25f * (left + (top[1] + bottom[1])) : 0.5f * left;
  }

  // w x h pixels from `at`, rows `stride` apart. Squares of the common sides take one jump to fully
  // unrolled stores rather than loops whose every exit is a mispredicted branch.
  template <int N>
  static void FillSquare(float* at, std::ptrdiff_t stride, float value) {
    for (int j = 0; j < N; ++j, at += stride)
      for (int i = 0; i < N; ++i) at[i] = value;
  }
  static void Fill(float* at, std::ptrdiff_t stride, int w, int h, float value) {
    if (w == h) {
      switch (w) {
        case 1: *at = value; return;
        case 2: FillSquare<2>(at, stride, value); return;
        case 4: FillSquare<4>(at, stride, value); return;
        case 8: FillSquare<8>(at, stride, value); return;
        default: break;
      }
    }
    for (int y = 0; y < h; ++y, at += stride) std::fill_n(at, w, value);
  }
  // Whether a pass must apply the block's map. Not for flat blocks, nor for one that owns a single
  // grid pixel: its domain is that pixel's one point, so the mean-removed map gives back the
  // block's mean, which FillMeans wrote. Those are most blocks of a detailed picture on the
  // half-size grid.
  // Neither count is negative (the first pixels never decrease), so one product tells both.
  bool Mapped(const TFifBlock& b) const {
    const int w = firstX_[b.x + b.w] - firstX_[b.x];
    const int h = firstY_[b.y + b.h] - firstY_[b.y];
    return (b.contrast != 0) & (w * h > 1);
  }
  void RepeatEdges() {
    for (int y = 0; y < lattice_.height; ++y) lattice_.Row(y)[lattice_.width] = lattice_.Row(y)[lattice_.width - 1];
    std::copy_n(lattice_.Row(lattice_.height - 1), lattice_.Stride(), lattice_.Row(lattice_.height));
  }

  // The block's grid pixels and its map's constants.
  TPlacedBlock Span(const TFifBlock& b) const {
    TPlacedBlock p{};
    p.x0 = firstX_[b.x];
    p.x1 = firstX_[b.x + b.w];
    p.y0 = firstY_[b.y];
    p.y1 = firstY_[b.y + b.h];
    p.mean = Mean(b);
    p.contrast = Contrast(b);
    p.invCount = 1.0f / static_cast<float>((p.x1 - p.x0) * (p.y1 - p.y0));
    return p;
  }

  // One domain axis on the lattice: index k(A) = k0 + slope (A - first) along the output axis A
  // that drives it (the other one under a transposing isometry). Derived from Place's
  // q = (2 domain + 2 side u') grid / step - (step - 1) / step over the common denominator
  // drive.num * own.den * step, in integers. False when k0 or the slope is not whole.
  struct TAxis {
    std::int64_t k0 = 0;
    std::int64_t slope = 0;
  };
  // Whole quotient n / d, or false; through a double (exact below 2^53) rather than a slow
  // 64-bit division, which would cost more than the rest of the block's placement.
  static bool Whole(std::int64_t n, std::int64_t d, double inverse, std::int64_t& q) {
    q = static_cast<std::int64_t>(Nearest(static_cast<double>(n) * inverse));
    return q * d == n;
  }
  // The common denominator's inverse for every pair of driving and own axis (0 x, 1 y).
  double Inverse(int drive, int own) const { return inverses_[2 * drive + own]; }
  bool MapAxis(int domain, int side, int start, bool mirror, int driveAxis, int ownAxis, int first, TAxis& axis) const {
    const TFifRatio drive = driveAxis == 0 ? sx_ : sy_;
    const TFifRatio own = ownAxis == 0 ? sx_ : sy_;
    const std::int64_t step = lattice_.step;
    const std::int64_t den = drive.num * own.den * step;
    const double inverse = Inverse(driveAxis, ownAxis);
    const std::int64_t a = first;
    const std::int64_t along = mirror ? 2 * (std::int64_t{domain} + side + start) * drive.num - drive.den - 2 * drive.den * a
                                      : 2 * (std::int64_t{domain} - start) * drive.num + drive.den + 2 * drive.den * a;
    const std::int64_t k = along * own.num - (step - 1) * drive.num * own.den;
    const std::int64_t slope = (mirror ? -2 : 2) * drive.den * own.num;
    return Whole(k, den, inverse, axis.k0) && Whole(slope, den, inverse, axis.slope);
  }

  // The integer placement of Place's exact case; false when the block needs Place.
  bool PlaceOnLattice(const TFifBlock& b, TPlacedBlock& p) const {
    const bool swap = (b.isometry & 4) != 0;
    TAxis ax;
    TAxis ay;
    if (!MapAxis(b.domainX, b.w, swap ? b.y : b.x, (b.isometry & 1) != 0, swap ? 1 : 0, 0, swap ? p.y0 : p.x0, ax) ||
        !MapAxis(b.domainY, b.h, swap ? b.x : b.y, (b.isometry & 2) != 0, swap ? 0 : 1, 1, swap ? p.x0 : p.y0, ay))
      return false;
    // Both ends of either axis must land inside the lattice.
    const std::int64_t spanX = ax.slope * ((swap ? p.y1 - p.y0 : p.x1 - p.x0) - 1);
    const std::int64_t spanY = ay.slope * ((swap ? p.x1 - p.x0 : p.y1 - p.y0) - 1);
    const auto inside = [](std::int64_t k, std::int64_t span, int size) {
      return std::min(k, k + span) >= 0 && std::max(k, k + span) < size;
    };
    if (!inside(ax.k0, spanX, lattice_.width) || !inside(ay.k0, spanY, lattice_.height)) return false;
    const std::ptrdiff_t sw = lattice_.Stride();
    p.exact = true;
    p.origin = static_cast<std::ptrdiff_t>(ay.k0 * sw + ax.k0);
    p.stepX = static_cast<std::ptrdiff_t>(swap ? ay.slope * sw : ax.slope);
    p.stepY = static_cast<std::ptrdiff_t>(swap ? ax.slope : ay.slope * sw);
    return true;
  }

  void Place(const TFifBlock& b, TPlacedBlock& p) const {
    // Range coordinates u, v in [0, 1) as functions of the grid pixel: u = u0 + du * X.
    // Divisions hoisted out of the per-block work: block sides are at most 1 << kFifMaxBlockLog2.
    const double du = pixelX_ * kReciprocals[b.w];
    const double u0 = (0.5 * pixelX_ - b.x) * kReciprocals[b.w];
    const double dv = pixelY_ * kReciprocals[b.h];
    const double v0 = (0.5 * pixelY_ - b.y) * kReciprocals[b.h];
    // Domain coordinates u', v' = isometry(u, v), each as (constant, per X, per Y).
    double a[3] = {u0, du, 0.0};
    double c[3] = {v0, 0.0, dv};
    if (b.isometry & 4) std::swap(a, c);
    if (b.isometry & 1) a[0] = 1.0 - a[0], a[1] = -a[1], a[2] = -a[2];
    if (b.isometry & 2) c[0] = 1.0 - c[0], c[1] = -c[1], c[2] = -c[2];
    // Full-plane domain point q = 2 * domain + 2 * size * u' in grid units, then lattice point
    // k = (q - (step - 1)) / step.
    const double gx = latticeX_;
    const double gy = latticeY_;
    const double shift = latticeShift_;
    const double q[6] = {(2.0 * b.domainX + 2.0 * b.w * a[0]) * gx - shift, 2.0 * b.w * a[1] * gx,
                         2.0 * b.w * a[2] * gx, (2.0 * b.domainY + 2.0 * b.h * c[0]) * gy - shift,
                         2.0 * b.h * c[1] * gy, 2.0 * b.h * c[2] * gy};
    p.px0 = static_cast<float>(q[0]), p.pxdX = static_cast<float>(q[1]), p.pxdY = static_cast<float>(q[2]);
    p.py0 = static_cast<float>(q[3]), p.pydX = static_cast<float>(q[4]), p.pydY = static_cast<float>(q[5]);
    p.exact = true;
    for (double v : q) p.exact = p.exact && std::abs(v - Nearest(v)) < 1e-6;
    if (!p.exact) return;
    // All four corners of the block must land inside the lattice.
    for (int y : {p.y0, p.y1 - 1})
      for (int x : {p.x0, p.x1 - 1}) {
        const double ix = q[0] + q[1] * x + q[2] * y;
        const double iy = q[3] + q[4] * x + q[5] * y;
        if (ix < -0.5 || ix > lattice_.width - 0.5 || iy < -0.5 || iy > lattice_.height - 0.5) p.exact = false;
      }
    if (!p.exact) return;
    const auto whole = [](double v) { return static_cast<std::ptrdiff_t>(Nearest(v)); };
    const std::ptrdiff_t sw = lattice_.Stride();
    p.origin = whole(q[3] + q[4] * p.x0 + q[5] * p.y0) * sw + whole(q[0] + q[1] * p.x0 + q[2] * p.y0);
    p.stepX = whole(q[4]) * sw + whole(q[1]);
    p.stepY = whole(q[5]) * sw + whole(q[2]);
  }

  // At the plane's own size the grid is the plane and the lattice the half-size plane: block
  // pixel (i, j) reads the domain pixel the isometry takes it to, and the parser has checked that
  // every domain lies inside that plane.
  void MapAtOwnSize(const TFifBlock& b, TLatticeMap& m) const {
    const std::int32_t sw = static_cast<std::int32_t>(lattice_.Stride());
    const int mirrorX = b.isometry & 1;
    const int mirrorY = (b.isometry >> 1) & 1;
    const bool swap = (b.isometry & 4) != 0;
    const std::int32_t alongX = 1 - 2 * mirrorX;         // domain x per step of its driving axis
    const std::int32_t alongY = (1 - 2 * mirrorY) * sw;  // domain y likewise
    m.out = static_cast<std::int32_t>(Index(b.x, b.y));
    m.origin = (b.domainY + Select(mirrorY, b.h - 1, 0)) * sw + b.domainX + Select(mirrorX, b.w - 1, 0);
    m.stepX = Select(swap, alongY, alongX);
    m.stepY = Select(swap, alongX, alongY);
    m.w = b.w;
    m.h = b.h;
    m.contrast = Contrast(b);
    m.mean = Mean(b);
    m.invCount = 1.0f / static_cast<float>(b.w * b.h);
  }

  // At half the plane's size a block of even sides at even coordinates owns one grid pixel per
  // 2 x 2 of its pixels, and the lattice point of grid pixel i is the corner between the domain
  // pixels 2i and 2i + 1 that its two range pixels read. Edge blocks that own more (odd plane
  // sides) or are cut to odd sides are left to PlaceOnLattice.
  bool HalfClosedForm(const TFifBlock& b) const {
    return ((b.x | b.y | b.w | b.h) & 1) == 0 && firstX_[b.x + b.w] - firstX_[b.x] == b.w / 2 &&
           firstY_[b.y + b.h] - firstY_[b.y] == b.h / 2;
  }
  void MapAtHalfSize(const TFifBlock& b, TLatticeMap& m) const {
    const std::int32_t sw = static_cast<std::int32_t>(lattice_.Stride());
    const int mirrorX = b.isometry & 1;
    const int mirrorY = (b.isometry >> 1) & 1;
    const bool swap = (b.isometry & 4) != 0;
    const std::int32_t alongX = 2 - 4 * mirrorX;
    const std::int32_t alongY = (2 - 4 * mirrorY) * sw;
    m.out = static_cast<std::int32_t>(Index(b.x / 2, b.y / 2));
    m.origin = (b.domainY + Select(mirrorY, b.h - 1, 1)) * sw + b.domainX + Select(mirrorX, b.w - 1, 1);
    m.stepX = Select(swap, alongY, alongX);
    m.stepY = Select(swap, alongX, alongY);
    m.w = b.w / 2;
    m.h = b.h / 2;
    m.contrast = Contrast(b);
    m.mean = Mean(b);
    m.invCount = 1.0f / static_cast<float>(m.w * m.h);
  }

  // How a block takes part in the passes at own or half size: the shape of its map, kFlat plus
  // its shape at own size or kUnmapped at half size (it keeps its mean), or kPlaced (no closed
  // form: PlaceOnLattice or Place).
  static constexpr int kFlat = kShapes;
  static constexpr int kUnmapped = kFlat + kAnyShape;
  static constexpr int kRoles = kFlat + kSingle + 1;
  static constexpr int kPlaced = kRoles;
  int Role(const TFifBlock& b) const {
    if (ownSize_) {
      const int shape = Select(b.w == b.h, kSquareShapes[static_cast<std::size_t>(b.w)], kAnyShape);
      return shape + Select((b.contrast != 0) & (b.w * b.h > 1), 0, kFlat);
    }
    if (halfSize_ && HalfClosedForm(b)) {
      const int shape = Select(b.w == b.h, kSquareShapes[static_cast<std::size_t>(b.w / 2)], kAnyShape);
      return Select((b.contrast != 0) & (b.w * b.h > 4), shape, kUnmapped);
    }
    return Mapped(b) ? kPlaced : kUnmapped;
  }

 public:
  // Places every mapped block that owns grid pixels: in closed form at own and half size, else on
  // the lattice with integers where it can, the rest through Place. The blocks are first sorted
  // by role into lists of indices, unmapped ones included, so that the sorting needs no branch
  // and the maps come out grouped by shape.
  void MapOnLattice() {
    if (mapsReady_) return;
    const std::size_t count = plane_.blocks.size();
    StartLists(count);
    for (std::size_t i = 0; i < count; ++i) Sort(static_cast<std::uint32_t>(i));
    MakeMaps();
  }

  // The same at half the plane's size, from the lists of the renderer at its own size (mapped
  // first): only blocks larger than 2 x 2 pixels can own more than one grid pixel here. Squares
  // of side 2 own exactly one unless they lie off the even lattice, which the check keeps exact.
  // Flat and single-pixel blocks are never mapped at this size.
  void MapOnLattice(const TGridRenderer& own) {
    StartLists(own.List(kSquare4).size() + own.List(kSquare8).size() + own.List(kAnyShape).size());
    for (const std::uint32_t i : own.List(kSquare2))
      if (Role(plane_.blocks[i]) != kUnmapped) placedBlocks_.push_back(i);
    for (int shape = kSquare4; shape < kShapes; ++shape)
      for (const std::uint32_t i : own.List(shape)) Sort(i);
    MakeMaps();
  }

 private:
  void StartLists(std::size_t capacity) {
    mapsReady_ = true;
    listCapacity_ = capacity;
    lists_.resize(kRoles * capacity);
    for (int role = 0; role < kRoles; ++role) listEnd_[role] = lists_.data() + role * capacity;
  }

  // Into the list of the block's role; placed blocks, few at own and half size, straight away.
  void Sort(std::uint32_t i) {
    const TFifBlock& b = plane_.blocks[i];
    const int role = Role(b);
    if (role == kPlaced) {
      placedBlocks_.push_back(i);
      return;
    }
    *listEnd_[role]++ = i;
  }

  // The maps of the sorted blocks, shape by shape, then the placed blocks.
  void MakeMaps() {
    std::size_t mapped = 0;
    for (int shape = 0; shape < kShapes; ++shape) mapped += listEnd_[shape] - (lists_.data() + shape * listCapacity_);
    maps_.resize(mapped);
    TLatticeMap* m = maps_.data();
    for (int shape = 0; shape < kShapes; ++shape) {
      shapeBegin_[shape] = m - maps_.data();
      for (const std::uint32_t* i = lists_.data() + shape * listCapacity_; i < listEnd_[shape]; ++i, ++m) {
        if (ownSize_) MapAtOwnSize(plane_.blocks[*i], *m);
        else MapAtHalfSize(plane_.blocks[*i], *m);
      }
    }
    for (const std::uint32_t i : placedBlocks_) {
      const TFifBlock& b = plane_.blocks[i];
      TPlacedBlock p = Span(b);
      if (!PlaceOnLattice(b, p)) Place(b, p);
      Keep(p);
    }
    shapeBegin_[kShapes] = maps_.size();
  }

  TLatticeMap MapOf(const TPlacedBlock& p) const {
    return {static_cast<std::int32_t>(Index(p.x0, p.y0)), static_cast<std::int32_t>(p.origin),
            static_cast<std::int32_t>(p.stepX), static_cast<std::int32_t>(p.stepY), p.x1 - p.x0,
            p.y1 - p.y0, p.contrast, p.mean, p.invCount};
  }

  // A placed block whose domain points are all lattice points becomes a map; the others are
  // sampled on every pass.
  void Keep(const TPlacedBlock& p) {
    if (p.exact) maps_.push_back(MapOf(p));
    else {
      placed_.push_back(p);
      placed_.back().tap = tapCount_;
      tapCount_ += static_cast<std::size_t>(p.x1 - p.x0) * (p.y1 - p.y0);
    }
  }

  template <int N>
  void ApplyShape(int shape, TFifPixels& grid) const {
    const std::size_t first = shapeBegin_[shape];
    Share(shapeBegin_[shape + 1] - first, [&](std::size_t begin, std::size_t end) {
      for (std::size_t i = first + begin; i < first + end; ++i) {
        if constexpr (N == 0) ApplyMap(maps_[i], grid);
        else ApplySquare<N>(maps_[i], grid);
      }
    });
  }

  // ApplyMap for N x N grid pixels, unrolled: the same sum in the same order, the same pixels.
  template <int N>
  void ApplySquare(const TLatticeMap& m, TFifPixels& grid) const {
    const float* origin = lattice_.points.data() + m.origin;
    const std::ptrdiff_t sx = m.stepX;
    const std::ptrdiff_t sy = m.stepY;
    float domain[N * N];
    for (int j = 0; j < N; ++j)
      for (int i = 0; i < N; ++i) domain[j * N + i] = origin[j * sy + i * sx];
    float sum = 0.0f;
    for (float d : domain) sum += d;
    const float offset = m.mean - m.contrast * sum * m.invCount;
    float* out = grid.data() + m.out;
#if defined(__SSE2__)
    // Four pixels at a time, bounded as Bound does (as Clamp, packed).
    const __m128 contrast = _mm_set1_ps(m.contrast);
    const __m128 shift = _mm_set1_ps(offset);
    const auto four = [&](const float* d) {
      const __m128 v = _mm_add_ps(_mm_mul_ps(contrast, _mm_loadu_ps(d)), shift);
      return _mm_min_ps(_mm_set1_ps(kHigh), _mm_max_ps(_mm_set1_ps(kLow), v));
    };
    if constexpr (N == 2) {
      const __m128 both = four(domain);
      _mm_storel_pi(reinterpret_cast<__m64*>(out), both);
      _mm_storeh_pi(reinterpret_cast<__m64*>(out + width_), both);
    } else {
      for (int j = 0; j < N; ++j, out += width_)
        for (int i = 0; i < N; i += 4) _mm_storeu_ps(out + i, four(domain + j * N + i));
    }
#else
    for (int j = 0; j < N; ++j, out += width_)
      for (int i = 0; i < N; ++i) out[i] = Bound(m.contrast * domain[j * N + i] + offset);
#endif
  }

  // Reads the block's domain twice, for its mean and then for the pixels, straight from the
  // lattice: cheaper than a copy for the small blocks that dominate photographs.
  void ApplyMap(const TLatticeMap& m, TFifPixels& grid) const {
    const float* origin = lattice_.points.data() + m.origin;
    const std::ptrdiff_t sx = m.stepX;
    float sum = 0.0f;
    for (int j = 0; j < m.h; ++j) {
      const float* g = origin + j * static_cast<std::ptrdiff_t>(m.stepY);
      for (int i = 0; i < m.w; ++i) sum += g[i * sx];
    }
    const float offset = m.mean - m.contrast * sum * m.invCount;
    float* out = grid.data() + m.out;
    for (int j = 0; j < m.h; ++j, out += width_) {
      const float* g = origin + j * static_cast<std::ptrdiff_t>(m.stepY);
      for (int i = 0; i < m.w; ++i) out[i] = Bound(m.contrast * g[i * sx] + offset);
    }
  }

  // Domain points between lattice points: bilinear samples, kept for the second loop. With
  // `taps`, where each pixel read them is written down for ApplyTaps.
  void ApplySampled(const TPlacedBlock& p, TFifPixels& grid, std::vector<float>& samples, TBilinearTap* taps) const {
    const int w = p.x1 - p.x0;
    samples.resize(static_cast<std::size_t>(w) * (p.y1 - p.y0));
    const std::ptrdiff_t sw = lattice_.Stride();
    const float maxX = static_cast<float>(lattice_.width - 1);
    const float maxY = static_cast<float>(lattice_.height - 1);
    float sum = 0.0f;
    float* s = samples.data();
    for (int y = p.y0; y < p.y1; ++y) {
      float px = p.px0 + p.pxdX * p.x0 + p.pxdY * y;
      float py = p.py0 + p.pydX * p.x0 + p.pydY * y;
      for (int x = p.x0; x < p.x1; ++x, px += p.pxdX, py += p.pydX) {
        const float cx = Clamp(px, 0.0f, maxX);
        const float cy = Clamp(py, 0.0f, maxY);
        const int ix = static_cast<int>(cx);
        const int iy = static_cast<int>(cy);
        const float fx = cx - static_cast<float>(ix);
        const float fy = cy - static_cast<float>(iy);
        const std::int32_t at = static_cast<std::int32_t>(iy * sw + ix);
        if (taps != nullptr) *taps++ = {at, fx, fy};
        const float v = Interpolate(lattice_.points.data() + at, sw, fx, fy);
        *s++ = v;
        sum += v;
      }
    }
    WriteSampled(p, grid, samples, sum);
  }

  // ApplySampled from the taps it wrote down: the same samples.
  void ApplyTaps(const TPlacedBlock& p, TFifPixels& grid, std::vector<float>& samples, const TBilinearTap* taps) const {
    samples.resize(static_cast<std::size_t>(p.x1 - p.x0) * (p.y1 - p.y0));
    const std::ptrdiff_t sw = lattice_.Stride();
    const float* points = lattice_.points.data();
    float sum = 0.0f;
    for (float& s : samples) {
      const TBilinearTap& t = *taps++;
      s = Interpolate(points + t.at, sw, t.fx, t.fy);
      sum += s;
    }
    WriteSampled(p, grid, samples, sum);
  }

  static float Interpolate(const float* g, std::ptrdiff_t sw, float fx, float fy) {
    const float top = g[0] + fx * (g[1] - g[0]);
    const float bottom = g[sw] + fx * (g[sw + 1] - g[sw]);
    return top + fy * (bottom - top);
  }

  void WriteSampled(const TPlacedBlock& p, TFifPixels& grid, const std::vector<float>& samples, float sum) const {
    const int w = p.x1 - p.x0;
    const float offset = p.mean - p.contrast * sum * p.invCount;
    const float* s = samples.data();
    for (int y = p.y0; y < p.y1; ++y, s += w) {
      float* out = &grid[Index(p.x0, y)];
      for (int x = 0; x < w; ++x) out[x] = Bound(p.contrast * s[x] + offset);
    }
  }

  // Keeps iterates bounded whatever the stored contrasts.
  static constexpr float kLow = -128.0f;
  static constexpr float kHigh = 383.0f;
  static float Bound(float v) { return Clamp(v, kLow, kHigh); }

  const TFifPlane& plane_;
  const float* means_;  // per block of plane_
  const TFifPlaneParams& params_;
  int width_;
  int height_;
  std::vector<int> firstX_;
  std::vector<int> firstY_;
  TFifRatio sx_;
  TFifRatio sy_;
  int threads_;
  std::int64_t pixels_;
  bool onLattice_ = false;
  bool ownSize_ = false;  // the grid is the plane
  bool halfSize_ = false;  // the grid is the plane at half its size
  double inverses_[4] = {};
  TLattice lattice_;
  double pixelX_ = 1.0;  // plane pixels per grid pixel
  double pixelY_ = 1.0;
  double latticeX_ = 1.0;  // lattice points per full-plane grid unit
  double latticeY_ = 1.0;
  double latticeShift_ = 0.0;
  std::vector<TPlacedBlock> placed_;
  bool keepTaps_ = false;  // more than one pass reads this lattice
  std::size_t tapCount_ = 0;
  std::vector<TBilinearTap, TUninitialised<TBilinearTap>> taps_;
  bool mapsReady_ = false;
  // Block indices by role, in lists of listCapacity_ each; placed blocks apart.
  std::vector<std::uint32_t, TUninitialised<std::uint32_t>> lists_;
  std::size_t listCapacity_ = 0;
  std::array<std::uint32_t*, kRoles> listEnd_{};
  std::vector<std::uint32_t> placedBlocks_;
  std::vector<TLatticeMap, TUninitialised<TLatticeMap>> maps_;  // grouped by shape
  std::array<std::size_t, kShapes + 1> shapeBegin_{};
};

// How far a renderer at scale (sx, sy) joins flat leaves: up to the whole plane pixels that one
// grid pixel spans along its less reduced axis, so that no grid pixel point-samples a group of
// flat leaves it covers.
int JoinLog2(TFifRatio sx, TFifRatio sy) {
  const std::int64_t span = std::min(sx.den / sx.num, sy.den / sy.num);
  int log2 = 0;
  while (log2 < kFifMaxBlockLog2 && (std::int64_t{2} << log2) <= span) ++log2;
  return log2;
}

}  // namespace

TFifGrid RenderPlane(const TFifPlane& plane, const TFifPlaneParams& params, int gridWidth, int gridHeight,
                     TFifRatio sx, TFifRatio sy, int threads) {
  // Enlarged axes: the attractor at the plane's own size along them, then interpolated.
  const bool widen = sx.num > sx.den;
  const bool deepen = sy.num > sy.den;
  if (widen || deepen) {
    const TFifGrid own = RenderPlane(plane, params, widen ? plane.width : gridWidth, deepen ? plane.height : gridHeight,
                                     widen ? TFifRatio{} : sx, deepen ? TFifRatio{} : sy, threads);
    return ResamplePlane(own, gridWidth, gridHeight, widen ? sx : TFifRatio{}, deepen ? sy : TFifRatio{}, threads);
  }
  TFifGrid grid;
  grid.width = gridWidth;
  grid.height = gridHeight;
  grid.pixels.resize(static_cast<std::size_t>(gridWidth) * gridHeight);
  // A reduction to more than a quarter of the plane's pixels: the passes but the last run on the
  // plane at half its size, where every domain point is a lattice point. The last pass reads
  // domains from that picture: they are read at twice the range's spacing, so half the plane's
  // resolution holds all they can see, and more than the grid itself would at this scale.
  const bool exactHalf = 2 * sx.num == sx.den && 2 * sy.num == sy.den;
  const bool ownSize = sx.num == sx.den && sy.num == sy.den;
  if (!ownSize && !exactHalf &&
      std::int64_t{4} * gridWidth * gridHeight > std::int64_t{plane.width} * plane.height) {
    const int halfW = (plane.width + 1) / 2;
    const int halfH = (plane.height + 1) / 2;
    const TFifShownPlane halfShown(plane, params, 1);
    TGridRenderer halfRenderer(halfShown, params, halfW, halfH, {1, 2}, {1, 2}, threads);
    TFifPixels half(static_cast<std::size_t>(halfW) * halfH);
    halfRenderer.FillMeans(half);
    for (int pass = 1; pass < kPasses; ++pass) {
      halfRenderer.Smooth(half);
      halfRenderer.Apply(half);
    }
    const TFifShownPlane shown(plane, params, JoinLog2(sx, sy));
    TGridRenderer renderer(shown, params, gridWidth, gridHeight, sx, sy, threads, true);
    renderer.FillMeans(grid.pixels);
    renderer.TakeHalf(half);
    renderer.Apply(grid.pixels);
    return grid;
  }
  const TFifShownPlane shown(plane, params, JoinLog2(sx, sy));
  TGridRenderer renderer(shown, params, gridWidth, gridHeight, sx, sy, threads);
  if (ownSize) {
    TGridRenderer halfRenderer(shown, params, (gridWidth + 1) / 2, (gridHeight + 1) / 2, {sx.num, 2 * sx.den},
                               {sy.num, 2 * sy.den}, threads);
    renderer.MapOnLattice();
    halfRenderer.MapOnLattice(renderer);
    TFifPixels half = renderer.StartAtOwnSize(grid.pixels);
    for (int pass = 1; pass < kPasses; ++pass) {
      halfRenderer.Smooth(half);
      halfRenderer.Apply(half);
    }
    renderer.TakeHalf(half);
    renderer.Apply(grid.pixels);
    return grid;
  }
  renderer.FillMeans(grid.pixels);
  for (int pass = 0; pass < kPasses; ++pass) {
    renderer.Smooth(grid.pixels);
    renderer.Apply(grid.pixels);
  }
  return grid;
}

}  // namespace qrl

#include "fif/FifRender.h"

#include <algorithm>
#include <cmath>

namespace qrl {

namespace {

// Passes from the block-mean image. Mean-removed maps converge fast: on photographs the fourth
// pass still gains about 0.1 dB, further passes under 0.05 dB.
constexpr int kIterations = 4;

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

// First grid pixel whose centre lies at or right of plane position pos: (2X + 1) * den >= 2 * pos * num.
int FirstPixel(std::int64_t pos, TFifRatio r, int limit) {
  const std::int64_t x = CeilDiv(2 * pos * r.num - r.den, 2 * r.den);
  return static_cast<int>(std::clamp<std::int64_t>(x, 0, limit));
}

// One range block as it falls on a particular grid.
struct TPlacedBlock {
  int x0, x1, y0, y1;  // grid pixels, end exclusive
  float contrast;
  float mean;
  // Domain point in smoothed-grid coordinates: q = origin + dX * X + dY * Y.
  float qx0, qxdX, qxdY;
  float qy0, qydX, qydY;
  // At whole-number scales every domain point falls on the lattice: one tap, no weights.
  bool onLattice;
  int ix0, ixdX, ixdY, iy0, iydX, iydY;
};

class TGridRenderer {
 public:
  TGridRenderer(const TFifPlane& plane, const TFifPlaneParams& params, int gridW, int gridH, TFifRatio sx,
                TFifRatio sy)
      : width_(gridW), height_(gridH) {
    placed_.reserve(plane.blocks.size());
    for (const TFifBlock& b : plane.blocks) {
      TPlacedBlock p{};
      p.x0 = FirstPixel(b.x, sx, gridW);
      p.x1 = FirstPixel(b.x + b.w, sx, gridW);
      p.y0 = FirstPixel(b.y, sy, gridH);
      p.y1 = FirstPixel(b.y + b.h, sy, gridH);
      if (b.x + b.w >= plane.width) p.x1 = gridW;
      if (b.y + b.h >= plane.height) p.y1 = gridH;
      if (p.x0 >= p.x1 || p.y0 >= p.y1) continue;
      p.mean = static_cast<float>(b.meanIndex * params.meanStep);
      p.contrast = static_cast<float>(b.contrast) / static_cast<float>(params.contrastDen);
      if (b.contrast != 0) Place(b, sx, sy, gridW, gridH, p);
      placed_.push_back(p);
    }
  }

  // Fills every block with its mean: the starting image.
  void FillMeans(std::vector<float>& grid) const {
    for (const TPlacedBlock& p : placed_)
      for (int y = p.y0; y < p.y1; ++y) std::fill_n(&grid[Index(p.x0, y)], p.x1 - p.x0, p.mean);
  }

  // One pass of every mapped block; flat blocks keep their means from FillMeans.
  void Iterate(std::vector<float>& grid) {
    Smooth(grid);
    for (const TPlacedBlock& p : placed_)
      if (p.contrast != 0.0f) Apply(p, grid);
  }

 private:
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }

  static void Place(const TFifBlock& b, TFifRatio sx, TFifRatio sy, int gridW, int gridH, TPlacedBlock& p) {
    // Range coordinates u, v in [0, 1) as functions of the grid pixel: u = u0 + du * X.
    const double du = static_cast<double>(sx.den) / (static_cast<double>(sx.num) * b.w);
    const double u0 = (0.5 * sx.den / sx.num - b.x) / b.w;
    const double dv = static_cast<double>(sy.den) / (static_cast<double>(sy.num) * b.h);
    const double v0 = (0.5 * sy.den / sy.num - b.y) / b.h;
    // Domain coordinates u', v' = isometry(u, v), each as (constant, per X, per Y).
    double a[3] = {u0, du, 0.0};
    double c[3] = {v0, 0.0, dv};
    if (b.isometry & 4) std::swap(a, c);
    if (b.isometry & 1) a[0] = 1.0 - a[0], a[1] = -a[1], a[2] = -a[2];
    if (b.isometry & 2) c[0] = 1.0 - c[0], c[1] = -c[1], c[2] = -c[2];
    // Full-plane domain point 2 * domain + 2 * size * u', then onto the grid.
    const double gx = static_cast<double>(sx.num) / sx.den;
    const double gy = static_cast<double>(sy.num) / sy.den;
    p.qx0 = static_cast<float>((2.0 * b.domainX + 2.0 * b.w * a[0]) * gx);
    p.qxdX = static_cast<float>(2.0 * b.w * a[1] * gx);
    p.qxdY = static_cast<float>(2.0 * b.w * a[2] * gx);
    p.qy0 = static_cast<float>((2.0 * b.domainY + 2.0 * b.h * c[0]) * gy);
    p.qydX = static_cast<float>(2.0 * b.h * c[1] * gy);
    p.qydY = static_cast<float>(2.0 * b.h * c[2] * gy);

    const double q[6] = {(2.0 * b.domainX + 2.0 * b.w * a[0]) * gx, 2.0 * b.w * a[1] * gx, 2.0 * b.w * a[2] * gx,
                         (2.0 * b.domainY + 2.0 * b.h * c[0]) * gy, 2.0 * b.h * c[1] * gy, 2.0 * b.h * c[2] * gy};
    int iq[6];
    p.onLattice = true;
    for (int i = 0; i < 6; ++i) {
      iq[i] = static_cast<int>(std::lround(q[i]));
      p.onLattice = p.onLattice && std::abs(q[i] - iq[i]) < 1e-6;
    }
    if (!p.onLattice) return;
    p.ix0 = iq[0], p.ixdX = iq[1], p.ixdY = iq[2], p.iy0 = iq[3], p.iydX = iq[4], p.iydY = iq[5];
    // The lattice has gridW + 1 by gridH + 1 points; all four corners of the block must land on it.
    for (int y : {p.y0, p.y1 - 1})
      for (int x : {p.x0, p.x1 - 1}) {
        const int ix = p.ix0 + p.ixdX * x + p.ixdY * y;
        const int iy = p.iy0 + p.iydX * x + p.iydY * y;
        if (ix < 0 || ix > gridW || iy < 0 || iy > gridH) p.onLattice = false;
      }
  }

  // smooth_(i, j): mean of the grid pixels around lattice corner (i, j), edges repeated.
  void Smooth(const std::vector<float>& grid) {
    const int sw = width_ + 1;
    smooth_.resize(static_cast<std::size_t>(sw) * (height_ + 1));
    rowSum_.resize(static_cast<std::size_t>(sw));
    std::vector<float> previous(static_cast<std::size_t>(sw));
    for (int j = 0; j <= height_; ++j) {
      const float* row = &grid[Index(0, std::min(j, height_ - 1))];
      rowSum_[0] = 2.0f * row[0];
      for (int i = 1; i < width_; ++i) rowSum_[i] = row[i - 1] + row[i];
      rowSum_[width_] = 2.0f * row[width_ - 1];
      if (j == 0) previous = rowSum_;
      float* out = &smooth_[static_cast<std::size_t>(j) * sw];
      for (int i = 0; i < sw; ++i) out[i] = 0.25f * (previous[i] + rowSum_[i]);
      previous.swap(rowSum_);
    }
  }

  void Apply(const TPlacedBlock& p, std::vector<float>& grid) {
    const int n = (p.x1 - p.x0) * (p.y1 - p.y0);
    samples_.resize(static_cast<std::size_t>(n));
    const double sum = p.onLattice ? GatherOnLattice(p) : Gather(p);
    const float offset = p.mean - p.contrast * static_cast<float>(sum / n);
    const float* s = samples_.data();
    for (int y = p.y0; y < p.y1; ++y) {
      float* out = &grid[Index(p.x0, y)];
      for (int x = p.x0; x < p.x1; ++x) *out++ = std::clamp(p.contrast * *s++ + offset, kLow, kHigh);
    }
  }

  double GatherOnLattice(const TPlacedBlock& p) {
    const std::ptrdiff_t sw = width_ + 1;
    const std::ptrdiff_t step = p.ixdX + p.iydX * sw;
    double sum = 0.0;
    float* s = samples_.data();
    for (int y = p.y0; y < p.y1; ++y) {
      const float* g = &smooth_[static_cast<std::size_t>((p.iy0 + p.iydX * p.x0 + p.iydY * y) * sw +
                                                         (p.ix0 + p.ixdX * p.x0 + p.ixdY * y))];
      float rowSum = 0.0f;
      for (int x = p.x0; x < p.x1; ++x, g += step) {
        *s++ = *g;
        rowSum += *g;
      }
      sum += rowSum;
    }
    return sum;
  }

  double Gather(const TPlacedBlock& p) {
    const int sw = width_ + 1;
    const float maxX = static_cast<float>(width_) - 1e-3f;
    const float maxY = static_cast<float>(height_) - 1e-3f;
    double sum = 0.0;
    float* s = samples_.data();
    for (int y = p.y0; y < p.y1; ++y) {
      float qx = p.qx0 + p.qxdX * p.x0 + p.qxdY * y;
      float qy = p.qy0 + p.qydX * p.x0 + p.qydY * y;
      float rowSum = 0.0f;
      for (int x = p.x0; x < p.x1; ++x, qx += p.qxdX, qy += p.qydX) {
        const float cx = std::clamp(qx, 0.0f, maxX);
        const float cy = std::clamp(qy, 0.0f, maxY);
        const int ix = static_cast<int>(cx);
        const int iy = static_cast<int>(cy);
        const float fx = cx - static_cast<float>(ix);
        const float fy = cy - static_cast<float>(iy);
        const float* g = &smooth_[static_cast<std::size_t>(iy) * sw + ix];
        const float top = g[0] + fx * (g[1] - g[0]);
        const float bottom = g[sw] + fx * (g[sw + 1] - g[sw]);
        const float v = top + fy * (bottom - top);
        *s++ = v;
        rowSum += v;
      }
      sum += rowSum;
    }
    return sum;
  }

  // Keeps iterates bounded whatever the stored contrasts.
  static constexpr float kLow = -128.0f;
  static constexpr float kHigh = 383.0f;

  int width_;
  int height_;
  std::vector<TPlacedBlock> placed_;
  std::vector<float> smooth_;
  std::vector<float> rowSum_;
  std::vector<float> samples_;
};

// Tent weights over a radius of half a plane pixel plus half a grid pixel: none at or below the
// nominal size, a softening of about one plane pixel when enlarged.
std::vector<float> TentWeights(TFifRatio r) {
  const double radius = 0.5 * static_cast<double>(r.num) / static_cast<double>(r.den) + 0.5;
  std::vector<float> w;
  for (int d = 0; d < radius; ++d) w.push_back(static_cast<float>(1.0 - d / radius));
  return w;
}

// Enlarged pictures would otherwise show each small block as a hard-edged patch; softening over
// one plane pixel makes them blend the way the nominal-size picture does.
void Soften(TFifGrid& grid, TFifRatio sx, TFifRatio sy) {
  const std::vector<float> wx = TentWeights(sx);
  const std::vector<float> wy = TentWeights(sy);
  if (wx.size() < 2 && wy.size() < 2) return;
  const int w = grid.width;
  const int h = grid.height;
  std::vector<float> line(static_cast<std::size_t>(std::max(w, h)));
  const auto filter = [&](const std::vector<float>& weights, float* first, std::ptrdiff_t step, int n) {
    if (weights.size() < 2) return;
    for (int i = 0; i < n; ++i) line[i] = first[i * step];
    const int taps = static_cast<int>(weights.size());
    for (int i = 0; i < n; ++i) {
      float sum = weights[0] * line[i];
      float norm = weights[0];
      for (int d = 1; d < taps; ++d) {
        sum += weights[d] * (line[std::max(0, i - d)] + line[std::min(n - 1, i + d)]);
        norm += 2.0f * weights[d];
      }
      first[i * step] = sum / norm;
    }
  };
  for (int y = 0; y < h; ++y) filter(wx, &grid.pixels[static_cast<std::size_t>(y) * w], 1, w);
  for (int x = 0; x < w; ++x) filter(wy, &grid.pixels[static_cast<std::size_t>(x)], w, h);
}

}  // namespace

TFifGrid RenderPlane(const TFifPlane& plane, const TFifPlaneParams& params, int gridWidth, int gridHeight,
                     TFifRatio sx, TFifRatio sy) {
  TFifGrid grid;
  grid.width = gridWidth;
  grid.height = gridHeight;
  grid.pixels.assign(static_cast<std::size_t>(gridWidth) * gridHeight, 0.0f);
  TGridRenderer renderer(plane, params, gridWidth, gridHeight, sx, sy);
  renderer.FillMeans(grid.pixels);
  for (int i = 0; i < kIterations; ++i) renderer.Iterate(grid.pixels);
  Soften(grid, sx, sy);
  return grid;
}

}  // namespace qrl

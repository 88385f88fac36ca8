#include "fif/FifResample.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <numbers>

#include "fif/FifParallel.h"

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace qrl {

namespace {

constexpr int kLobes = 3;

// Grids below this many pixels stay on the calling thread.
constexpr std::int64_t kSharedPixels = 1 << 16;
constexpr int kTaps = 2 * kLobes;

double Lanczos(double t) {
  t = std::abs(t);
  if (t < 1e-9) return 1.0;
  if (t >= kLobes) return 0.0;
  const double p = std::numbers::pi * t;
  return kLobes * std::sin(p) * std::sin(p / kLobes) / (p * p);
}

// For every grid position: the source index of its first tap (edges clamped per tap) and the
// taps' weights, normalised to sum to one. Positions num apart (the scale in lowest terms) sit at
// the same phase between source pixels and share their weights, so the sines are worked out once
// per phase rather than once per tap.
struct TTaps {
  std::vector<int> index;     // kTaps per position, already clamped to the source
  std::vector<float> weight;  // kTaps per position
};

TTaps Taps(int sourceSize, int gridSize, TFifRatio r) {
  TTaps taps;
  taps.index.resize(static_cast<std::size_t>(gridSize) * kTaps);
  taps.weight.resize(taps.index.size());
  const std::int64_t common = std::gcd(r.num, r.den);
  const std::int64_t period = r.num / common;
  const double perPixel = static_cast<double>(r.den) / static_cast<double>(r.num);
  for (int x = 0; x < gridSize; ++x) {
    const double centre = (x + 0.5) * perPixel - 0.5;
    const int first = static_cast<int>(std::floor(centre)) - (kLobes - 1);
    float* weight = &taps.weight[static_cast<std::size_t>(x) * kTaps];
    if (x >= period) {
      std::copy_n(&taps.weight[static_cast<std::size_t>(x - period) * kTaps], kTaps, weight);
    } else {
      double weights[kTaps];
      double sum = 0.0;
      for (int t = 0; t < kTaps; ++t) sum += weights[t] = Lanczos(centre - (first + t));
      for (int t = 0; t < kTaps; ++t) weight[t] = static_cast<float>(weights[t] / sum);
    }
    for (int t = 0; t < kTaps; ++t)
      taps.index[static_cast<std::size_t>(x) * kTaps + t] = std::clamp(first + t, 0, sourceSize - 1);
  }
  return taps;
}

// Rows y .. y + 3 of `plane` (the last repeated where the plane ends sooner) across to
// gridWidth, into rows y .. of `wide` that exist. The four rows go side by side in one vector, so
// that each tap is one load and the taps' indices and weights are read once for four rows; every
// lane adds its products in the order of the plain loop, so the sums are the same.
void WidenFourRows(const TFifGrid& plane, const TTaps& across, int gridWidth, int y, float* wide,
                   TFifPixels& fourWide) {
  const int rows = std::min(4, plane.height - y);
  const float* in[4];
  for (int r = 0; r < 4; ++r) in[r] = &plane.pixels[static_cast<std::size_t>(y + std::min(r, rows - 1)) * plane.width];
  float* out[4];
  for (int r = 0; r < rows; ++r) out[r] = wide + static_cast<std::size_t>(y + r) * gridWidth;
#if defined(__SSE2__)
  float* side = fourWide.data();
  for (int x = 0; x < plane.width; ++x) _mm_storeu_ps(side + 4 * x, _mm_setr_ps(in[0][x], in[1][x], in[2][x], in[3][x]));
  const auto widen = [&](int x) {
    const int* index = &across.index[static_cast<std::size_t>(x) * kTaps];
    const float* weight = &across.weight[static_cast<std::size_t>(x) * kTaps];
    __m128 sum = _mm_setzero_ps();
    for (int t = 0; t < kTaps; ++t)
      sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(weight[t]), _mm_loadu_ps(side + 4 * index[t])));
    return sum;
  };
  int x = 0;
  if (rows == 4) {
    for (; x + 4 <= gridWidth; x += 4) {
      __m128 a = widen(x), b = widen(x + 1), c = widen(x + 2), d = widen(x + 3);
      _MM_TRANSPOSE4_PS(a, b, c, d);
      _mm_storeu_ps(out[0] + x, a);
      _mm_storeu_ps(out[1] + x, b);
      _mm_storeu_ps(out[2] + x, c);
      _mm_storeu_ps(out[3] + x, d);
    }
  }
  for (; x < gridWidth; ++x) {
    alignas(16) float sums[4];
    _mm_store_ps(sums, widen(x));
    for (int r = 0; r < rows; ++r) out[r][x] = sums[r];
  }
#else
  for (int r = 0; r < rows; ++r)
    for (int x = 0; x < gridWidth; ++x) {
      const int* index = &across.index[static_cast<std::size_t>(x) * kTaps];
      const float* weight = &across.weight[static_cast<std::size_t>(x) * kTaps];
      float sum = 0.0f;
      for (int t = 0; t < kTaps; ++t) sum += weight[t] * in[r][index[t]];
      out[r][x] = sum;
    }
#endif
}

// Grid row y from the taps' rows of `wide`, every pixel's sum kept in a register rather than
// added up in the grid tap by tap; the order of the additions is the same.
void DeepenRow(const TFifPixels& wide, const TTaps& down, int gridWidth, int y, float* __restrict out) {
  const float* in[kTaps];
  float weight[kTaps];
  for (int t = 0; t < kTaps; ++t) {
    const std::size_t at = static_cast<std::size_t>(y) * kTaps + t;
    in[t] = &wide[static_cast<std::size_t>(down.index[at]) * gridWidth];
    weight[t] = down.weight[at];
  }
  int x = 0;
#if defined(__SSE2__)
  for (; x + 4 <= gridWidth; x += 4) {
    __m128 sum = _mm_setzero_ps();
    for (int t = 0; t < kTaps; ++t) sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(weight[t]), _mm_loadu_ps(in[t] + x)));
    _mm_storeu_ps(out + x, sum);
  }
#endif
  for (; x < gridWidth; ++x) {
    float sum = 0.0f;
    for (int t = 0; t < kTaps; ++t) sum += weight[t] * in[t][x];
    out[x] = sum;
  }
}

}  // namespace

TFifGrid ResamplePlane(const TFifGrid& plane, int gridWidth, int gridHeight, TFifRatio sx, TFifRatio sy,
                       int threads) {
  const TTaps across = Taps(plane.width, gridWidth, sx);
  const TTaps down = Taps(plane.height, gridHeight, sy);
  // Rows first (plane height x grid width), four at a time, then columns, a whole row at a time
  // so that the inner loop runs along memory.
  const int pieces = threads > 1 && std::int64_t{gridWidth} * gridHeight >= kSharedPixels ? 4 * threads : 1;
  const auto share = [&](int count, const auto& work) {
    ParallelFor(static_cast<std::size_t>(pieces), threads, [&](std::size_t i) {
      const int piece = static_cast<int>(i);
      work(count * piece / pieces, count * (piece + 1) / pieces);
    });
  };
  TFifPixels wide(static_cast<std::size_t>(plane.height) * gridWidth);
  share((plane.height + 3) / 4, [&](int begin, int end) {
    TFifPixels fourWide(static_cast<std::size_t>(4) * plane.width);
    for (int group = begin; group < end; ++group)
      WidenFourRows(plane, across, gridWidth, 4 * group, wide.data(), fourWide);
  });
  TFifGrid grid;
  grid.width = gridWidth;
  grid.height = gridHeight;
  grid.pixels.resize(static_cast<std::size_t>(gridWidth) * gridHeight);
  share(gridHeight, [&](int begin, int end) {
    for (int y = begin; y < end; ++y) DeepenRow(wide, down, gridWidth, y, &grid.pixels[static_cast<std::size_t>(y) * gridWidth]);
  });
  return grid;
}

}  // namespace qrl

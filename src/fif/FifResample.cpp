#include "fif/FifResample.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <numbers>

#include "fif/FifParallel.h"

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

}  // namespace

TFifGrid ResamplePlane(const TFifGrid& plane, int gridWidth, int gridHeight, TFifRatio sx, TFifRatio sy,
                       int threads) {
  const TTaps across = Taps(plane.width, gridWidth, sx);
  const TTaps down = Taps(plane.height, gridHeight, sy);
  // Rows first (plane height x grid width), then columns, a whole row at a time so that the
  // inner loop runs along memory.
  const int pieces = threads > 1 && std::int64_t{gridWidth} * gridHeight >= kSharedPixels ? 4 * threads : 1;
  const auto share = [&](int rows, const auto& work) {
    ParallelFor(static_cast<std::size_t>(pieces), threads, [&](std::size_t i) {
      const int piece = static_cast<int>(i);
      for (int y = rows * piece / pieces; y < rows * (piece + 1) / pieces; ++y) work(y);
    });
  };
  TFifPixels wide(static_cast<std::size_t>(plane.height) * gridWidth);
  share(plane.height, [&](int y) {
    const float* in = &plane.pixels[static_cast<std::size_t>(y) * plane.width];
    float* out = &wide[static_cast<std::size_t>(y) * gridWidth];
    for (int x = 0; x < gridWidth; ++x) {
      const int* index = &across.index[static_cast<std::size_t>(x) * kTaps];
      const float* weight = &across.weight[static_cast<std::size_t>(x) * kTaps];
      float sum = 0.0f;
      for (int t = 0; t < kTaps; ++t) sum += weight[t] * in[index[t]];
      out[x] = sum;
    }
  });
  TFifGrid grid;
  grid.width = gridWidth;
  grid.height = gridHeight;
  grid.pixels.assign(static_cast<std::size_t>(gridWidth) * gridHeight, 0.0f);
  share(gridHeight, [&](int y) {
    float* __restrict out = &grid.pixels[static_cast<std::size_t>(y) * gridWidth];
    for (int t = 0; t < kTaps; ++t) {
      const std::size_t at = static_cast<std::size_t>(y) * kTaps + t;
      const float weight = down.weight[at];
      const float* __restrict in = &wide[static_cast<std::size_t>(down.index[at]) * gridWidth];
      for (int x = 0; x < gridWidth; ++x) out[x] += weight * in[x];
    }
  });
  return grid;
}

}  // namespace qrl

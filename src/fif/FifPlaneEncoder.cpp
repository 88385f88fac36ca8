#include "fif/FifPlaneEncoder.h"

#include <algorithm>
#include <array>
#include <cmath>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace qrl {

namespace {

constexpr int kIsometries = 8;

// Estimated bits of a signed value in the binarisation of CodeSigned.
double SignedBits(int value) {
  if (value == 0) return 1.0;
  int cls = 0;
  while ((static_cast<unsigned>(std::abs(value)) >> (cls + 1)) != 0) ++cls;
  return 2.0 + 2.0 * cls + 1.0;
}

class TPlaneEncoder {
 public:
  TPlaneEncoder(const TFifPlaneSource& source, const TFifPlaneParams& params, double lambda, double leafBits)
      : src_(source),
        p_(params),
        lambda_(lambda),
        leafCost_(lambda * leafBits),
        contrastBits_(std::log2(static_cast<double>(params.contrastLevels))),
        halfW_(source.width / 2),
        halfH_(source.height / 2) {
    BuildHalfPlane();
    BuildCellMeans();
  }

  TFifPlane Run() {
    TFifPlane plane;
    plane.width = src_.width;
    plane.height = src_.height;
    const int top = 1 << p_.topLog2;
    for (int y = 0; y < src_.height; y += top)
      for (int x = 0; x < src_.width; x += top) Node(x, y, p_.topLog2, plane.blocks);
    return plane;
  }

 private:
  // The half-size plane (2 x 2 means) that every domain is read from, with running sums of its
  // values and squares for the domain statistics.
  void BuildHalfPlane() {
    half_.assign(static_cast<std::size_t>(halfW_) * halfH_, 0.0f);
    for (int y = 0; y < halfH_; ++y)
      for (int x = 0; x < halfW_; ++x) {
        const float* a = &src_.pixels[static_cast<std::size_t>(2 * y) * src_.width + 2 * x];
        const float* b = a + src_.width;
        half_[static_cast<std::size_t>(y) * halfW_ + x] = 0.25f * (a[0] + a[1] + b[0] + b[1]);
      }
    const int iw = halfW_ + 1;
    sum_.assign(static_cast<std::size_t>(iw) * (halfH_ + 1), 0.0);
    sumSq_.assign(sum_.size(), 0.0);
    for (int y = 0; y < halfH_; ++y) {
      double row = 0.0;
      double rowSq = 0.0;
      for (int x = 0; x < halfW_; ++x) {
        const double v = half_[static_cast<std::size_t>(y) * halfW_ + x];
        row += v;
        rowSq += v * v;
        sum_[static_cast<std::size_t>(y + 1) * iw + x + 1] = sum_[static_cast<std::size_t>(y) * iw + x + 1] + row;
        sumSq_[static_cast<std::size_t>(y + 1) * iw + x + 1] = sumSq_[static_cast<std::size_t>(y) * iw + x + 1] + rowSq;
      }
    }
  }

  double Box(const std::vector<double>& table, int x, int y, int w, int h) const {
    const int iw = halfW_ + 1;
    auto at = [&](int xx, int yy) { return table[static_cast<std::size_t>(yy) * iw + xx]; };
    return at(x + w, y + h) - at(x, y + h) - at(x + w, y) + at(x, y);
  }

  // Means of the smallest cells (rounded values), standing in for the decoded neighbours when
  // the encoder estimates what a block mean will cost.
  void BuildCellMeans() {
    const int cs = 1 << p_.minLog2;
    cellsW_ = (src_.width + cs - 1) / cs;
    cellsH_ = (src_.height + cs - 1) / cs;
    cellMean_.assign(static_cast<std::size_t>(cellsW_) * cellsH_, 0);
    for (int cy = 0; cy < cellsH_; ++cy)
      for (int cx = 0; cx < cellsW_; ++cx) {
        double s = 0.0;
        int n = 0;
        for (int y = cy * cs; y < std::min(src_.height, (cy + 1) * cs); ++y)
          for (int x = cx * cs; x < std::min(src_.width, (cx + 1) * cs); ++x, ++n)
            s += src_.pixels[static_cast<std::size_t>(y) * src_.width + x];
        cellMean_[static_cast<std::size_t>(cy) * cellsW_ + cx] = std::clamp(static_cast<int>(std::lround(s / n)), 0, 255);
      }
  }

  static int QuantiseMean(double mean, int step) {
    return std::clamp(static_cast<int>(std::lround(mean / step)), 0, MaxMeanIndex(step));
  }

  // The decoder's prediction (the neighbours' average, to the nearest index of the block's step).
  double MeanBits(int x, int y, int step, int meanIndex) const {
    const int cx = x >> p_.minLog2;
    const int cy = y >> p_.minLog2;
    int predicted = 128;
    const bool left = cx > 0;
    const bool top = cy > 0;
    const auto at = [&](int xx, int yy) { return cellMean_[static_cast<std::size_t>(yy) * cellsW_ + xx]; };
    if (left && top) predicted = (at(cx - 1, cy) + at(cx, cy - 1) + 1) / 2;
    else if (left) predicted = at(cx - 1, cy);
    else if (top) predicted = at(cx, cy - 1);
    return SignedBits(meanIndex - NearestMeanIndex(predicted, step));
  }

  double Node(int x, int y, int log2, std::vector<TFifBlock>& out) {
    TFifBlock leaf = NodeBlock(x, y, log2, src_.width, src_.height);
    double leafError = 0.0;
    double leafCost = Leaf(leaf, leafError) + leafCost_;
    if (log2 == p_.minLog2) {
      out.push_back(leaf);
      return leafCost;
    }
    leafCost += lambda_;  // the split flag
    // A block already coded within a fraction of a bit's worth of error is not worth splitting.
    if (leafError < 0.5 * lambda_) {
      out.push_back(leaf);
      return leafCost;
    }
    std::vector<TFifBlock> children;
    double splitCost = lambda_;
    const int half = 1 << (log2 - 1);
    for (int i = 0; i < 4 && splitCost < leafCost; ++i) {
      const int cx = x + (i & 1) * half;
      const int cy = y + (i >> 1) * half;
      if (cx < src_.width && cy < src_.height) splitCost += Node(cx, cy, log2 - 1, children);
    }
    if (splitCost < leafCost) {
      out.insert(out.end(), children.begin(), children.end());
      return splitCost;
    }
    out.push_back(leaf);
    return leafCost;
  }

  // Chooses the block's parameters; returns its cost and its squared error.
  double Leaf(TFifBlock& b, double& error) {
    const int n = b.w * b.h;
    range_.resize(static_cast<std::size_t>(n));
    double sum = 0.0;
    for (int j = 0; j < b.h; ++j) {
      const float* row = &src_.pixels[static_cast<std::size_t>(b.y + j) * src_.width + b.x];
      for (int i = 0; i < b.w; ++i) {
        range_[static_cast<std::size_t>(j) * b.w + i] = row[i];
        sum += row[i];
      }
    }
    const double mean = sum / n;
    double energy = 0.0;
    for (float& v : range_) {
      v = static_cast<float>(v - mean);
      energy += static_cast<double>(v) * v;
    }
    const int level = p_.topLog2 - b.log2;
    const int meanStep = p_.meanStep[static_cast<std::size_t>(level)];
    b.meanIndex = QuantiseMean(mean, meanStep);
    const double meanError = mean - b.meanIndex * meanStep;
    const double baseError = n * meanError * meanError;
    const double meanBits = MeanBits(b.x, b.y, meanStep, b.meanIndex);
    const bool domainFits = 2 * b.w <= src_.width && 2 * b.h <= src_.height;

    b.contrast = 0;
    error = energy + baseError;
    double cost = error + lambda_ * (meanBits + (domainFits ? 1.0 : 0.0));
    if (!domainFits || energy < 1e-3) return cost;

    const int radius = p_.searchRadius[level];
    const int step = p_.searchStep[level];
    const double domainBits =
        2.0 + contrastBits_ + (b.w == b.h ? 3.0 : 2.0) + 2.0 * DomainOffsetBits(radius);
    // Not even a perfect domain match could beat the flat block.
    if (energy < lambda_ * domainBits) return cost;

    PrepareIsometries(b);
    const int isometries = b.w == b.h ? kIsometries : 4;
    const int baseX = DomainBase(b.x, b.w);
    const int baseY = DomainBase(b.y, b.h);
    double bestError = energy;
    TFifBlock best = b;
    for (int iy = 0; iy <= 2 * radius; ++iy) {
      const int dy = baseY + (iy - radius) * step;
      if (dy < 0 || dy + b.h > halfH_) continue;
      for (int ix = 0; ix <= 2 * radius; ++ix) {
        const int dx = baseX + (ix - radius) * step;
        if (dx < 0 || dx + b.w > halfW_) continue;
        const double dSum = Box(sum_, dx, dy, b.w, b.h);
        const double dVar = Box(sumSq_, dx, dy, b.w, b.h) - dSum * dSum / n;
        if (dVar < 1e-3) continue;
        std::array<float, kIsometries> dots{};
        Correlate(b, dx, dy, dots);
        const double scale = p_.contrastDen / dVar;
        for (int k = 0; k < isometries; ++k) {
          const double dot = dots[k];
          // Clamped before rounding: a domain of tiny variance gives quotients beyond any int.
          const double ideal = std::clamp(dot * scale, -p_.contrastLevels - 1.0, p_.contrastLevels + 1.0);
          const int q = std::clamp(static_cast<int>(ideal < 0.0 ? ideal - 0.5 : ideal + 0.5), -p_.contrastLevels,
                                   p_.contrastLevels);
          if (q == 0) continue;
          const double a = static_cast<double>(q) / p_.contrastDen;
          const double e = energy - 2.0 * a * dot + a * a * dVar;
          if (e < bestError) {
            bestError = e;
            best.contrast = q;
            best.isometry = k;
            best.domainX = dx;
            best.domainY = dy;
          }
        }
      }
    }
    const double domainCost = bestError + baseError + lambda_ * (meanBits + domainBits);
    if (best.contrast != 0 && domainCost < cost) {
      b = best;
      error = bestError + baseError;
      return domainCost;
    }
    return cost;
  }

  // The mean-removed range laid out per domain pixel with its eight isometric images side by
  // side, so one pass over a domain yields the correlation under every isometry.
  void PrepareIsometries(const TFifBlock& b) {
    const int n = b.w * b.h;
    interleaved_.assign(static_cast<std::size_t>(n) * kIsometries, 0.0f);
    const int isometries = b.w == b.h ? kIsometries : 4;
    for (int k = 0; k < isometries; ++k)
      for (int j = 0; j < b.h; ++j)
        for (int i = 0; i < b.w; ++i) {
          int x = i;
          int y = j;
          if (k & 4) std::swap(x, y);
          if (k & 1) x = b.w - 1 - x;
          if (k & 2) y = b.h - 1 - y;
          interleaved_[(static_cast<std::size_t>(y) * b.w + x) * kIsometries + k] =
              range_[static_cast<std::size_t>(j) * b.w + i];
        }
  }

  void Correlate(const TFifBlock& b, int dx, int dy, std::array<float, kIsometries>& dots) const {
    const float* r = interleaved_.data();
#if defined(__SSE2__)
    // The eight isometries as two registers of four: each lane adds up its own products in the
    // same order as the plain loop below.
    __m128 low = _mm_setzero_ps();
    __m128 high = _mm_setzero_ps();
    for (int j = 0; j < b.h; ++j) {
      const float* d = &half_[static_cast<std::size_t>(dy + j) * halfW_ + dx];
      for (int i = 0; i < b.w; ++i, r += kIsometries) {
        const __m128 v = _mm_set1_ps(d[i]);
        low = _mm_add_ps(low, _mm_mul_ps(_mm_loadu_ps(r), v));
        high = _mm_add_ps(high, _mm_mul_ps(_mm_loadu_ps(r + 4), v));
      }
    }
    _mm_storeu_ps(dots.data(), low);
    _mm_storeu_ps(dots.data() + 4, high);
#else
    float acc[kIsometries] = {};
    for (int j = 0; j < b.h; ++j) {
      const float* d = &half_[static_cast<std::size_t>(dy + j) * halfW_ + dx];
      for (int i = 0; i < b.w; ++i, r += kIsometries) {
        const float v = d[i];
        for (int k = 0; k < kIsometries; ++k) acc[k] += r[k] * v;
      }
    }
    std::copy(acc, acc + kIsometries, dots.begin());
#endif
  }

  const TFifPlaneSource& src_;
  const TFifPlaneParams& p_;
  double lambda_;
  double leafCost_;  // the decoder's work per leaf, as squared error
  double contrastBits_;  // estimated bits of a contrast magnitude
  int halfW_;
  int halfH_;
  std::vector<float> half_;
  std::vector<double> sum_;
  std::vector<double> sumSq_;
  int cellsW_ = 0;
  int cellsH_ = 0;
  std::vector<int> cellMean_;
  std::vector<float> range_;
  std::vector<float> interleaved_;
};

}  // namespace

TFifPlane EncodePlane(const TFifPlaneSource& source, const TFifPlaneParams& params, double lambda,
                      double leafBits) {
  return TPlaneEncoder(source, params, lambda, leafBits).Run();
}

}  // namespace qrl

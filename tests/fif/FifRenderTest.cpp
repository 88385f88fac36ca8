// The attractor renderer against a plain evaluation of the maps at the picture's own size,
// iterated to convergence: the shortcuts (passes at half size, one-tap lattices, placement
// tables) must reach the same picture.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <string>
#include <cstring>
#include <functional>
#include <random>

#include "fif/FifEncoder.h"
#include "fif/FifRender.h"
#include "fif/FifResample.h"
#include "fif/FifSymbols.h"
#include "fif/FifTestPictures.h"

namespace qrl {
namespace {

// The plane of a grey picture's stream, parsed.
TFifPlane FirstPlane(const std::vector<std::uint8_t>& fif, TFifHeader& header) {
  const std::size_t headerSize = ReadFifHeader(fif, header);
  TRansDecoder reader(std::span<const std::uint8_t>(fif).subspan(headerSize, fif.size() - headerSize - 4));
  TFifPlaneModels contexts(header.luma);
  TFifPlane plane;
  plane.width = header.width;
  plane.height = header.height;
  CodePlane(reader, contexts, header.luma, plane);
  return plane;
}

double MeanOf(const TFifBlock& b, const TFifPlaneParams& params) {
  return b.meanIndex * params.meanStep[static_cast<std::size_t>(params.topLog2 - b.log2)];
}

// Every range pixel from its domain pixel in the half-size plane, many times over.
std::vector<double> ConvergedAttractor(const TFifPlane& plane, const TFifPlaneParams& params) {
  const int w = plane.width;
  const int hw = w / 2;
  const int hh = plane.height / 2;
  std::vector<double> picture(static_cast<std::size_t>(w) * plane.height);
  for (const TFifBlock& b : plane.blocks)
    for (int j = 0; j < b.h; ++j)
      for (int i = 0; i < b.w; ++i) picture[(b.y + j) * w + b.x + i] = MeanOf(b, params);
  std::vector<double> half(static_cast<std::size_t>(hw) * hh);
  for (int pass = 0; pass < 40; ++pass) {
    for (int y = 0; y < hh; ++y)
      for (int x = 0; x < hw; ++x)
        half[y * hw + x] = 0.25 * (picture[2 * y * w + 2 * x] + picture[2 * y * w + 2 * x + 1] +
                                   picture[(2 * y + 1) * w + 2 * x] + picture[(2 * y + 1) * w + 2 * x + 1]);
    for (const TFifBlock& b : plane.blocks) {
      if (b.contrast == 0) continue;
      const auto domain = [&](int i, int j) {
        if (b.isometry & 4) std::swap(i, j);
        if (b.isometry & 1) i = b.w - 1 - i;
        if (b.isometry & 2) j = b.h - 1 - j;
        return half[(b.domainY + j) * hw + b.domainX + i];
      };
      double mean = 0.0;
      for (int j = 0; j < b.h; ++j)
        for (int i = 0; i < b.w; ++i) mean += domain(i, j);
      mean /= b.w * b.h;
      const double a = static_cast<double>(b.contrast) / params.contrastDen;
      for (int j = 0; j < b.h; ++j)
        for (int i = 0; i < b.w; ++i)
          picture[(b.y + j) * w + b.x + i] =
              std::clamp(a * (domain(i, j) - mean) + MeanOf(b, params), -128.0, 383.0);
    }
  }
  return picture;
}

TEST(FifRender, OwnSizeReachesTheConvergedAttractor) {
  // Even and odd sizes: the half-size passes cover one more column or row than the domains use.
  for (auto [w, h] : {std::pair{96, 64}, {75, 53}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    TFifHeader header;
    const TFifPlane plane = FirstPlane(EncodeFif(test::SyntheticPicture(w, h, true), TFifEncodeOptions::WithQuality(90)), header);
    ASSERT_TRUE(std::any_of(plane.blocks.begin(), plane.blocks.end(), [](const TFifBlock& b) { return b.contrast; }));
    const std::vector<double> expected = ConvergedAttractor(plane, header.luma);
    const TFifGrid grid = RenderPlane(plane, header.luma, w, h, {1, 1}, {1, 1});
    double squared = 0.0;
    double worst = 0.0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const double d = grid.pixels[i] - expected[i];
      squared += d * d;
      worst = std::max(worst, std::abs(d));
    }
    // Four passes leave hundredths of a grey level undone; two would leave whole levels.
    EXPECT_LT(std::sqrt(squared / expected.size()), 0.01);
    EXPECT_LT(worst, 0.25);
  }
}

// A reduction's last pass, plainly: every grid pixel takes its leaf's map of the domain point its
// centre goes to, sampled bilinearly from the plane at half its size (point k at plane position
// 2k + 1), here the converged attractor's 2 x 2 means.
std::vector<double> ReducedFromHalf(const TFifPlane& plane, const TFifPlaneParams& params,
                                    const std::vector<double>& attractor, int gw, int gh) {
  const int w = plane.width;
  const int h = plane.height;
  const int hw = w / 2;
  const int hh = h / 2;
  std::vector<double> half(static_cast<std::size_t>(hw) * hh);
  for (int y = 0; y < hh; ++y)
    for (int x = 0; x < hw; ++x)
      half[y * hw + x] = 0.25 * (attractor[2 * y * w + 2 * x] + attractor[2 * y * w + 2 * x + 1] +
                                 attractor[(2 * y + 1) * w + 2 * x] + attractor[(2 * y + 1) * w + 2 * x + 1]);
  const auto sample = [&](double kx, double ky) {
    kx = std::clamp(kx, 0.0, hw - 1.0);
    ky = std::clamp(ky, 0.0, hh - 1.0);
    const int ix = std::min(static_cast<int>(kx), hw - 2);
    const int iy = std::min(static_cast<int>(ky), hh - 2);
    const double fx = kx - ix;
    const double fy = ky - iy;
    const auto at = [&](int x, int y) { return half[y * hw + x]; };
    return (1 - fy) * ((1 - fx) * at(ix, iy) + fx * at(ix + 1, iy)) + fy * ((1 - fx) * at(ix, iy + 1) + fx * at(ix + 1, iy + 1));
  };
  std::vector<double> out(static_cast<std::size_t>(gw) * gh);
  for (const TFifBlock& b : plane.blocks) {
    std::vector<std::pair<int, double>> samples;  // grid index, domain sample
    double sum = 0.0;
    for (int gy = 0; gy < gh; ++gy)
      for (int gx = 0; gx < gw; ++gx) {
        const double cx = (gx + 0.5) * w / gw;
        const double cy = (gy + 0.5) * h / gh;
        if (cx < b.x || cx >= b.x + b.w || cy < b.y || cy >= b.y + b.h) continue;
        double u = (cx - b.x) / b.w;
        double v = (cy - b.y) / b.h;
        if (b.isometry & 4) std::swap(u, v);
        if (b.isometry & 1) u = 1 - u;
        if (b.isometry & 2) v = 1 - v;
        const double d = sample((2.0 * b.domainX + 2.0 * b.w * u - 1) / 2, (2.0 * b.domainY + 2.0 * b.h * v - 1) / 2);
        samples.emplace_back(gy * gw + gx, d);
        sum += d;
      }
    const double a = static_cast<double>(b.contrast) / params.contrastDen;
    for (const auto& [at, d] : samples)
      out[at] = std::clamp(a * (d - sum / samples.size()) + MeanOf(b, params), -128.0, 383.0);
  }
  return out;
}

TEST(FifRender, ReductionsTakeTheirLastDomainsFromThePlaneAtHalfSize) {
  constexpr int kW = 96;
  constexpr int kH = 64;
  TFifHeader header;
  const TFifPlane plane = FirstPlane(EncodeFif(test::SyntheticPicture(kW, kH, true), TFifEncodeOptions::WithQuality(90)), header);
  const std::vector<double> attractor = ConvergedAttractor(plane, header.luma);
  // Both axes, one axis, and a reduction by a single pixel.
  for (auto [gw, gh] : {std::pair{72, 48}, {60, 64}, {95, 63}}) {
    SCOPED_TRACE(std::to_string(gw) + "x" + std::to_string(gh));
    const std::vector<double> expected = ReducedFromHalf(plane, header.luma, attractor, gw, gh);
    const TFifGrid grid = RenderPlane(plane, header.luma, gw, gh, {gw, kW}, {gh, kH});
    EXPECT_EQ(grid.pixels, RenderPlane(plane, header.luma, gw, gh, {gw, kW}, {gh, kH}, 4).pixels);
    double squared = 0.0;
    for (std::size_t i = 0; i < expected.size(); ++i) squared += (grid.pixels[i] - expected[i]) * (grid.pixels[i] - expected[i]);
    // Measured 0.07 to 0.26 (three passes, not the converged attractor); a lattice read half a
    // point off gives 0.75 to 1.15, one scaled 10% off 1.4 to 1.8.
    EXPECT_LT(std::sqrt(squared / expected.size()), 0.4);
  }
}

// Passes at exactly half the plane's size, plainly: grid pixel X stands for plane position 2X + 1
// (the edge blocks take the pixels beyond the plane), and each pass maps the previous grid's
// 2 x 2 means at pixel corners (edges repeated), sampled where the block's map sends the pixel.
// A grid pixel over single-pixel leaves is their mean, as the attractor's 2 x 2 mean is.
std::vector<double> HalfSizePasses(const TFifPlane& plane, const TFifPlaneParams& params, int gw, int gh, int passes) {
  const auto owner = [&](const TFifBlock& b, int x, int y) {
    const int cx = std::min(2 * x + 1, plane.width - 1);
    const int cy = std::min(2 * y + 1, plane.height - 1);
    return cx >= b.x && cx < b.x + b.w && cy >= b.y && cy < b.y + b.h;
  };
  std::vector<double> grid(static_cast<std::size_t>(gw) * gh);
  for (const TFifBlock& b : plane.blocks)
    for (int y = 0; y < gh; ++y)
      for (int x = 0; x < gw; ++x)
        if (owner(b, x, y)) grid[y * gw + x] = MeanOf(b, params);
  std::vector<double> single(static_cast<std::size_t>(plane.width) * plane.height, -1.0);
  for (const TFifBlock& b : plane.blocks)
    if (b.w * b.h == 1) single[b.y * plane.width + b.x] = MeanOf(b, params);
  for (int y = 0; y < gh; ++y)
    for (int x = 0; x < gw; ++x) {
      const int x1 = std::min(2 * x + 1, plane.width - 1);
      const int y1 = std::min(2 * y + 1, plane.height - 1);
      if (single[y1 * plane.width + x1] < 0.0) continue;
      double sum = 0.0;
      int count = 0;
      for (int py = 2 * y; py <= y1; ++py)
        for (int px = 2 * x; px <= x1; ++px, ++count) sum += single[py * plane.width + px];
      grid[y * gw + x] = sum / count;
    }
  const auto at = [&](int x, int y) { return grid[std::clamp(y, 0, gh - 1) * gw + std::clamp(x, 0, gw - 1)]; };
  const auto corner = [&](double kx, double ky) {
    const int x = static_cast<int>(std::clamp(kx, 0.0, static_cast<double>(gw)));
    const int y = static_cast<int>(std::clamp(ky, 0.0, static_cast<double>(gh)));
    return 0.25 * (at(x - 1, y - 1) + at(x, y - 1) + at(x - 1, y) + at(x, y));
  };
  for (int pass = 0; pass < passes; ++pass) {
    std::vector<double> next = grid;
    for (const TFifBlock& b : plane.blocks) {
      if (b.contrast == 0) continue;
      std::vector<std::pair<int, double>> samples;
      double sum = 0.0;
      for (int y = 0; y < gh; ++y)
        for (int x = 0; x < gw; ++x) {
          if (!owner(b, x, y)) continue;
          double u = (2.0 * x + 1 - b.x) / b.w;
          double v = (2.0 * y + 1 - b.y) / b.h;
          if (b.isometry & 4) std::swap(u, v);
          if (b.isometry & 1) u = 1 - u;
          if (b.isometry & 2) v = 1 - v;
          // Every domain point at this scale is a pixel corner of the grid.
          const double d = corner(b.domainX + b.w * u, b.domainY + b.h * v);
          samples.emplace_back(y * gw + x, d);
          sum += d;
        }
      const double a = static_cast<double>(b.contrast) / params.contrastDen;
      for (const auto& [i, d] : samples)
        next[i] = std::clamp(a * (d - sum / samples.size()) + MeanOf(b, params), -128.0, 383.0);
    }
    grid = next;
  }
  return grid;
}

TEST(FifRender, HalfSizeFollowsThePlainMaps) {
  // Even sides, where every block of two pixels or more maps in closed form, and odd ones, where
  // the blocks along the right and bottom edges own an extra column or row.
  for (auto [w, h] : {std::pair{96, 64}, {75, 53}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    TFifHeader header;
    const TFifPlane plane = FirstPlane(EncodeFif(test::SyntheticPicture(w, h, true), TFifEncodeOptions::WithQuality(90)), header);
    const int gw = (w + 1) / 2;
    const int gh = (h + 1) / 2;
    const std::vector<double> expected = HalfSizePasses(plane, header.luma, gw, gh, 4);
    const TFifGrid grid = RenderPlane(plane, header.luma, gw, gh, {1, 2}, {1, 2});
    ASSERT_EQ(grid.pixels.size(), expected.size());
    double worst = 0.0;
    for (std::size_t i = 0; i < expected.size(); ++i) worst = std::max(worst, std::abs(grid.pixels[i] - expected[i]));
    // Float arithmetic against double stays within hundredths; a domain read one lattice point
    // off is whole levels out.
    EXPECT_LT(worst, 0.02);
  }
}

TEST(FifRender, ReductionsAverageLeavesSmallerThanTheirPixels) {
  // A one-pixel checkerboard of flat single-pixel leaves, in quadtree order: a reduced grid pixel
  // covers black and white alike, and must not show just one of them.
  TFifPlaneParams params;
  params.topLog2 = 3;
  params.minLog2 = 0;
  params.meanStep.fill(1);
  TFifPlane plane;
  plane.width = plane.height = 8;
  const std::function<void(int, int, int)> node = [&](int x, int y, int side) {
    if (side > 1) {
      const int s = side / 2;
      for (auto [dx, dy] : {std::pair{0, 0}, {s, 0}, {0, s}, {s, s}}) node(x + dx, y + dy, s);
      return;
    }
    TFifBlock b;
    b.x = x;
    b.y = y;
    b.w = b.h = 1;
    b.meanIndex = (x + y) % 2 == 0 ? 0 : 255;
    plane.blocks.push_back(b);
  };
  node(0, 0, 8);
  for (auto [size, scale] : {std::pair{4, TFifRatio{1, 2}}, {3, TFifRatio{3, 8}}, {2, TFifRatio{1, 4}}}) {
    SCOPED_TRACE(size);
    for (const float v : RenderPlane(plane, params, size, size, scale, scale).pixels) EXPECT_FLOAT_EQ(v, 127.5f);
  }
  const TFifGrid own = RenderPlane(plane, params, 8, 8, {1, 1}, {1, 1});
  EXPECT_EQ(own.At(0, 0), 0.0f);
  EXPECT_EQ(own.At(1, 0), 255.0f);
}

TEST(FifRender, SharedPassesGiveTheSamePixels) {
  // Big enough for the own-size grid's passes to be shared out (a megapixel); odd, so that the
  // edge blocks take the general placement beside the closed forms.
  constexpr int kW = 1027;
  constexpr int kH = 1025;
  TFifHeader header;
  const TFifPlane plane = FirstPlane(EncodeFif(test::SyntheticPicture(kW, kH, true), TFifEncodeOptions::WithQuality(90)), header);
  for (auto [gw, gh] : {std::pair{kW, kH}, {(kW + 1) / 2, (kH + 1) / 2}, {1024, 1024}, {700, 650}}) {
    SCOPED_TRACE(std::to_string(gw) + "x" + std::to_string(gh));
    const TFifRatio sx = gw == (kW + 1) / 2 ? TFifRatio{1, 2} : TFifRatio{gw, kW};
    const TFifRatio sy = gh == (kH + 1) / 2 ? TFifRatio{1, 2} : TFifRatio{gh, kH};
    EXPECT_EQ(RenderPlane(plane, header.luma, gw, gh, sx, sy, 1).pixels, RenderPlane(plane, header.luma, gw, gh, sx, sy, 3).pixels);
  }
}

// A plane of random leaves over a quadtree of 16 x 16 tops, cut at the right and bottom edges as
// the parser cuts them, from a fixed seed: flat and mapped blocks of every size down to single
// pixels, every isometry, domains anywhere in the half-size plane. Made by hand so that it does
// not change with the encoder.
TFifPlane RandomPlane(int width, int height, std::uint32_t seed, const TFifPlaneParams& params) {
  std::mt19937 random(seed);
  const auto below = [&random](int n) { return static_cast<int>(random() % static_cast<std::uint32_t>(n)); };
  TFifPlane plane;
  plane.width = width;
  plane.height = height;
  const int halfW = width / 2;
  const int halfH = height / 2;
  const std::function<void(int, int, int)> leaf = [&](int x, int y, int side) {
    if (x >= width || y >= height) return;
    if (side > 1 && below(2) == 0) {
      const int s = side / 2;
      for (auto [dx, dy] : {std::pair{0, 0}, {s, 0}, {0, s}, {s, s}}) leaf(x + dx, y + dy, s);
      return;
    }
    TFifBlock b;
    b.x = x;
    b.y = y;
    b.w = std::min(side, width - x);
    b.h = std::min(side, height - y);
    b.log2 = std::bit_width(static_cast<unsigned>(side)) - 1;
    b.meanIndex = below(MaxMeanIndex(params.meanStep[static_cast<std::size_t>(params.topLog2 - b.log2)]) + 1);
    if (below(4) != 0 && b.w <= halfW && b.h <= halfH) {
      b.contrast = below(2 * params.contrastLevels + 1) - params.contrastLevels;
      b.isometry = below(b.w == b.h ? 8 : 4);
      b.domainX = below(halfW - b.w + 1);
      b.domainY = below(halfH - b.h + 1);
    }
    plane.blocks.push_back(b);
  };
  for (int y = 0; y < height; y += 16)
    for (int x = 0; x < width; x += 16) leaf(x, y, 16);
  return plane;
}

// A render from a plane of width x height to a grid of gridWidth x gridHeight, and the
// fingerprint its pixels must keep.
struct TRenderCase {
  int width, height, gridWidth, gridHeight;
  TFifRatio sx, sy;
  std::uint64_t fingerprint;
  std::string Name() const {
    return std::to_string(width) + "x" + std::to_string(height) + " to " + std::to_string(gridWidth) + "x" +
           std::to_string(gridHeight);
  }
};

std::uint64_t Fingerprint(const TFifGrid& grid) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const float v : grid.pixels) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    hash = (hash ^ bits) * 1099511628211ull;
  }
  return hash;
}

TEST(FifRender, RendersKeepTheirPixels) {
  // Faster rendering must not move a single bit: these were taken before the own-size render
  // started from the block means at half size. Even and odd sides, at own size, half size, a
  // reduction and an enlargement.
  const TRenderCase cases[] = {
      {64, 48, 64, 48, {1, 1}, {1, 1}, 16535122817263504125ull},
      {64, 48, 32, 24, {1, 2}, {1, 2}, 17264468438587817597ull},
      {64, 48, 43, 32, {43, 64}, {2, 3}, 3883217005063693668ull},
      {64, 48, 128, 96, {2, 1}, {2, 1}, 8671653208655619045ull},
      {75, 53, 75, 53, {1, 1}, {1, 1}, 10431031051866391151ull},
      {75, 53, 38, 27, {1, 2}, {1, 2}, 1769275038429468356ull},
      {75, 53, 50, 35, {2, 3}, {35, 53}, 4068397960764325528ull},
      {75, 53, 150, 53, {2, 1}, {1, 1}, 17350060847197547294ull},
      // Reductions to a quarter of the pixels or less, where every pass samples between
      // lattice points: the later passes reuse the first one's taps.
      {64, 48, 21, 16, {21, 64}, {1, 3}, 15486551185076405652ull},
      {75, 53, 30, 17, {2, 5}, {17, 53}, 7756868592250887268ull},
      {75, 53, 37, 26, {37, 75}, {26, 53}, 9853095044716122203ull},
      {64, 48, 9, 7, {9, 64}, {7, 48}, 17649225037832634998ull},
  };
  const TFifPlaneParams params;
  for (const TRenderCase& c : cases) {
    SCOPED_TRACE(c.Name());
    const TFifPlane plane = RandomPlane(c.width, c.height, 7, params);
    EXPECT_EQ(Fingerprint(RenderPlane(plane, params, c.gridWidth, c.gridHeight, c.sx, c.sy)), c.fingerprint);
  }
}

// A plane of 16 x 4 pixels: 0 left of column 8, 100 from there on.
TFifGrid StepPlane() {
  TFifGrid plane;
  plane.width = 16;
  plane.height = 4;
  for (int y = 0; y < plane.height; ++y)
    for (int x = 0; x < plane.width; ++x) plane.pixels.push_back(x < 8 ? 0.0f : 100.0f);
  return plane;
}

TEST(FifRender, EnlargementsInterpolateWithoutShiftingThePicture) {
  const TFifGrid twice = ResamplePlane(StepPlane(), 32, 8, {2, 1}, {2, 1});
  ASSERT_EQ(twice.width, 32);
  ASSERT_EQ(twice.height, 8);
  for (int y = 0; y < twice.height; ++y) {
    // The edge stays between grid pixels 15 and 16, symmetric about the middle grey.
    EXPECT_NEAR(twice.At(15, y) + twice.At(16, y), 100.0f, 1e-3f);
    EXPECT_LT(twice.At(15, y), 50.0f);
    // Flat stretches, the picture's own edges included, keep their values.
    EXPECT_NEAR(twice.At(0, y), 0.0f, 1e-3f);
    EXPECT_NEAR(twice.At(31, y), 100.0f, 1e-3f);
    for (int x = 0; x < twice.width; ++x) EXPECT_NEAR(twice.At(x, y), twice.At(x, 0), 1e-3f);
  }
  // A scale that is not a whole number, and an axis left alone.
  const TFifGrid wider = ResamplePlane(StepPlane(), 24, 4, {3, 2}, {1, 1});
  for (int x = 0; x < wider.width; ++x) {
    EXPECT_NEAR(wider.At(x, 0) + wider.At(wider.width - 1 - x, 0), 100.0f, 1e-3f);
    EXPECT_NEAR(wider.At(x, 3), wider.At(x, 0), 1e-3f);
  }
}

// A w x h grid of values spread over the whole 0..255 range and a little beyond, from a fixed seed.
TFifGrid NoisyGrid(int width, int height) {
  TFifGrid grid;
  grid.width = width;
  grid.height = height;
  std::uint32_t state = 12345;
  for (int i = 0; i < width * height; ++i) {
    state = state * 1103515245u + 12345u;
    grid.pixels.push_back(static_cast<float>((state >> 8) % 25600) / 100.0f - 0.5f);
  }
  return grid;
}

TEST(FifRender, EnlargementsKeepTheirPixels) {
  // Taken from the plain tap-by-tap loops: rows several at a time must add up in the same order.
  // Heights that leave one to three rows over, widths that are not multiples of four, one row,
  // an axis left alone.
  const TRenderCase cases[] = {
      {13, 7, 26, 14, {2, 1}, {2, 1}, 16377656812985940144ull},
      {5, 3, 15, 3, {3, 1}, {1, 1}, 9005345567965555787ull},
      {11, 1, 17, 2, {17, 11}, {2, 1}, 8779769443538264240ull},
      {9, 6, 9, 13, {1, 1}, {13, 6}, 11512666477597145169ull},
      {6, 5, 14, 11, {7, 3}, {11, 5}, 6955490407682298259ull},
      {4, 4, 8, 8, {2, 1}, {2, 1}, 10594346086240982642ull},
  };
  for (const TRenderCase& c : cases) {
    SCOPED_TRACE(c.Name());
    EXPECT_EQ(Fingerprint(ResamplePlane(NoisyGrid(c.width, c.height), c.gridWidth, c.gridHeight, c.sx, c.sy)),
              c.fingerprint);
  }
  // Shared out by bands of rows, the same pixels.
  const TFifGrid plane = NoisyGrid(203, 131);
  EXPECT_EQ(ResamplePlane(plane, 406, 262, {2, 1}, {2, 1}, 1).pixels,
            ResamplePlane(plane, 406, 262, {2, 1}, {2, 1}, 3).pixels);
}

}  // namespace
}  // namespace qrl

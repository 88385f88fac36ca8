// The attractor renderer against a plain evaluation of the maps at the picture's own size,
// iterated to convergence: the shortcuts (passes at half size, one-tap lattices, placement
// tables) must reach the same picture.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fif/FifEncoder.h"
#include "fif/FifRender.h"
#include "fif/FifSymbols.h"
#include "fif/FifTestPictures.h"

namespace qrl {
namespace {

// The first plane of a stream, parsed.
TFifPlane FirstPlane(const std::vector<std::uint8_t>& fif, TFifHeader& header) {
  const std::size_t headerSize = ReadFifHeader(fif, header);
  TSymbolReader reader(std::span<const std::uint8_t>(fif).subspan(headerSize, fif.size() - headerSize - 4));
  TFifPlaneContexts contexts;
  TFifPlane plane;
  plane.width = header.width;
  plane.height = header.height;
  CodePlane(reader, contexts, header.luma, plane);
  return plane;
}

// Every range pixel from its domain pixel in the half-size plane, many times over.
std::vector<double> ConvergedAttractor(const TFifPlane& plane, const TFifPlaneParams& params) {
  const int w = plane.width;
  const int hw = w / 2;
  const int hh = plane.height / 2;
  std::vector<double> picture(static_cast<std::size_t>(w) * plane.height);
  for (const TFifBlock& b : plane.blocks)
    for (int j = 0; j < b.h; ++j)
      for (int i = 0; i < b.w; ++i) picture[(b.y + j) * w + b.x + i] = b.meanIndex * params.meanStep;
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
              std::clamp(a * (domain(i, j) - mean) + b.meanIndex * params.meanStep, -128.0, 383.0);
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

TEST(FifRender, EnlargedPicturesAreSoftenedByATentOverOnePlanePixelAtAnyScale) {
  // A dark and a light flat block side by side, enlarged up to a thousandfold: the edge between
  // them is the step filtered by weights 1 - d / radius, edges repeated, as a plain sum gives it.
  TFifPlane plane;
  plane.width = 2;
  plane.height = 1;
  plane.blocks = {{0, 0, 1, 1, 0, 10, 0, 0, 0, 0}, {1, 0, 1, 1, 0, 100, 0, 0, 0, 0}};
  const TFifPlaneParams params;
  for (int scale : {3, 40, 1000}) {
    SCOPED_TRACE(scale);
    const int w = 2 * scale;
    const TFifGrid grid = RenderPlane(plane, params, w, 1, {scale, 1}, {1, 1});
    const double radius = 0.5 * scale + 0.5;
    const auto step = [&](int x) { return std::clamp(x, 0, w - 1) < scale ? 20.0 : 200.0; };
    double worst = 0.0;
    for (int x = 0; x < w; ++x) {
      double sum = step(x);
      double norm = 1.0;
      for (int d = 1; d < radius; ++d) {
        sum += (1.0 - d / radius) * (step(x - d) + step(x + d));
        norm += 2.0 * (1.0 - d / radius);
      }
      worst = std::max(worst, std::abs(grid.At(x, 0) - sum / norm));
    }
    EXPECT_LT(worst, 1e-3);
    EXPECT_NEAR(grid.At(scale / 2, 0) + grid.At(w - 1 - scale / 2, 0), 220.0f, 1e-3);
  }
}

}  // namespace
}  // namespace qrl

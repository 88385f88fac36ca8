// The colour rows: every pixel rounded and clamped the same way whatever path the row takes
// (groups of pixels at a time, then one by one, with or without SSSE3), and nothing written
// outside a row's bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "fif/FifColour.h"

namespace qrl {
namespace {

TFifGrid Grid(int width, int height, float value) {
  TFifGrid g;
  g.width = width;
  g.height = height;
  g.pixels.assign(static_cast<std::size_t>(width) * height, value);
  return g;
}

std::uint8_t Expected(float v) { return static_cast<std::uint8_t>(std::clamp(std::floor(v + 0.5f), 0.0f, 255.0f)); }

TEST(FifColour, EveryWidthRoundsClampsAndStaysInsideItsRows) {
  // Luma over and under the byte range and on exact halves; chroma uniform, so that every
  // output pixel sees exactly its value.
  const float lumas[] = {-300.0f, -0.5f, 0.49f, 0.5f, 1.5f, 100.25f, 127.5f, 254.5f, 255.49f, 255.5f, 900.0f, 37.0f, 201.75f};
  const float cbs[] = {128.0f, 0.0f, 255.0f};
  const float crs[] = {128.0f, 255.0f, 10.0f};
  constexpr int kHeight = 2;
  constexpr std::uint8_t kGuard = 0xA5;
  for (int width = 1; width <= 13; ++width) {
    for (int c = 0; c < 3; ++c) {
      SCOPED_TRACE(testing::Message() << "width " << width << ", chroma " << c);
      TFifGrid luma = Grid(width, kHeight, 0.0f);
      for (int i = 0; i < width * kHeight; ++i) luma.pixels[i] = lumas[i % std::size(lumas)];
      const TFifGrid cb = Grid((width + 1) / 2, 1, cbs[c]);
      const TFifGrid cr = Grid((width + 1) / 2, 1, crs[c]);
      const std::ptrdiff_t stride = 3 * width + 5;
      std::vector<std::uint8_t> out(static_cast<std::size_t>(stride) * kHeight, kGuard);
      WriteColourRows(luma, cb, cr, out.data(), stride, 0, kHeight);
      const float u = cbs[c] - 128.0f;
      const float v = crs[c] - 128.0f;
      for (int y = 0; y < kHeight; ++y) {
        const std::uint8_t* row = &out[static_cast<std::size_t>(kHeight - 1 - y) * stride];
        for (int x = 0; x < width; ++x) {
          const float l = luma.At(x, y);
          ASSERT_EQ(row[3 * x], Expected(l + 1.772f * u)) << "blue at " << x << "," << y;
          ASSERT_EQ(row[3 * x + 1], Expected(l - 0.344136f * u - 0.714136f * v)) << "green at " << x << "," << y;
          ASSERT_EQ(row[3 * x + 2], Expected(l + 1.402f * v)) << "red at " << x << "," << y;
        }
        for (std::ptrdiff_t i = 3 * width; i < stride; ++i) ASSERT_EQ(row[i], kGuard) << "padding byte " << i;
      }
    }
  }
}

TEST(FifColour, ChromaBlendsItsNearestPixelsThreeToOne) {
  // Chroma that differs in every pixel, over widths that take the groups of four and the
  // pixels left over: each output pixel must lean on the right neighbours, edges repeated.
  constexpr int kHeight = 4;
  for (int width = 1; width <= 21; ++width) {
    SCOPED_TRACE(testing::Message() << "width " << width);
    const int cw = (width + 1) / 2;
    const int ch = kHeight / 2;
    TFifGrid luma = Grid(width, kHeight, 100.0f);
    TFifGrid cb = Grid(cw, ch, 0.0f);
    TFifGrid cr = Grid(cw, ch, 0.0f);
    for (int i = 0; i < cw * ch; ++i) {
      cb.pixels[i] = 128.0f + 8.0f * static_cast<float>(i % 7) - 20.0f * static_cast<float>(i / cw);
      cr.pixels[i] = 128.0f - 12.0f * static_cast<float>(i % 5) + 16.0f * static_cast<float>(i / cw);
    }
    const std::ptrdiff_t stride = 3 * width;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(stride) * kHeight);
    WriteColourRows(luma, cb, cr, out.data(), stride, 0, kHeight);
    const auto chroma = [&](const TFifGrid& c, int x, int y) {
      const auto at = [&](int i, int j) { return c.At(std::clamp(i, 0, cw - 1), std::clamp(j, 0, ch - 1)); };
      const auto column = [&](int i) { return 0.75f * at(i, y / 2) + 0.25f * at(i, y % 2 == 0 ? y / 2 - 1 : y / 2 + 1) - 128.0f; };
      return 0.75f * column(x / 2) + 0.25f * column(x % 2 == 0 ? x / 2 - 1 : x / 2 + 1);
    };
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* pixel = &out[static_cast<std::size_t>(kHeight - 1 - y) * stride + 3 * x];
        const float u = chroma(cb, x, y);
        const float v = chroma(cr, x, y);
        ASSERT_EQ(pixel[0], Expected(100.0f + 1.772f * u)) << "blue at " << x << "," << y;
        ASSERT_EQ(pixel[2], Expected(100.0f + 1.402f * v)) << "red at " << x << "," << y;
      }
  }
}

TEST(FifColour, TheFasterPathsGiveTheSameBytes) {
  // Where the processor has them, the paths chosen at run time must write exactly the baseline's
  // bytes, and no more of them: values all over and beyond the byte range, every width from a
  // single pixel past a few groups of sixteen, so that each path ends in the next one's.
  std::mt19937 random(11);
  std::uniform_real_distribution<float> value(-200.0f, 460.0f);
  constexpr int kHeight = 3;
  constexpr std::uint8_t kGuard = 0x5A;
  for (int width = 1; width <= 57; ++width) {
    SCOPED_TRACE(testing::Message() << "width " << width);
    const int cw = (width + 1) / 2;
    TFifGrid luma = Grid(width, kHeight, 0.0f);
    TFifGrid cb = Grid(cw, (kHeight + 1) / 2, 0.0f);
    TFifGrid cr = Grid(cw, (kHeight + 1) / 2, 0.0f);
    for (TFifGrid* g : {&luma, &cb, &cr})
      for (float& v : g->pixels) v = value(random);
    const std::ptrdiff_t stride = 3 * width + 4;
    std::vector<std::uint8_t> baseline(static_cast<std::size_t>(stride) * kHeight, kGuard);
    WriteColourRows(luma, cb, cr, baseline.data(), stride, 0, kHeight, TFifInstructions::kSse2);
    for (int y = 0; y < kHeight; ++y)
      for (std::ptrdiff_t i = 3 * width; i < stride; ++i) ASSERT_EQ(baseline[y * stride + i], kGuard);
    for (const TFifInstructions best : {TFifInstructions::kSsse3, TFifInstructions::kAvx2}) {
      std::vector<std::uint8_t> fast(baseline.size(), kGuard);
      WriteColourRows(luma, cb, cr, fast.data(), stride, 0, kHeight, best);
      ASSERT_EQ(fast, baseline) << "up to " << static_cast<int>(best);
    }
  }
}

TEST(FifColour, GreyRowsGiveTheSameBytesOnEveryPath) {
  // Grey rows repeat each byte three times: exact halves, values far beyond the byte range and
  // random ones, over widths from one pixel past a few groups of sixteen.
  std::mt19937 random(5);
  std::uniform_real_distribution<float> value(-300.0f, 560.0f);
  const float special[] = {-1e10f, 1e10f, -0.5f, 0.5f, 254.5f, 255.5f, -0.49f, 3e9f};
  constexpr int kHeight = 2;
  constexpr std::uint8_t kGuard = 0xC3;
  for (int width = 1; width <= 50; ++width) {
    SCOPED_TRACE(testing::Message() << "width " << width);
    TFifGrid luma = Grid(width, kHeight, 0.0f);
    for (std::size_t i = 0; i < luma.pixels.size(); ++i)
      luma.pixels[i] = i % 3 == 0 ? special[i / 3 % std::size(special)] : value(random);
    const std::ptrdiff_t stride = 3 * width + 2;
    std::vector<std::uint8_t> baseline(static_cast<std::size_t>(stride) * kHeight, kGuard);
    WriteGreyRows(luma, baseline.data(), stride, 0, kHeight, TFifInstructions::kSse2);
    for (int y = 0; y < kHeight; ++y) {
      const std::uint8_t* row = &baseline[static_cast<std::size_t>(kHeight - 1 - y) * stride];
      for (int x = 0; x < width; ++x)
        for (int c = 0; c < 3; ++c) ASSERT_EQ(row[3 * x + c], Expected(luma.At(x, y))) << x << "," << y;
      for (std::ptrdiff_t i = 3 * width; i < stride; ++i) ASSERT_EQ(row[i], kGuard);
    }
    std::vector<std::uint8_t> fast(baseline.size(), kGuard);
    WriteGreyRows(luma, fast.data(), stride, 0, kHeight);
    ASSERT_EQ(fast, baseline);
  }
}

}  // namespace
}  // namespace qrl

#pragma once
// Pictures for the FIF codec tests: crops and box-filtered reductions, a synthetic picture with
// smooth areas, edges and texture, and the PSNR that judges a decoded picture.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "format/Dib.h"

namespace qrl::test {

// A black picture; the bounds let the compiler see that the pixel buffer is never empty.
inline TDib NewDib(int width, int height) {
  if (width < 1 || height < 1 || width > 65535 || height > 65535) std::abort();
  return TDib(width, height);
}

inline TDib Crop(const TDib& from, int left, int top, int width, int height) {
  TDib dib = NewDib(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < 3 * width; ++x) dib.ScanLine(y)[x] = from.ScanLine(top + y)[3 * left + x];
  return dib;
}

// Halves a picture with 2 x 2 means (odd edges dropped).
inline TDib Halve(const TDib& from) {
  const int w = from.Width() / 2;
  const int h = from.Height() / 2;
  TDib dib = NewDib(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        const int s = from.ScanLine(2 * y)[6 * x + c] + from.ScanLine(2 * y)[6 * x + 3 + c] +
                      from.ScanLine(2 * y + 1)[6 * x + c] + from.ScanLine(2 * y + 1)[6 * x + 3 + c];
        dib.ScanLine(y)[3 * x + c] = static_cast<std::uint8_t>((s + 2) / 4);
      }
  return dib;
}

// A picture with gradients, hard edges, a disc and deterministic fine texture.
inline TDib SyntheticPicture(int width, int height, bool grey = false) {
  TDib dib = NewDib(width, height);
  std::uint32_t seed = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int noise = static_cast<int>((seed >> 16) & 15) - 8;
      const double dx = x - width * 0.6;
      const double dy = y - height * 0.4;
      const bool disc = dx * dx + dy * dy < width * height * 0.04;
      int r = 40 + 150 * x / std::max(1, width) + noise;
      int g = disc ? 200 : 60 + 120 * y / std::max(1, height);
      int b = (x / 8 + y / 8) % 2 ? 180 : 90;
      if (grey) r = g = b = (r + g + b) / 3;
      std::uint8_t* p = dib.ScanLine(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
      p[1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
      p[2] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
    }
  return dib;
}

// Peak signal-to-noise ratio over all three channels, in dB (99 for identical pictures).
inline double Psnr(const TDib& a, const TDib& b) {
  double sum = 0.0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < 3 * a.Width(); ++x) {
      const double d = static_cast<double>(a.ScanLine(y)[x]) - b.ScanLine(y)[x];
      sum += d * d;
    }
  const double mse = sum / (3.0 * a.Width() * a.Height());
  return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace qrl::test
